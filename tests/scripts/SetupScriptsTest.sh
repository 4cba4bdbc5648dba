#!/usr/bin/env bash
# Shell test of the set-up scripts. Arguments: the source tree, and a Windows test program that creates
# files with Cyrillic and Chinese names.
set -euo pipefail
src="$1"
wide_names_test="$2"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# ---- The source-package list, derived from a scratch copy of apt's lists ----
export VELMOR_APT_DIR="$scratch/apt"
# shellcheck source=../../scripts/setup.sh
. "$src/scripts/setup.sh"
sudo_cmd=()  # the scratch copy is the test's own

fresh_apt() {
  rm -rf "$VELMOR_APT_DIR"
  mkdir -p "$VELMOR_APT_DIR/sources.list.d"
}
# ensure_deb_src's answer: "wrote" or "nothing".
run_ensure() { if ensure_deb_src; then echo wrote; else echo nothing; fi; }
mode_of() { stat -c %a "$1"; }

# A machine with a one-line sources.list: the first run writes the list, every later run finds it.
fresh_apt
echo "deb http://deb.debian.org/debian bookworm main" >"$VELMOR_APT_DIR/sources.list"
list="$VELMOR_APT_DIR/sources.list.d/project-deb-src.list"
[ "$(run_ensure)" = wrote ] || fail "one-line sources.list: first run wrote nothing"
[ "$(cat "$list" 2>/dev/null)" = "deb-src http://deb.debian.org/debian bookworm main" ] || fail "one-line list: $(cat "$list" 2>/dev/null)"
[ "$(mode_of "$list")" = 644 ] || fail "list mode $(mode_of "$list"), other users cannot read it"
before="$(stat -c %Y:%i "$list")"
sleep 1
[ "$(run_ensure)" = nothing ] || fail "one-line sources.list: the second run wrote again"
[ "$(stat -c %Y:%i "$list")" = "$before" ] || fail "one-line sources.list: the second run replaced the list"

# A machine with deb822 lists only (Debian 12's default).
fresh_apt
printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\n' \
  >"$VELMOR_APT_DIR/sources.list.d/debian.sources"
sources="$VELMOR_APT_DIR/sources.list.d/project-deb-src.sources"
[ "$(run_ensure)" = wrote ] || fail "deb822: first run wrote nothing"
grep -qx 'Types: deb-src' "$sources" 2>/dev/null || fail "deb822: no deb-src entry"
grep -qx 'URIs: http://deb.debian.org/debian' "$sources" 2>/dev/null || fail "deb822: archive not copied"
[ "$(mode_of "$sources")" = 644 ] || fail "sources mode $(mode_of "$sources")"
[ "$(run_ensure)" = nothing ] || fail "deb822: the second run wrote again"

# A list an earlier run left readable by root alone is made readable.
chmod 600 "$sources"
[ "$(run_ensure)" = nothing ] || fail "mode repair wrote a list"
[ "$(mode_of "$sources")" = 644 ] || fail "mode not repaired: $(mode_of "$sources")"

# Source entries of the machine's own: nothing to do.
fresh_apt
printf 'deb http://deb.debian.org/debian bookworm main\ndeb-src http://deb.debian.org/debian bookworm main\n' \
  >"$VELMOR_APT_DIR/sources.list"
[ "$(run_ensure)" = nothing ] || fail "own deb-src entries: a list was written"
[ -z "$(ls "$VELMOR_APT_DIR/sources.list.d")" ] || fail "own deb-src entries: $(ls "$VELMOR_APT_DIR/sources.list.d")"

# No archive at all: nothing written, and nothing to update for.
fresh_apt
[ "$(run_ensure)" = nothing ] || fail "no archives: reported a list written"

# ---- Wine with no locale in the environment, as on a fresh machine ----
# The same program, started from a clean environment with only the locale the scripts set.
if ! env -i PATH="$PATH" HOME="$HOME" WINEPREFIX="${WINEPREFIX:-$src/.wine}" WINEARCH=win32 WINEDEBUG=-all \
     WINEDLLOVERRIDES="mscoree,mshtml=" bash -c '. "$1/scripts/locale.sh"; wine "$2" --gtest_filter="*AnyName*"' \
     locale-test "$src" "$wide_names_test" >"$scratch/wine.out" 2>&1; then
  fail "files with Cyrillic and Chinese names under the scripts' locale:"
  cat "$scratch/wine.out"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "setup scripts: all checks passed"
