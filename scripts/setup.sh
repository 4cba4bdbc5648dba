#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to cross-build the project and run it under Wine,
# then fetches and builds the third-party libraries for the target. Safe to run again.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
. "$here/locale.sh"
# Where apt keeps its source lists; a test points it at a scratch copy.
apt_dir="${VELMOR_APT_DIR:-/etc/apt}"

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

packages=(
  cmake ninja-build dpkg-dev patch zip unzip python3
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
# The lists are written readable by everyone, since deps.sh runs apt-get source as the calling user.
# Returns 0 when it wrote a list (apt must update), 1 when there was nothing to do.
ensure_deb_src() {
  local sources_out="$apt_dir/sources.list.d/project-deb-src.sources"
  local list_out="$apt_dir/sources.list.d/project-deb-src.list"
  local f done=0
  for f in "$sources_out" "$list_out"; do
    [ -f "$f" ] || continue
    done=1
    # An earlier run wrote it for root alone.
    [ "$(stat -c %a "$f")" = 644 ] || "${sudo_cmd[@]}" chmod 0644 "$f"
  done
  [ "$done" -eq 1 ] && return 1
  for f in "$apt_dir"/sources.list.d/*.sources; do
    [ -f "$f" ] && grep -q '^Types:.*deb-src' "$f" && return 1
  done
  for f in "$apt_dir/sources.list" "$apt_dir"/sources.list.d/*.list; do
    [ -f "$f" ] && grep -q '^deb-src ' "$f" && return 1
  done

  local tmp wrote=1
  tmp="$(mktemp)"
  for f in "$apt_dir"/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    grep -q 'debian' "$f" || continue
    sed -e 's/^Types:.*/Types: deb-src/' "$f" >>"$tmp"
    echo >>"$tmp"
  done
  if [ -s "$tmp" ]; then "${sudo_cmd[@]}" install -m 0644 "$tmp" "$sources_out"; wrote=0; fi
  : >"$tmp"
  if [ -f "$apt_dir/sources.list" ]; then
    grep -E '^deb ' "$apt_dir/sources.list" | sed -e 's/^deb /deb-src /' >"$tmp" || true
  fi
  if [ -s "$tmp" ]; then "${sudo_cmd[@]}" install -m 0644 "$tmp" "$list_out"; wrote=0; fi
  rm -f "$tmp"
  return "$wrote"
}

main() {
  local need_update=0
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
    need_update=1
  fi
  if ensure_deb_src; then need_update=1; fi

  local todo
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
}

# Sourced (by a test), it only defines its functions.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then main "$@"; fi
