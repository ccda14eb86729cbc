#!/usr/bin/env bash
# By hand, as root, for minutes: the README's test command on a bare Debian 12
# (debootstrap minbase) holding a clone of this branch's last commit, then the
# built package installed with apt and run.    fresh_debian.sh [MIRROR]
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
root=$(mktemp -d "${TMPDIR:-/var/tmp}/junkfall-bookworm.XXXXXX")
log=$root.log
mounts=()
cleanup() {
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount "${mounts[i]}"; done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT
trap 'echo "FAIL, see $log" >&2' ERR
SECONDS=0
debootstrap --variant=minbase bookworm "$root" "${1:-http://deb.debian.org/debian}" >"$log" 2>&1
for m in proc sys dev dev/pts; do mount --bind "/$m" "$root/$m" && mounts+=("$root/$m"); done
git clone -q --branch "$(git -C "$repo" rev-parse --abbrev-ref HEAD)" "$repo" "$root/junkfall"
echo "-- bare Debian 12 ready: ${SECONDS}s"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root bash -euc "$1" >>"$log" 2>&1; }
in_root 'cd /junkfall && bash scripts/test.sh'
grep -E 'tests passed|Total Test time' "$log"
echo "-- README's test command passed: ${SECONDS}s"
in_root 'cd /junkfall/build && cpack -G DEB && apt-get install -y ./junkfall_*.deb
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
  [ $alive = yes ] && [ $st = 0 ]'
grep -E '^junkfall [0-9]|newly installed|game alive' "$log"
echo "-- fresh Debian 12 passed in ${SECONDS}s; log in $log"
