#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to cross-build the project and run it under Wine,
# then fetches and builds the third-party libraries for the target. Safe to run again.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

packages=(
  cmake ninja-build dpkg-dev patch zip unzip
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  libz-mingw-w64-dev libreaderwriterqueue-dev libstb-dev googletest
  wine wine32:i386 fonts-wine fonts-wqy-microhei librsvg2-bin xvfb xauth x11-utils xdotool imagemagick
  libxrender1:i386 libxrandr2:i386 libxinerama1:i386 libxcomposite1:i386
  libxi6:i386 libxcursor1:i386 libxfixes3:i386
)

missing() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

# Source packages come from the machine's own archives: copy its binary entries with the type changed.
ensure_deb_src() {
  local out=/etc/apt/sources.list.d/project-deb-src.sources
  [ -f "$out" ] && return 1
  local tmp
  tmp="$(mktemp)"
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    grep -q '^Types:.*deb-src' "$f" && return 1
    grep -q 'debian' "$f" || continue
    sed -e 's/^Types:.*/Types: deb-src/' "$f" >>"$tmp"
    echo >>"$tmp"
  done
  if [ -f /etc/apt/sources.list ]; then
    grep -q '^deb-src ' /etc/apt/sources.list && { rm -f "$tmp"; return 1; }
    grep -E '^deb ' /etc/apt/sources.list | sed -e 's/^deb /deb-src /' >"$tmp.list" || true
    if [ -s "$tmp.list" ]; then
      "${sudo_cmd[@]}" cp "$tmp.list" /etc/apt/sources.list.d/project-deb-src.list
    fi
    rm -f "$tmp.list"
  fi
  if [ -s "$tmp" ]; then "${sudo_cmd[@]}" cp "$tmp" "$out"; fi
  rm -f "$tmp"
  return 0
}

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  need_update=1
fi
if ensure_deb_src; then need_update=1; fi

todo="$(missing)"
if [ -n "$todo" ]; then
  need_update=1
fi
if [ "$need_update" -eq 1 ]; then
  "${sudo_cmd[@]}" apt-get update -qq
fi
if [ -n "$todo" ]; then
  echo "setup: installing $(echo "$todo" | wc -l) packages"
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends $todo >/dev/null
fi

"$here/deps.sh"
