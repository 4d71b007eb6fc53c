# Sourced by the end-to-end scripts: timed log lines, numbered screenshots of the step, and the
# one way a check fails. The sourcing script sets e2e_name, log and out first.
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
