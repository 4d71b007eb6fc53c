# Sourced by the scripts: Wine settings shared by the tests and the demo.
# Usage: kestrin_wine_env <prefix-dir>
kestrin_wine_env() {
  export WINEPREFIX="$1"
  export WINEDEBUG=-all,err+module        # plain -all hides a missing DLL
  export WINEDLLOVERRIDES='mscoree,mshtml='  # no Mono/Gecko prompts
  export WINEARCH=win64
}

# Every Wine command of a set-up runs with stdio detached: the persistent wineserver keeps the
# caller's stderr, and whoever waits for it (ctest, CI) would wait forever.
wine_quiet() { wine "$@" </dev/null >/dev/null 2>&1; }

# Creates or refreshes a prefix for GUI tests and the demo: no crash dialog, Windows 10, a
# virtual desktop (without a window manager each hidden window costs Wine a second), fonts.
kestrin_prepare_prefix() {
  local prefix="$WINEPREFIX"
  local wow64=${KESTRIN_NEED_WOW64:-0}
  # Once 32-bit Wine is installed, its loader runs 64-bit programs too and needs a WoW64 prefix.
  { [ -d /usr/lib/i386-linux-gnu/wine ] || [ -d /usr/lib/wine/i386-windows ]; } && wow64=1
  if [ -f "$prefix/system.reg" ] && [ "$wow64" = 1 ] && [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
    # made before 32-bit Wine was there: it cannot run i686 programs, nor any once it is there
    wineserver -k </dev/null >/dev/null 2>&1 || true
    rm -rf "$prefix"
  fi
  mkdir -p "$prefix"
  if [ ! -f "$prefix/system.reg" ]; then
    wine_quiet wineboot -i
  fi
  wine_quiet reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  wine_quiet reg add 'HKCU\Software\Wine' /v Version /d win10 /f
  wine_quiet reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
  wine_quiet reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f
  # Verdana is not here: DejaVu Sans (from Bitstream Vera) has close metrics. Wine brings MS Sans Serif.
  wine_quiet reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Verdana /d 'DejaVu Sans' /f
  local fonts="$prefix/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  cp -n /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
  for f in /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf; do
    [ -f "$f" ] && cp -n "$f" "$fonts/" 2>/dev/null || true
  done
  wineserver -w </dev/null >/dev/null 2>&1 || true
}

# Starts the persistent wineserver and boots the prefix once, so each test process starts fast.
kestrin_start_wineserver() {
  (wineserver -p </dev/null >/dev/null 2>&1 &)
  wine_quiet wineboot
}

kestrin_stop_wineserver() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
}

# Starts a private X display on a free number; sets DISPLAY and KESTRIN_XVFB_PID.
# Usage: kestrin_start_xvfb [<width>x<height>]   (1280x1024 unless given)
kestrin_start_xvfb() {
  local dfile size=${1:-1280x1024}
  dfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$dfile" </dev/null >/dev/null 2>&1 &
  KESTRIN_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$dfile" ] && break
    sleep 0.1
  done
  local num
  num=$(tr -dc '0-9' <"$dfile")
  rm -f "$dfile"
  if [ -z "$num" ]; then
    echo "could not start Xvfb" >&2
    return 1
  fi
  export DISPLAY=":$num"
}

kestrin_stop_xvfb() {
  if [ -n "${KESTRIN_XVFB_PID:-}" ]; then
    kill "$KESTRIN_XVFB_PID" 2>/dev/null || true
    wait "$KESTRIN_XVFB_PID" 2>/dev/null || true
    KESTRIN_XVFB_PID=
  fi
}
