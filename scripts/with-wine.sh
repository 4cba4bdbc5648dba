#!/usr/bin/env bash
# Runs a command with the project's private Wine prefix and one persistent wineserver, so each Windows
# program starts in a fraction of a second. Run it inside an X session (xvfb-run) when windows are needed:
# a server started without a display cannot create windows later.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$root/scripts/locale.sh"
export WINEPREFIX="${VELMOR_WINEPREFIX:-$root/.wine}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# The server must not hold the caller's pipes, or ctest waits for it after every test.
wineserver -p </dev/null >/dev/null 2>&1 &
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

if [ ! -f "$WINEPREFIX/.velmor-ready" ]; then
  wine wineboot -i </dev/null >/dev/null 2>&1 || true
  # Without a window manager, Wine draws frames itself and destroys windows without a 2 s wait.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
  touch "$WINEPREFIX/.velmor-ready"
else
  wine wineboot </dev/null >/dev/null 2>&1 || true
fi

# Windows links its UI fonts to a CJK font for the Chinese texts; the same for Wine, once per prefix.
if [ ! -f "$WINEPREFIX/.velmor-cjk-fonts" ]; then
  for face in Tahoma 'Tahoma Bold' 'Microsoft Sans Serif'; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
      /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f </dev/null >/dev/null 2>&1 || true
  done
  touch "$WINEPREFIX/.velmor-cjk-fonts"
fi

"$@"
