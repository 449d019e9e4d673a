# Shared by the shell tests: a scratch folder removed on exit, `fail` to count a
# failed check and go on, and `finish` to report and set the exit status.
# Source it after `set -uo pipefail`.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# finish SUCCESS-MESSAGE
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  echo "$1"
}
