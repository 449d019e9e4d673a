#!/usr/bin/env bash
# Starts Corvane from a build folder on the current X11 display.
set -euo pipefail
build=${1:-build}
if [ -z "${DISPLAY:-}" ]; then
  echo "There is no X11 display here (DISPLAY is not set). Corvane runs on an X11 desktop;"
  echo "to test it headless, run: make test"
  exit 1
fi
if [ ! -x "$build/app/main/corvane" ]; then
  echo "The Corvane application is not built yet."
  exit 1
fi
exec "$build/app/main/corvane" "$@"
