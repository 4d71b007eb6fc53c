#!/usr/bin/env bash
# A user's whole journey through Kestrin, out of process: kestrin.exe runs on the demo environment
# (stand-in Palm Desktop and sample conduits) in a private Wine prefix on a private X display and
# is driven through its real windows by key presses and mouse clicks, as a user would:
#   install a conduit through the file dialog, edit its properties, uninstall it, restart,
#   a second start while it runs (which only brings the first forward), restore it, refresh
#   with F5, back up to a new set, uninstall another conduit with the Delete key, restore the
#   set, the conduit report, the history, another skin in the options, quit, and a restart in that skin.
# After each step it checks the files in the program folder and the registrations, and saves a
# screenshot. Windows, controls and rows are found by their titles, ids and texts (tools/wintool),
# never by fixed positions.
#   scripts/journey.sh [--build-dir] [build-dir]      (default: build/x86_64)
# The build needs kestrin, standin_all and wintool. Log and screenshots: <build-dir>/journey/
# (journey.log, NN-<step>-<what>.png); Wine prefix: <build-dir>/journey-prefix.
# Exit 0 when every check held; otherwise the last line reads "FAILED in <step>: <what>".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ "${1:-}" = --build-dir ] && shift
build=$(cd "${1:-$root/build/x86_64}" 2>/dev/null && pwd) ||
  { echo "journey: no build directory ${1:-$root/build/x86_64}"; exit 1; }
