#!/usr/bin/env bash
# The test command: installs what is missing, builds both architectures and runs every test
# program under Wine with a private prefix and a private X display, then stops what it started.
#
#   bash scripts/test.sh                      everything (what CI runs)
#   bash scripts/test.sh --arch x86_64 --area install --no-fuzz
#                                             one area of one build: no 32-bit Wine set-up, no
#                                             fuzzing, only that build; packages are installed
#                                             only when missing, as always
# --arch A (x86_64 or i686) builds and tests that build alone; --area N (repeatable) runs the
# ctest tests named N or N_* (an area is the folder name under tests/, or a test such as e2e_journey);
# --no-fuzz skips the native fuzzing.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh

only_arch="" areas=() fuzz=1
while [ $# -gt 0 ]; do
  case "$1" in
    --arch) only_arch=$2; shift 2 ;;
    --area) areas+=("$2"); shift 2 ;;
    --no-fuzz) fuzz=0; shift ;;
    *) echo "test: unknown argument $1 (see the head of scripts/test.sh)" >&2; exit 2 ;;
  esac
done
case "$only_arch" in ""|x86_64|i686) ;; *) echo "test: --arch takes x86_64 or i686" >&2; exit 2 ;; esac

if [ "$only_arch" = x86_64 ]; then
  bash scripts/setup-deps.sh --no-wine32 || exit 1
  wine32_status="not needed for the x86_64 build"
else
  bash scripts/setup-deps.sh || exit 1
  wine32_status=$(cat build/wine32.status 2>/dev/null || echo "32-bit Wine set-up did not run")
fi

build_archs=(x86_64 i686)
[ -n "$only_arch" ] && build_archs=("$only_arch")
for arch in "${build_archs[@]}"; do
  echo "build: building $arch"
  bash scripts/build.sh "$arch" || { echo "build: $arch failed"; exit 1; }
done

# The file readers fuzzed natively (clang, sanitizers) before the Wine runs, whose summary ends
# the output; a finding fails the command.
rc=0
if [ $fuzz -eq 1 ]; then
  echo "fuzz: running every fuzz target for 60 s"
  bash fuzz/run.sh 60 || rc=1
fi

archs=()
skip_note=""
for arch in "${build_archs[@]}"; do
  if [ "$arch" = i686 ] && [ "$wine32_status" != ok ]; then
    skip_note="tests: the i686 build was built but NOT tested: $wine32_status"
    continue
  fi
  archs+=("$arch")
done
[ "$wine32_status" = ok ] && export KESTRIN_NEED_WOW64=1

filter=()
if [ ${#areas[@]} -gt 0 ]; then
  filter=(-R "^($(IFS='|'; echo "${areas[*]}"))(_.*)?\$")
fi

kestrin_wine_env "$root/build/wineprefix"
cleanup() {
  kestrin_stop_wineserver
  kestrin_stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "tests: preparing the Wine prefix build/wineprefix"
kestrin_prepare_prefix
kestrin_start_xvfb || exit 1
kestrin_start_wineserver
echo "tests: Wine $(wine --version 2>/dev/null), display $DISPLAY"

[ -n "$skip_note" ] && echo "$skip_note"
for arch in "${archs[@]}"; do
  echo "tests: running the $arch build"
  ctest --test-dir "build/$arch" -j2 --output-on-failure --timeout 300 "${filter[@]}" || rc=1
done
exit $rc
