#!/usr/bin/env bash
# Installs, on Debian 12, the packages that building and testing Tolvarn need, when missing.
# Sourced by run.sh and test.sh.
tolvarn_packages=(
  build-essential cmake ninja-build clang-format
  libgtest-dev libgmock-dev libbenchmark-dev librapidcheck-dev
  libcli11-dev nlohmann-json3-dev
  qt6-base-dev libfontconfig-dev fonts-liberation2
  clang-14 libclang-rt-14-dev
  locales
  desktop-file-utils appstream xdg-utils dpkg-dev file python3
  lintian devscripts librsvg2-bin
)

tolvarn_install_missing() {
  local missing=()
  local package
  for package in "${tolvarn_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# The locales that the currency and date tests use.
tolvarn_generate_locales() {
  local wanted=(en_GB.UTF-8 en_US.UTF-8 de_DE.UTF-8)
  local locale missing=0
  for locale in "${wanted[@]}"; do
    locale -a 2>/dev/null | grep -qix "${locale/UTF-8/utf8}" || missing=1
  done
  ((missing == 0)) && return 0
  for locale in "${wanted[@]}"; do
    grep -q "^${locale} UTF-8" /etc/locale.gen 2>/dev/null || echo "${locale} UTF-8" >>/etc/locale.gen
  done
  locale-gen >/dev/null
}

# Builds the screenshot tool in build/release (the window's code, without tests), for the
# scripts that show the window on a display server of their own.
tolvarn_build_screenshot_tool() {
  build=build/release
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVARN_TESTS=OFF \
    -DTOLVARN_BENCHMARKS=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)" --target tolvarn-screenshot >/dev/null
}

# A working directory at $1 with the default tariff, the help pages and an empty Log/.
tolvarn_stage_workdir() {
  mkdir -p "$1/Log"
  cp -r share/Data share/Help "$1/"
}
