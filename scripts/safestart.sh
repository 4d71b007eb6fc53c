#!/usr/bin/env bash
# The safe start, out of process: kestrin.exe runs on the demo environment in a private Wine
# prefix on a private X display with one misbehaving conduit library registered beside the
# demo's. For each of three samples (a name function that crashes, one that never returns, start-up
# code that never returns):
#   1. the first start ends inside the library (a crash ends by itself; a hang is ended here, by
#      the process's own pid), leaving KestrinLoad.dat naming the library;
#   2. the second start asks whether to start without it; Yes shows the main window with the
#      library's row as not loaded (registered title, picture 2, "<path> ( not loaded ).");
#   3. that row is uninstalled through the UnInstall button, which takes it off the skip list;
#   4. a third start asks nothing and ends normally.
#   scripts/safestart.sh [--build-dir] [build-dir]      (default: build/x86_64)
# The build needs kestrin, standin_all and wintool. Log and screenshots: <build-dir>/safestart/;
# Wine prefix: <build-dir>/safestart-prefix.
# Exit 0 when every check held; otherwise the last line reads "FAILED in <step>: <what>".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ "${1:-}" = --build-dir ] && shift
build=$(cd "${1:-$root/build/x86_64}" 2>/dev/null && pwd) ||
  { echo "safestart: no build directory ${1:-$root/build/x86_64}"; exit 1; }
