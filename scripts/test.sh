#!/usr/bin/env bash
# The test command: installs what is missing, builds both architectures and runs every test
# program under Wine with a private prefix and a private X display, then stops what it started.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh

bash scripts/setup-deps.sh || exit 1
wine32_status=$(cat build/wine32.status 2>/dev/null || echo "32-bit Wine set-up did not run")

for arch in x86_64 i686; do
  echo "build: building $arch"
  bash scripts/build.sh "$arch" || { echo "build: $arch failed"; exit 1; }
done

# The file readers fuzzed natively (clang, sanitizers) before the Wine runs, whose summary ends
# the output; a finding fails the command.
rc=0
echo "fuzz: running every fuzz target for 60 s"
bash fuzz/run.sh 60 || rc=1

archs=(x86_64)
skip_note=""
if [ "$wine32_status" = ok ]; then
  archs=(i686 x86_64)
  export KESTRIN_NEED_WOW64=1
else
  skip_note="tests: the i686 build was built but NOT tested: $wine32_status"
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
  ctest --test-dir "build/$arch" -j2 --output-on-failure --timeout 300 || rc=1
done
exit $rc
