#!/usr/bin/env bash
# Each layer includes only itself and the layers below it, and names their folders:
#   common/format  C runtime only, no Windows header
#   common/misc    + format
#   common/palm    + misc
#   src/core       + palm (no window: user32 and gdi32 are not declared there)
#   src/ui         + core
#   src/           the windows: everything
# A plain "X.h" must be a file of the including file's own folder, so no sibling folder is
# reached through the include path unseen.
set -uo pipefail
root=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
cd "$root"
fail=0
allowed() {  # layer -> folders it may name
  case "$1" in
    common/format) echo "" ;;
    common/misc) echo "format" ;;
    common/palm) echo "format misc" ;;
    src/core) echo "format misc palm" ;;
    src/ui) echo "format misc palm core" ;;
    src) echo "format misc palm core ui" ;;
  esac
}
for layer in common/format common/misc common/palm src/core src/ui src; do
  ok=" $(allowed "$layer") "
  for f in "$layer"/*.h "$layer"/*.cpp; do
    [ -f "$f" ] || continue
    while IFS= read -r inc; do
      case "$inc" in
        */*)
          folder=${inc%%/*}
          if [[ "$ok" != *" $folder "* ]]; then
            echo "$f: includes \"$inc\", a layer it must not know"; fail=1
          fi ;;
        *)
          if [ ! -f "$layer/$inc" ]; then
            echo "$f: includes \"$inc\" without its folder, and it is not in $layer"; fail=1
          fi ;;
      esac
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$f")
    if [ "$layer" = common/format ] &&
       grep -qiE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(windows|win[a-z]*|commctrl|shellapi|shlobj|commdlg)\.h>' "$f"; then
      echo "$f: includes a Windows header; the file formats build natively"; fail=1
    fi
  done
done
[ $fail -eq 0 ] && echo "layers: every include names a layer below its own (or its own folder)"
exit $fail
