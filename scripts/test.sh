#!/usr/bin/env bash
# Builds Tolvarn from scratch and runs every test. Run as root on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
tolvarn_install_missing
tolvarn_generate_locales

build=build/test
rm -rf "$build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
