#!/usr/bin/env bash
# Starts the window on a headless Wayland compositor (weston), types the worked example,
# calculates, opens the Payback window and ends; fails if anything is said on stderr. Not part
# of the tests: it needs weston and Qt's Wayland plugin, which it installs.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
tolvarn_packages+=(weston qt6-wayland)
tolvarn_install_missing
tolvarn_generate_locales
tolvarn_build_screenshot_tool
work=$(mktemp -d)
runtime=$(mktemp -d)
chmod 700 "$runtime"
weston_pid=
cleanup() {
  [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null || true
  rm -rf "$work" "$runtime"
}
trap cleanup EXIT
tolvarn_stage_workdir "$work/dir"
XDG_RUNTIME_DIR="$runtime" weston --backend=headless-backend.so --socket=wayland-tolvarn \
  --width=1280 --height=800 >"$work/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 50); do
  [ -S "$runtime/wayland-tolvarn" ] && break
  sleep 0.1
done
XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-tolvarn QT_QPA_PLATFORM=wayland \
  LC_ALL=en_GB.UTF-8 "$build/tools/tolvarn-screenshot" "$work/dir" "$work/main.png" \
  "$work/payback.png" 2>"$work/stderr"
if [ -s "$work/stderr" ]; then
  echo "The window said on stderr:" >&2
  cat "$work/stderr" >&2
  exit 1
fi
echo "Started, calculated and opened Payback on Wayland with nothing on stderr."
