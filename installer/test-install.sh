#!/usr/bin/env bash
# Runs the installer of an i686 build in a fresh Wine prefix of its own, as a user would:
#   installer/test-install.sh <build-dir>
# 1. silent install with no Palm Desktop registered: the warning must not block; only per-user
#    places are written (program folder, Start menu, HKCU uninstall key), nothing machine-wide;
# 2. the demo's Palm Desktop is set up: the installer warns no more, and the INSTALLED kestrin.exe
#    shows its main window with the demo's conduits; an uninstall meanwhile stops untouched;
# 3. the user's files are put in the program folder; a silent uninstall removes the program,
#    shortcut and key and keeps the user's files (and so the folder);
# 4. a reinstall over them keeps them; an uninstall answered "Yes" to the question removes them,
#    backup sets named in orlenta.ini included, but nothing outside the program folder and no
#    file that is not Kestrin's.
# Needs 32-bit Wine (the installer is a 32-bit program): exits 77 (skipped) without it.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: test-install.sh <build-dir>}" && pwd)
version=3.3.0.1220
setup="$build/package/kestrin-$version-setup.exe"
prefix="$build/installer-prefix"
log="$build/installer-test.log"
: >"$log"
started=$SECONDS

say() { echo "test-install: $*"; }
if [ "$(cat "$root/build/wine32.status" 2>/dev/null)" != ok ]; then
  say "SKIPPED: 32-bit Wine is not installed here (build/wine32.status: $(cat "$root/build/wine32.status" 2>/dev/null || echo missing))"
  exit 77
fi
[ -f "$setup" ] || { say "FAILED: $setup was not built (makensis missing? scripts/setup-deps.sh installs nsis)"; exit 1; }
for f in tools/wintool.exe installer/dlgtool.exe; do
  [ -f "$build/$f" ] || { say "FAILED: $build/$f is not built"; exit 1; }
done

. "$root/scripts/wine-env.sh"
kestrin_wine_env "$prefix"
# Shortcuts must not become menu entries of the Linux desktop.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

cleanup() {
  kestrin_stop_wineserver
  kestrin_stop_xvfb
}
trap cleanup EXIT
failures=0
fail() { say "FAILED: $*"; failures=$((failures + 1)); }
ok() { say "ok: $*"; }
die() { say "FAILED: $*"; say "log: $log"; tail -n 30 "$log" | sed 's/^/  /'; exit 1; }

# Greps read here-strings: under pipefail, "echo | grep -q" fails when grep stops reading early.
# Every Wine command with stdio detached; output goes through a file, never a pipe: a wineserver
# that a command starts keeps the command's stdio open.
wine_out() { local out="$build/installer-out.txt"; wine "$@" </dev/null >"$out" 2>>"$log"; local rc=$?; tr -d '\r' <"$out"; return $rc; }
wintool() { wine_out "$build/tools/wintool.exe" "$@"; }
dlgtool() { wine_out "$build/installer/dlgtool.exe" "$@"; }
reg_query() { wine_out reg query "$@"; }
# Waits until every process of the prefix has ended (the uninstaller re-runs itself from %TEMP%).
settle() { timeout "${1:-60}" wineserver -w </dev/null >/dev/null 2>&1 || die "Wine processes still running after ${1:-60} s"; }

KESTRIN_XVFB_PID=
kestrin_start_xvfb || die "could not start Xvfb"

say "fresh prefix $prefix"
WINEPREFIX="$prefix" wineserver -k </dev/null >/dev/null 2>&1 || true
rm -rf "$prefix"
kestrin_prepare_prefix
[ -d "$prefix/drive_c/windows/syswow64" ] || die "the prefix cannot run 32-bit programs"
wuser=$(ls "$prefix/drive_c/users" | grep -vx Public | head -n 1)
[ -n "$wuser" ] || die "no user folder in the prefix"
users="$prefix/drive_c/users/$wuser"
inst="$users/AppData/Local/Programs/Kestrin"
inst_win="C:\\users\\$wuser\\AppData\\Local\\Programs\\Kestrin"
lnk="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Kestrin.lnk"
ukey='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrin'
shipped="kestrin.exe"
[ -f "$build/bin/kestrinhelp.chm" ] && shipped+=" kestrinhelp.chm"
cp "$setup" "$users/Downloads/" 2>/dev/null || { mkdir -p "$users/Downloads" && cp "$setup" "$users/Downloads/"; }
setup_win="C:\\users\\$wuser\\Downloads\\$(basename "$setup")"

