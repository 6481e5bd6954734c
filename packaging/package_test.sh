#!/usr/bin/env bash
# Builds the Debian packages from a build tree and checks them (lintian, hardening, contents,
# what each pulls in); then installs each on this machine, uses its program as a new user
# would (a fresh home directory, no display) and purges it again.
# Registered with ctest as debian_package:
#
#   package_test.sh BUILD_DIR CPACK DESKTOP_FILE METAINFO_FILE VERSION
#
# Needs root and apt; leaves nothing behind, also when it fails or is interrupted.
set -euo pipefail

if (($# != 5)); then
  echo "usage: $0 BUILD_DIR CPACK DESKTOP_FILE METAINFO_FILE VERSION" >&2
  exit 64
fi
build=$1 cpack=$2 desktop=$3 metainfo=$4 version=$5
readonly app_id=org.quennix.Tolvarn
started=$SECONDS

if ((EUID != 0)); then
  echo "skipped: installing a package needs root"
  exit 77 # ctest's SKIP_RETURN_CODE
fi

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
step() { echo "== $*"; }

for tool in desktop-file-validate appstreamcli apt-get apt-cache dpkg-deb dpkg-shlibdeps file gzip \
  lintian hardening-check; do
  command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/test.sh installs it)"
done
readonly packages=(tolvarn-common tolvarn-calc tolvarn)

# The test removes the packages it installs: never take away a copy someone installed. With one
# installed, the packages are checked in their contents alone.
someone_installed=
for package in "${packages[@]}"; do
  state=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [[ -n $state && $state != not-installed ]] && someone_installed+="$package ($state) "
done

tmp=$(mktemp -d)
# apt reads a local package as its own unprivileged user.
chmod 755 "$tmp"
installed=()
window_pid=
# The window keeps its lock in /run/user/UID when the system has that directory.
lock=/run/user/$EUID/Tolvarn.lock
lock_was_there=0
[[ -e $lock ]] && lock_was_there=1

purge() {
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -o DPkg::Lock::Timeout=120 "$@" \
    >"$tmp/remove.log" 2>&1
}
cleanup() {
  local status=$?
  set +e
  if [[ -n $window_pid ]]; then
    kill -KILL "$window_pid" 2>/dev/null
    wait "$window_pid" 2>/dev/null
  fi
  if ((${#installed[@]} > 0)); then
    echo "== removing ${installed[*]}"
    purge "${installed[@]}" || { cat "$tmp/remove.log"; status=1; }
  fi
  ((lock_was_there)) || rm -f "$lock"
  rm -rf "$tmp"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

step "validating the desktop file and the metainfo"
desktop-file-validate "$desktop" >"$tmp/validate.log" 2>&1 || { cat "$tmp/validate.log"; fail "desktop-file-validate $desktop"; }
# desktop-file-validate passes a file with warnings; this one should have none.
if [[ -s $tmp/validate.log ]]; then
  cat "$tmp/validate.log"
  fail "desktop-file-validate reported problems"
fi
appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli validate $metainfo"
grep -q "<release version=\"$version\" date=\"[0-9-]*\"/>" "$metainfo" ||
  fail "the metainfo has no release $version"

step "cpack -G DEB"
package_dir=$tmp/package
# -B keeps the packages and cpack's staging out of the build tree.
(cd "$build" && "$cpack" -G DEB -B "$package_dir") >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; fail "cpack -G DEB"; }
arch=$(dpkg --print-architecture)
declare -A deb
deb[tolvarn]=tolvarn_${version}_$arch.deb
deb[tolvarn-calc]=tolvarn-calc_${version}_$arch.deb
deb[tolvarn-common]=tolvarn-common_${version}_all.deb
for package in "${packages[@]}"; do
  [[ -f $package_dir/${deb[$package]} ]] ||
    { cat "$tmp/cpack.log"; ls -l "$package_dir"; fail "no ${deb[$package]}"; }
done

# The README's install line names the packages this build makes.
readme=$(dirname "$0")/../README.md
for package in "${packages[@]}"; do
  grep -q "build/package/${deb[$package]}" "$readme" || fail "the README does not install ${deb[$package]}"
done

step "lintian"
# Errors and warnings fail; the info tags kept are explained in the README.
(cd "$package_dir" && lintian --pedantic --display-info "${deb[@]}") >"$tmp/lintian.log" 2>&1 || true
cat "$tmp/lintian.log"
if grep -E '^[EW]: ' "$tmp/lintian.log"; then
  fail "lintian reported the errors or warnings above"
fi

step "each package's contents"
# Only the programs, their template and the desktop integration: no tests, benchmarks or
# tools, whatever install() rules the build tree may grow. Each package has its own copyright
# and changelog.
declare -A allowed wanted
allowed[tolvarn-common]='share/tolvarn/(Data|Help)/.+'
allowed[tolvarn-calc]='bin/tolvarn-calc|share/bash-completion/completions/tolvarn-calc'
allowed[tolvarn-calc]+='|share/man/man1/tolvarn-calc\.1\.gz'
allowed[tolvarn]="bin/tolvarn|share/applications/$app_id\.desktop"
allowed[tolvarn]+="|share/icons/hicolor/(scalable|[0-9]+x[0-9]+)/apps/$app_id\.(svg|png)"
allowed[tolvarn]+="|share/metainfo/$app_id\.metainfo\.xml|share/man/man1/tolvarn\.1\.gz"
wanted[tolvarn-common]='share/tolvarn/Data/Tolvarn.ini share/tolvarn/Help/index.htm'
wanted[tolvarn-calc]='bin/tolvarn-calc share/bash-completion/completions/tolvarn-calc'
wanted[tolvarn-calc]+=' share/man/man1/tolvarn-calc.1.gz'
wanted[tolvarn]="bin/tolvarn share/man/man1/tolvarn.1.gz share/metainfo/$app_id.metainfo.xml"
wanted[tolvarn]+=" share/icons/hicolor/scalable/apps/$app_id.svg"
for size in 16 24 32 48 64 128 256; do
  wanted[tolvarn]+=" share/icons/hicolor/${size}x$size/apps/$app_id.png"
done
for package in "${packages[@]}"; do
  file=$package_dir/${deb[$package]}
  dpkg-deb -f "$file" Package Version Architecture Depends
  dpkg-deb -c "$file" | awk '$1 !~ /^d/ { print $6 }' >"$tmp/files"
  pattern="^\./usr/(${allowed[$package]}|share/doc/$package/(copyright|changelog\.gz))\$"
  if grep -Ev "$pattern" "$tmp/files"; then
    fail "$package holds the files above, which do not belong in it"
  fi
  for path in ${wanted[$package]} share/doc/$package/copyright share/doc/$package/changelog.gz; do
    grep -qx -- "./usr/$path" "$tmp/files" || fail "$package has no /usr/$path"
  done
done
dpkg-deb --fsys-tarfile "$package_dir/${deb[tolvarn]}" |
  tar -xO "./usr/share/doc/tolvarn/changelog.gz" | gzip -dc | head -n 1 >"$tmp/changelog"
[[ $(cat "$tmp/changelog") == "tolvarn ($version) unstable; urgency=medium" ]] ||
  fail "the changelog does not begin with $version: $(cat "$tmp/changelog")"

step "hardening, man pages and icons"
mkdir "$tmp/unpacked"
for package in "${packages[@]}"; do
  dpkg-deb -x "$package_dir/${deb[$package]}" "$tmp/unpacked"
done
for program in tolvarn tolvarn-calc; do
  file=$tmp/unpacked/usr/bin/$program
  # Control-flow protection is left out: Debian 12's start-up objects, linked into every
  # program, are built without it.
  hardening-check --nocfprotection "$file" || fail "$program is not hardened"
  [[ $(file "$file") == *", stripped"* ]] || fail "$program is not stripped: $(file "$file")"
done
for page in tolvarn tolvarn-calc; do
  file=$tmp/unpacked/usr/share/man/man1/$page.1.gz
  # gzip -n: no name, no time stamp, so every build gives the same bytes.
  [[ $(od -An -tx1 -j3 -N5 "$file" | tr -d ' \n') == 0000000000 ]] ||
    fail "$file carries a name or a time stamp"
  [[ $(gzip -dc "$file" | head -n 1) == ".TH "*"\"Tolvarn $version\""* ]] ||
    fail "$file is not the page of version $version"
done
for size in 16 24 32 48 64 128 256; do
  icon=$tmp/unpacked/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png
  [[ $(file -b "$icon") == "PNG image data, $size x $size,"* ]] ||
    fail "$icon is not a $size x $size PNG: $(file -b "$icon")"
done

step "what each package pulls in"
# The command line needs no window toolkit, no X and no fonts: its whole dependency closure
# is checked, not just its own Depends.
closure() {
  local names
  names=$(dpkg-deb -f "$1" Depends | tr ',' '\n' | sed -E 's/\(.*\)//; s/\|.*//; s/ //g' |
    grep -v '^tolvarn-common$')
  apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
    --no-replaces --no-enhances $names 2>/dev/null | grep -E '^[a-z0-9]' | sort -u
}
closure "$package_dir/${deb[tolvarn-calc]}" >"$tmp/calc-closure"
echo "tolvarn-calc pulls in $(wc -l <"$tmp/calc-closure") packages"
if grep -E '^(libqt|libx11|libxcb|fonts-|libgl|libfontconfig)' "$tmp/calc-closure"; then
  fail "tolvarn-calc pulls in the window's libraries above"
fi
closure "$package_dir/${deb[tolvarn]}" >"$tmp/window-closure"
echo "tolvarn pulls in $(wc -l <"$tmp/window-closure") packages"
grep -q '^libqt6widgets6' "$tmp/window-closure" || fail "tolvarn does not depend on Qt Widgets"
[[ -z $(dpkg-deb -f "$package_dir/${deb[tolvarn-common]}" Depends) ]] ||
  fail "tolvarn-common depends on something"

if [[ -n $someone_installed ]]; then
  echo "installed on this machine: $someone_installed- the packages were checked in their"
  echo "contents; installing, running and removing them were left out, so as to leave that"
  echo "copy alone"
  exit 0
fi

# Installs the named packages together, from the folder they were made in.
install_packages() {
  local files=() package
  for package in "$@"; do files+=("./${deb[$package]}"); done
  installed=("$@")
  (cd "$package_dir" &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
      -o DPkg::Lock::Timeout=120 "${files[@]}") >"$tmp/install.log" 2>&1 ||
    { cat "$tmp/install.log"; fail "apt-get install ${files[*]}"; }
  for package in "$@"; do
    [[ $(dpkg-query -W -f='${Version}' "$package") == "$version" ]] ||
      fail "$package $version is not installed"
  done
}
# Purges what install_packages installed and checks that none of its files is left.
purge_packages() {
  local package path
  for package in "${installed[@]}"; do dpkg -L "$package" >>"$tmp/owned"; done
  purge "${installed[@]}" || { cat "$tmp/remove.log"; fail "apt-get purge ${installed[*]}"; }
  for package in "${installed[@]}"; do
    state=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [[ -z $state || $state == not-installed ]] || fail "$package is still $state"
  done
  installed=()
  while read -r path; do
    [[ -f $path || -L $path ]] && fail "$path is still there after the purge"
  done <"$tmp/owned"
  [[ ! -e /usr/share/tolvarn ]] || fail "/usr/share/tolvarn is still there after the purge"
  : >"$tmp/owned"
}

# Each program runs with a home directory of its own, outside any working directory, so that
# the first start has to make the working directory from /usr/share/tolvarn.
fresh_home() {
  mkdir -p "$1" "$tmp/run"
  chmod 700 "$tmp/run"
  fresh_env=(env HOME="$1" XDG_DATA_HOME= XDG_CONFIG_HOME= XDG_CACHE_HOME=
    XDG_RUNTIME_DIR="$tmp/run")
}

step "tolvarn-common alone"
install_packages tolvarn-common
[[ -f /usr/share/tolvarn/Data/Tolvarn.ini ]] || fail "no /usr/share/tolvarn/Data/Tolvarn.ini"
purge_packages

step "tolvarn-calc with tolvarn-common"
install_packages tolvarn-common tolvarn-calc
[[ ! -e /usr/bin/tolvarn ]] || fail "tolvarn-calc brought the window with it"
calc_home=$tmp/calc-home
fresh_home "$calc_home"
status=0
(cd "$tmp" && exec "${fresh_env[@]}" /usr/bin/tolvarn-calc \
  --set Item1Use=65 --set Item1UseD=1 --set Item2Use=45 --set Item2UseD=1 --set Item2Cost=450) \
  >"$tmp/calc.out" 2>"$tmp/calc.err" || status=$?
cat "$tmp/calc.out" "$tmp/calc.err"
((status == 0)) || fail "tolvarn-calc ended with status $status"
[[ ! -s $tmp/calc.err ]] || fail "tolvarn-calc wrote to stderr"
grep -q 'Water Volume Cost' "$tmp/calc.out" || fail "tolvarn-calc printed no record"
# The default tariff's costs over five years, as the README's screenshot shows them.
if ! grep -q '404\.25 over' "$tmp/calc.out" || ! grep -q '729\.87 over' "$tmp/calc.out"; then
  fail "tolvarn-calc worked out other costs than on the default tariff"
fi
cmp "$calc_home/.local/share/tolvarn/Data/Tolvarn.ini" /usr/share/tolvarn/Data/Tolvarn.ini ||
  fail "the first start did not copy the template to ~/.local/share/tolvarn"
purge_packages

step "tolvarn with tolvarn-common: the window, offscreen, from a fresh home directory"
install_packages tolvarn-common tolvarn
window_home=$tmp/window-home
fresh_home "$window_home"
# exec: $! is the window's own process.
(cd "$tmp" && exec "${fresh_env[@]}" QT_QPA_PLATFORM=offscreen /usr/bin/tolvarn) \
  >"$tmp/window.out" 2>&1 &
window_pid=$!
log=$window_home/.local/share/tolvarn/Log/Tolvarn.log
for ((tries = 0; tries < 600; tries++)); do
  grep -qs 'Tolvarn Started' "$log" && break
  kill -0 "$window_pid" 2>/dev/null || {
    cat "$tmp/window.out"
    fail "the window ended before it logged its start"
  }
  sleep 0.1
done
grep -qs 'Tolvarn Started' "$log" || { cat "$tmp/window.out"; fail "no start entry in $log after 60 s"; }
# Still there a moment later: it started and stays up, waiting for the user.
sleep 1
kill -0 "$window_pid" 2>/dev/null || { cat "$tmp/window.out"; fail "the window ended by itself"; }
kill -TERM "$window_pid"
status=0
wait "$window_pid" || status=$?
window_pid=
((status == 0 || status == 128 + 15)) || { cat "$tmp/window.out"; fail "the window ended with status $status on SIGTERM"; }
echo "started, logged \"Tolvarn Started\", quit on SIGTERM"

purge_packages

echo "passed in $((SECONDS - started)) s"