out="$build/journey"
prefix="$build/journey-prefix"
mkdir -p "$out"
rm -f "$out"/*.png
log="$out/journey.log"
: >"$log"
tmp=$(mktemp -d)
for f in bin/kestrin.exe tools/wintool.exe palm/palmreg.exe conduits/datecond.dll; do
  [ -f "$build/$f" ] || { echo "journey: $build/$f is missing; build kestrin, standin_all and wintool"; exit 1; }
done

. "$root/scripts/wine-env.sh"
kestrin_wine_env "$prefix"
# An i686 build needs a prefix that runs 32-bit programs.
pe_machine() { od -An -t x2 -j $(($(od -An -t u4 -j 60 -N4 "$1") + 4)) -N2 "$1" | tr -d ' \n'; }
[ "$(pe_machine "$build/bin/kestrin.exe")" = 014c ] && export KESTRIN_NEED_WOW64=1

# ---- Reporting ---------------------------------------------------------------------------------
e2e_name=journey
. "$root/scripts/e2e-report.sh"
step_at=0
step() {  # name, what it does
  [ "$step_name" = setup ] || say "step $step_name took $(($(ms) - step_at)) ms"
  step_name=$1
  step_at=$(ms)
  say "---- $1: $2"
}
check() {  # what must hold, shell condition
  eval "$2" || fail "expected $1"
}
wait_for() {  # seconds, what must come true, shell condition
  local end=$(($(date +%s) + $1))
  until eval "$3"; do
    [ "$(date +%s)" -ge "$end" ] && fail "expected $2 (waited $1 s)"
    sleep 0.2
  done
}

cleanup() {
  [ -n "${kpid:-}" ] && kill "$kpid" 2>/dev/null
  kestrin_stop_wineserver
  kestrin_stop_xvfb
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---- The demo environment ----------------------------------------------------------------------
e2e_demo_environment
kdir_win='C:\Program Files\Kestrin'
pd='HKCU\Software\U.S. Robotics\Pilot Desktop'
w() { wine "$@" </dev/null >>"$log" 2>&1; }
palmreg() { w "$palm_win\\palmreg.exe" "$@" || fail "palmreg $*"; }

# The demo's registrations without "date", which the journey installs.
palmreg clear
palmreg add addr addrcond.dll 'Address Book' address address.dat 2 AddressDB
palmreg add todo "$palm_win\\todocond.dll" 'To Do List' todo todo.dat 2 ToDoDB
palmreg add memo "$palm_win\\memocond.dll" 'Memo Pad' memopad memopad.dat 2 MemoDB
palmreg add PMem "$palm_win\\XYMirror.dll" 'XY Mirror' mirror mirror.dat 3 MemoDB
palmreg add mail "$palm_win\\mailcond.dll" 'Mail' mail mail.dat 2 MailDB
palmreg backup "$palm_win\\backup.dll"
palmreg install inst "$palm_win\\instcond.dll" 'Install Handheld Files'
# A first run: none of the program's own files.
rm -f "$kdir"/{KestrinRes.dat,kestrinlog.dat,kestrinlog.html,condrpt.html,orlenta.ini} "$kdir"/kestrinset*.bak

# A stand-in browser: whatever .html the shell opens is noted in a file, and no real browser starts.
opened="$prefix/drive_c/journey-opened.txt"
rm -f "$opened"
w reg add 'HKLM\Software\Classes\.html' /ve /d KestrinJourney.html /f || fail "reg add .html"
w reg add 'HKLM\Software\Classes\KestrinJourney.html\shell\open\command' /ve \
  /d 'C:\windows\system32\cmd.exe /c echo %1>>C:\journey-opened.txt' /f || fail "reg add handler"

# ---- Looking at the program from outside ---------------------------------------------------------
wt() { wine "$build/tools/wintool.exe" "$@" </dev/null 2>>"$log" | tr -d '\r'; return "${PIPESTATUS[0]}"; }

main='Kestrin - Install/Uninstall Palm Conduits'
props='Conduit Properties'
filedlg='Install New Palm Conduit'
backupdlg='Backup Conduit Settings'
restoredlg='Restore Conduit Settings'
detaildlg='Kestrin Backup Information'
optionsdlg='Kestrin Options'
# Control ids (src/MainForm.h and the dialogs' sources).
id_uninstall=106 id_restore=107
id_directory=304 id_file=305 id_creator=302
id_newfile=601 id_desc=603 id_exist=604
id_bakdesc=500
id_blueglass=801 id_macos=803
id_boxtext=65535

wait_window() { wt wait "$1" "${2:-15}" || fail "no window \"$1\" within ${2:-15} s"; }
wait_gone() { wt gone "$1" "${2:-15}" || fail "the window \"$1\" is still open after ${2:-15} s"; }

# Makes the window the one that takes the keys: the user's click on it, as Wine's foreground.
activate() {
  local i a
  for i in $(seq 1 20); do
    a=$(wt active)
    [ "$a" = "$1" ] && return 0
    echo "journey: activating \"$1\", the active window is \"$a\"" >>"$log"
    wt front "$1" >/dev/null
    sleep 0.2
  done
  fail "\"$1\" does not become the active window (active: \"$(wt active)\")"
}
keys() {  # window, keys...
  local win=$1
  shift
  activate "$win"
  xdotool key --delay 100 "$@"
}
type_in() {  # window, text
  activate "$1"
  xdotool type --delay 30 "$2"
}
click_at() {  # what, "x y" on the screen (Wine's virtual desktop sits at its origin), [clicks]
  [ -n "$2" ] || fail "no place to click for $1"
  # shellcheck disable=SC2086
  xdotool mousemove $2 click --repeat "${3:-1}" --delay 80 1
}
click_control() {  # window, control id
  activate "$1"
  click_at "control $2 of \"$1\"" "$(wt point "$1" "$2")"
}
text_of() { wt text "$@"; }
state_of() { wt state "$@"; }
focus_of() { wt focus "$1"; }

# The message box with that caption must say exactly that; it is answered with the key.
answer_box() {  # caption, text, key
  wait_window "$1"
  local text
  text=$(text_of "$1" $id_boxtext)
  say "\"$1\" box: $text"
  [ "$text" = "$2" ] || fail "the \"$1\" box says \"$text\", expected \"$2\""
  shot "box-$1"
  keys "$1" "$3"
  wait_gone "$1"
}

# Rows of a list view, "col | col | col" each.
rows_of() { wt rows "$1" "${2:-0}"; }
row_index() {  # window, list, first column -> index of the first such row
  rows_of "$1" "$2" | awk -F' [|] ' -v n="$3" '$1 == n { print NR - 1; exit }'
}
# Clicks the row that starts with the text, wherever it is, and checks it is the only one selected.
select_row() {  # window, list, first column
  local sr_win=$1 sr_list=$2 sr_idx
  sr_idx=$(row_index "$1" "$2" "$3")
  [ -n "$sr_idx" ] || fail "no row \"$3\" in list $2 of \"$1\""
  activate "$1"
  click_at "row \"$3\"" "$(wt rowpoint "$1" "$2" "$sr_idx")"
  wait_for 5 "row \"$3\" selected, alone" \
    '[ "$(wt selected "$sr_win" "$sr_list" | tr "\n" " ")" = "$sr_idx " ]'
}
app_row() {  # name -> its row of the application table
  rows_of "$main" 0 | awk -F' [|] ' -v n="$1" '$1 == n'
}

# The registration of a creator as the stand-in keeps it: "<value> REG_SZ <data>" lines.
reg_of() {
  local hex
  hex=$(printf '0x%02x%02x%02x%02x' "'${1:0:1}" "'${1:1:1}" "'${1:2:1}" "'${1:3:1}")
  wine reg query "$pd" /s </dev/null 2>/dev/null | tr -d '\r' |
    awk -v id="$hex" '/^HKEY/ {if (blk ~ "Creator[ \t]+REG_DWORD[ \t]+" id "\n") printf "%s", blk; blk=""}
                      {blk = blk $0 "\n"} END {if (blk ~ "Creator[ \t]+REG_DWORD[ \t]+" id "\n") printf "%s", blk}'
}
reg_value() {  # creator, value name
  reg_of "$1" | awk -v v="$2" '$1 == v { sub(/^[ \t]*[^ \t]+[ \t]+REG_[A-Z_]+[ \t]+/, ""); print; exit }'
}
registered() {  # the Conduit Manager's own list: "<creator> <library>" per conduit
  wine "$palm_win\\palmreg.exe" list </dev/null 2>>"$log" | tr -d '\r' |
    awk '/^[0-9]+ / { lib = $0; sub(/^[^"]*"[^"]*" /, "", lib); print $2, lib }'
}

size_of() { stat -c %s "$1" 2>/dev/null || echo missing; }
history_count() { od -An -t d4 -N4 "$kdir/kestrinlog.dat" 2>/dev/null | tr -d ' '; }
ini_value() {  # key of orlenta.ini (keys are unique across its sections)
  tr -d '\r' <"$kdir/orlenta.ini" 2>/dev/null | awk -F= -v k="$1" 'tolower($1) == tolower(k) { print substr($0, length($1) + 2); exit }'
}
# A field of a 540-byte conduit record: text, or a 32-bit number with width "int".
record_field() {  # file, record index, offset, width|int
  local at=$(($2 * 540 + $3))
  if [ "$4" = int ]; then
    od -An -t d4 -j "$at" -N4 "$1" | tr -d ' '
  else
    dd if="$1" bs=1 skip="$at" count="$4" 2>/dev/null | tr -d '\0'
  fi
}
record_of() {  # file, creator -> index of its record
  local n i
  n=$(($(size_of "$1") / 540))
  for ((i = 0; i < n; i++)); do
    [ "$(record_field "$1" "$i" 4 8)" = "$2" ] && { echo "$i"; return; }
  done
}
fresh() {  # file, epoch seconds: written since then
  [ -f "$1" ] && [ "$(stat -c %Y "$1")" -ge "$2" ]
}
# The main window cut out of the screen; its rectangle comes from Wine.
crop_main() {  # file
  local x y cw ch
  read -r x y cw ch <<<"$(wt rect "$main")"
  import -window root -crop "${cw}x${ch}+${x}+${y}" +repage "$1" 2>>"$log"
}
pixels_apart() {  # image, image -> number of differing pixels
  compare -metric AE "$1" "$2" null: 2>&1 | awk '{ printf "%d\n", $1 }'
}

kpid=
start_kestrin() {
  (cd "$kdir" && exec wine "$exe" </dev/null >>"$log" 2>&1) &
  kpid=$!
  wait_window "$main" 60
  activate "$main"
  say "main window up"
}
quit_kestrin() {
  keys "$main" alt+f x  # File > Exit
  answer_box Confirm "Are you sure to quit Kestrin?" y
  wait_gone "$main"
  local i rc
  for i in $(seq 1 60); do
    kill -0 "$kpid" 2>/dev/null || break
    sleep 0.25
  done
  kill -0 "$kpid" 2>/dev/null && fail "kestrin.exe is still running after the quit"
  wait "$kpid"
  rc=$?
  kpid=
  [ "$rc" = 0 ] || fail "kestrin.exe ended with $rc"
  say "kestrin.exe ended with 0"
}
# "&UnInstall" shares its letter with "Back&up": Alt+U moves the focus to it, Space presses it.
press_uninstall() {
  keys "$main" alt+u
  wait_for 5 "the focus on UnInstall after Alt+U" '[ "$(focus_of "$main")" = "Button $id_uninstall" ]'
  keys "$main" space
}

datelib="$palm_win\\datecond.dll"
memolib="$palm_win\\memocond.dll"

# ---- 1. Install Date Book through the file dialog and the properties dialog ---------------------
step install "Install, the file dialog, the creator ID, OK"
start_kestrin
shot start
for n in 'Address Book' 'To Do List' 'Memo Pad' 'XY Mirror'; do
  check "\"$n\" listed at the start" '[ -n "$(app_row "$n")" ]'
done
check "no Date Book row before its install" '[ -z "$(app_row "Date Book")" ]'
keys "$main" alt+i
wait_window "$filedlg"
shot file-dialog
type_in "$filedlg" "$datelib"
keys "$filedlg" Return
wait_gone "$filedlg"
wait_window "$props"
type_in "$props" date
check "the creator ID box holds \"date\"" '[ "$(text_of "$props" $id_creator)" = date ]'
keys "$props" Tab  # leaving the creator box fills the defaults of a built-in creator
wait_for 5 "the default data directory datebook" '[ "$(text_of "$props" $id_directory)" = datebook ]'
check "the data file datebook.dat" '[ "$(text_of "$props" $id_file)" = datebook.dat ]'
shot properties-new
keys "$props" alt+o
answer_box Success 'Conduit "Date Book" installed successfully.' Return
wait_gone "$props"
check "date registered with datecond.dll" 'registered | grep -qxF "date $datelib"'
check "the data directory datebook registered" '[ "$(reg_value date Directory)" = datebook ]'
check "the data file datebook.dat registered" '[ "$(reg_value date File)" = datebook.dat ]'
check "the row \"Date Book | date | $datelib\"" \
  '[ "$(app_row "Date Book")" = "Date Book | date | $datelib" ]'
check "kestrinlog.dat counts 1 entry" '[ "$(history_count)" = 1 ]'
shot installed

# ---- 2. Its properties: the data directory edited -------------------------------------------------
step properties "Properties of the new row, the data directory edited, OK"
select_row "$main" 0 "Date Book"
keys "$main" alt+p
wait_window "$props"
click_control "$props" $id_directory
keys "$props" End 2
wait_for 5 "the data directory datebook2 typed" '[ "$(text_of "$props" $id_directory)" = datebook2 ]'
shot properties-edited
keys "$props" alt+o
wait_gone "$props"
check "the data directory datebook2 registered" '[ "$(reg_value date Directory)" = datebook2 ]'
check "no history entry for a change of properties" '[ "$(history_count)" = 1 ]'

# ---- 3. Uninstall it: the row stays as a removed one ---------------------------------------------
step uninstall "UnInstall of Date Book, confirmed"
select_row "$main" 0 "Date Book"
press_uninstall
answer_box Confirm "Do you really want to uninstall conduit \"$datelib\"?" y
answer_box Information "Conduit \"$datelib\" uninstalled successfully." Return
check "date no longer registered" '! registered | grep -q "^date "'
check "the Date Book row kept" '[ -n "$(app_row "Date Book")" ]'
select_row "$main" 0 "Date Book"
check "Restore enabled on the removed row" '[ "$(state_of "$main" $id_restore)" = "enabled unchecked" ]'
check "KestrinRes.dat holds one record" '[ "$(size_of "$kdir/KestrinRes.dat")" = 540 ]'
check "the stored record is date with datecond.dll" \
  '[ "$(record_field "$kdir/KestrinRes.dat" 0 4 8)" = date ] && [ "$(record_field "$kdir/KestrinRes.dat" 0 16 260)" = "$datelib" ]'
check "the stored record keeps datebook2" '[ "$(record_field "$kdir/KestrinRes.dat" 0 276 32)" = datebook2 ]'
check "kestrinlog.dat counts 2 entries" '[ "$(history_count)" = 2 ]'
shot uninstalled

# ---- 4. Restart: the removed row comes back from KestrinRes.dat -----------------------------------
step restart "quit (confirmed) and start again"
quit_kestrin
check "orlenta.ini written at the end" '[ -f "$kdir/orlenta.ini" ]'
check "orlenta.ini holds SkinType=0" '[ "$(ini_value SkinType)" = 0 ]'
check "orlenta.ini holds Count=0" '[ "$(ini_value Count)" = 0 ]'
start_kestrin
check "the Date Book row read back from KestrinRes.dat" '[ "$(app_row "Date Book")" = "Date Book | date | $datelib" ]'
select_row "$main" 0 "Date Book"
check "Restore enabled on the row read back" '[ "$(state_of "$main" $id_restore)" = "enabled unchecked" ]'
shot restarted

# ---- 4b. A second start while Kestrin runs: the first comes forward, nothing is written ----------
step second-start "start kestrin.exe again while it runs"
program_files() { find "$kdir" -maxdepth 1 -type f -printf '%f %s %T@\n' | sort; }
files_before=$(program_files)
wt minimize "$main" || fail "could not minimise the main window"
wait_for 10 "the main window minimised" '[ "$(wt iconic "$main")" = iconic ]'
(cd "$kdir" && exec wine "$exe" </dev/null >>"$log" 2>&1) &
second=$!
for i in $(seq 1 120); do
  kill -0 "$second" 2>/dev/null || break
  sleep 0.25
done
kill -0 "$second" 2>/dev/null && { kill "$second"; fail "the second kestrin.exe is still running"; }
wait "$second"
check "the second kestrin.exe ended with 0" '[ $? = 0 ]'
check "the first kestrin.exe still runs" 'kill -0 "$kpid" 2>/dev/null'
check "the program folder is as it was" '[ "$(program_files)" = "$files_before" ]'
wait_for 10 "the first copy's main window restored" '[ "$(wt iconic "$main")" = normal ]'
wait_for 10 "the first copy's main window active" '[ "$(wt active)" = "$main" ]'
shot second-start

# ---- 5. Restore it --------------------------------------------------------------------------------
step restore "Restore of Date Book, confirmed"
keys "$main" alt+t  # Res&tore: the removed row is selected
answer_box Confirm 'Do you really want to restore conduit "Date Book"?' y
answer_box Information 'Conduit "Date Book" restored successfully.' Return
check "date registered again with datecond.dll" 'registered | grep -qxF "date $datelib"'
check "the restored registration keeps datebook2" '[ "$(reg_value date Directory)" = datebook2 ]'
check "KestrinRes.dat empty after the restore" '[ "$(size_of "$kdir/KestrinRes.dat")" = 0 ]'
select_row "$main" 0 "Date Book"
check "Restore disabled on the restored row" '[ "$(state_of "$main" $id_restore)" = "disabled unchecked" ]'
check "kestrinlog.dat counts 3 entries" '[ "$(history_count)" = 3 ]'
shot restored

# ---- 6. Back up to a new set --------------------------------------------------------------------
step backup "F5 (Refresh), File > Backup Current Settings, a new set with a description"
keys "$main" F5  # the catalogue lists a restored conduit after a refresh
wait_for 10 "one Date Book row after Refresh" \
  '[ "$(rows_of "$main" 0 | grep -c "^Date Book |")" = 1 ]'
keys "$main" alt+f b
wait_window "$backupdlg"
check "the proposed set kestrinset1.bak" '[ "$(text_of "$backupdlg" $id_newfile)" = kestrinset1.bak ]'
check "\"Backup to Existed File\" disabled without sets" '[ "$(state_of "$backupdlg" $id_exist)" = "disabled unchecked" ]'
click_control "$backupdlg" $id_desc
type_in "$backupdlg" "Journey set"
wait_for 5 "the description \"Journey set\" typed" '[ "$(text_of "$backupdlg" $id_desc)" = "Journey set" ]'
shot backup-dialog
keys "$backupdlg" alt+o
answer_box Information 'Conduit settings backup successfully to "kestrinset1.bak".' Return
wait_gone "$backupdlg"
set="$kdir/kestrinset1.bak"
nrows=$(rows_of "$main" 0 | wc -l)
check "kestrinset1.bak holds one record per table row ($nrows)" '[ "$(size_of "$set")" = $((nrows * 540)) ]'
while IFS= read -r name; do
  check "kestrinset1.bak holds \"$name\"" 'grep -aqF "$name" "$set"'
done < <(rows_of "$main" 0 | awk -F' [|] ' '{ print $1 }')
rec=$(record_of "$set" date)
check "kestrinset1.bak holds a record of date" '[ -n "$rec" ]'
check "the set's date record registered (status 1) with datebook2" \
  '[ "$(record_field "$set" "$rec" 508 int)" = 1 ] && [ "$(record_field "$set" "$rec" 276 32)" = datebook2 ]'
shot backed-up

# ---- 7. Uninstall Memo Pad, then restore the set ------------------------------------------------
step restore-set "UnInstall of Memo Pad by the Delete key; File > Restore Settings, the set's details, OK"
select_row "$main" 0 "Memo Pad"
keys "$main" Delete  # the table has the focus: Delete runs UnInstall
answer_box Confirm "Do you really want to uninstall conduit \"$memolib\"?" y
answer_box Information "Conduit \"$memolib\" uninstalled successfully." Return
check "memo no longer registered" '! registered | grep -q "^memo "'
check "KestrinRes.dat holds memo alone" \
  '[ "$(size_of "$kdir/KestrinRes.dat")" = 540 ] && [ "$(record_field "$kdir/KestrinRes.dat" 0 4 8)" = memo ]'
keys "$main" alt+f r
wait_window "$restoredlg"
setrow=$(rows_of "$restoredlg" 0)
say "restore dialog: $setrow"
check "the restore dialog lists the one set with its time and description" \
  '[ "$(echo "$setrow" | wc -l)" = 1 ] && echo "$setrow" | grep -Eq "^kestrinset1\.bak \| [0-9]{2}-[0-9]{2}-[0-9]{4} [0-9:]{8} \| Journey set$"'
click_at "the set's row" "$(wt rowpoint "$restoredlg" 0 0)" 2  # a double-click: the set's details
wait_window "$detaildlg"
check "the details name the set's file" \
  '[ "$(text_of "$detaildlg" $id_bakdesc)" = "Conduit information in \"$kdir_win\\kestrinset1.bak\" :" ]'
check "the details list Date Book and Memo Pad" \
  'rows_of "$detaildlg" 0 | grep -qxF "Date Book | date | $datelib" && rows_of "$detaildlg" 0 | grep -qxF "Memo Pad | memo | $memolib"'
check "the details list one row per record" '[ "$(rows_of "$detaildlg" 0 | wc -l)" = "$nrows" ]'
shot set-details
keys "$detaildlg" alt+o
wait_gone "$detaildlg"
select_row "$restoredlg" 0 kestrinset1.bak
shot restore-dialog
keys "$restoredlg" alt+o
answer_box Information "Conduit settings restored successfully." Return
wait_gone "$restoredlg"
check "memo registered again with memocond.dll" 'registered | grep -qxF "memo $memolib"'
check "memo registered with its directory memopad" '[ "$(reg_value memo Directory)" = memopad ]'
check "date registered once" '[ "$(registered | grep -c "^date ")" = 1 ]'
check "KestrinRes.dat empty after the set's restore" '[ "$(size_of "$kdir/KestrinRes.dat")" = 0 ]'
check "kestrinlog.dat counts 5 entries" '[ "$(history_count)" = 5 ]'
shot set-restored

# ---- 8. The conduit report ------------------------------------------------------------------------
step report "Tools > Report"
since=$(date +%s)
rpt="$kdir/condrpt.html"
keys "$main" F10 t r  # F10 opens the menu bar: Alt+T would press Res&tore when it is enabled
wait_for 15 "condrpt.html written" 'fresh "$rpt" "$since"'
wait_for 15 "condrpt.html handed to the shell" 'grep -qiF "$kdir_win\\condrpt.html" "$opened" 2>/dev/null'
check "condrpt.html is the conduit report" 'grep -qF "<title>Conduit Information Report</title>" "$rpt"'
check "one white report row per application row" \
  '[ "$(grep -c "^<tr bgcolor=#FFFFFF" "$rpt")" = "$(rows_of "$main" 0 | wc -l)" ]'
check "one grey report row per system row" \
  '[ "$(grep -c "^<tr bgcolor=#F0F0F0" "$rpt")" = "$(rows_of "$main" 1 | wc -l)" ]'
check "Date Book with datecond.dll in the report" \
  'grep -qxF "<td>Date Book</td>" <(tr -d "\r" <"$rpt") && grep -qF "File Name</font>: $datelib<br>" "$rpt"'
check "the backup conduit 0xffffffff in the report" 'grep -qF "Creator ID</font>: 0xffffffff<br>" "$rpt"'
cp "$rpt" "$out/condrpt.html"
shot report

# ---- 9. The history ---------------------------------------------------------------------------------
step history "Tools > Install/Uninstall Log"
since=$(date +%s)
page="$kdir/kestrinlog.html"
keys "$main" F10 t l
wait_for 15 "kestrinlog.html written" 'fresh "$page" "$since"'
wait_for 15 "kestrinlog.html handed to the shell" 'grep -qiF "$kdir_win\\kestrinlog.html" "$opened" 2>/dev/null'
actions=$(grep -o '[A-Za-z]* Successfully' "$page" | paste -sd, -)
names=$(tr -d '\r' <"$page" | grep -x '<td>[^<]*</td>' | sed 's/<[^>]*>//g' | paste -sd, -)
say "history: $names / $actions"
check "the history's actions: install, uninstall, restore, uninstall, restore" \
  '[ "$actions" = "Installed Successfully,Uninstalled Successfully,Restored Successfully,Uninstalled Successfully,Restored Successfully" ]'
check "the history's conduits: Date Book three times, then Memo Pad twice" \
  '[ "$names" = "Date Book,Date Book,Date Book,Memo Pad,Memo Pad" ]'
check "the history names datecond.dll three times and memocond.dll twice" \
  '[ "$(grep -cF "File Name</font>: $datelib<br>" "$page")" = 3 ] && [ "$(grep -cF "File Name</font>: $memolib<br>" "$page")" = 2 ]'
cp "$page" "$out/kestrinlog.html"
shot history
say "the shell was handed: $(tr -d '\r' <"$opened" | paste -sd' ' -)"

# ---- 10. Options: another skin ---------------------------------------------------------------------
step options "Tools > Options, Mac OS, OK"
activate "$main"
crop_main "$tmp/before.png"
keys "$main" F10 t o
wait_window "$optionsdlg"
check "Blue Glass checked on a first run" '[ "$(state_of "$optionsdlg" $id_blueglass)" = "enabled checked" ]'
click_control "$optionsdlg" $id_macos
wait_for 5 "Mac OS checked by the click" \
  '[ "$(state_of "$optionsdlg" $id_macos)" = "enabled checked" ] && [ "$(state_of "$optionsdlg" $id_blueglass)" = "enabled unchecked" ]'
shot options-macos
keys "$optionsdlg" alt+o
wait_gone "$optionsdlg"
activate "$main"
# The main window is re-skinned at once: its picture changes (a tenth of its pixels at least).
area=$(($(wt rect "$main" | awk '{ print $3 * $4 }')))
wait_for 10 "the main window changes its look with the skin" \
  'crop_main "$tmp/after.png" && [ "$(pixels_apart "$tmp/before.png" "$tmp/after.png")" -gt $((area / 10)) ]'
say "the main window changed $(pixels_apart "$tmp/before.png" "$tmp/after.png") of $area pixels"
shot skin-changed

# ---- 11. Quit --------------------------------------------------------------------------------------
step quit "File > Exit, confirmed"
quit_kestrin
check "orlenta.ini records Mac OS (SkinType=2)" '[ "$(ini_value SkinType)" = 2 ]'
check "orlenta.ini lists the set with its description" \
  '[ "$(ini_value Count)" = 1 ] && [ "$(ini_value KestrinSet1)" = kestrinset1.bak ] && [ "$(ini_value KestrinDesc1)" = "Journey set" ]'
final=$(registered)
echo "$final" >>"$log"
for c in addr todo memo PMem mail date; do
  check "$c registered once at the end" '[ "$(echo "$final" | grep -c "^$c ")" = 1 ]'
done
check "KestrinRes.dat empty at the end" '[ "$(size_of "$kdir/KestrinRes.dat")" = 0 ]'
check "kestrinlog.dat counts 5 entries at the end" '[ "$(history_count)" = 5 ]'
shot ended

# ---- 12. Start again: the skin and the set were kept ----------------------------------------------
step reopen "start again in the chosen skin, Options shows it, Cancel, quit"
start_kestrin
crop_main "$tmp/reopened.png"
check "the main window starts in the skin it was left in" \
  '[ "$(pixels_apart "$tmp/after.png" "$tmp/reopened.png")" -lt "$(pixels_apart "$tmp/before.png" "$tmp/reopened.png")" ]'
shot reopened
keys "$main" F10 t o
wait_window "$optionsdlg"
check "Mac OS checked after the restart" '[ "$(state_of "$optionsdlg" $id_macos)" = "enabled checked" ]'
shot options-kept
keys "$optionsdlg" alt+c
wait_gone "$optionsdlg"
quit_kestrin
check "orlenta.ini keeps Mac OS" '[ "$(ini_value SkinType)" = 2 ]'

step_name=end
say "PASSED in $(($(ms) / 1000)) s; screenshots and log in $out"
exit 0
