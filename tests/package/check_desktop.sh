#!/usr/bin/env bash
# Checks the desktop entry: valid by the freedesktop rules, and naming the
# launcher and the icon that the install puts in place.
#   check_desktop.sh DESKTOP_FILE
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
. "$here/lib.sh"

[ $# -eq 1 ] || { echo "usage: $0 DESKTOP_FILE" >&2; exit 2; }
entry=$1
need desktop-file-validate desktop-file-utils
out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $out"
# hints are not errors, but nothing should be left to hint about either
[ -z "$out" ] || fail "desktop-file-validate: $out"

key() { sed -n "s/^$1=//p" "$entry"; }
[ "$(key Type)" = Application ] || fail "Type is '$(key Type)'"
# run through PATH, as the menu does: the launcher link, not the real file
[ "$(key Exec)" = junkfall ] || fail "Exec is '$(key Exec)', not the launcher junkfall"
# a theme name, which the hicolor icons installed as junkfall.png answer to
[ "$(key Icon)" = junkfall ] || fail "Icon is '$(key Icon)', not junkfall"
[ "$(key Terminal)" = false ] || fail "Terminal is '$(key Terminal)'"
grep -q '^Categories=.*Game;' "$entry" || fail "not in the Game category"
echo "desktop entry checks passed"
