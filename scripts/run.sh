#!/usr/bin/env bash
# Installs what is missing, builds and starts the application under Wine.
#   scripts/run.sh              the application, talking to the amplifier over USB
#   scripts/run.sh --emulator   the same application with the built-in amplifier emulator; further
#                               arguments pass through (--trace FILE writes every report sent and received)
# Without an X session it runs in a virtual one (nothing is then visible).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$root/scripts/locale.sh"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build="${VELMOR_BUILD_DIR:-$root/build}"
app="$build/app/velmor_evoda.exe"
if [ "${1:-}" = "--emulator" ]; then
  shift
  app="$build/tools/app_emulated/app_emulated.exe"
fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$root/scripts/with-wine.sh" wine "$app" "$@"
fi
exec "$root/scripts/with-wine.sh" wine "$app" "$@"
