#!/usr/bin/env bash
# Builds Tolvarn and runs tolvarn-calc on a worked example, printing its results record.
# Extra arguments go to tolvarn-calc (try --json or --help). Run as root on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
tolvarn_install_missing

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVARN_TESTS=OFF \
  -DTOLVARN_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

# A washing machine on a UK tariff: the old one against a thriftier one costing 250.
exec "$build/cli/tolvarn-calc" \
  --set WVCost=1.5 --set SVCost=1.2 --set SVAllow=95 --set VRate=0 \
  --set AnInfT=10 --set PPeriod=2.5 \
  --set Item1Use=9.87 --set Item1UseD=2.9 \
  --set Item2Use=6 --set Item2UseD=3 --set Item2Cost=250 \
  --set "Notes=Old washing machine against a new one" "$@"
