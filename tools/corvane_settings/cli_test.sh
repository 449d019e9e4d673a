#!/usr/bin/env bash
# Runs corvane-settings on hand-made files and checks exit codes and output.
# Usage: cli_test.sh PATH-TO-corvane-settings
set -uo pipefail

tool=$1
# shellcheck source=/dev/null
source "$(dirname "$0")/../../scripts/check_lib.sh"

# expect NAME STATUS STDOUT STDERR -- ARGS...: runs the tool (stopped after 10 s)
# and compares its exit status and, unless given as '*', both outputs exactly.
expect() {
  local name=$1 status=$2 out=$3 err=$4
  shift 5
  timeout 10 "$tool" "$@" >"$work/out" 2>"$work/err"
  local actual=$?
  [ "$actual" = "$status" ] || fail "$name: exit status $actual, expected $status"
  if [ "$out" != '*' ] && [ "$(cat "$work/out")" != "$out" ]; then
    fail "$name: stdout was '$(cat "$work/out")', expected '$out'"
  fi
  if [ "$err" != '*' ] && [ "$(cat "$work/err")" != "$err" ]; then
    fail "$name: stderr was '$(cat "$work/err")', expected '$err'"
  fi
}

# A document with one layout; $1 is the layout's shortcut object, $2 the
# starterLayoutsVersion member (or nothing).
document() {
  cat <<JSON
{
  "version": 1, $2
  "grid": {"columns": 6, "rows": 6},
  "resetGridOnOpen": true, "keepPanelOpen": false, "cycleDisplays": false,
  "showMenuBarIcon": true, "showPreview": true, "animatePreview": true,
  "margins": {"enabled": false, "horizontalGap": 10, "verticalGap": 10,
              "left": 10, "right": 10, "top": 10, "bottom": 10},
  "activationShortcut": {"keyCode": 17, "modifiers": 11, "key": "T"},
  "layouts": [
    {"id": "0b2a7c2e-1111-4222-8333-444455556666", "name": "Maximize",
     "grid": {"columns": 6, "rows": 6},
     "region": {"x": 0, "y": 0, "width": 1, "height": 1},
     "shortcut": $1, "isGlobal": true, "enabled": true}
  ]
}
JSON
}

document '{"keyCode": 46, "modifiers": 10, "key": "M"}' '"starterLayoutsVersion": 3,' >"$work/one.json"
document '{"keyCode": 17, "modifiers": 11, "key": "T"}' '"starterLayoutsVersion": 3,' >"$work/duplicate.json"
document 'null' '' >"$work/old.json"
printf '{ "version": 1,\n  oops }\n' >"$work/damaged.json"
head -c 3000000 /dev/zero | tr '\0' ' ' >"$work/big.json"
# 256 layouts named by 80 letters with 47 accents each: a compact file under
# 2 MB whose canonical, indented form is over it.
heavy_document() {
  local accents name i
  accents=$(printf '\xcc\x81%.0s' $(seq 47))
  name=$(printf "e$accents%.0s" $(seq 80))
  printf '{"version":1,"starterLayoutsVersion":3,"grid":{"columns":6,"rows":6},'
  printf '"resetGridOnOpen":true,"keepPanelOpen":false,"cycleDisplays":false,'
  printf '"showMenuBarIcon":true,"showPreview":true,"animatePreview":true,'
  printf '"margins":{"enabled":false,"horizontalGap":10,"verticalGap":10,'
  printf '"left":10,"right":10,"top":10,"bottom":10},"layouts":['
  for i in $(seq 256); do
    [ "$i" = 1 ] || printf ','
    printf '{"id":"0B2A7C2E-1111-4222-8333-%012d","name":"%s",' "$i" "$name"
    printf '"grid":{"columns":6,"rows":6},"region":{"x":0,"y":0,"width":1,"height":1},'
    printf '"isGlobal":true,"enabled":true}'
  done
  printf ']}\n'
}

heavy_document >"$work/heavy.json"
mkfifo "$work/pipe.json"
mkdir "$work/folder.json"
sums=$(cd "$work" && cksum one.json duplicate.json old.json damaged.json big.json)

expect "defaults" 0 '*' '' -- defaults
cp "$work/out" "$work/defaults.json"
expect "check defaults" 0 "OK: 10 layouts, starter layouts version 3" '' -- check "$work/defaults.json"
expect "format is stable" 0 "$(cat "$work/defaults.json")" '' -- format "$work/defaults.json"

expect "one layout" 0 "OK: 1 layout, starter layouts version 3" '' -- check "$work/one.json"
expect "old starters" 0 \
  "OK: 1 layout, starter layouts version 1 (Corvane upgrades it to version 3 with 2 layouts)" '' \
  -- check "$work/old.json"
expect "upgrade" 0 '*' '' -- upgrade "$work/old.json"
grep -q '"starterLayoutsVersion": 3' "$work/out" || fail "upgrade: not version 3"
grep -q '"name": "Center"' "$work/out" || fail "upgrade: no Center layout"
grep -q '"id": "0B2A7C2E-1111-4222-8333-444455556666"' "$work/out" || fail "upgrade: id not canonical"
expect "format keeps old starters" 0 '*' '' -- format "$work/old.json"
grep -q '"starterLayoutsVersion": 1' "$work/out" || fail "format: upgraded the starters"

expect "duplicate shortcut" 1 '' "The shortcut Ctrl+Alt+Super+T is assigned more than once." \
  -- check "$work/duplicate.json"
expect "damaged JSON" 1 '' "The settings file is not valid JSON (line 2, column 3)." \
  -- check "$work/damaged.json"
expect "3 MB file" 1 '' "Settings files must be smaller than 2 MB." -- check "$work/big.json"
[ "$(stat -c %s "$work/heavy.json")" -lt 2000000 ] || fail "heavy.json: not under 2 MB"
expect "too large once written" 1 '' "Settings files must be smaller than 2 MB." \
  -- check "$work/heavy.json"
expect "format of the same" 1 '' "Settings files must be smaller than 2 MB." \
  -- format "$work/heavy.json"
expect "pipe" 1 '' "Settings must be imported from a regular JSON file." -- check "$work/pipe.json"
expect "folder" 1 '' "Settings must be imported from a regular JSON file." -- format "$work/folder.json"
expect "missing file" 1 '' "Could not open the settings file." -- upgrade "$work/absent.json"

expect "help" 0 '*' '' -- --help
grep -q '^Usage: corvane-settings' "$work/out" || fail "help: no usage"
expect "no command" 1 '' '*' --
grep -q '^Usage: corvane-settings' "$work/err" || fail "no command: no usage on stderr"
expect "unknown command" 1 '' '*' -- frobnicate
expect "missing FILE" 1 '' '*' -- check
expect "extra FILE" 1 '' '*' -- defaults "$work/one.json"

timeout 10 "$tool" defaults >/dev/full 2>/dev/null && fail "full output device: reported success"

# Nothing the tool was pointed at changed.
[ "$(cd "$work" && cksum one.json duplicate.json old.json damaged.json big.json)" = "$sums" ] ||
  fail "a file given to the tool changed"
[ -p "$work/pipe.json" ] || fail "the pipe was replaced"

finish "corvane-settings: all checks passed"
