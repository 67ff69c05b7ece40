#!/usr/bin/env bash
# lilv's own tools on the bundle folder: lv2ls lists both plug-ins, lv2info shows each with all
# of its ports (audio, one control input per parameter, the meter outputs) and its UI.
#   check_lv2_tools.sh LV2_DIR      (the folder holding VantorKestrune.lv2)
set -euo pipefail
export LV2_PATH="$(realpath "$1")"
mono="https://vantor.audio/plugins/kestrune#mono"
stereo="https://vantor.audio/plugins/kestrune#stereo"
fail() { echo "FAIL: $*" >&2; exit 1; }

listed="$(lv2ls)"
grep -qx "$mono" <<<"$listed" || fail "lv2ls does not list $mono"
grep -qx "$stereo" <<<"$listed" || fail "lv2ls does not list $stereo"

check() {
  local uri="$1" ports="$2" first_symbols="$3"
  local info
  info="$(lv2info "$uri")"
  local count
  count="$(grep -cE '^[[:space:]]*Port [0-9]+:' <<<"$info")"
  [ "$count" -eq "$ports" ] || fail "$uri shows $count ports, expected $ports"
  for symbol in $first_symbols gain_0 gain_30 analyzer_db_per_led integration_time display_mode \
      enable_peak_display reset_analyzer reset_auto_eq auto_eq bypass_eq reset_eq \
      disable_analyzer input output eq_amount lucky_autoeq_algorithm auto_eq_compensation \
      applied_gain_0 applied_gain_30 level_0 level_30; do
    grep -qE "Symbol:[[:space:]]+$symbol\$" <<<"$info" || fail "$uri has no port $symbol"
  done
  grep -q "https://vantor.audio/plugins/kestrune#ui" <<<"$info" || fail "$uri shows no UI"
  # lv2info lists one optional feature or extension per line, in no fixed order.
  grep -q "lv2core#hardRTCapable" <<<"$info" || fail "$uri is not hardRTCapable"
  grep -q "inlinedisplay#queue_draw" <<<"$info" || fail "$uri does not take Ardour's queue_draw"
  grep -q "inlinedisplay#interface" <<<"$info" || fail "$uri has no inline display"
  grep -q "port-props#trigger" <<<"$info" || fail "$uri has no trigger ports"
  grep -q "Designation: http://lv2plug.in/ns/lv2core#enabled" <<<"$info" ||
    fail "$uri has no lv2:enabled port"
  grep -q "X11UI" <<<"$info" || fail "$uri's UI is not an X11 UI"
  echo "$uri: $count ports"
}

check "$mono" 111 "in out"
check "$stereo" 113 "in_l in_r out_l out_r"
stereo_info="$(lv2info "$stereo")"
[ "$(grep -c 'Designation: http://lv2plug.in/ns/ext/port-groups#left' <<<"$stereo_info")" -eq 2 ] ||
  fail "the stereo ports are not grouped left and right"