out="$build/safestart"
prefix="$build/safestart-prefix"
mkdir -p "$out"
rm -f "$out"/*.png
log="$out/safestart.log"
: >"$log"
for f in bin/kestrin.exe tools/wintool.exe palm/palmreg.exe conduits/namecrash.dll \
         conduits/namehang.dll conduits/mainhang.dll; do
  [ -f "$build/$f" ] || { echo "safestart: $build/$f is missing; build kestrin, standin_all and wintool"; exit 1; }
done

. "$root/scripts/wine-env.sh"
kestrin_wine_env "$prefix"

# ---- Reporting ---------------------------------------------------------------------------------
e2e_name=safestart
. "$root/scripts/e2e-report.sh"
step() {
  step_name=$1
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

kpid=
cleanup() {
  [ -n "${kpid:-}" ] && kill -9 "$kpid" 2>/dev/null
  kestrin_stop_wineserver
  kestrin_stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---- The demo environment ----------------------------------------------------------------------
e2e_demo_environment
w() { wine "$@" </dev/null >>"$log" 2>&1; }
palmreg() { w "$palm_win\\palmreg.exe" "$@" || fail "palmreg $*"; }
registered() {  # "<creator> <library>" per conduit of the Conduit Manager
  wine "$palm_win\\palmreg.exe" list </dev/null 2>>"$log" | tr -d '\r' |
    awk '/^[0-9]+ / { lib = $0; sub(/^[^"]*"[^"]*" /, "", lib); print $2, lib }'
}

wt() { wine "$build/tools/wintool.exe" "$@" </dev/null 2>>"$log" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
main='Kestrin - Install/Uninstall Palm Conduits'
id_uninstall=106
id_boxtext=65535

wait_window() { wt wait "$1" "${2:-15}" || fail "no window \"$1\" within ${2:-15} s"; }
wait_gone() { wt gone "$1" "${2:-15}" || fail "the window \"$1\" is still open after ${2:-15} s"; }
activate() {
  local i a
  for i in $(seq 1 20); do
    a=$(wt active)
    [ "$a" = "$1" ] && return 0
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
answer_box() {  # caption, text, key
  wait_window "$1" "${4:-15}"
  local text
  text=$(wt text "$1" $id_boxtext)
  say "\"$1\" box: $text"
  [ "$text" = "$2" ] || fail "the \"$1\" box says \"$text\", expected \"$2\""
  shot "box-$1"
  keys "$1" "$3"
  wait_gone "$1"
}
rows_of() { wt rows "$main" 0; }
row_index() { rows_of | awk -F' [|] ' -v n="$1" '$1 == n { print NR - 1; exit }'; }
app_row() { rows_of | awk -F' [|] ' -v n="$1" '$1 == n'; }
row_image() { wt images "$main" 0 | sed -n "$(($(row_index "$1") + 1))p"; }
select_row() {
  local idx
  idx=$(row_index "$1")
  [ -n "$idx" ] || fail "no row \"$1\""
  activate "$main"
  # shellcheck disable=SC2046
  xdotool mousemove $(wt rowpoint "$main" 0 "$idx") click 1
  wait_for 5 "row \"$1\" selected, alone" '[ "$(wt selected "$main" 0 | tr "\n" " ")" = "$idx " ]'
}
press_uninstall() {  # Alt+U moves the focus to "&UnInstall" (shared with "Back&up"), Space presses
  keys "$main" alt+u
  wait_for 5 "the focus on UnInstall after Alt+U" '[ "$(wt focus "$main")" = "Button $id_uninstall" ]'
  keys "$main" space
}

marker_text() { head -c 260 "$kdir/KestrinLoad.dat" 2>/dev/null | tr -d '\0'; }
skip_lists() { [ -f "$kdir/KestrinSkip.dat" ] && grep -qaF "$1" "$kdir/KestrinSkip.dat"; }

start_bg() {
  (cd "$kdir" && exec wine "$exe" </dev/null >>"$log" 2>&1) &
  kpid=$!
}
# Waits for the process to end by itself; its exit code in $ended_rc.
wait_end() {  # seconds
  local i
  for i in $(seq 1 $(($1 * 4))); do
    kill -0 "$kpid" 2>/dev/null || break
    sleep 0.25
  done
  kill -0 "$kpid" 2>/dev/null && return 1
  wait "$kpid"
  ended_rc=$?
  kpid=
  return 0
}
quit_kestrin() {
  keys "$main" alt+f x
  answer_box Confirm "Are you sure to quit Kestrin?" y
  wait_gone "$main"
  wait_end 15 || fail "kestrin.exe is still running after the quit"
  [ "$ended_rc" = 0 ] || fail "kestrin.exe ended with $ended_rc"
  say "kestrin.exe ended with 0"
}

# ---- One misbehaving library, start to finish -----------------------------------------------------
run_case() {  # sample base name, "crash" or "hang", what it does
  local base=$1 how=$2 lib="$palm_win\\$1.dll" title="Faulty $1"
  local question="Kestrin stopped while loading the conduit library \"$lib\". Start without loading it?"

  step "$base-first" "first start with $base.dll registered: $3"
  palmreg clear
  palmreg add addr addrcond.dll 'Address Book' address address.dat 2 AddressDB
  palmreg add todo "$palm_win\\todocond.dll" 'To Do List' todo todo.dat 2 ToDoDB
  palmreg add Flty "$lib" "$title" faulty faulty.dat 2 FaultyDB
  palmreg backup "$palm_win\\backup.dll"
  rm -f "$kdir"/{KestrinLoad.dat,KestrinSkip.dat,KestrinRes.dat,kestrinlog.dat,orlenta.ini}
  start_bg
  if [ "$how" = crash ]; then
    wait_end 90 || fail "kestrin.exe still runs 90 s after its start"
    say "kestrin.exe ended by itself with $ended_rc"
    check "an abnormal end" '[ "$ended_rc" != 0 ]'
  else
    wait_for 60 "the marker naming $lib" '[ "$(marker_text)" = "$lib" ]'
    sleep 3
    check "kestrin.exe still hanging in the library" 'kill -0 "$kpid" 2>/dev/null'
    check "the marker still naming $lib" '[ "$(marker_text)" = "$lib" ]'
    shot hung
    kill -9 "$kpid" 2>/dev/null
    wait_end 15 || fail "kestrin.exe (pid $kpid) did not end when killed"
    say "the hung kestrin.exe ended by its pid"
  fi
  check "KestrinLoad.dat naming $lib" '[ "$(marker_text)" = "$lib" ]'
  check "KestrinLoad.dat 260 bytes" '[ "$(stat -c %s "$kdir/KestrinLoad.dat")" = 260 ]'

  step "$base-second" "the second start asks; Yes; the row as not loaded"
  start_bg
  answer_box Confirm "$question" y 60
  wait_window "$main" 60
  shot main
  check "the marker cleared" '[ -z "$(marker_text)" ]'
  check "KestrinSkip.dat listing $lib" 'skip_lists "$lib"'
  check "the row \"$title | Flty | $lib ( not loaded ).\"" \
    '[ "$(app_row "$title")" = "$title | Flty | $lib ( not loaded )." ]'
  check "picture 2 on that row" '[ "$(row_image "$title")" = 2 ]'
  check "Address Book listed as usual" '[ "$(app_row "Address Book")" = "Address Book | addr | addrcond.dll" ]'

  step "$base-uninstall" "uninstall of the not-loaded row"
  select_row "$title"
  press_uninstall
  answer_box Confirm "Do you really want to uninstall conduit \"$lib\"?" y
  answer_box Information "Conduit \"$lib\" uninstalled successfully." Return
  check "Flty no longer registered" '! registered | grep -q "^Flty "'
  check "KestrinSkip.dat no longer listing $lib" '! skip_lists "$lib"'
  check "the row now removed (picture 1)" '[ "$(row_image "$title")" = 1 ]'
  shot uninstalled
  quit_kestrin
  check "the marker clear after the orderly end" '[ -z "$(marker_text)" ]'

  step "$base-third" "a third start asks nothing"
  start_bg
  wait_window "$main" 60
  check "no question at the third start" '! wt wait Confirm 1 >/dev/null 2>&1'
  shot main
  quit_kestrin
}

run_case namecrash crash "its GetConduitName crashes"
run_case namehang hang "its GetConduitName never returns"
run_case mainhang hang "its start-up code never returns"
say "all checks held"
