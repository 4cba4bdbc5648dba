#!/usr/bin/env bash
# Installs what is missing, builds and starts the application under Wine.
# Until the main window exists, the application is the command-line driver of the device link;
# its arguments pass through (for example --emulator to talk to the built-in amplifier emulator).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$root/scripts/locale.sh"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build="${VELMOR_BUILD_DIR:-$root/build}"
app="$build/tools/dsp_driver/dsp_driver.exe"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a "$root/scripts/with-wine.sh" wine "$app" "$@"
fi
exec "$root/scripts/with-wine.sh" wine "$app" "$@"
