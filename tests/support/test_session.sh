# Sourced by the shell tests: a temporary folder of the test's own ($work, removed at exit with
# every process registered in $pids, newest first), fail() with the tail of each log in it, and
# a JACK server of the test's own (dummy driver, no sound card), named so that no other server
# is disturbed. The server runs synchronously with a long client timeout: on a busy machine a
# late client delays the cycle instead of losing it, so what a test captures is every sample.
#   source tests/support/test_session.sh
#   start_private_jack NAME RATE PERIOD     exports JACK_DEFAULT_SERVER; logs to $work/jackd.log

work="$(mktemp -d)"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for log in "$work"/*.log; do
    [ -f "$log" ] && { echo "--- $log" >&2; tail -30 "$log" >&2; }
  done
  exit 1
}

# Exits with 77 (skipped) when one of the tools is not installed.
require_tools() {
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed" >&2
      exit 77
    fi
  done
}

start_private_jack() {
  export JACK_DEFAULT_SERVER="$1-$$"
  export JACK_NO_AUDIO_RESERVATION=1
  jackd --no-realtime --sync -t 10000 -n "$JACK_DEFAULT_SERVER" -d dummy -r "$2" -p "$3" \
    >"$work/jackd.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do
    jack_lsp >/dev/null 2>&1 && return 0
    kill -0 "${pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  fail "jackd did not start"
}
