#!/usr/bin/env bash
# The benchmark: builds x86_64, runs bench/kbench.exe under Wine in a private prefix whose Palm
# Desktop is the build's stand-in, under a private X display, and keeps the whole output in
# bench/results.txt; then the same for the i686 build under 32-bit Wine, or says in the file why
# it could not run. Stops the wineserver and the display it started.
#   bash scripts/bench.sh [--build-dir DIR] [--out FILE] [--quick]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh

command="bash scripts/bench.sh${*:+ $*}"
build=""
out="$root/bench/results.txt"
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build=$(cd "$2" && pwd); shift 2 ;;
    --out) out=$2; shift 2 ;;
    --quick) args+=(--quick); shift ;;
    --only) args+=(--only "$2"); shift 2 ;;
    *) echo "bench: unknown argument $1" >&2; exit 2 ;;
  esac
done

own_build=0
if [ -z "$build" ]; then
  own_build=1
  bash scripts/setup-deps.sh >/dev/null || { echo "bench: set-up failed"; exit 1; }
  bash scripts/build.sh x86_64 || { echo "bench: build failed"; exit 1; }
  build="$root/build/x86_64"
fi
exe="$build/bench/kbench.exe"
[ -f "$exe" ] || { echo "bench: $exe is missing"; exit 1; }

# A prefix of its own: kbench rewrites the Palm registrations of its user.
prefix="$root/build/bench-prefix"
kestrin_wine_env "$prefix"
cleanup() {
  kestrin_stop_wineserver
  kestrin_stop_xvfb
}
trap cleanup EXIT
kestrin_prepare_prefix
kestrin_start_xvfb || exit 1
kestrin_start_wineserver
wine_quiet reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' /v DesktopPath \
  /d "$(winepath -w "$build/palm" 2>/dev/null)" /f

mkdir -p "$(dirname "$out")"
# The output file itself is left out of "uncommitted changes": the run is rewriting it.
source_rev=$(git -C "$root" rev-parse --short HEAD 2>/dev/null)
rel_out=$(realpath -m --relative-to="$root" "$out")
pathspec=(.)
case "$rel_out" in ../*) ;; *) pathspec+=(":(exclude)$rel_out") ;; esac
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no -- "${pathspec[@]}" 2>/dev/null)" ]; then
  source_rev="$source_rev with uncommitted changes"
fi
{
  echo "command: $command"
  echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "host: $(uname -srm), $(nproc) processors; $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')"
  echo "wine: $(wine --version 2>/dev/null)"
  echo "source: $source_rev"
  echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min)"
  echo
} | tee "$out"
echo "== x86_64 ==" | tee -a "$out"
wine "$exe" "${args[@]}" </dev/null 2>&1 | tee -a "$out"
rc=${PIPESTATUS[0]}

# The release build, which is what users run, under 32-bit Wine where this machine has it.
if [ "$own_build" = 1 ]; then
  echo | tee -a "$out"
  echo "== i686 (the release build) ==" | tee -a "$out"
  wine32=$(cat "$root/build/wine32.status" 2>/dev/null || echo "32-bit Wine set-up did not run")
  if [ "$wine32" != ok ]; then
    echo "i686: not measured: $wine32" | tee -a "$out"
  elif ! bash scripts/build.sh i686; then
    echo "i686: not measured: the i686 build failed" | tee -a "$out"
    rc=1
  else
    kestrin_stop_wineserver
    export KESTRIN_NEED_WOW64=1
    kestrin_wine_env "$root/build/bench-prefix-i686"
    kestrin_prepare_prefix
    kestrin_start_wineserver
    wine_quiet reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' /v DesktopPath \
      /d "$(winepath -w "$root/build/i686/palm" 2>/dev/null)" /f
    wine "$root/build/i686/bench/kbench.exe" "${args[@]}" </dev/null 2>&1 | tee -a "$out"
    [ "${PIPESTATUS[0]}" = 0 ] || rc=1
  fi
fi
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min)" | tee -a "$out"
echo "bench: output in ${out#$root/} (exit $rc)"
exit "$rc"
