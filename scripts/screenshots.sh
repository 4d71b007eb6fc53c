#!/usr/bin/env bash
# Starts Kestrin on the demo environment under a private X display once per skin and saves what a
# user sees: the splash while the catalogues load, the main window, and each further window that
# opens from the main window by its keys (WINDOWS below). Fails unless every window was found by
# its title, the application table holds the demo's conduits and no picture is a single colour.
# PNGs go to build/screenshots/<window>-<skin>.png (and context-menu-BlueGlass.png: an
# application row's context menu; tip-BlueGlass.png: the tip on a row in trouble, with the page
# of Tools > Check Conduits beside it as condcheck.html). Then the main window and two dialogs again,
# laid out for 150 % and 200 % by the /dpi=N switch: <window>-BlueGlass-150.png and -200.png.
# Last, the splash, the main window and the properties dialog in high contrast (the
# /highcontrast switch): <window>-highcontrast.png.
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
rm -f "$shots"/*.png "$shots"/condcheck.html

kestrin_wine_env "$prefix"
exe=$(bash scripts/demo-env.sh "$build" "$prefix" 2>/dev/null | tail -n 1)
[ -n "$exe" ] || { echo "screenshots: the demo environment did not give a program path"; exit 1; }
wintool() { wine "$build/tools/wintool.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

cleanup() {
  kestrin_stop_wineserver
  kestrin_stop_xvfb
}
trap cleanup EXIT
# Room for the desktop of the 200 % shots (below); the 96-DPI ones use its top-left corner.
kestrin_start_xvfb 2048x1536 || exit 1
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

# Further windows: "<name>|<key>|<title>|<id of its closing button>". The key is a mnemonic
# letter of the main window, or #<id> for one of its menu commands (200 File > Backup, 201 File >
# Restore, 208 Tools > Options, 211 Help > About) where two buttons share a letter.
WINDOWS=(
  "properties|p|Conduit Properties|2"
  "options|#208|Kestrin Options|2"
  "backup|#200|Backup Conduit Settings|2"
  "restore|#201|Restore Conduit Settings|2"
  "about|#211|About Kestrin|1"
)
restore_title='Restore Conduit Settings'
detail_title='Kestrin Backup Information'

# Opens a window from the main window by its key (see WINDOWS).
open_by_key() {
  local key=$1
  if [ "${key:0:1}" = "#" ]; then
    wintool click "$main" "${key:1}"
  else
    wintool syschar "$main" "$key"
  fi
}

# The first backup set, so the backup and restore dialogs list a set and its detail window can
# open: the backup dialog's proposal taken with OK, and the confirmation answered.
make_backup_set() {
  grep -qi '^KestrinSet1=' "$ini" 2>/dev/null && return 0
  open_by_key "#200" || fail "could not open the backup dialog"
  wintool wait "Backup Conduit Settings" 15 || fail "no backup dialog to make a set with"
  wintool click "Backup Conduit Settings" 1
  wintool wait "Information" 15 || fail "the backup was not confirmed"
  wintool click "Information" 1
  wintool gone "Information" 10 || fail "the backup confirmation did not close"
}

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

# The mouse resting on the application row of that name: the main window and the tip, cut out
# together (the tip is a window of its own and may reach past the main window).
shoot_tip() {
  local name=$1 out=$2 index rx ry tip
  index=$(wintool rows "$main" 0 | grep -n "^$name |" | head -n 1 | cut -d: -f1)
  [ -n "$index" ] || fail "no application row \"$name\" to rest the mouse on"
  read -r rx ry <<<"$(wintool rowpoint "$main" 0 $((index - 1)))" || fail "no point in \"$name\""
  wintool front "$main"
  xdotool mousemove $((rx + 20)) "$ry"
  for _ in $(seq 1 50); do
    tip=$(wintool tip) && break
    sleep 0.1
  done
  [ -n "$tip" ] || fail "no tip showed on the row \"$name\""
  sleep 0.3
  read -r tx ty tw th <<<"$tip"
  read -r x y w h <<<"$(wintool rect "$main")"
  local l=$(( x < tx ? x : tx )) t=$(( y < ty ? y : ty ))
  local r=$(( x + w > tx + tw ? x + w : tx + tw )) b=$(( y + h > ty + th ? y + h : ty + th ))
  import -window root -crop "$((r - l))x$((b - t))+${l}+${t}" +repage "$out" 2>/dev/null || fail "import failed"
  echo "screenshots: $out (the tip at $tx,$ty, $tw x $th)"
  xdotool mousemove 0 0
}

# Tools > Check Conduits: the page it writes, kept beside the shots. A stand-in browser for the
# moment, so the shell's hand-off opens nothing.
save_check_page() {
  local out=$1 page="$WINEPREFIX/drive_c/Program Files/Kestrin/condcheck.html"
  rm -f "$page"
  wine_quiet reg add 'HKCU\Software\Classes\.html' /ve /d KestrinShots.html /f
  wine_quiet reg add 'HKCU\Software\Classes\KestrinShots.html\shell\open\command' /ve \
    /d 'C:\windows\system32\cmd.exe /c rem %1' /f
  wintool click "$main" 212 || fail "could not choose Tools > Check Conduits"
  for _ in $(seq 1 100); do
    [ -s "$page" ] && break
    sleep 0.1
  done
  sleep 1
  wine_quiet reg delete 'HKCU\Software\Classes\KestrinShots.html' /f
  wine_quiet reg delete 'HKCU\Software\Classes\.html' /f
  [ -s "$page" ] || fail "Tools > Check Conduits wrote no condcheck.html"
  cp "$page" "$out"
  grep -q "<td>Travel Planner</td>" "$out" || fail "the check page lacks the conduit in trouble"
  echo "screenshots: $out ($(grep -c . "$out") lines)"
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
  if [ "$n" = 0 ]; then
    # The context menu of the first application row, opened by a right-click on it.
    read -r rx ry <<<"$(wintool rowpoint "$main" 0 0)" || fail "no first application row"
    wintool front "$main"
    xdotool mousemove "$rx" "$ry" click 3
    sleep 1
    shoot "$main" "$shots/context-menu-$skin.png"
    xdotool key Escape
    sleep 0.5
    shoot_tip "Travel Planner" "$shots/tip-$skin.png"
    save_check_page "$shots/condcheck.html"
  fi
  make_backup_set
  for w in "${WINDOWS[@]}"; do
    IFS='|' read -r name key title closer <<<"$w"
    open_by_key "$key" || fail "could not send the key $key"
    wintool wait "$title" 15 || fail "key $key did not open \"$title\" ($skin)"
    sleep 0.5
    shoot "$title" "$shots/$name-$skin.png"
    wintool click "$title" "$closer"
    wintool gone "$title" 10 || fail "\"$title\" did not close ($skin)"
  done
  # The backup detail window: a double-click on the restore dialog's first set.
  open_by_key "#201" || fail "could not open the restore dialog"
  wintool wait "$restore_title" 15 || fail "no restore dialog ($skin)"
  wintool dblclick "$restore_title" 0 0 || fail "could not double-click the first set ($skin)"
  wintool wait "$detail_title" 15 || fail "the double-click did not open \"$detail_title\" ($skin)"
  sleep 0.5
  shoot "$detail_title" "$shots/detail-$skin.png"
  wintool click "$detail_title" 1
  wintool gone "$detail_title" 10 || fail "\"$detail_title\" did not close ($skin)"
  wintool click "$restore_title" 2
  wintool gone "$restore_title" 10 || fail "\"$restore_title\" did not close ($skin)"
  # The orderly end: the quit question, answered Yes.
  wintool close "$main"
  wintool wait "Confirm" 10 || fail "no quit question ($skin)"
  wintool click "Confirm" 6
  wintool gone "$main" 15 || fail "the main window did not close ($skin)"
  wait "$pid"
done
# ---- 150 % and 200 % --------------------------------------------------------------------------
# The 200 % main window is about 1600 x 1270 with its frame: these shots get a desktop of their
# own size in this prefix (the demo environment sets 1024 x 768 again on its next run).
wine_quiet reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1800x1400 /f
kestrin_stop_wineserver
kestrin_start_wineserver
set_skin 0

# A shot at <percent> must be its 96-DPI shot's size times the scale, give or take the frame's
# borders, which stay the system's.
expect_scaled() {
  local shot=$1 base=$2 pct=$3 w h w0 h0
  read -r w h <<<"$(identify -format '%w %h' "$shot")"
  read -r w0 h0 <<<"$(identify -format '%w %h' "$base")"
  local ww=$(( w0 * pct / 100 )) wh=$(( h0 * pct / 100 ))
  if [ $(( w - ww )) -gt 8 ] || [ $(( ww - w )) -gt 8 ] || [ $(( h - wh )) -gt 8 ] || [ $(( wh - h )) -gt 8 ]; then
    fail "$shot is ${w} x ${h}, expected about ${ww} x ${wh} (${w0} x ${h0} at ${pct} %)"
  fi
}

for pct in 150 200; do
  wine "$exe" "/dpi=$(( 96 * pct / 100 ))" </dev/null >/dev/null 2>&1 &
  pid=$!
  wintool wait "$main" 30 || fail "the main window did not appear at $pct %"
  sleep 1
  shoot "$main" "$shots/main-BlueGlass-$pct.png"
  expect_scaled "$shots/main-BlueGlass-$pct.png" "$shots/main-BlueGlass.png" "$pct"
  for w in "properties|p|Conduit Properties|2" "about|#211|About Kestrin|1"; do
    IFS='|' read -r name key title closer <<<"$w"
    open_by_key "$key" || fail "could not send the key $key"
    wintool wait "$title" 15 || fail "key $key did not open \"$title\" at $pct %"
    sleep 0.5
    shoot "$title" "$shots/$name-BlueGlass-$pct.png"
    expect_scaled "$shots/$name-BlueGlass-$pct.png" "$shots/$name-BlueGlass.png" "$pct"
    wintool click "$title" "$closer"
    wintool gone "$title" 10 || fail "\"$title\" did not close at $pct %"
  done
  wintool close "$main"
  wintool wait "Confirm" 10 || fail "no quit question at $pct %"
  wintool click "Confirm" 6
  wintool gone "$main" 15 || fail "the main window did not close at $pct %"
  wait "$pid"
done
# ---- High contrast ------------------------------------------------------------------------------
# Wine 8 refuses SPI_SETHIGHCONTRAST: the switch draws the windows as high contrast does.
wine "$exe" /highcontrast </dev/null >/dev/null 2>&1 &
pid=$!
wintool wait "Kestrin" 30 || fail "the splash did not appear in high contrast"
shoot "Kestrin" "$shots/splash-highcontrast.png"
wintool wait "$main" 30 || fail "the main window did not appear in high contrast"
sleep 1
shoot "$main" "$shots/main-highcontrast.png"
open_by_key p || fail "could not send the key p"
wintool wait "Conduit Properties" 15 || fail "key p did not open \"Conduit Properties\" in high contrast"
sleep 0.5
shoot "Conduit Properties" "$shots/properties-highcontrast.png"
wintool click "Conduit Properties" 2
wintool gone "Conduit Properties" 10 || fail "\"Conduit Properties\" did not close in high contrast"
for name in main properties; do
  diff=$(compare -metric AE "$shots/$name-highcontrast.png" "$shots/$name-BlueGlass.png" null: 2>&1 || true)
  [ "${diff%% *}" != 0 ] || fail "$name-highcontrast.png looks like the Blue Glass skin"
done
wintool close "$main"
wintool wait "Confirm" 10 || fail "no quit question in high contrast"
wintool click "Confirm" 6
wintool gone "$main" 15 || fail "the main window did not close in high contrast"
wait "$pid"
echo "screenshots: done"
