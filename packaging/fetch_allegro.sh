#!/usr/bin/env bash
# Fetches the Allegro 4.4 library's original source tarball from Debian,
# checks it and unpacks it:  fetch_allegro.sh WORK_DIR SOURCE_DIR [TARBALL]
# apt-get fetches it with a configuration of its own under WORK_DIR (nothing
# of the system's is read or changed) and checks it against the archive's
# signed index; the SHA-256 below pins the very file. A TARBALL given, or one
# fetched before, is used as it is once it matches.
set -euo pipefail
work=$1
src=$2
name=allegro4.4_4.4.3.1.orig.tar.gz
sha256=ec19dbc9a021244582b4819b3583ee594b50141f9fcf6944a4ed8069cbf8d4d4
tarball=${3:-$work/$name}

matches() { [ -f "$1" ] && echo "$sha256  $1" | sha256sum -c --status; }

if ! matches "$tarball"; then
  tarball=$work/$name
  mkdir -p "$work/sources" "$work/lists/partial"
  cat >"$work/sources/src.sources" <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  opts=(-o Dir::Etc::sourcelist=/dev/null -o "Dir::Etc::sourceparts=$work/sources"
        -o "Dir::State::Lists=$work/lists"
        -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=)
  apt-get "${opts[@]}" -qq update
  (cd "$work" && apt-get "${opts[@]}" -qq source --download-only --tar-only allegro4.4)
  if ! matches "$tarball"; then
    echo "fetch_allegro.sh: $tarball is not the expected file" >&2
    exit 1
  fi
fi

rm -rf "$src"
mkdir -p "$src"
tar -xzf "$tarball" -C "$src" --strip-components=1
