#!/usr/bin/env bash
# Checks the built help file with chmls (no Wine): one topic per menu command, each with its own
# page, a title naming the menu and the command, and an entry in the contents; every link and
# picture of the pages inside the file. With the main window's source as second argument, also
# checks that the program's menu has no command that the list below lacks.
#   check-help.sh <kestrinhelp.chm> [MainForm.cpp]
set -uo pipefail

chm=${1:?usage: check-help.sh <kestrinhelp.chm> [MainForm.cpp]}
source_file=${2:-}

# menu|command|page
commands=(
  "File|Backup Current Settings|file-backup.htm"
  "File|Restore Settings|file-restore.htm"
  "File|Exit|file-exit.htm"
  "View|Refresh|view-refresh.htm"
  "HotSync|Run HotSync Manager|hotsync-run.htm"
  "HotSync|Customize|hotsync-customize.htm"
  "Tools|Report|tools-report.htm"
  "Tools|Install/Uninstall Log|tools-log.htm"
  "Tools|Check Conduits|tools-check.htm"
  "Tools|Options|tools-options.htm"
  "Help|Content|help-content.htm"
  "Help|Kestrin Home Page|help-home-page.htm"
  "Help|About Kestrin|help-about.htm"
)

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

[ -s "$chm" ] || { echo "FAIL: no help file at $chm"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

files=$(chmls -n list "$chm" 2>/dev/null | grep '^/' | sed 's|^/||')
[ -n "$files" ] || { echo "FAIL: chmls lists nothing in $chm"; exit 1; }
has_file() { grep -qxF "$1" <<<"$files"; }

chmls extractall "$chm" "$work/x" >/dev/null 2>&1 || fail "chmls cannot extract $chm"
chmls extracttoc "$chm" "$work/toc.hhc" >/dev/null 2>&1 || fail "chmls finds no contents in $chm"
toc=$(tr -d '\r' <"$work/toc.hhc" 2>/dev/null | tr '\n' ' ')

# Name/Local pairs of the contents, one per line.
toc_pairs=$(grep -o '<param name="Name" value="[^"]*"> *<param name="Local" value="[^"]*">' <<<"$toc" |
            sed 's/.*"Name" value="\([^"]*\)".*"Local" value="\([^"]*\)".*/\1|\2/')

declare -A seen_page
for entry in "${commands[@]}"; do
  IFS='|' read -r menu command page <<<"$entry"
  if [ -n "${seen_page[$page]:-}" ]; then
    fail "$menu > $command shares the page $page with ${seen_page[$page]}"
  fi
  seen_page[$page]="$menu > $command"
  if ! has_file "$page"; then
    fail "$menu > $command: no page $page in the help file"
    continue
  fi
  title=$(tr -d '\r' <"$work/x/$page" | tr '\n' ' ' | sed -n 's:.*<title>\([^<]*\)</title>.*:\1:Ip')
  [ "$title" = "$menu menu: $command" ] ||
    fail "$menu > $command: $page is titled '$title', not '$menu menu: $command'"
  grep -qxF "$menu: $command|$page" <<<"$toc_pairs" ||
    fail "$menu > $command: the contents have no entry '$menu: $command' for $page"
done

# Every entry of the contents opens a page that is in the file.
while IFS='|' read -r name local; do
  [ -n "$name" ] || continue
  has_file "$local" || fail "contents entry '$name' points at $local, which the help file lacks"
done <<<"$toc_pairs"
[ -n "$toc_pairs" ] || fail "the contents list no topic"

# Every page link and picture resolves inside the file (web addresses aside).
for page in $(grep '\.htm$' <<<"$files"); do
  refs=$(tr -d '\r' <"$work/x/$page" | grep -oiE '(href|src)="[^"]*"' | sed 's/^[^"]*"//; s/"$//')
  for ref in $refs; do
    case "$ref" in http:*|https:*|mailto:*) continue ;; esac
    target=${ref%%#*}
    [ -z "$target" ] && continue
    has_file "$target" || fail "$page refers to $ref, which the help file lacks"
  done
done

# The program's menu: every command it offers must be in the list above.
if [ -n "$source_file" ]; then
  captions=$(grep -o 'AppendMenuA([^,]*, *MF_STRING, *[A-Z_]*, *"[^"]*")' "$source_file" |
             sed 's/.*"\([^"]*\)")$/\1/; s/&//g')
  [ -n "$captions" ] || fail "no menu commands found in $source_file"
  while read -r caption; do
    [ -n "$caption" ] || continue
    found=0
    for entry in "${commands[@]}"; do
      IFS='|' read -r _ command _ <<<"$entry"
      [ "$command" = "$caption" ] && found=1
    done
    [ $found -eq 1 ] || fail "the menu command '$caption' has no help topic"
  done <<<"$captions"
  [ "$(grep -c . <<<"$captions")" -eq "${#commands[@]}" ] ||
    fail "the program's menu has $(grep -c . <<<"$captions") commands, the help ${#commands[@]}"
fi

if [ $failures -gt 0 ]; then
  echo "$failures problem(s) in $chm"
  exit 1
fi
echo "help file: ${#commands[@]} menu commands, each with its own topic"
