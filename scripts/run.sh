#!/usr/bin/env bash
# Starts Corvane from a build folder on the current X11 display.
# With --check-display it only checks that there is a display (make run asks
# first, before installing or building anything).
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  echo "There is no X11 display here (DISPLAY is not set). Corvane runs on an X11 desktop;"
  echo "to test it headless, run: make test"
  exit 1
fi
[ "${1:-}" = "--check-display" ] && exit 0
build=${1:-build}
if [ ! -x "$build/app/main/corvane" ]; then
  echo "The Corvane application is not built yet."
  exit 1
fi
shift || true
exec "$build/app/main/corvane" "$@"
