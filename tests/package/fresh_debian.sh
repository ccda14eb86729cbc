#!/usr/bin/env bash
# By hand, as root, for minutes: the README's two commands on a bare Debian
# (debootstrap minbase: bookworm, or trixie) holding a clone of this branch's
# last commit. The play command first, its window looked for on a virtual
# display of this machine, then the test command, each with what it installed;
# then the built package installed with apt and run.
#    fresh_debian.sh [RELEASE [MIRROR]]
set -euo pipefail
release=${1:-bookworm}
repo=$(cd "$(dirname "$0")/../.." && pwd)
root=$(mktemp -d "${TMPDIR:-/var/tmp}/junkfall-$release.XXXXXX")
log=$root.log
mounts=() x=""
cleanup() {
  [ -n "$x" ] && kill "$x" 2>/dev/null
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount "${mounts[i]}" || umount -l "${mounts[i]}"; done
  # never remove through a mount that is still there: /run and /tmp/.X11-unix are this machine's
  if findmnt -rn -o TARGET | grep -q "^$root/"; then echo "left $root, still mounted" >&2
  else rm -rf --one-file-system "$root"; fi
}
trap cleanup EXIT
trap 'echo "FAIL, see $log" >&2' ERR
SECONDS=0
mirror=${2:-http://deb.debian.org/debian}
debootstrap --variant=minbase "$release" "$root" "$mirror" >"$log" 2>&1
# the updates and security suites, as an installed system has them (debootstrap adds neither)
rm -f "$root/etc/apt/sources.list"
printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n\n' \
  "$mirror" "$release $release-updates" /usr/share/keyrings/debian-archive-keyring.gpg \
  "$mirror-security" "$release-security" /usr/share/keyrings/debian-archive-keyring.gpg \
  >"$root/etc/apt/sources.list.d/debian.sources"
mkdir -p "$root/tmp/.X11-unix"
# /run as a booted system has it: Debian 12's WirePlumber quits without systemd's
for m in proc sys dev dev/pts run tmp/.X11-unix; do mount --bind "/$m" "$root/$m" && mounts+=("$root/$m"); done
git clone -q --branch "$(git -C "$repo" rev-parse --abbrev-ref HEAD)" "$repo" "$root/junkfall"
echo "-- bare $release ready: ${SECONDS}s"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }
footprint() {  # packages and installed MB, after the given step
  in_root dpkg-query -W -f '${Installed-Size}\n' | awk -v step="$1" '{ n++; kb += $1 } END {
    printf "-- %s: %d packages, %d MB installed\n", step, n, kb / 1024 }'
}
footprint "bare $release"

# the play command, on a display of this machine: its window must come up
display=$((700 + RANDOM % 100))
Xvfb ":$display" -screen 0 800x600x24 -nolisten tcp & x=$!
in_root env DISPLAY=":$display" bash -c 'cd /junkfall && bash scripts/play.sh' >>"$log" 2>&1 & game=$!
for ((t = 0; t < 3000; t++)); do
  DISPLAY=":$display" xwininfo -name Junkfall >/dev/null 2>&1 && break
  kill -0 $game 2>/dev/null || { echo "the play command ended without a window" >&2; false; }
  sleep 0.2
done
echo "-- the play command's window is up: ${SECONDS}s"
pkill -TERM -f "^./build/junkfall" && wait $game || true
footprint "after the play command"

in_root bash -euc 'cd /junkfall && bash scripts/test.sh' >>"$log" 2>&1
grep -E 'tests passed|Total Test time|skipped:' "$log"
echo "-- README's test command passed: ${SECONDS}s"
footprint "after the test command"
in_root bash -euc 'cd /junkfall/build && cpack -G DEB && apt-get install -y ./junkfall_*.deb
  /usr/games/junkfall --version
  # the installed game on a virtual display: its window comes up, and three
  # seconds later it still runs (past its data file)
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>/tmp/display & x=$!
  for ((t = 0; t < 300; t++)); do [ -s /tmp/display ] && break; sleep 0.1; done
  export DISPLAY=:$(cat /tmp/display)
  /usr/games/junkfall & g=$!
  for ((t = 0; t < 300; t++)); do xwininfo -name Junkfall >/dev/null 2>&1 && break; sleep 0.1; done
  sleep 3
  alive=yes; grep -q "^State:.Z" /proc/$g/status && alive=no
  kill $g; st=0; wait $g || st=$?   # SIGTERM leaves as Quit does
  kill $x; wait $x || true
  echo "installed game alive 3 s after its window appeared: $alive, status after SIGTERM: $st"
  [ $alive = yes ] && [ $st = 0 ]' >>"$log" 2>&1
grep -E '^junkfall [0-9]|newly installed|game alive' "$log"
echo "-- fresh $release passed in ${SECONDS}s; log in $log"
