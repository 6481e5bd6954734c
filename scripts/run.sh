#!/usr/bin/env bash
# Builds Tolvarn and starts its window on a working directory staged in the build tree
# (build/release/workdir: the default tariff in Data/Tolvarn.ini, the help pages, an empty Log/).
# Extra arguments go to the program (try -InhibitErrorCheck). Run as root on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
tolvarn_install_missing

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVARN_TESTS=OFF \
  -DTOLVARN_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target tolvarn tolvarn-calc >/dev/null

workdir="$build/workdir"
mkdir -p "$workdir/Log"
[ -f "$workdir/Data/Tolvarn.ini" ] || cp -r share/Data "$workdir/"
rm -rf "$workdir/Help" && cp -r share/Help "$workdir/"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "There is no display to show the window on. Under a virtual one:"
  echo "  apt-get install -y xvfb xauth && xvfb-run -a $build/app/tolvarn --workdir $workdir"
  echo "Or, without a window, the same calculation from the command line:"
  echo "  $build/cli/tolvarn-calc --workdir $workdir --set Item1Use=65 --set Item1UseD=1 \\"
  echo "      --set Item2Use=45 --set Item2UseD=1 --set Item2Cost=450"
  exit 1
fi
exec "$build/app/tolvarn" --workdir "$workdir" "$@"