check_installed() {
  local f
  for f in $shipped; do
    cmp -s "$build/package/files/$f" "$inst/$f" && ok "installed $f" || fail "$inst/$f missing or not the shipped one"
  done
  [ -f "$inst/uninstall.exe" ] && ok "uninstaller written" || fail "no uninstall.exe in $inst"
  [ -f "$lnk" ] && ok "Start-menu shortcut" || fail "no Start-menu shortcut $lnk"
  local q
  if q=$(reg_query "$ukey"); then
    grep -q "DisplayVersion *REG_SZ *$version\$" <<<"$q" && ok "uninstall key: version $version" \
      || fail "uninstall key lacks DisplayVersion $version: $q"
    grep -qiF "InstallLocation    REG_SZ    $inst_win" <<<"$q" && ok "uninstall key: location" \
      || fail "uninstall key lacks InstallLocation $inst_win: $q"
    grep -qiF "UninstallString    REG_SZ    \"$inst_win\\uninstall.exe\"" <<<"$q" && ok "uninstall key: uninstall command" \
      || fail "uninstall key lacks the UninstallString: $q"
  else
    fail "no uninstall key $ukey"
  fi
}

# --- 1. silent install, no Palm Desktop registered --------------------------------------------
reg_query 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' >/dev/null 2>&1 && die "the fresh prefix already has Palm Desktop"
say "silent install without Palm Desktop"
timeout 60 wine "$setup_win" /S </dev/null >>"$log" 2>&1
rc=$?
[ $rc -eq 124 ] && die "the silent install did not finish in 60 s (a question that blocks?)"
[ $rc -eq 0 ] || fail "the silent install exited $rc"
settle 30
check_installed
# Machine-wide places need administrator rights: the installer must not touch them.
strays=$(cd "$prefix/drive_c" && find . -iname '*kestrin*' ! -path "./users/$wuser/*" 2>/dev/null)
[ -z "$strays" ] && ok "nothing written outside the user's folders" || fail "written outside the user's folders: $strays"
grep -qi kestrin "$prefix/system.reg" && fail "HKLM names Kestrin" || ok "nothing in HKLM"

say "the warning when no Palm Desktop is registered (interactive start)"
wine "$setup_win" </dev/null >>"$log" 2>&1 &
if text=$(dlgtool msgbox "Kestrin Setup" 30); then
  grep -q "Palm Desktop is not registered for this user" <<<"$text" && ok "warning shown: $(echo "$text" | head -n 1)" \
    || fail "the first question of the installer is not the Palm warning: $text"
  dlgtool answer "Kestrin Setup" 1 >/dev/null || fail "could not answer the warning"
  # The install goes on: its wizard appears.
  dlgtool wizard "Kestrin Setup" 30 >/dev/null && ok "the wizard goes on after the warning" || fail "no wizard after the warning"
else
  fail "no warning when no Palm Desktop is registered"
fi
kestrin_stop_wineserver

# --- 2. the installed program on the demo environment -----------------------------------------
say "demo environment: stand-in Palm Desktop"
bash "$root/scripts/demo-env.sh" "$build" "$prefix" >>"$log" 2>&1 || die "scripts/demo-env.sh failed"
say "no warning once Palm Desktop is registered (interactive start)"
wine "$setup_win" </dev/null >>"$log" 2>&1 &
if dlgtool wizard "Kestrin Setup" 30 >/dev/null; then
  text=$(dlgtool msgbox "Kestrin Setup" 0) && fail "a question came with Palm Desktop registered: $text" \
    || ok "the wizard comes without a warning"
else
  fail "no wizard with Palm Desktop registered"
fi
kestrin_stop_wineserver
# The demo copies kestrin.exe under Program Files; only the installed one may start.
rm -rf "$prefix/drive_c/Program Files/Kestrin" "$prefix/drive_c/Program Files (x86)/Kestrin"
main='Kestrin - Install/Uninstall Palm Conduits'
wine "$inst_win\\kestrin.exe" </dev/null >>"$log" 2>&1 &
if wintool wait "$main" 30; then
  ok "the installed kestrin.exe shows \"$main\""
  rows=$(wintool rows "$main" 0)
  grep -q '^Address Book |' <<<"$rows" && ok "its table lists the demo's conduits" \
    || fail "the table lacks the demo's Address Book: $rows"
  # Uninstalling while it runs stops before removing anything (in place: _?= runs synchronously).
  timeout 60 wine "$inst_win\\uninstall.exe" /S "_?=$inst_win" </dev/null >>"$log" 2>&1
  rc=$?
  [ $rc -eq 2 ] && ok "an uninstall while Kestrin runs stops (exit 2)" || fail "an uninstall while Kestrin runs exited $rc, not 2"
  wintool wait "$main" 1 || fail "the uninstall ended the running program"
  check_installed
