#!/usr/bin/env bash
# Builds the native fuzz build (build/native) and runs every fuzz target for a while, two at a
# time: one line per target with its runs, coverage and result. Exit 1 on any finding (crash,
# sanitizer report, failed check, time-out, memory limit); the input that caused it is kept in
# build/native/artifacts. Usage: fuzz/run.sh [seconds per target, default 60]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-60}
out="$root/build/native"
mkdir -p "$root/build"

cc=clang-14; cxx=clang++-14
command -v "$cc" >/dev/null 2>&1 || { cc=clang; cxx=clang++; }
if ! cmake -S "$root/fuzz" -B "$out" -G Ninja -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
     >"$root/build/configure-native.log" 2>&1; then
  echo "fuzz: configure failed"; tail -20 "$root/build/configure-native.log"; exit 1
fi
if ! cmake --build "$out" >"$root/build/build-native.log" 2>&1; then
  echo "fuzz: build failed"; grep -E -A8 'error|FAILED' "$root/build/build-native.log" | head -60; exit 1
fi
echo "fuzz: native build in build/native ($("$cc" --version | head -1))"

# Scratch files of the targets in memory when possible; removed at the end.
scratch=$(mktemp -d "$( [ -w /dev/shm ] && echo /dev/shm || echo /tmp )/kestrin-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$out/artifacts" "$out/logs"

run_one() {
  local t=$1 seeds=("$out/seeds/$1")
  [ -d "$root/fuzz/seeds/$t" ] && seeds+=("$root/fuzz/seeds/$t")
  [ -d "$out/seeds/$t" ] || seeds=("${seeds[@]:1}")
  mkdir -p "$out/corpus/$t"
  local log="$out/logs/$t.log"
  TMPDIR="$scratch" "$out/fuzz_$t" "$out/corpus/$t" "${seeds[@]}" \
    -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
    -artifact_prefix="$out/artifacts/$t-" -print_final_stats=1 >"$log" 2>&1
  local rc=$?
  local runs cov
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -E '^#[0-9]+.*(DONE|cov:)' "$log" | tail -1 | sed -n 's/.*cov: \([0-9]*\) ft: \([0-9]*\) corp: \([0-9]*\).*/\1 edges, \2 features, corpus \3/p')
  if [ $rc -eq 0 ]; then
    echo "fuzz: $t: ${runs:-?} runs in ${secs} s, ${cov:-coverage unknown}: no findings" >"$out/logs/$t.result"
  else
    local art
    art=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
    {
      echo "fuzz: $t: FINDING after ${runs:-?} runs (exit $rc)${art:+, input kept in ${art#$root/}}"
      grep -E -m8 'ERROR|fuzz check failed|Assertion failed|runtime error|SUMMARY' "$log" | sed 's/^/fuzz:   /'
    } >"$out/logs/$t.result"
  fi
  return $rc
}

targets=(removed_store backup_set history settings install_record html_escape pe_file)
rc=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pids=()
  for t in "${targets[@]:i:2}"; do
    run_one "$t" & pids+=($!)
  done
  for p in "${pids[@]}"; do wait "$p" || rc=1; done
  for t in "${targets[@]:i:2}"; do cat "$out/logs/$t.result"; done
done
[ $rc -eq 0 ] && echo "fuzz: all ${#targets[@]} targets ran ${secs} s each without findings" \
              || echo "fuzz: FINDINGS: see build/native/logs and build/native/artifacts"
exit $rc
