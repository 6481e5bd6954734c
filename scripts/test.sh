#!/usr/bin/env bash
# Builds Tolvarn from scratch and runs every test. Run as root on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
tolvarn_install_missing
tolvarn_generate_locales

# Optimised as a release is, with debug information cut to line tables (enough for a backtrace
# or a sanitizer's report): the full kind makes the builds up to a quarter slower.
build=build/test
rm -rf "$build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVARN_WERROR=ON \
  -DTOLVARN_BENCHMARKS=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer (clang), and the
# fuzz targets for a bounded time each.
sanitize=build/test-sanitize
rm -rf "$sanitize"
CC=clang-14 CXX=clang++-14 cmake -S . -B "$sanitize" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOLVARN_SANITIZE=ON -DTOLVARN_FUZZ=ON -DTOLVARN_BENCHMARKS=OFF -DTOLVARN_WERROR=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only -DNDEBUG"
cmake --build "$sanitize" -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$sanitize" --output-on-failure -j"$(nproc)" -E 'debian_package|clang_format' \
  -LE fuzz
ctest --test-dir "$sanitize" --output-on-failure -j"$(nproc)" -L fuzz
