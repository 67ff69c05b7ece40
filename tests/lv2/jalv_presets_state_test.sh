#!/usr/bin/env bash
# The bundle's presets and state in Debian's jalv (console), under a dummy JACK server of the
# test's own:
#   1. jalv lists the eight factory presets; loading "Loudness" sets the ports and the plug-in
#      applies its gains (the applied_gain meters);
#   2. jalv -l loads a saved state folder (state.ttl with port values and the state document,
#      as jalv saves one): the ports and the gains in force are the saved ones.
#   jalv_presets_state_test.sh LV2_DIR
# Exit status 77 (skipped) when jackd or jalv is missing.
set -euo pipefail
export LV2_PATH="$(realpath "$1")"
stereo="https://vantor.audio/plugins/kestrune#stereo"

source "$(dirname "$0")/../support/test_session.sh"
require_tools jackd jack_lsp jalv
start_private_jack kestrune-jalv-test 48000 512

# A sanitized bundle needs the sanitizer's runtime loaded into jalv first; jalv's own leaks are
# not ours.
jalv_env=(env)
if [ -n "${KESTRUNE_JALV_PRELOAD:-}" ]; then
  jalv_env=(env "LD_PRELOAD=$KESTRUNE_JALV_PRELOAD" ASAN_OPTIONS=detect_leaks=0 TSAN_OPTIONS=exitcode=0)
fi

# jalv reads its commands from standard input; the pauses give it time to run blocks between.
#   run_jalv LOG COMMAND... -- JALV_ARGUMENT...
run_jalv() {
  local log="$1"
  shift
  local commands=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    commands+=("$1")
    shift
  done
  shift
  (
    sleep 1
    for command in "${commands[@]}"; do
      echo "$command"
      sleep 0.7
    done
  ) | timeout 30 "${jalv_env[@]}" jalv "$@" >"$log" 2>&1 || fail "jalv failed"
}

# 1. Presets.
run_jalv "$work/presets.log" presets "preset ${stereo%#stereo}#preset-loudness" controls monitors \
  -- "$stereo"
for name in "Flat" "Loudness" "Voice presence" "Low cut" "High shelf softening" \
  "Auto EQ Default" "Auto EQ None" "Auto EQ Custom"; do
  grep -q "#preset-.* ($name)\$" "$work/presets.log" || fail "jalv does not list the preset $name"
done
for expected in "gain_0 = 6.000000" "gain_28 = 3.500000" "eq_amount = 100.000000" \
  "applied_gain_0 = 6.000000" "applied_gain_28 = 3.500000"; do
  grep -q "$expected\$" "$work/presets.log" || fail "after loading Loudness, no \"$expected\""
done
echo "jalv lists the 8 presets and loads Loudness"

# 2. A saved state folder.
mkdir "$work/state"
cat >"$work/state/manifest.ttl" <<TTL
@prefix lv2: <http://lv2plug.in/ns/lv2core#> .
@prefix pset: <http://lv2plug.in/ns/ext/presets#> .
@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .
<state.ttl> a pset:Preset ; lv2:appliesTo <$stereo> ; rdfs:seeAlso <state.ttl> .
TTL
cat >"$work/state/state.ttl" <<TTL
@prefix lv2: <http://lv2plug.in/ns/lv2core#> .
@prefix pset: <http://lv2plug.in/ns/ext/presets#> .
@prefix state: <http://lv2plug.in/ns/ext/state#> .
<> a pset:Preset ;
    lv2:appliesTo <$stereo> ;
    lv2:port [ lv2:symbol "gain_5" ; pset:value -4.5 ] ,
             [ lv2:symbol "eq_amount" ; pset:value 80.0 ] ;
    state:state [ <https://vantor.audio/plugins/kestrune#state> """{"params":[{"name":"Gain 5","value":-4.5},{"name":"Eq Amount","value":80.0}],"version":"1.2.5"}""" ] .
TTL
run_jalv "$work/state.log" controls monitors -- -l "$work/state"
for expected in "gain_5 = -4.500000" "eq_amount = 80.000000" "applied_gain_5 = -4.500000"; do
  grep -q "$expected\$" "$work/state.log" || fail "after loading the state, no \"$expected\""
done
echo "jalv loads a saved state"
