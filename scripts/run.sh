#!/usr/bin/env bash
# The run command: installs what is missing, builds the x86_64 program and the stand-in Palm
# Desktop, makes the demo environment and starts Kestrin in it. Without a display it starts a
# private one, saves a screenshot of what the program shows and prints the PNG's path.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh

bash scripts/setup-deps.sh || exit 1
bash scripts/build.sh x86_64 || exit 1

prefix="$root/build/demo-prefix"
kestrin_wine_env "$prefix"
echo "run: making the demo environment in build/demo-prefix"
exe=$(bash scripts/demo-env.sh "$root/build/x86_64" "$prefix" | tail -n 1)
[ -n "$exe" ] || { echo "run: the demo environment did not give a program path"; exit 1; }

if [ -n "${DISPLAY:-}" ] && [ -z "${KESTRIN_HEADLESS:-}" ]; then
  echo "run: starting $exe on $DISPLAY"
  wine "$exe"
  exit 0
fi

cleanup() {
  kestrin_stop_wineserver
  kestrin_stop_xvfb
}
trap cleanup EXIT
kestrin_start_xvfb || exit 1
kestrin_start_wineserver
echo "run: no display; started Kestrin on the private display $DISPLAY"
wine "$exe" </dev/null >/dev/null 2>&1 &
shots="$root/build/screenshots"
mkdir -p "$shots"
# The splash loads the catalogues on its second tick; wait for the main window (inside Wine's
# virtual desktop, so found by a Windows tool rather than an X one).
wine "$root/build/x86_64/tools/wintool.exe" wait 'Kestrin - Install/Uninstall Palm Conduits' 40 </dev/null >/dev/null 2>&1 \
  || echo "run: the main window did not appear within 40 s; the screenshot shows what there is"
sleep 1
import -window root "$shots/run.png" 2>/dev/null
echo "run: screenshot saved"
echo "$shots/run.png"
