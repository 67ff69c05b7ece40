#!/usr/bin/env bash
# The same settings through --set and through --state give the same editor picture, in
# `kestrune editor` and in the standalone program's window (under a private Xvfb): a restored
# state reaches the controls, not only the parameters.
#   editor_state_pictures_test.sh KESTRUNE KESTRUNE_EDITOR
set -euo pipefail
kestrune="$1"
standalone="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cat >"$work/state.json" <<'JSON'
{"params":[{"name":"Bypass EQ","value":1.0},{"name":"Gain 5","value":6.0},{"name":"Input","value":6.0},{"name":"Analyzer dB per led","value":2.0},{"name":"Auto Eq","value":2.0},{"name":"Eq Amount","value":80.0}]}
JSON
# "Eq Amount" first: set after a gain it would rescale that gain. "3" is the display text of
# value 2 ("1" would be the text of value 0).
"$kestrune" editor "$work/set.png" --set 'Eq Amount=80' --set 'Bypass EQ=on' --set 'Gain 5=6' \
  --set 'Input=6' --set 'Analyzer dB per led=3' --set 'Auto Eq=Continuous'
"$kestrune" editor "$work/state.png" --state "$work/state.json"
"$kestrune" editor "$work/fresh.png"
cmp -s "$work/set.png" "$work/state.png" || fail "kestrune editor: --state differs from --set"
! cmp -s "$work/state.png" "$work/fresh.png" || fail "the settings do not show at all"

if ! command -v xvfb-run >/dev/null; then
  echo "xvfb-run is not installed: the standalone window is not checked"
  exit 77
fi
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" \
  "$standalone" --state "$work/state.json" --screenshot "$work/window.png" --quit-after 0.5
cmp -s "$work/window.png" "$work/state.png" || fail "kestrune-editor: the window differs"
echo "editor pictures: --set, --state and the standalone window agree"
