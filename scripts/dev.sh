#!/usr/bin/env bash
# The developer's inner loop: rebuilds build/dev incrementally (ccache when installed) and runs
# the unit, window and command-line tests without the slow kill, concurrency and package tests.
# Give ctest options to narrow it further: bash scripts/dev.sh -R Payback
set -euo pipefail
cd "$(dirname "$0")/.."
[[ -f build/dev/build.ninja ]] || cmake --preset dev >/dev/null
cmake --build --preset dev
ctest --preset dev "$@"
