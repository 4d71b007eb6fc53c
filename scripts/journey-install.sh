#!/usr/bin/env bash
# A user's journey through install, properties, uninstall, restart, restore and the history,
# out of process: kestrin.exe runs in the demo environment on a private X display and is driven
# through its real windows with key presses, as a user would.
#   scripts/journey-install.sh [build-dir]     (default: build/x86_64)
# Log and screenshots: build/journey/ (journey.log, NN-*.png). Exit 0 when every check held.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/x86_64}" && pwd)
out="$root/build/journey"
prefix="$out/prefix"
mkdir -p "$out"
rm -f "$out"/*.png
log="$out/journey.log"
: >"$log"

. "$root/scripts/wine-env.sh"

say() { echo "journey: $*" | tee -a "$log" >&2; }
fail() {
  say "FAILED: $*"
  shot "failure"
  exit 1
}
nshot=0
shot() {
  nshot=$((nshot + 1))
  local f
  f=$(printf '%s/%02d-%s.png' "$out" "$nshot" "$1")
  import -window root "$f" 2>/dev/null && say "screenshot $(basename "$f")"
}

[ -f "$build/bin/kestrin.exe" ] || { say "build $build first (kestrin.exe and standin_all)"; exit 1; }

cleanup() {
  [ -n "${kpid:-}" ] && kill "$kpid" 2>/dev/null
  kestrin_stop_wineserver
  kestrin_stop_xvfb
}
trap cleanup EXIT

kestrin_start_xvfb || exit 1
kestrin_wine_env "$prefix"
say "display $DISPLAY, prefix $prefix, build $build"
exe=$(bash "$root/scripts/demo-env.sh" "$build" "$prefix" 2>>"$log" | tail -n 1)
[ -n "$exe" ] || fail "the demo environment did not give a program path"
kestrin_start_wineserver

palm_win='C:\Program Files\Palm'
kdir="$prefix/drive_c/Program Files/Kestrin"
pd='HKCU\Software\U.S. Robotics\Pilot Desktop'
w() { wine "$@" </dev/null >>"$log" 2>&1; }

# "date" must not be registered: the demo's registrations again, without it.
w "$palm_win\\palmreg.exe" clear || fail "palmreg clear"
w "$palm_win\\palmreg.exe" add addr addrcond.dll 'Address Book' address address.dat 2 AddressDB
w "$palm_win\\palmreg.exe" add todo "$palm_win\\todocond.dll" 'To Do List' todo todo.dat 2 ToDoDB
w "$palm_win\\palmreg.exe" add memo "$palm_win\\memocond.dll" 'Memo Pad' memopad memopad.dat 2 MemoDB
w "$palm_win\\palmreg.exe" backup "$palm_win\\backup.dll"
rm -f "$kdir/KestrinRes.dat" "$kdir/kestrinlog.dat" "$kdir/kestrinlog.html"

# A stand-in browser: every .html the shell opens is written to a file.
opened="$prefix/drive_c/journey-opened.txt"
rm -f "$opened"
w reg add 'HKLM\Software\Classes\.html' /ve /d KestrinJourney.html /f
w reg add 'HKLM\Software\Classes\KestrinJourney.html\shell\open\command' /ve \
  /d 'C:\windows\system32\cmd.exe /c echo %1>>C:\journey-opened.txt' /f

# Registration of a creator as the stand-in keeps it: "<value> REG_SZ <data>" lines.
reg_of() {  # creator -> the lines of its Application key
  local hex
  hex=$(printf '0x%02x%02x%02x%02x' "'${1:0:1}" "'${1:1:1}" "'${1:2:1}" "'${1:3:1}")
  wine reg query "$pd" /s </dev/null 2>/dev/null | tr -d '\r' |
    awk -v id="$hex" '/^HKEY/ {if (blk ~ "Creator[ \t]+REG_DWORD[ \t]+" id "\n") printf "%s", blk; blk=""}
                      {blk = blk $0 "\n"} END {if (blk ~ "Creator[ \t]+REG_DWORD[ \t]+" id "\n") printf "%s", blk}'
}

wait_window() {  # title regex, seconds -> window id on stdout
  local i id
  for i in $(seq 1 $((${2:-15} * 4))); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.25
  done
  return 1
}
wait_gone() {
  local i
  for i in $(seq 1 $((${2:-10} * 4))); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.25
  done
  return 1
}
keys() {  # window id, keys...
  local id=$1
  shift
  xdotool windowactivate --sync "$id" >/dev/null 2>&1 || xdotool windowfocus --sync "$id" 2>/dev/null
  sleep 0.3
  xdotool key --delay 120 "$@"
  sleep 0.5
}
answer_box() {  # title, expected text fragment (checked in the screenshot log only), key
  local id
  id=$(wait_window "^$1\$" 10) || fail "no \"$1\" message box"
  shot "box-$(echo "$1" | tr ' ' '-')"
  keys "$id" "$2"
  wait_gone "^$1\$" 10 || fail "\"$1\" box did not close"
}

# Clicks row n (from 0) of the application table, as measured on this desktop's layout.
click_row() {
  xdotool mousemove --window "$main" 70 $((183 + 16 * $1)) click 1
  sleep 0.5
}

main_title='^Kestrin - Install/Uninstall Palm Conduits$'
start_kestrin() {
  (cd "$kdir" && wine "$exe" </dev/null >>"$log" 2>&1) &
  kpid=$!
  main=$(wait_window "$main_title" 40) || fail "the main window did not appear"
  sleep 1
  # Inside the virtual desktop, one click before any key: on the main window's caption, so
  # that it is the active window as well.
  xdotool mousemove --window "$main" 300 8 click 1
  sleep 0.5
  say "main window up"
}

# ---- 1. Install "date" through the file dialog and the properties dialog ---------------------
start_kestrin
shot "start"
keys "$main" alt+i
fd=$(wait_window '^Install New Palm Conduit$' 15) || fail "no file dialog"
shot "file-dialog"
xdotool windowactivate --sync "$fd" >/dev/null 2>&1
sleep 0.5
xdotool type --delay 40 "$palm_win\\datecond.dll"
sleep 0.3
xdotool key Return
wait_gone '^Install New Palm Conduit$' 10 || fail "the file dialog stayed"
cp_id=$(wait_window '^Conduit Properties$' 15) || fail "no properties dialog"
sleep 0.5
xdotool type --delay 80 date
xdotool key --delay 150 Tab   # leaving the creator box fills the defaults
sleep 0.5
shot "properties-new"
keys "$cp_id" alt+o
answer_box Success Return
wait_gone '^Conduit Properties$' 5 || fail "the properties dialog stayed open after install"
reg=$(reg_of date)
echo "$reg" >>"$log"
echo "$reg" | grep -q 'Conduit.*REG_SZ.*datecond.dll' || fail "date is not registered with datecond.dll"
echo "$reg" | grep -Eq 'Directory[[:space:]]+REG_SZ[[:space:]]+datebook$' || fail "directory is not datebook"
echo "$reg" | grep -Eq 'File[[:space:]]+REG_SZ[[:space:]]+datebook.dat$' || fail "file is not datebook.dat"
say "installed: date -> datecond.dll, datebook, datebook.dat"

# ---- 2. Its Properties open in application mode; OK saves ------------------------------------
click_row 3               # the new row is the last: addr, todo, memo, date
keys "$main" alt+p
cp_id=$(wait_window '^Conduit Properties$' 10) || fail "no properties dialog for the new row"
sleep 0.4
xdotool key --delay 100 End 2
sleep 0.3
shot "properties-app"
keys "$cp_id" alt+o
wait_gone '^Conduit Properties$' 10 || fail "OK did not close the properties"
reg_of date | grep -Eq 'Directory[[:space:]]+REG_SZ[[:space:]]+datebook2$' || fail "the edited directory was not saved"
say "properties in application mode saved datebook2"

# ---- 3. Uninstall: the row becomes a removed one -----------------------------------------------
# "&UnInstall" shares its letter with "Back&up": Alt+U moves the focus to it, Space presses it.
keys "$main" alt+u space
answer_box Confirm Return
answer_box Information Return
[ -z "$(reg_of date)" ] || fail "date is still registered after uninstall"
grep -q 'datecond.dll' "$kdir/KestrinRes.dat" 2>/dev/null || fail "KestrinRes.dat does not hold date"
shot "uninstalled"
say "uninstalled; KestrinRes.dat holds it"

# ---- 4. Restart: the removed row comes from KestrinRes.dat; restore brings it back ------------
keys "$main" alt+F4
answer_box Confirm Return
for i in $(seq 1 40); do kill -0 "$kpid" 2>/dev/null || break; sleep 0.25; done
kill -0 "$kpid" 2>/dev/null && fail "kestrin did not end"
say "restarting"
start_kestrin
shot "restarted"
click_row 3               # the removed row, read from KestrinRes.dat
keys "$main" alt+t
answer_box Confirm Return
answer_box Information Return
reg_of date | grep -q 'datecond.dll' || fail "restore did not register date again"
shot "restored"
say "restored after the restart"

# ---- 5. Tools, Install/Uninstall Log --------------------------------------------------------
# Restore is disabled now (the row is installed), so Alt+T reaches the Tools menu.
before=$(date +%s)
keys "$main" alt+t l
for i in $(seq 1 40); do [ -s "$opened" ] && break; sleep 0.25; done
html="$kdir/kestrinlog.html"
[ -f "$html" ] || fail "kestrinlog.html was not written"
[ "$(stat -c %Y "$html")" -ge "$((before - 1))" ] || fail "kestrinlog.html is older than the command"
actions=$(grep -o '[A-Za-z]* Successfully' "$html" | tr '\n' ',')
say "history page actions: $actions"
[ "$actions" = "Installed Successfully,Uninstalled Successfully,Restored Successfully," ] ||
  fail "history actions out of order"
grep -c 'datecond.dll' "$html" | grep -q '^3$' || fail "the page does not name datecond.dll three times"
[ -s "$opened" ] || fail "the shell was not handed the page"
say "shell was handed: $(tr -d '\r' <"$opened")"
tr -d '\r' <"$opened" | grep -qi 'kestrinlog.html' || fail "the shell got another file"
shot "history"

# The shell's handler took the activation: back to the main window, then quit.
xdotool mousemove --window "$main" 300 8 click 1
sleep 0.5
keys "$main" alt+F4
answer_box Confirm Return
say "PASSED"
exit 0
