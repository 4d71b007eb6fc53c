#!/usr/bin/env bash
# Makes (or refreshes) a Wine prefix with the stand-in Palm Desktop installed and a handful of
# conduits registered, for trying Kestrin by hand. Running it again gives the same registrations.
#   scripts/demo-env.sh <build-dir> <prefix-dir>
# The last line printed is the Windows path of kestrin.exe inside the prefix. Then, e.g.:
#   WINEPREFIX=<prefix-dir> wine 'C:\Program Files\Kestrin\kestrin.exe'
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 <build-dir> <prefix-dir>" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
prefix=$(cd "$2" && pwd)

for f in palm/condmgr.dll palm/UserData.dll palm/HSAPI.DLL palm/instaide.dll palm/hotsync.exe \
         palm/palmreg.exe conduits/addrcond.dll; do
  if [ ! -f "$build/$f" ]; then
    echo "demo: $build/$f is missing; build the target standin_all first" >&2
    exit 1
  fi
done

. "$root/scripts/wine-env.sh"
kestrin_wine_env "$prefix"
echo "demo: preparing the Wine prefix $prefix" >&2
kestrin_prepare_prefix

palm_win='C:\Program Files\Palm'
palm_dir="$prefix/drive_c/Program Files/Palm"
kestrin_win='C:\Program Files\Kestrin'
kestrin_dir="$prefix/drive_c/Program Files/Kestrin"
log="$prefix/demo-env.log"
: >"$log"

# Palm Desktop: its four libraries, HotSync Manager and the conduits, all in one folder as a
# real installation keeps them. mailcond.dll stays absent on purpose.
mkdir -p "$palm_dir"
cp -f "$build"/palm/{condmgr.dll,UserData.dll,HSAPI.DLL,instaide.dll,hotsync.exe,palmreg.exe} "$palm_dir/"
cp -f "$build"/conduits/*.dll "$palm_dir/"
rm -f "$palm_dir/mailcond.dll"

# Output goes to a file, never to a pipe: a wineserver started by a command keeps its stdio.
wine_logged() {
  if ! wine "$@" </dev/null >>"$log" 2>&1; then
    echo "demo: failed: wine $*" >&2
    tail -5 "$log" >&2
    exit 1
  fi
}
reg_add() { wine_logged reg add "$@" /f; }
palmreg() { wine_logged "$palm_win\\palmreg.exe" "$@"; }

pd='HKCU\Software\U.S. Robotics\Pilot Desktop'
reg_add "$pd\\Core" /v DesktopPath /d "$palm_win"
for apppaths in 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\hotsync.exe' \
                'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\App Paths\hotsync.exe'; do
  reg_add "$apppaths" /ve /d "$palm_win\\hotsync.exe"
  reg_add "$apppaths" /v Path /d "$palm_win"
done

# Registrations, through the stand-in Conduit Manager itself. Some by bare name (relative to
# the Palm folder), some by full path.
palmreg clear
palmreg add addr addrcond.dll 'Address Book' address address.dat 2 AddressDB
palmreg add date datecond.dll 'Date Book' datebook datebook.dat 2 DatebookDB
palmreg add todo "$palm_win\\todocond.dll" 'To Do List' todo todo.dat 2 ToDoDB
palmreg add memo "$palm_win\\memocond.dll" 'Memo Pad' memopad memopad.dat 2 MemoDB
palmreg add PMem "$palm_win\\XYMirror.dll" 'XY Mirror' mirror mirror.dat 3 MemoDB
palmreg add mail "$palm_win\\mailcond.dll" 'Mail' mail mail.dat 2 MailDB
palmreg add NoCd nocond.dll 'Not A Conduit'
# Two in trouble, as on many PCs: a runtime that is gone, and one too old for its conduit.
palmreg add Trvl needgone.dll 'Travel Planner' travel travel.dat 2 TravelDB
palmreg add Expn needfunc.dll 'Expense Report' expense expense.dat 2 ExpenseDB
palmreg backup "$palm_win\\backup.dll"
palmreg install inst "$palm_win\\instcond.dll" 'Install Handheld Files'
palmreg install Inst "$palm_win\\instcond.dll" 'Install Service Files'

kestrin_exe="$kestrin_win\\kestrin.exe"
if [ -f "$build/bin/kestrin.exe" ]; then
  mkdir -p "$kestrin_dir"
  cp -f "$build/bin/kestrin.exe" "$kestrin_dir/"
else
  echo "demo: $build/bin/kestrin.exe is not built yet; the Palm side is ready without it" >&2
fi

wineserver -w </dev/null >/dev/null 2>&1 || true
echo "demo: ready; registrations: WINEPREFIX='$prefix' wine reg query '$pd' /s" >&2
echo "$kestrin_exe"