else
  fail "the installed kestrin.exe showed no main window"
fi
kestrin_stop_wineserver

# --- 3. silent uninstall keeps the user's files ------------------------------------------------
user_files="orlenta.ini KestrinRes.dat kestrinlog.dat kestrinlog.html condrpt.html condcheck.html kestrinset1.bak Weekly.bak KestrinRes.dat.kestrin-1.tmp Weekly.bak.kestrin-2.tmp KestrinLoad.dat KestrinSkip.dat"
put_user_files() {
  printf '[Kestrin]\r\nSkin=1\r\n[KestrinFile]\r\nCount=3\r\nKestrinSet1=kestrinset1.bak\r\nKestrinDesc1=one\r\nKestrinSet2=Weekly.bak\r\nKestrinDesc2=two\r\nKestrinSet3=..\\outside.bak\r\nKestrinDesc3=not ours\r\n' >"$inst/orlenta.ini"
  local f
  for f in $user_files; do [ "$f" = orlenta.ini ] || echo "$f" >"$inst/$f"; done
  echo mine >"$inst/notes.txt"          # not Kestrin's: stays whatever the answer
  echo mine >"$inst/kestrinset1.bak.new"  # nor is this one, whatever its name looks like
  echo outside >"$inst/../outside.bak"  # listed, but outside the program folder: stays
}
put_user_files
say "silent uninstall"
timeout 60 wine "$inst_win\\uninstall.exe" /S </dev/null >>"$log" 2>&1 || fail "the silent uninstall exited $?"
settle 60
check_removed() {
  local f
  for f in $shipped uninstall.exe; do [ -e "$inst/$f" ] && fail "$f left behind"; done
  [ -e "$lnk" ] && fail "the Start-menu shortcut is left behind"
  reg_query "$ukey" >/dev/null 2>&1 && fail "the uninstall key is left behind"
  ok "program, uninstaller, shortcut and key checked"
}
check_removed
kept=0
for f in $user_files notes.txt kestrinset1.bak.new; do [ -f "$inst/$f" ] && kept=$((kept + 1)) || fail "the silent uninstall removed $f"; done
[ $kept -eq 14 ] && ok "the silent uninstall kept the user's files and their folder"
[ -f "$inst/../outside.bak" ] || fail "the silent uninstall removed a file outside the program folder"

# --- 4. reinstall, then uninstall answering Yes -------------------------------------------------
say "reinstall over the user's files"
timeout 60 wine "$setup_win" /S </dev/null >>"$log" 2>&1 || fail "the reinstall exited $?"
settle 30
check_installed
for f in $user_files; do [ -f "$inst/$f" ] || fail "the reinstall removed $f"; done
say "uninstall as a user, answering Yes to the question about the user's files"
wine "$inst_win\\uninstall.exe" </dev/null >>"$log" 2>&1 &
if dlgtool click "Kestrin Uninstall" 1 30 >/dev/null; then
  if text=$(dlgtool msgbox "Kestrin Uninstall" 30); then
    grep -q "Also remove your Kestrin settings" <<<"$text" && ok "asked: $(echo "$text" | head -n 1)" \
      || fail "unexpected question: $text"
    dlgtool answer "Kestrin Uninstall" 6 >/dev/null || fail "could not answer Yes"
    # The last page: Close (button 1) once it is enabled.
    dlgtool finish "Kestrin Uninstall" 30 >/dev/null || fail "the uninstaller's last page did not come"
  else
    fail "the uninstaller did not ask about the user's files"
  fi
else
  fail "the uninstaller's confirmation page did not come"
fi
settle 60
check_removed
for f in $user_files; do [ -e "$inst/$f" ] && fail "answering Yes left $f"; done
[ -f "$inst/notes.txt" ] && ok "a file that is not Kestrin's stays" || fail "answering Yes removed notes.txt"
[ -f "$inst/kestrinset1.bak.new" ] && ok "a user's *.new file stays" || fail "answering Yes removed kestrinset1.bak.new"
[ -f "$inst/../outside.bak" ] && ok "a listed set outside the program folder stays" || fail "answering Yes removed ../outside.bak"
rm -f "$inst/notes.txt" "$inst/kestrinset1.bak.new"

say "took $((SECONDS - started)) s; log: $log"
if [ $failures -ne 0 ]; then
  say "$failures check(s) failed; the prefix stays for a look: $prefix; Wine's last words:"
  tail -n 30 "$log" | sed 's/^/  /'
  exit 1
fi
# A prefix takes over a gigabyte; a passing run leaves none.
kestrin_stop_wineserver
rm -rf "$prefix"
say "all checks passed"
