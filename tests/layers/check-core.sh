#!/usr/bin/env bash
# The core calls nothing of user32, gdi32, comctl32, comdlg32 or shell32, nor anything of the
# window kit or the windows: no undefined symbol of its objects is defined there.
#   check-core.sh <build-dir> <nm> <mingw lib dir>
set -uo pipefail
build=$1 nm=$2 libdir=$3
core="$build/src/core/libkcore.a"
[ -f "$core" ] || { echo "no $core"; exit 1; }
undefined=$("$nm" -u "$core" | awk '$1 == "U" {print $2}' | sort -u)
fail=0
for lib in user32 gdi32 comctl32 comdlg32 shell32; do
  defined=$("$nm" --defined-only "$libdir/lib$lib.a" 2>/dev/null | awk 'NF >= 3 {print $3}' | sort -u)
  [ -n "$defined" ] || { echo "cannot read $libdir/lib$lib.a"; exit 1; }
  hits=$(comm -12 <(echo "$undefined") <(echo "$defined"))
  if [ -n "$hits" ]; then echo "the core calls $lib: $hits"; fail=1; fi
done
for lib in "$build/src/ui/libkui.a" "$build/src/libkapp.a"; do
  defined=$("$nm" --defined-only "$lib" | awk 'NF >= 3 && $2 ~ /[TDBR]/ {print $3}' | sort -u)
  hits=$(comm -12 <(echo "$undefined") <(echo "$defined"))
  if [ -n "$hits" ]; then echo "the core calls into $(basename "$lib"): $hits"; fail=1; fi
done
[ $fail -eq 0 ] && echo "core: $(echo "$undefined" | wc -l) undefined symbols, none from a window library"
exit $fail
