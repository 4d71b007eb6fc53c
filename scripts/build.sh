#!/usr/bin/env bash
# Configures and builds one architecture: scripts/build.sh x86_64|i686 [extra cmake args]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$1; shift
cmake -S "$root" -B "$root/build/$arch" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" "$@" >"$root/build/configure-$arch.log" 2>&1 \
  || { cat "$root/build/configure-$arch.log"; exit 1; }
cmake --build "$root/build/$arch" -- -k 0 >"$root/build/build-$arch.log" 2>&1 \
  || { grep -E -B2 -A8 'error|FAILED' "$root/build/build-$arch.log" | head -80; exit 1; }
echo "build: $arch built in build/$arch"
