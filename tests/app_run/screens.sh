#!/usr/bin/env bash
# Starts the emulated application in each language at 100 % and 150 %, waits for its window, takes a
# screenshot and checks it painted: the window's size, many colours, no error or message box; then
# closes it with its own close button and checks a clean exit that told the amplifier goodbye.
#   screens.sh <app_emulated.exe> <output folder>
# Runs inside the project's Wine prefix and an X display (scripts/test.sh provides both).
set -euo pipefail
app="$1"
out="$2"
mkdir -p "$out"
settings="$WINEPREFIX/drive_c/ProgramData/velmor.ini"
saved=""
[ -f "$settings" ] && saved="$(cat "$settings")"
restore() { if [ -n "$saved" ]; then printf '%s' "$saved" >"$settings"; else rm -f "$settings"; fi; }
trap restore EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# run <language value> <name> <dpi or empty> <expected width> <expected height>
run() {
  local lan="$1" name="$2" dpi="$3" width="$4" height="$5"
  local shot="$out/main_${name}_${width}x${height}.png" trace="$out/trace_${name}_${width}.txt"
  mkdir -p "$(dirname "$settings")"
  printf '[config]\r\nlan=%s\r\n' "$lan" >"$settings"
  rm -f "$trace"
  local args=(--trace "$(winepath -w "$trace")")
  [ -n "$dpi" ] && args+=(--dpi "$dpi")
  wine "$app" "${args[@]}" </dev/null >/dev/null 2>&1 &
  local pid=$! wid=""
  for _ in $(seq 1 150); do
    wid="$(xdotool search --onlyvisible --name '^VR ZOD Evoda$' 2>/dev/null | head -1 || true)"
    [ -n "$wid" ] && break
    sleep 0.2
  done
  if [ -z "$wid" ]; then
    fail "$name: no main window"
    kill "$pid" 2>/dev/null || true
    return
  fi
  xdotool mousemove 0 0  # no hover look or tooltip from an earlier run
  sleep 2  # let the first painting finish
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  [ "$WIDTH" = "$width" ] && [ "$HEIGHT" = "$height" ] || fail "$name: window ${WIDTH}x${HEIGHT}, not ${width}x${height}"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shot"
  local colours
  colours="$(convert "$shot" -format %k info:)"
  [ "$colours" -ge 300 ] || fail "$name: only $colours colours painted"
  local others
  others="$(xdotool search --onlyvisible --name '.' getwindowname %@ 2>/dev/null | grep -v '^VR ZOD Evoda$' || true)"
  [ -z "$others" ] || fail "$name: other windows open: $others"
  # The caption's close button sits 30 x 22 layout units from the top-right corner.
  xdotool mousemove $((X + WIDTH - 30 * WIDTH / 1230)) $((Y + 22 * HEIGHT / 650)) click 1
  for _ in $(seq 1 75); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
  if kill -0 "$pid" 2>/dev/null; then
    fail "$name: did not close"
    kill "$pid" 2>/dev/null || true
    return
  fi
  local status=0
  wait "$pid" || status=$?
  [ "$status" = 0 ] || fail "$name: exit code $status"
  grep -q '^TX AA 55\|^TX 00 AA 55' "$trace" || fail "$name: no report reached the amplifier"
  echo "$name ${WIDTH}x${HEIGHT}: $colours colours, $(grep -c '^TX' "$trace") reports sent"
}

run 0 en 96 1230 650
run 1 cn 96 1230 650
run 2 ru 96 1230 650
run 0 en "" 1845 975
run 1 cn "" 1845 975
run 2 ru "" 1845 975

# Each language paints its own texts.
cmp -s "$out/main_en_1230x650.png" "$out/main_ru_1230x650.png" && fail "English and Russian look the same"
cmp -s "$out/main_en_1230x650.png" "$out/main_cn_1230x650.png" && fail "English and Chinese look the same"
[ "$failures" = 0 ]
