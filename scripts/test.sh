#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine in a virtual X display.
# Extra arguments go to ctest (for example -R device).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$root/scripts/locale.sh"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build="${VELMOR_BUILD_DIR:-$root/build}"
display=(xvfb-run -a -s "-screen 0 1920x1080x24" "$root/scripts/with-wine.sh")
# Tests run side by side share one display, so a window test can lose the focus or the mouse to another
# test's window. A test that failed is run once more on its own: a real fault fails again.
if ! "${display[@]}" ctest --test-dir "$build" -j "$(nproc)" --output-on-failure "$@"; then
  echo "Running the failed tests again, one at a time"
  "${display[@]}" ctest --test-dir "$build" --rerun-failed --output-on-failure
fi
