#!/usr/bin/env bash
# The bundle in Debian's jalv, under an X display and a JACK server that this test starts for
# itself (Xvfb, jackd with its dummy driver) and stops again:
#   1. console jalv loads each plug-in without a UI and runs it;
#   2. jalv.gtk3 shows each plug-in's editor UI (our X11 window embedded in jalv's window); a
#      screenshot of the 800 x 600 editor must show a drawn picture, and a drag on the first
#      band fader must move it;
#   3. the UI test program drives the editor UI in our own lilv host.
#   editor_ui_test.sh LV2_DIR XSHOT_PROGRAM SCREENSHOT_DIR UI_TEST_PROGRAM
# Exit status 77 (skipped) when Xvfb, jackd or jalv is missing.
set -uo pipefail
lv2_dir="$(realpath "$1")"
xshot="$2"
shots="$3"
ui_tests="$4"
mono="https://vantor.audio/plugins/kestrune#mono"
stereo="https://vantor.audio/plugins/kestrune#stereo"

source "$(dirname "$0")/../support/test_session.sh"
require_tools Xvfb jackd jack_lsp jalv jalv.gtk3 xdotool

# A display of our own: Xvfb picks a free number and writes it to the given descriptor. No
# reset when the last client leaves: a host started right then would find no display.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

start_private_jack kestrune-lv2-test 48000 512
export LV2_PATH="$lv2_dir"

# jalv is not built with our sanitizer: a sanitized bundle needs the sanitizer's runtime
# loaded first (KESTRUNE_JALV_PRELOAD). What the sanitizer finds in jalv's own libraries is not
# ours (its leaks; lock-order cycles inside Berkeley DB under JACK), so it does not fail jalv:
# the bundle's own threads are checked by the stress and UI tests.
jalv_env=()
if [ -n "${KESTRUNE_JALV_PRELOAD:-}" ]; then
  jalv_env=(env "LD_PRELOAD=$KESTRUNE_JALV_PRELOAD" ASAN_OPTIONS=detect_leaks=0
    TSAN_OPTIONS=exitcode=0)
fi

# 1. Without a UI: jalv runs until its command input ends.
for uri in "$mono" "$stereo"; do
  log="$work/jalv-console.log"
  (sleep 2) | timeout 20 "${jalv_env[@]}" jalv -c gain_3=6 "$uri" >"$log" 2>&1 || fail "jalv failed to run $uri"
  grep -q "Plugin: *$uri" "$log" || fail "jalv did not load $uri"
  grep -q "Block length: *512" "$log" || fail "jalv did not run $uri"
  echo "jalv ran $uri"
done

# 2. With the editor UI in jalv.gtk3. GTK does not start with a sanitizer's runtime preloaded,
# so a sanitized bundle shows its editor in our own host (3.) only.
gtk_uris=("$mono" "$stereo")
if [ -n "${KESTRUNE_JALV_PRELOAD:-}" ]; then
  echo "jalv.gtk3 left out: the bundle is built with a sanitizer"
  gtk_uris=()
fi
mkdir -p "$shots"
# Starts jalv.gtk3 and waits for the editor window; false when none appears.
show_editor() {
  jalv.gtk3 "$1" >"$work/jalv-$2.log" 2>&1 &
  jalv_pid=$!
  pids+=($jalv_pid)
  for _ in $(seq 100); do
    "$xshot" 800 600 "$shots/editor-$2.png" >"$work/shot.txt" 2>/dev/null && return 0
    kill -0 "$jalv_pid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}
for uri in "${gtk_uris[@]}"; do
  name="${uri##*#}"
  if ! show_editor "$uri" "$name"; then
    # A host that found no display at all never reached the plug-in: once more, if the display
    # answers now. A host that died with the display there is a failure.
    grep -q "Cannot open display" "$work/jalv-$name.log" && xwininfo -root >/dev/null 2>&1 ||
      fail "jalv.gtk3 shows no 800x600 editor for $uri"
    echo "jalv.gtk3 found no display for $uri; trying again"
    wait "$jalv_pid" 2>/dev/null
    unset 'pids[-1]'
    show_editor "$uri" "$name" || fail "jalv.gtk3 shows no 800x600 editor for $uri"
  fi
  sleep 1
  "$xshot" 800 600 "$shots/editor-$name.png" >"$work/shot.txt" || fail "no screenshot"
  colours="$(sed -n 's/.* \([0-9]*\) distinct colours/\1/p' "$work/shot.txt")"
  [ "${colours:-0}" -gt 100 ] || fail "the editor of $uri is not drawn ($colours colours)"

  # Drag the first band fader up: its part of the picture changes.
  read -r win_x win_y < <(xdotool search --onlyvisible --name "VantorKestrune" getwindowgeometry \
    | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p' | head -1)
  editor_y=$((${win_y:-0} + 25))
  xdotool mousemove $((${win_x:-0} + 36)) $((editor_y + 368)) mousedown 1
  sleep 0.2
  xdotool mousemove $((${win_x:-0} + 36)) $((editor_y + 330))
  sleep 0.2
  xdotool mousemove $((${win_x:-0} + 36)) $((editor_y + 300)) mouseup 1
  sleep 0.5
  "$xshot" 800 600 "$shots/editor-$name-dragged.png" >/dev/null || fail "no screenshot"
  cmp -s "$shots/editor-$name.png" "$shots/editor-$name-dragged.png" &&
    fail "the fader of $uri did not move"
  echo "jalv.gtk3 shows the editor of $uri ($colours colours): $shots/editor-$name.png"

  kill "$jalv_pid" 2>/dev/null
  wait "$jalv_pid" 2>/dev/null
  unset 'pids[-1]'
done
# 3. The UI in our own host.
"$ui_tests" || fail "the UI test program failed"
echo "1 passed, 0 failed"
