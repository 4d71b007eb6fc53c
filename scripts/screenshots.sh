#!/usr/bin/env bash
# Starts Kestrin on the demo environment under a private X display once per skin and saves what a
# user sees: the splash while the catalogues load, the main window, and each further window that
# opens from the main window by its keys (WINDOWS below). Fails unless every window was found by
# its title, the application table holds the demo's conduits and no picture is a single colour.
# PNGs go to build/screenshots/<window>-<skin>.png.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh

# --build-dir DIR: use a build that exists (the test suite runs it so); otherwise set up and build.
if [ "${1:-}" = --build-dir ] && [ -n "${2:-}" ]; then
  build=$(cd "$2" && pwd)
  prefix="$build/demo-prefix"
  shots="$build/screenshots"
else
  bash scripts/setup-deps.sh >/dev/null || exit 1
  bash scripts/build.sh x86_64 >/dev/null || { echo "screenshots: build failed"; exit 1; }
  build="$root/build/x86_64"
  prefix="$root/build/demo-prefix"
  shots="$root/build/screenshots"
fi
mkdir -p "$shots"
rm -f "$shots"/*.png

kestrin_wine_env "$prefix"
exe=$(bash scripts/demo-env.sh "$build" "$prefix" 2>/dev/null | tail -n 1)
[ -n "$exe" ] || { echo "screenshots: the demo environment did not give a program path"; exit 1; }
wintool() { wine "$build/tools/wintool.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

cleanup() {
  kestrin_stop_wineserver
  kestrin_stop_xvfb
}
trap cleanup EXIT
kestrin_start_xvfb || exit 1
kestrin_start_wineserver

fail() { echo "screenshots: FAILED: $*"; exit 1; }

# Saves the window with the given title, cut out of the screen.
shoot() {
  local title=$1 out=$2 rect
  rect=$(wintool rect "$title") || fail "no window \"$title\" to photograph"
  read -r x y w h <<<"$rect"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out" 2>/dev/null || fail "import failed"
  local colours
  colours=$(convert "$out" -format %k info: 2>/dev/null)
  [ "${colours:-0}" -gt 1 ] || fail "$out is a single colour"
  echo "screenshots: $out ($w x $h, $colours colours)"
}

main='Kestrin - Install/Uninstall Palm Conduits'
skins=(BlueGlass DeepBlue MacOS WinXP Protein)  # SkinType 0..4
ini="$WINEPREFIX/drive_c/Program Files/Kestrin/orlenta.ini"

# Further windows: "<name>|<mnemonic letter on the main window>|<title>|<id of its closing button>".
# Add a line when a window can be opened from the main window by its keys.
WINDOWS=(
  "properties|p|Conduit Properties|2"
)

# Writes SkinType=<n> into section [Kestrin] of the settings file, keeping everything else.
set_skin() {
  local n=$1
  if [ ! -f "$ini" ]; then
    printf '[Kestrin]\r\nSkinType=%s\r\n' "$n" >"$ini"
    return
  fi
  awk -v n="$n" '
    { line = $0; sub(/\r$/, "", line) }
    line ~ /^\[/ {
      if (sec && !done) { print "SkinType=" n "\r"; done = 1 }
      sec = (tolower(line) == "[kestrin]")
    }
    sec && tolower(line) ~ /^skintype=/ { if (!done) print "SkinType=" n "\r"; done = 1; next }
    { print }
    END { if (!done) { if (!sec) print "[Kestrin]\r"; print "SkinType=" n "\r" } }
  ' "$ini" >"$ini.tmp" && mv "$ini.tmp" "$ini"
}

check_tables() {
  rows=$(wintool rows "$main" 0) || fail "could not read the application table"
  echo "screenshots: application table:"
  echo "$rows" | sed 's/^/  /'
  for name in 'Address Book' 'Date Book' 'To Do List' 'Memo Pad'; do
    echo "$rows" | grep -q "^$name |" || fail "the application table lacks \"$name\""
  done
  echo "$rows" | grep -q '^Mail | mail | .*mailcond.dll ( file not found )\.$' \
    || fail "the registration with a missing library is not marked \"( file not found ).\""
  sys=$(wintool rows "$main" 1) || fail "could not read the system table"
  echo "screenshots: system table:"
  echo "$sys" | sed 's/^/  /'
  echo "$sys" | grep -q '^Backup | 0xffffffff | ' || fail "the system table lacks the backup conduit 0xffffffff"
  echo "$sys" | grep -q '^Install Handheld Files | 0x' || fail "the system table lacks the install conduit"
}

for n in "${!skins[@]}"; do
  skin=${skins[$n]}
  set_skin "$n"
  wine "$exe" </dev/null >/dev/null 2>&1 &
  pid=$!
  wintool wait "Kestrin" 30 || fail "the splash \"Kestrin\" did not appear ($skin)"
  shoot "Kestrin" "$shots/splash-$skin.png"
  wintool wait "$main" 30 || fail "the main window \"$main\" did not appear ($skin)"
  sleep 1
  shoot "$main" "$shots/main-$skin.png"
  [ "$n" = 0 ] && check_tables
  for w in "${WINDOWS[@]}"; do
    IFS='|' read -r name key title closer <<<"$w"
    wintool syschar "$main" "$key" || fail "could not send Alt+$key"
    wintool wait "$title" 15 || fail "Alt+$key did not open \"$title\" ($skin)"
    sleep 0.5
    shoot "$title" "$shots/$name-$skin.png"
    wintool click "$title" "$closer"
    wintool gone "$title" 10 || fail "\"$title\" did not close ($skin)"
  done
  # The orderly end: the quit question, answered Yes.
  wintool close "$main"
  wintool wait "Confirm" 10 || fail "no quit question ($skin)"
  wintool click "Confirm" 6
  wintool gone "$main" 15 || fail "the main window did not close ($skin)"
  wait "$pid"
done
echo "screenshots: done"
