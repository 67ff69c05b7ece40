#!/usr/bin/env bash
# Validates a bundle's Turtle with sord_validate against the LV2 specifications Debian installs
# in /usr/lib/lv2 (the bundles there that carry no plug-in binary).
#   validate_bundle.sh BUNDLE_DIR
set -euo pipefail
bundle="$1"
schemas=()
for dir in /usr/lib/lv2/*.lv2; do
  if compgen -G "$dir/*.so" >/dev/null; then
    continue
  fi
  schemas+=("$dir"/*.ttl)
done
if ((${#schemas[@]} == 0)); then
  echo "no LV2 specifications in /usr/lib/lv2 (lv2-dev)" >&2
  exit 1
fi
sord_validate "${schemas[@]}" "$bundle"/*.ttl
