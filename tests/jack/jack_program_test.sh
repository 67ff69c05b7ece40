#!/usr/bin/env bash
# kestrune-editor as a JACK program, under a dummy JACK server of the test's own (no sound card):
#   1. it registers in_l, in_r, out_l and out_r, and --connect joins them to the system ports;
#   2. a file played with --input reaches a JACK client of the test's own sample for sample as
#      `kestrune process` writes it, with the same state;
#   3. --preset and --save-state give the state document `kestrune` gives for that preset.
#   jack_program_test.sh KESTRUNE KESTRUNE_EDITOR CAPTURE_CLIENT
# Exit status 77 (skipped) when jackd, jack_lsp or sox is missing.
set -euo pipefail
kestrune="$1"
editor="$2"
capture="$3"

source "$(dirname "$0")/../support/test_session.sh"
require_tools jackd jack_lsp sox

# Waits up to five seconds for a JACK port to exist.
wait_for_port() {
  for _ in $(seq 100); do
    jack_lsp 2>/dev/null | grep -qx "$1" && return 0
    sleep 0.05
  done
  return 1
}

start_private_jack kestrune-jack-test 48000 256

# 1. Ports, and --connect.
"$editor" --no-window --audio jack --name kestrune-ports --connect --quit-after 3 \
  >"$work/ports.log" 2>&1 &
pids+=($!)
for port in in_l in_r out_l out_r; do
  wait_for_port "kestrune-ports:$port" || fail "no port kestrune-ports:$port"
done
sleep 0.3
connections="$(jack_lsp -c)"
grep -A1 -x "kestrune-ports:out_l" <<<"$connections" | grep -q "system:playback_1" ||
  fail "--connect did not join out_l to system:playback_1"
grep -A1 -x "kestrune-ports:in_r" <<<"$connections" | grep -q "system:capture_2" ||
  fail "--connect did not join system:capture_2 to in_r"
wait "${pids[-1]}" || fail "kestrune-editor failed"
unset 'pids[-1]'
echo "ports: in_l in_r out_l out_r registered and connected to the system"

# 2. A file through the program equals `kestrune process` (blocks of the server's period).
sox -R -n -r 48000 -c 2 -b 32 -e floating-point "$work/in.wav" synth 1 pinknoise gain -12
"$kestrune" process "$work/in.wav" "$work/reference.wav" --block 256 --set 'Gain 10=6' \
  --set 'Gain 24=-9' --set 'Output=-3' --save-state "$work/state.json" --quiet
"$capture" capture "$work/reference.wav" 30 >"$work/capture.log" 2>&1 &
capture_pid=$!
pids+=($capture_pid)
wait_for_port "capture:in_2" || fail "the capture client did not start"
timeout 30 "$editor" --no-window --audio jack --name kestrune-sound --input "$work/in.wav" \
  --state "$work/state.json" --connect-to capture >"$work/sound.log" 2>&1 ||
  fail "kestrune-editor did not play the file"
wait "$capture_pid" || fail "the captured output differs from kestrune process: $(cat "$work/capture.log")"
unset 'pids[-1]'
echo "sound: $(tail -1 "$work/capture.log") with kestrune process"

# 3. A preset in, the state document out.
"$kestrune" process "$work/in.wav" "$work/unused.wav" --preset loudness --save-state "$work/cli.json"
"$editor" --no-window --audio jack --name kestrune-state --preset Loudness \
  --save-state "$work/program.json" --quit-after 0.3 >"$work/state.log" 2>&1 ||
  fail "kestrune-editor failed with --preset"
cmp -s "$work/cli.json" "$work/program.json" || fail "--save-state differs from kestrune's"
echo "state: --preset and --save-state agree with kestrune"
