#!/usr/bin/env bash
# Fetches the dependency sources from Debian's source packages, applies the project's patches and builds
# them for 32-bit Windows into .deps/prefix. Does nothing when the prefix is current.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
deps="${VELMOR_DEPS_DIR:-$root/.deps}"
prefix="$deps/prefix"
stamp="$prefix/.stamp"
# Build into a fresh prefix and swap it in at the end, so builds using the old one see no gap.
next="$deps/prefix.next"

want="$(cat "$here/deps.sh" "$here/deps/CMakeLists.txt" "$here/patches/"*.patch "$root/cmake/toolchain-mingw32.cmake" | sha1sum | cut -d' ' -f1)"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then exit 0; fi

rm -rf "$deps/src" "$deps/build" "$next"
mkdir -p "$deps/src" "$deps/fetch"

# apt-get source picks the newest version listed; a mirror may lack it, so fall back to the release's own.
fetch() {
  local pkg="$1" dir="$2"
  (cd "$deps/fetch" && rm -rf ./*)
  if ! (cd "$deps/fetch" && apt-get source -qq "$pkg" >/dev/null 2>&1); then
    (cd "$deps/fetch" && rm -rf ./* && apt-get source -qq "$pkg/bookworm" >/dev/null 2>&1) || {
      echo "deps: cannot fetch the source package $pkg" >&2; exit 1; }
  fi
  local unpacked
  unpacked="$(find "$deps/fetch" -mindepth 1 -maxdepth 1 -type d | head -n 1)"
  mv "$unpacked" "$deps/src/$dir"
}
fetch hidapi hidapi
fetch cjson cjson
fetch zlib zlib
rm -rf "$deps/fetch"

apply() { patch -s -d "$deps/src/$1" -p1 <"$here/patches/$2"; }
apply hidapi hidapi-static-wine.patch
apply zlib minizip-enable-decryption.patch

tc="$root/cmake/toolchain-mingw32.cmake"
jobs="$(nproc)"
cmake -S "$here/deps" -B "$deps/build/libs" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$tc" \
  -DCMAKE_BUILD_TYPE=Release -DDEPS_SRC="$deps/src" -DCMAKE_INSTALL_PREFIX="$next" \
  -DZLIB_USE_STATIC_LIBS=ON >/dev/null
cmake --build "$deps/build/libs" -j "$jobs" >/dev/null
cmake --install "$deps/build/libs" >/dev/null

cmake -S /usr/src/googletest -B "$deps/build/gtest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$tc" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$next" -Dgtest_disable_pthreads=OFF >/dev/null
cmake --build "$deps/build/gtest" -j "$jobs" >/dev/null
cmake --install "$deps/build/gtest" >/dev/null

mkdir -p "$next/include/stb"
cp -r /usr/include/readerwriterqueue "$next/include/"
cp /usr/include/stb/stb_image.h "$next/include/stb/"
echo "$want" >"$next/.stamp"
rm -rf "$prefix"
mv "$next" "$prefix"
echo "deps: built into $prefix"
