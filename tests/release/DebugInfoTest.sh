#!/usr/bin/env bash
# Each program given carries no debug sections, only a debug link naming <program>.debug beside it with
# that file's CRC-32; the .debug file holds the debug information a crash analysis needs.
# Usage: DebugInfoTest.sh OBJDUMP OBJCOPY PYTHON3 PROGRAM...
set -u
objdump="$1" objcopy="$2" python="$3"
shift 3
failures=0 passes=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for program in "$@"; do
  name="$(basename "$program")"
  sections="$("$objdump" -h "$program")" || { fail "$name: objdump cannot read it"; continue; }
  if grep -q ' \.debug_' <<<"$sections"; then
    fail "$name: ships debug sections: $(grep -o '\.debug_[a-z_]*' <<<"$sections" | tr '\n' ' ')"
    continue
  fi
  if ! grep -q ' \.gnu_debuglink ' <<<"$sections"; then
    fail "$name: no debug link"
    continue
  fi
  link="$(mktemp)" copy="$(mktemp)"
  "$objcopy" --dump-section .gnu_debuglink="$link" "$program" "$copy"  # the copy spares the program itself
  # The link: the file name, NUL, padding to four bytes, then the file's CRC-32, little-endian.
  verdict="$("$python" - "$link" "$program" <<'PY'
import os, sys, zlib
data = open(sys.argv[1], 'rb').read()
name = data[:data.index(b'\0')].decode()
crc = int.from_bytes(data[-4:], 'little')
debug = os.path.join(os.path.dirname(sys.argv[2]), name)
if name != os.path.basename(sys.argv[2]) + '.debug':
    print('links to ' + name)
elif not os.path.exists(debug):
    print(name + ' is missing')
elif zlib.crc32(open(debug, 'rb').read()) != crc:
    print(name + ' does not match its link: built at another time')
else:
    print('ok')
PY
)"
  rm -f "$link" "$copy"
  if [ "$verdict" != ok ]; then
    fail "$name: $verdict"
    continue
  fi
  if ! "$objdump" -h "$program.debug" | grep -q ' \.debug_info '; then
    fail "$name.debug: no debug information in it"
    continue
  fi
  passes=$((passes + 1))
done

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ] && [ "$passes" -gt 0 ]
