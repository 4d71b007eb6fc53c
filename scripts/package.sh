#!/usr/bin/env bash
# One command for the release packages: installs what is missing, builds the i686 program and
# packs it into the per-user installer and a zip of the same files, checks both, and leaves
# them in build/package/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
version=3.3.0.1220

bash scripts/setup-deps.sh
echo "package: building the i686 release build in build/i686"
cmake -S "$root" -B "$root/build/i686" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686.cmake" >"$root/build/configure-i686.log" 2>&1 \
  || { cat "$root/build/configure-i686.log"; exit 1; }
# Only the program and what ships with it; the tests are the test command's business.
cmake --build "$root/build/i686" --target kestrin_package >"$root/build/package-i686.log" 2>&1 \
  || { grep -E -B2 -A12 'error|FAILED' "$root/build/package-i686.log" | head -80; exit 1; }
bash installer/check-package.sh "$root/build/i686"

mkdir -p build/package
for f in "kestrin-$version-setup.exe" "kestrin-$version-win32.zip"; do
  cp -f "build/i686/package/$f" build/package/
  echo "package: build/package/$f"
done
