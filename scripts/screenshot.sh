#!/usr/bin/env bash
# Shows the window under Xvfb on a staged working directory, types a worked example, clicks
# Calculate and saves a picture of the window: docs/screenshot.png, or the file given; then one
# of the Payback window on the same example: docs/payback.png, or the second file given; one of
# the Household window on the typical household: docs/household.png, or the third file given;
# and all again under a dark theme, beside them with "-dark" in their names.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/screenshot.png}"
payback="${2:-docs/payback.png}"
household="${3:-docs/household.png}"
source scripts/setup.sh
tolvarn_packages+=(xvfb xauth)
tolvarn_install_missing
tolvarn_generate_locales
tolvarn_build_screenshot_tool
workdir=$(mktemp -d)
trap 'rm -rf "$workdir"' EXIT
tolvarn_stage_workdir "$workdir"
mkdir -p "$(dirname "$out")" "$(dirname "$payback")" "$(dirname "$household")"
LC_ALL=en_GB.UTF-8 xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/tools/tolvarn-screenshot" "$workdir" "$out" "$payback" "$household"
rm -f "$workdir"/Log/* "$workdir"/Data/Household.ini
LC_ALL=en_GB.UTF-8 TOLVARN_DARK=1 xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/tools/tolvarn-screenshot" "$workdir" "${out%.png}-dark.png" "${payback%.png}-dark.png" \
  "${household%.png}-dark.png"
echo "Saved $out, $payback, $household and their dark-theme pictures"
