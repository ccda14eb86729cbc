#!/usr/bin/env bash
# Opt-in, as root, takes minutes: the README's test command on a bare Debian 12.
# Builds a minimal bookworm tree with debootstrap, clones this repository's
# committed state into it, runs scripts/test.sh there in a chroot, then
# installs the built package with apt and runs it.
#   fresh_debian.sh [MIRROR]       (default http://deb.debian.org/debian)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
mirror=${1:-http://deb.debian.org/debian}
root=$(mktemp -d "${TMPDIR:-/var/tmp}/junkfall-bookworm.XXXXXX")
mounts=()
cleanup() {
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount "${mounts[i]}"; done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT

SECONDS=0
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
  { tail -n 20 "$root.log"; exit 1; }
rm -f "$root.log"
echo "-- debootstrap: ${SECONDS}s"
for m in proc sys dev dev/pts; do
  mount --bind "/$m" "$root/$m"
  mounts+=("$root/$m")
done
git clone -q --branch "$(git -C "$repo" rev-parse --abbrev-ref HEAD)" "$repo" "$root/junkfall"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root bash -euc "$1"; }
in_root 'cd /junkfall && bash scripts/test.sh'
echo "-- README's test command passed: ${SECONDS}s"
in_root 'cd /junkfall/build && cpack -G DEB >/dev/null && apt-get install -y -qq ./junkfall_*.deb >/dev/null
  /usr/games/junkfall --version
  # still running after 8 s on a virtual display: past its start-up checks
  status=0; timeout -k 5 8 xvfb-run -a -s "-screen 0 800x600x24" /usr/games/junkfall || status=$?
  [ "$status" -eq 124 ] || { echo "the installed game exited early: $status"; exit 1; }'
echo "-- fresh Debian 12 passed in ${SECONDS}s"
