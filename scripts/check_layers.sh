#!/usr/bin/env bash
# Checks that includes follow the layering app -> platform -> core. Prints every
# offending file:line with the rule it breaks.
set -euo pipefail
cd "$(dirname "$0")/.."

#  rule                                       | files it covers (git pathspecs)                | forbidden include (extended regex)
rules=(
  'core uses no Qt                             | core/                                          | <Q[A-Za-z]'
  'core uses no xcb                            | core/                                          | <xcb/'
  'core uses no xkbcommon                      | core/                                          | <xkbcommon/'
  'core does not depend on the application     | core/                                          | [<"]app/'
  'core does not depend on the platform layer  | core/                                          | [<"]platform/'
  'platform does not depend on the application | platform/                                      | [<"]app/'
  'only app/main wires the X11 platform in     | app/ :!app/main/                               | [<"]platform/x11/'
  'only app/main talks to xcb                  | app/ :!app/main/                               | <xcb/'
)

trim() {
  local s=$1
  s=${s#"${s%%[![:space:]]*}"}
  printf '%s' "${s%"${s##*[![:space:]]}"}"
}

failures=0
for rule in "${rules[@]}"; do
  IFS='|' read -r message pathspecs forbidden <<<"$rule"
  message=$(trim "$message")
  forbidden=$(trim "$forbidden")
  read -ra specs <<<"$pathspecs"
  while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    echo "$file:${rest%%:*}: $message: $(trim "${rest#*:}")"
    failures=$((failures + 1))
  done < <(git grep -nE "^[[:space:]]*#[[:space:]]*include[[:space:]]*$forbidden" -- "${specs[@]}" || true)
done

if [ "$failures" -ne 0 ]; then
  echo
  echo "check_layers: $failures include(s) break the layering (app -> platform -> core)."
  exit 1
fi
echo "check_layers: every include follows the layering."
