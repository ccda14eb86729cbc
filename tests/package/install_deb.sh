#!/usr/bin/env bash
# Installs the .deb onto this machine, checks it, runs the game the way the
# menu would, and removes the package again. It changes the system, so it is
# run by hand (as root), never from ctest:
#   install_deb.sh BUILD_DIR          builds the package with cpack first
#   install_deb.sh junkfall_*.deb
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
. "$here/lib.sh"

[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR | junkfall_VERSION_ARCH.deb" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || fail "installing a package needs root"
need apt-get apt
need dpkg-deb dpkg
need import-im6.q16 imagemagick
need convert-im6.q16 imagemagick
# status of a package, or nothing when dpkg has never heard of it
status() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true; }
if [ "$(status junkfall)" = "install ok installed" ]; then
  fail "junkfall is installed already; remove it first (apt-get remove junkfall)"
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/junkfall-deb.XXXXXX")
installed=no
cleanup() {
  end_started
  if [ "$installed" = yes ]; then
    echo "-- removing the package after a failure" >&2
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq junkfall >/dev/null 2>&1 || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

if [ -f "$1" ]; then
  deb=$(readlink -f "$1")
else
  need cpack cmake
  build=$(cd "$1" && pwd)
  (cd "$build" && cpack -G DEB -B "$scratch/deb") >"$scratch/cpack.log" 2>&1 ||
    fail "cpack failed: $(tail -n 30 "$scratch/cpack.log")"
  deb=$(ls "$scratch"/deb/junkfall_*.deb)
fi
note "package: $(basename "$deb"); Depends: $(dpkg-deb -f "$deb" Depends)"

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# the dependencies come from the archive, as on a fresh machine
installed=yes
apt-get install -y "$deb" >"$scratch/apt.log" 2>&1 ||
  fail "apt-get install failed: $(tail -n 20 "$scratch/apt.log")"
[ "$(status junkfall)" = "install ok installed" ] || fail "junkfall is not installed"
[ "$(status liballegro4.4)" = "install ok installed" ] || fail "liballegro4.4 was not pulled in"
note "installed; apt said: $(grep -E 'newly installed|upgraded' "$scratch/apt.log" | head -n1)"

# where this package keeps its launcher and its game: the one link it holds
link=$(dpkg-deb -c "$deb" | awk '$1 ~ /^l/ && $6 ~ /\/junkfall$/ { print substr($6, 2); exit }')
[ -n "$link" ] || fail "the package holds no junkfall link"
game=$(realpath -m "$(dirname "$link")/$(readlink "$link")")

listed=$(dpkg -L junkfall)
for f in "$link" "$game" "$(dirname "$game")/media/data.dat" \
  /usr/share/applications/junkfall.desktop \
  /usr/share/icons/hicolor/48x48/apps/junkfall.png /usr/share/icons/hicolor/128x128/apps/junkfall.png; do
  grep -qx "$f" <<<"$listed" || fail "dpkg -L junkfall lacks $f"
  [ -e "$f" ] || fail "$f is listed but missing"
done
note "dpkg -L junkfall lists the launcher $link, the game $game, its data, the desktop entry and both icons"

# the menu runs Exec through the session's PATH
desktop_path=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games
exec_cmd=$(sed -n 's/^Exec=//p' /usr/share/applications/junkfall.desktop)
found=$(PATH=$desktop_path command -v "$exec_cmd") || fail "'$exec_cmd' is not on $desktop_path"
[ "$(readlink -f "$found")" = "$game" ] || fail "$found resolves to $(readlink -f "$found"), not $game"
missing=$(ldd "$game" | grep 'not found' || true)
[ -z "$missing" ] || fail "libraries missing: $missing"
note "Exec=$exec_cmd is $found -> $(readlink -f "$found")"

start_xvfb "$scratch"
dir=$scratch/game
mkdir -p "$dir"
make_xmessage "$dir"
PATH=$desktop_path expect_splash "$dir" / "$exec_cmd"
expect_splash "$dir" /tmp "$link"
end_started

apt-get remove -y -qq junkfall >"$scratch/remove.log" 2>&1 ||
  fail "apt-get remove failed: $(tail -n 20 "$scratch/remove.log")"
installed=no
if [ "$(status junkfall)" = "install ok installed" ]; then
  fail "junkfall is still installed after apt-get remove"
fi
for f in "$link" "$(dirname "$game")"; do
  [[ ! -e $f && ! -L $f ]] || fail "$f is left after apt-get remove"
done
note "removed; no files left"
echo "package install checks passed"
