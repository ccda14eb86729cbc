#!/usr/bin/env bash
# check_package.sh BUILD_DIR: an install and the unpacked .deb hold exactly the
# layout below and answer --version; two package builds are identical; the
# control fields match; the desktop tools, groff and lintian do not complain.
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
build=$(cd "$1" && pwd)
src=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
scratch=$(mktemp -d "${TMPDIR:-/tmp}/junkfall-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch  # lintian leaves a database (mldbm-elf-*) in the temporary directory
id=io.github.junkfall.Junkfall
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# path under the prefix, then: -> link target | exe | file | png SIZE
layout="games/junkfall -> ../lib/games/junkfall/junkfall
lib/games/junkfall/junkfall exe
lib/games/junkfall/media/data.dat -> ../../../../share/games/junkfall/data.dat
share/games/junkfall/data.dat file
share/applications/$id.desktop file
share/metainfo/$id.metainfo.xml file
share/man/man6/junkfall.6.gz file
share/doc/junkfall/copyright file
share/doc/junkfall/changelog.gz file
$(for s in 16 32 48 64 128 256; do echo "share/icons/hicolor/${s}x$s/apps/junkfall.png png $s"; done)"

check_tree() {
  local root=$1 path kind arg f
  while read -r path kind arg; do
    f=$root/$path
    case $kind in
      '->') [ "$(readlink "$f")" = "$arg" ] || fail "$f is not a link to $arg" ;;
      exe) [[ -f $f && ! -L $f && $(stat -c %a "$f") = 755 ]] || fail "$f is not a 755 program" ;;
      file) [[ -f $f && ! -L $f && $(stat -c %a "$f") = 644 ]] || fail "$f is not a 644 file" ;;
      png) file -b "$f" | grep -q "^PNG image data, $arg x $arg," || fail "$f is not a ${arg}px PNG" ;;
    esac
  done <<<"$layout"
  diff <(cut -d' ' -f1 <<<"$layout" | sort) <(cd "$root" && find . ! -type d | sed 's|^\./||' | sort) ||
    fail "$root holds other files than the layout"
  cmp "$(dirname "$(readlink -f "$root/games/junkfall")")/media/data.dat" "$build/media/data.dat" || fail "data"
  [ "$(cd / && "$root/games/junkfall" --version)" = "junkfall $version" ] || fail "$root: --version"
}

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null && check_tree "$scratch/prefix"
for run in a b; do
  (cd "$build" && cpack -G DEB -B "$scratch/$run") >"$scratch/cpack.log" 2>&1 || fail "cpack: $(cat "$scratch/cpack.log")"
done
deb=$(echo "$scratch"/a/junkfall_*.deb)
cmp "$deb" "$scratch/b/$(basename "$deb")" || fail "two package builds differ"
sha256sum "$deb"
dpkg-deb -x "$deb" "$scratch/root"
check_tree "$scratch/root/usr"

# control field, then what it must match
control="Package ^junkfall$
Version ^$version$
Architecture ^$(dpkg --print-architecture)$
Section ^games$
Depends (^|, )liballegro4\.4(t64)? \(>= [^)]*\), libasound2(t64)? \(>= [^)]*\), libc6
Recommends ^x11-utils$"
while read -r field want; do
  dpkg-deb -f "$deb" "$field" | grep -Eq "$want" || fail "$field: $(dpkg-deb -f "$deb" "$field")"
done <<<"$control"

# each tool must succeed and print no error or warning
tools="desktop-file-validate $src/packaging/$id.desktop
appstreamcli validate --no-net $src/packaging/$id.metainfo.xml
groff -man -Tutf8 -z -ww $src/packaging/junkfall.6
lintian --pedantic --fail-on error,warning $deb"
while read -r -a cmd; do
  out=$("${cmd[@]}" 2>&1 </dev/null) || fail "${cmd[*]}: $out"
  ! grep -Ei '^[EW]: |warning|error|hint' <<<"$out" || fail "${cmd[*]} complains"
  echo "${cmd[0]}: ${out:-no output}"
done <<<"$tools"
echo "package checks passed"
