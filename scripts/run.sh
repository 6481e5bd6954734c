#!/usr/bin/env bash
# Builds Tolvarn and runs tolvarn-calc on a worked example in a working directory staged in the
# build tree (the default tariff in Data/Tolvarn.ini, an empty Log/), printing its record and
# logging it. Extra arguments go to tolvarn-calc (try --json or --help). Run as root on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
tolvarn_install_missing

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVARN_TESTS=OFF \
  -DTOLVARN_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

workdir="$build/workdir"
mkdir -p "$workdir/Data" "$workdir/Help" "$workdir/Log"
[ -f "$workdir/Data/Tolvarn.ini" ] || cp share/Data/Tolvarn.ini "$workdir/Data/"

# An old washing machine against a thriftier new one costing 450, on the default tariff.
"$build/cli/tolvarn-calc" --workdir "$workdir" --log \
  --set Item1Use=65 --set Item1UseD=1 \
  --set Item2Use=45 --set Item2UseD=1 --set Item2Cost=450 \
  --set "Notes=Old washing machine against a new one" "$@"
echo "(The record was added to $workdir/Log/Tolvarn.log.)"
