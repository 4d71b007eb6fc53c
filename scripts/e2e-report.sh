# Sourced by the end-to-end scripts: timed log lines, numbered screenshots of the step, and the
# one way a check fails, and the demo environment they start from. The sourcing script sets
# e2e_name, log and out first.
t0=$(date +%s%N)
ms() { echo $((($(date +%s%N) - t0) / 1000000)); }
say() {
  local m
  m=$(ms)
  printf '%s: [%3d.%d s] %s\n' "$e2e_name" $((m / 1000)) $((m % 1000 / 100)) "$*" | tee -a "$log"
}
step_name=setup
nshot=0
shot() {
  nshot=$((nshot + 1))
  local f
  f=$(printf '%s/%02d-%s-%s.png' "$out" "$nshot" "$step_name" "$1")
  import -window root "$f" 2>>"$log" && say "screenshot $(basename "$f")"
}
fail() {
  say "FAILED in $step_name: $*"
  [ -n "${DISPLAY:-}" ] && shot FAILED
  exit 1
}

# The display, the demo environment (for $build in $prefix) and the wineserver; sets exe (the
# program), palm_win (the Palm Desktop folder as Windows names it) and kdir (the program folder).
e2e_demo_environment() {
  kestrin_start_xvfb || fail "could not start Xvfb"
  say "display $DISPLAY, prefix $prefix, build $build"
  exe=$(bash "$root/scripts/demo-env.sh" "$build" "$prefix" 2>>"$log" | tail -n 1)
  [ -n "$exe" ] || fail "the demo environment did not give a program path (see $log)"
  kestrin_start_wineserver
  palm_win='C:\Program Files\Palm'
  kdir="$prefix/drive_c/Program Files/Kestrin"
}
