#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine in a virtual X display.
# Extra arguments go to ctest (for example -R device).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$root/scripts/locale.sh"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build="${VELMOR_BUILD_DIR:-$root/build}"
xvfb-run -a -s "-screen 0 1920x1080x24" "$root/scripts/with-wine.sh" \
  ctest --test-dir "$build" -j "$(nproc)" --output-on-failure "$@"
