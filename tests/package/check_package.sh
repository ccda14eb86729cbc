#!/usr/bin/env bash
# Checks what the build installs and packages, without touching the system:
#   check_package.sh BUILD_DIR [deb] [install] [run]     (all three if none)
# deb      builds the .deb with cpack into a scratch directory and checks its
#          file list, its files and its control fields
# install  installs into a scratch prefix and checks the tree
# run      runs that tree's launcher from another directory on a private X
#          server: it must find its data; without the data it must say where
#          it looked
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
. "$here/lib.sh"

[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [deb] [install] [run]" >&2; exit 2; }
build=$(cd "$1" && pwd)
shift
checks=("$@")
[ ${#checks[@]} -gt 0 ] || checks=(deb install run)

[ -f "$build/CMakeCache.txt" ] || fail "$build is not a configured build directory"
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt" | head -n1; }
source_dir=$(cache CMAKE_HOME_DIRECTORY)
version=$(cache CMAKE_PROJECT_VERSION)
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
gamedir=$(cache JUNKFALL_INSTALL_GAMEDIR)
linkdir=$(cache JUNKFALL_INSTALL_LINKDIR)
[[ -n $gamedir && -n $linkdir ]] || fail "no install directories in $build/CMakeCache.txt"
datadir=share

scratch=$(mktemp -d "${TMPDIR:-/tmp}/junkfall-package.XXXXXX")
cleanup() {
  end_started
  rm -rf "$scratch"
}
trap cleanup EXIT

# everything a package or an install tree may hold, files and links, relative
# to the prefix; anything more (a test, a build-tree file) is a fault
expected_files() {
  printf '%s\n' \
    "$linkdir/junkfall" \
    "$gamedir/junkfall" \
    "$gamedir/media/data.dat" \
    "$datadir/applications/junkfall.desktop" \
    "$datadir/icons/hicolor/48x48/apps/junkfall.png" \
    "$datadir/icons/hicolor/128x128/apps/junkfall.png" | sort
}

# check_tree ROOT: ROOT is a prefix holding exactly the installed files
check_tree() {
  local root=$1
  local got
  got=$(cd "$root" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort)
  [ "$got" = "$(expected_files)" ] ||
    fail "files under $root differ from the expected set:
$(diff <(expected_files) <(printf '%s\n' "$got") || true)"

  local link=$root/$linkdir/junkfall exe=$root/$gamedir/junkfall
  [ -L "$link" ] || fail "$link is not a symbolic link"
  local target
  target=$(readlink "$link")
  # relative, so the tree still works wherever it is unpacked or moved to
  [ "${target#/}" = "$target" ] || fail "$link points at an absolute path: $target"
  [ "$(readlink -f "$link")" = "$(readlink -f "$exe")" ] ||
    fail "$link resolves to $(readlink -f "$link"), not $exe"
  [[ -x $exe && ! -L $exe ]] || fail "$exe is not an executable file"
  [ "$(head -c4 "$exe" | od -An -c | tr -d ' ')" = '177ELF' ] || fail "$exe is not an ELF program"
  # the game looks for media/data.dat beside the file the link resolves to
  cmp -s "$(dirname "$(readlink -f "$link")")/media/data.dat" "$build/media/data.dat" ||
    fail "no copy of the build's data file beside the real executable"
  cmp -s "$root/$datadir/applications/junkfall.desktop" "$source_dir/packaging/junkfall.desktop" ||
    fail "the installed desktop file is not packaging/junkfall.desktop"
  local size
  for size in 48 128; do
    cmp -s "$root/$datadir/icons/hicolor/${size}x${size}/apps/junkfall.png" \
      "$build/icons/junkfall-$size.png" || fail "the ${size}x${size} icon is not the built one"
  done
  local mode
  for f in "$gamedir/media/data.dat" "$datadir/applications/junkfall.desktop"; do
    mode=$(stat -c %a "$root/$f")
    [ "$mode" = 644 ] || fail "$f has mode $mode, not 644"
  done
  mode=$(stat -c %a "$exe")
  [ "$mode" = 755 ] || fail "$gamedir/junkfall has mode $mode, not 755"
}

install_tree() {
  local prefix=$1
  cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
    fail "cmake --install failed: $(cat "$scratch/install.log")"
}

check_deb() {
  need cpack cmake
  need dpkg-deb dpkg
  local out=$scratch/deb
  mkdir -p "$out"
  # a private package directory, so cpack's staging area is ours alone
  (cd "$build" && cpack -G DEB -B "$out") >"$scratch/cpack.log" 2>&1 ||
    fail "cpack failed: $(tail -n 30 "$scratch/cpack.log")"
  local debs=("$out"/junkfall_*.deb)
  [[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "cpack made no single junkfall_*.deb in $out"
  local deb=${debs[0]}
  note "built $(basename "$deb")"

  local arch
  arch=$(dpkg --print-architecture)
  field() { dpkg-deb -f "$deb" "$1"; }
  [ "$(field Package)" = junkfall ] || fail "Package is '$(field Package)'"
  [[ "$(field Version)" == "$version"-* || "$(field Version)" == "$version" ]] ||
    fail "Version is '$(field Version)', not $version"
  [ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)', not $arch"
  [ "$(basename "$deb")" = "junkfall_$(field Version)_$arch.deb" ] ||
    fail "the package file is named $(basename "$deb")"
  local depends
  depends=$(field Depends)
  # the runtime library, never its -dev package
  grep -Eq '(^|, )liballegro4\.4( |,|$)' <<<"$depends" || fail "Depends lacks liballegro4.4: $depends"
  if grep -q 'liballegro4-dev' <<<"$depends"; then
    fail "Depends names the -dev package: $depends"
  fi
  grep -Eq '(^|, )libc6( |,|$)' <<<"$depends" || fail "Depends lacks libc6: $depends"
  [ -n "$(field Maintainer)" ] || fail "no Maintainer"
  [ "$(field Section)" = games ] || fail "Section is '$(field Section)'"
  grep -qi 'banana' <<<"$(field Description)" || fail "Description is not the game's"
  note "control: $(field Package) $(field Version) $(field Architecture); Depends: $depends"

  # the file list, with the paths the package puts them at
  local listing
  listing=$(dpkg-deb -c "$deb")
  local prefixed
  prefixed=$(expected_files | sed 's|^|./usr/|')
  local got
  got=$(awk '$1 !~ /^d/ { print $6 }' <<<"$listing" | sort)
  [ "$got" = "$prefixed" ] ||
    fail "the package's files differ from the expected set:
$(diff <(printf '%s\n' "$prefixed") <(printf '%s\n' "$got") || true)"
  local owners
  owners=$(awk '{ print $2 }' <<<"$listing" | sort -u)
  if [ "$owners" != root/root ]; then
    fail "files not owned by root:
$listing"
  fi
  grep -q "^l.* ./usr/$linkdir/junkfall -> " <<<"$listing" || fail "no launcher link in the package"

  # and what it holds, unpacked
  local root=$scratch/unpacked
  dpkg-deb -x "$deb" "$root"
  check_tree "$root/usr"
  note "package holds: $(tr '\n' ' ' <<<"$prefixed")"
}

check_install() {
  local prefix=$scratch/prefix
  install_tree "$prefix"
  check_tree "$prefix"
  # a second install over the first must not trip over the existing link
  install_tree "$prefix"
  check_tree "$prefix"
  grep -qx "$prefix/$linkdir/junkfall" "$build/install_manifest.txt" ||
    fail "the launcher link is not in install_manifest.txt"
  note "install into $prefix: launcher $linkdir/junkfall -> $(readlink "$prefix/$linkdir/junkfall")"
}

check_run() {
  need import-im6.q16 imagemagick
  need convert-im6.q16 imagemagick
  local prefix=$scratch/run-prefix
  install_tree "$prefix"
  start_xvfb "$scratch"
  local dir=$scratch/game
  mkdir -p "$dir"
  make_xmessage "$dir"
  # from elsewhere, through the link in its bin directory and through PATH
  expect_splash "$dir" /tmp "$prefix/$linkdir/junkfall"
  PATH="$prefix/$linkdir:$PATH" expect_splash "$dir" / junkfall
  # without its data the game must name the file beside the real executable
  rm "$prefix/$gamedir/media/data.dat"
  expect_load_error "$dir" /tmp "$(readlink -f "$prefix/$gamedir")/media/data.dat" \
    "$prefix/$linkdir/junkfall"
}

for c in "${checks[@]}"; do
  case $c in
    deb) check_deb ;;
    install) check_install ;;
    run) check_run ;;
    *) fail "unknown check '$c' (deb, install or run)" ;;
  esac
done
echo "package checks passed: ${checks[*]}"
