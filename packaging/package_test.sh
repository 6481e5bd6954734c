#!/usr/bin/env bash
# Builds the Debian package from a build tree, installs it on this machine, uses both programs
# from it as a new user would (a fresh home directory, no display) and removes it again.
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

for tool in desktop-file-validate appstreamcli apt-get dpkg-deb dpkg-shlibdeps file gzip; do
  command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/test.sh installs it)"
done

# The test removes the package it installs: never take away a copy someone installed. With one
# installed, the package is checked in its contents alone.
state=$(dpkg-query -W -f='${db:Status-Status}' tolvarn 2>/dev/null || true)
someone_installed=0
[[ -n $state && $state != not-installed ]] && someone_installed=1

tmp=$(mktemp -d)
# apt reads a local package as its own unprivileged user.
chmod 755 "$tmp"
installed=0
window_pid=
# The window keeps its lock in /run/user/UID when the system has that directory.
lock=/run/user/$EUID/Tolvarn.lock
lock_was_there=0
[[ -e $lock ]] && lock_was_there=1

cleanup() {
  local status=$?
  set +e
  if [[ -n $window_pid ]]; then
    kill -KILL "$window_pid" 2>/dev/null
    wait "$window_pid" 2>/dev/null
  fi
  if ((installed)); then
    echo "== removing the package"
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -o DPkg::Lock::Timeout=120 tolvarn \
      >"$tmp/remove.log" 2>&1 || { cat "$tmp/remove.log"; status=1; }
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
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"

step "cpack -G DEB"
package_dir=$tmp/package
# -B keeps the package and cpack's staging out of the build tree.
(cd "$build" && "$cpack" -G DEB -B "$package_dir") >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; fail "cpack -G DEB"; }
deb_name=tolvarn_${version}_$(dpkg --print-architecture).deb
[[ -f $package_dir/$deb_name ]] || { cat "$tmp/cpack.log"; ls -l "$package_dir"; fail "no $deb_name"; }
deb=$package_dir/$deb_name

step "the package's contents"
dpkg-deb -f "$deb" Package Version Architecture Section Maintainer Homepage Depends
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libqt6widgets6 fonts-liberation2 xdg-utils; do
  [[ $depends == *"$needed"* ]] || fail "Depends has no $needed: $depends"
done
# Only the programs, their template and the desktop integration: no tests, benchmarks or
# tools, whatever install() rules the build tree may grow.
allowed='^\./usr/(bin/tolvarn|bin/tolvarn-calc|share/tolvarn/(Data|Help)/.+'
allowed+="|share/applications/$app_id\.desktop"
allowed+="|share/icons/hicolor/scalable/apps/$app_id\.svg"
allowed+="|share/metainfo/$app_id\.metainfo\.xml"
allowed+='|share/bash-completion/completions/tolvarn-calc'
allowed+='|share/man/man1/tolvarn(-calc)?\.1\.gz|share/doc/tolvarn/copyright)$'
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' >"$tmp/files"
if grep -Ev "$allowed" "$tmp/files"; then
  fail "the package holds the files above, which do not belong in it"
fi
for wanted in ./usr/bin/tolvarn ./usr/bin/tolvarn-calc ./usr/share/tolvarn/Data/Tolvarn.ini \
  ./usr/share/bash-completion/completions/tolvarn-calc \
  ./usr/share/man/man1/tolvarn.1.gz ./usr/share/man/man1/tolvarn-calc.1.gz; do
  grep -qx -- "$wanted" "$tmp/files" || fail "the package has no $wanted"
done

if ((someone_installed)); then
  echo "tolvarn is installed on this machine ($state): the package was checked in its contents;"
  echo "installing, running and removing it were left out, so as to leave that copy alone"
  exit 0
fi

step "apt-get install ./$deb_name"
installed=1
(cd "$package_dir" &&
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
    -o DPkg::Lock::Timeout=120 "./$deb_name") >"$tmp/install.log" 2>&1 ||
  { cat "$tmp/install.log"; fail "apt-get install ./$deb_name"; }
[[ $(dpkg-query -W -f='${Version}' tolvarn) == "$version" ]] || fail "tolvarn $version is not installed"

step "the installed files"
for file in /usr/bin/tolvarn /usr/bin/tolvarn-calc; do
  [[ -x $file ]] || fail "$file is missing"
  description=$(file "$file")
  [[ $description == *", stripped"* ]] || fail "$file is not stripped: $description"
done
for file in /usr/share/tolvarn/Data/Tolvarn.ini /usr/share/tolvarn/Help/index.htm \
  "/usr/share/applications/$app_id.desktop" \
  "/usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
  "/usr/share/metainfo/$app_id.metainfo.xml"; do
  [[ -f $file ]] || fail "$file is missing"
done
# Slim Debian images tell dpkg to leave man pages out; there the package itself was checked.
if grep -qs '^path-exclude.*/usr/share/man' /etc/dpkg/dpkg.cfg.d/*; then
  echo "dpkg leaves out /usr/share/man on this machine: the man pages were checked in the package only"
else
  for page in tolvarn tolvarn-calc; do
    file=/usr/share/man/man1/$page.1.gz
    [[ -f $file ]] || fail "$file is missing"
    # gzip -n: no name, no time stamp, so every build gives the same bytes.
    [[ $(od -An -tx1 -j3 -N5 "$file" | tr -d ' \n') == 0000000000 ]] ||
      fail "$file carries a name or a time stamp"
    [[ $(gzip -dc "$file" | head -n 1) == ".TH "*"\"Tolvarn $version\""* ]] ||
      fail "$file is not the page of version $version"
  done
fi

# Each program runs with a home directory of its own, outside any working directory, so that
# the first start has to make the working directory from /usr/share/tolvarn.
fresh_home() {
  mkdir -p "$1" "$tmp/run"
  chmod 700 "$tmp/run"
  fresh_env=(env HOME="$1" XDG_DATA_HOME= XDG_CONFIG_HOME= XDG_CACHE_HOME=
    XDG_RUNTIME_DIR="$tmp/run")
}

step "tolvarn-calc from a fresh home directory"
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

step "the window, offscreen, from a fresh home directory"
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

step "apt-get remove tolvarn"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -o DPkg::Lock::Timeout=120 tolvarn \
  >"$tmp/remove.log" 2>&1 || { cat "$tmp/remove.log"; fail "apt-get remove tolvarn"; }
installed=0
state=$(dpkg-query -W -f='${db:Status-Status}' tolvarn 2>/dev/null || true)
[[ -z $state || $state == not-installed ]] || fail "tolvarn is still $state"
for left in /usr/bin/tolvarn /usr/bin/tolvarn-calc /usr/share/tolvarn; do
  [[ ! -e $left ]] || fail "$left is still there after removing the package"
done

echo "passed in $((SECONDS - started)) s"
