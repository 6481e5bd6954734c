#!/usr/bin/env bash
# Measures the performance goals, each against a baseline of the same run, on a Release build:
# start-up, Calculate, appending to the log, the archive's scan, tolvarn-calc as a process; then
# the micro-benchmarks of the calculation and of a Payback update. Needs about 1.5 GB of free
# space under /tmp for a while. Run as root on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
tolvarn_packages+=(time)
tolvarn_install_missing

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVARN_TESTS=OFF \
  -DTOLVARN_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

echo "Machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo)," \
  "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
"$build/bench/tolvarn-bench" "$build" "$(mktemp -d)/bench"
echo
"$build/bench/tolvarn_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
echo
"$build/bench/tolvarn_payback_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
