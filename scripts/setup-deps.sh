#!/usr/bin/env bash
# Installs the Debian packages that building and testing Kestrin need, when they are missing.
# Then tries to add 32-bit Wine (for the i686 release build); that part is best-effort and
# leaves its outcome in build/wine32.status ("ok" or the step that failed and its error).
set -uo pipefail

# --no-wine32 leaves 32-bit Wine alone (the x86_64 build does not need it).
root=$(cd "$(dirname "$0")/.." && pwd)
want_wine32=1
[ "${1:-}" = --no-wine32 ] && want_wine32=0
mkdir -p "$root/build"
status_file="$root/build/wine32.status"
log="$root/build/setup-deps.log"
: >"$log"

say() { echo "setup: $*"; }
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
apt_quiet() { DEBIAN_FRONTEND=noninteractive as_root apt-get "$@" >>"$log" 2>&1; }

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for p in cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64 \
         wine wine64 fonts-wine xvfb xauth imagemagick xdotool fonts-dejavu-core googletest \
         clang-14 libclang-rt-14-dev nsis p7zip-full python3 librsvg2-bin fp-utils; do
  have_pkg "$p" || need+=("$p")
done
[ -d /usr/src/googletest ] || need+=(googletest)

updated=0
if [ ${#need[@]} -gt 0 ]; then
  say "installing ${need[*]} (apt-get; log in build/setup-deps.log)"
  apt_quiet update; updated=1
  if ! apt_quiet install -y --no-install-recommends "${need[@]}"; then
    say "apt-get install failed; see $log"
    tail -20 "$log"
    exit 1
  fi
else
  say "build and test packages present"
fi

# 32-bit Wine: Debian's i386 index of the security archive may be unreadable while the amd64
# one is read, so Multi-Arch libraries disagree in version; rank the security archive down and
# pin the libraries the simulation refuses to the i386 candidate.
fail() { echo "$1" >"$status_file"; say "32-bit Wine not installed: $1"; exit 0; }

# Some kernels run no 32-bit program at all (no IA-32 emulation). There 32-bit Wine cannot
# start, and once installed /usr/bin/wine picks its 32-bit loader for every program, 64-bit
# ones included: so look first, with a five-instruction 32-bit program.
can_run_32bit() {
  local d rc
  d=$(mktemp -d)
  printf '.globl _start\n_start:\n movl $1,%%eax\n xorl %%ebx,%%ebx\n int $0x80\n' >"$d/t.s"
  if ! as --32 "$d/t.s" -o "$d/t.o" 2>>"$log" || ! ld -m elf_i386 "$d/t.o" -o "$d/t" 2>>"$log"; then
    rm -rf "$d"
    return 0  # cannot tell; let the install and Wine itself decide
  fi
  "$d/t" 2>>"$log"
  rc=$?
  rm -rf "$d"
  return $rc
}
if ! can_run_32bit; then
  if have_pkg wine32:i386; then
    say "removing wine32:i386: this kernel cannot run it, and it would stand in for 64-bit Wine"
    apt_quiet remove -y wine32:i386 || true
  fi
  fail "this machine's kernel cannot run 32-bit programs (a 32-bit test program failed to start: Exec format error)"
fi

[ $want_wine32 -eq 1 ] || exit 0
if have_pkg wine32:i386; then
  echo ok >"$status_file"
  say "32-bit Wine present"
  exit 0
fi
say "adding 32-bit Wine for the i686 build (best-effort)"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386 >>"$log" 2>&1 || fail "step 'dpkg --add-architecture i386' failed: $(tail -1 "$log")"
fi
as_root apt-get update >>"$log" 2>&1 || true   # one index may fail; tolerated
pref=/etc/apt/preferences.d/kestrin-wine32
if [ ! -f "$pref" ]; then
  printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' | as_root tee "$pref" >/dev/null
fi
extra=()
for round in 1 2 3 4 5 6; do
  sim=$(DEBIAN_FRONTEND=noninteractive as_root apt-get install -s --no-install-recommends --allow-downgrades wine32:i386 "${extra[@]}" 2>&1)
  if ! echo "$sim" | grep -q 'not going to be installed\|Unable to correct\|unmet dependencies'; then
    break
  fi
  added=0
  while read -r lib; do
    [ -n "$lib" ] || continue
    base=${lib%%:*}
    case " ${extra[*]} " in *" $base:i386="*) continue ;; esac
    ver=$(apt-cache policy "$base:i386" 2>/dev/null | awk '/Candidate:/ {print $2}')
    [ -n "$ver" ] && [ "$ver" != "(none)" ] || continue
    extra+=("$base:amd64=$ver" "$base:i386=$ver"); added=1
  done < <(echo "$sim" | sed -n 's/^ *\([^ ]*\) : Depends: \([^ ]*\).*not going to be installed.*/\2/p' | sed 's/:i386$//' | sort -u)
  if [ $added -eq 0 ]; then
    fail "step 'apt-get install -s wine32:i386' (round $round) could not be resolved: $(echo "$sim" | grep -m3 -E 'Depends|Unable|unmet' | tr '\n' ' ')"
  fi
done
if ! DEBIAN_FRONTEND=noninteractive as_root apt-get install -y --no-install-recommends --allow-downgrades wine32:i386 "${extra[@]}" >>"$log" 2>&1; then
  fail "step 'apt-get install wine32:i386 ${extra[*]}' failed: $(grep -m2 -E '^E:' "$log" | tr '\n' ' ')"
fi
echo ok >"$status_file"
say "32-bit Wine installed"
