#!/usr/bin/env bash
# Measures the performance goals, each against a baseline of the same run, on a Release build:
# start-up, Calculate, appending to the log, the archive's scan, tolvarn-calc as a process; then
# the micro-benchmarks of the calculation and of a Payback update. Needs about 1.5 GB of free
# space under /tmp for a while. Run as root on Debian 12.
#
# With --peers, measures instead the start-up as a user sees it on an X server (Xvfb), beside the
# desktop calculators a user already knows, installed from Debian (scripts/peers_bench.py); a
# calculator that cannot be installed is reported and left out.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
peers=0
case "${1:-}" in
  --peers) peers=1 ;;
  "") ;;
  *)
    echo "Usage: bash scripts/bench.sh [--peers]" >&2
    exit 64
    ;;
esac
tolvarn_packages+=(time)
((peers)) && tolvarn_packages+=(xvfb dbus-daemon python3 python3-xlib)
tolvarn_install_missing
if ((peers)); then
  calculators=()
  for calculator in galculator speedcrunch kcalc qalculate-gtk; do
    dpkg-query -W -f='${Status}' "$calculator" 2>/dev/null | grep -q 'install ok installed' ||
      calculators+=("$calculator")
  done
  ((${#calculators[@]} > 0)) && { apt-get update || true; }
  for calculator in "${calculators[@]}"; do
    echo "Installing: $calculator"
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$calculator" \
      >/dev/null || echo "$calculator could not be installed; it is left out"
  done
fi

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVARN_TESTS=OFF \
  -DTOLVARN_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

if ((peers)); then
  echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
  exec /usr/bin/python3 scripts/peers_bench.py "$build"
fi

echo "Machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo)," \
  "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
"$build/bench/tolvarn-bench" "$build" "$(mktemp -d)/bench"
echo
"$build/bench/tolvarn_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
echo
"$build/bench/tolvarn_payback_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
echo
"$build/bench/tolvarn_household_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
