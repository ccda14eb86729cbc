#!/usr/bin/env bash
# Packs the files mkassets wrote into the game's datafile with Allegro's dat.
#   pack_data.sh DAT_TOOL ASSET_DIR OUTPUT.dat
# The game finds objects by position (src/data.h), so the table below is in
# index order. Every dat call gets -n0 so it never sorts, -s1 so it adds no
# grabber info object (the game would ignore one after its objects), and -c0
# so the file stays unpacked and its structure check cheap; the game also
# takes the archiver's compressed forms. Each object is renamed right after it
# goes in: dat names objects after their files, and grabbing a bitmap and its
# palette from one picture would otherwise collide.
set -euo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 DAT_TOOL ASSET_DIR OUTPUT.dat" >&2
  exit 2
fi
dat=$1
assets=$2
output=$3

# dat leaves the padding byte of each palette entry as whatever its fresh
# allocation held; glibc zeroes new allocations under this setting, so the
# same assets always pack to the same bytes
export MALLOC_PERTURB_=255

# name type file, in index order
catalogue=(
  "HIT1_SAMPLE    SAMP hit1.wav"
  "HIT2_SAMPLE    SAMP hit2.wav"
  "HIT3_SAMPLE    SAMP hit3.wav"
  "SPLASH1_BMP    BMP  splash1.pcx"
  "SPLASH1_PAL    PAL  splash1.pcx"
  "SPLASH1_SAMPLE SAMP splash1.wav"
  "SPLASH2_BMP    BMP  splash2.pcx"
  "SPLASH2_PAL    PAL  splash2.pcx"
  "FIRE_SAMPLE    SAMP fire.wav"
  "TITLE_SAMPLE   SAMP title.wav"
  "SPLASH2_SAMPLE SAMP splash2.wav"
  "MENU_TIME_60   BMP  time60.pcx"
  "MENU_PLAYERS_1 BMP  players1.pcx"
  "MENU_TIME_120  BMP  time120.pcx"
  "MENU_PLAYERS_2 BMP  players2.pcx"
  "MENU_TIME_30   BMP  time30.pcx"
  "MENU_TIME_180  BMP  time180.pcx"
  "MENU_PLAYERS_3 BMP  players3.pcx"
  "MENU_PLAYERS_4 BMP  players4.pcx"
  "MENU_TIME_300  BMP  time300.pcx"
  "TITLE_BMP      BMP  title.pcx"
  "TITLE_PAL      PAL  title.pcx"
  "MENU_PLAY      BMP  play.pcx"
  "MENU_QUIT      BMP  quit.pcx"
)

# build beside the target and move it into place only when complete, so a
# failed run never leaves a half-packed file that looks current
mkdir -p "$(dirname "$output")"
work=$(mktemp -d "$(dirname "$output")/.pack.XXXXXX")
trap 'rm -rf "$work"' EXIT
tmp=$work/data.dat

for entry in "${catalogue[@]}"; do
  read -r name type file <<<"$entry"
  src=$assets/$file
  if [ ! -f "$src" ]; then
    echo "pack_data.sh: missing $src" >&2
    exit 1
  fi
  # the default object name: the file name upper-cased, dot to underscore
  grabbed=$(basename "$file" | tr '[:lower:].' '[:upper:]_')
  if [ "$type" = BMP ]; then
    # 8-bit pictures stay 8-bit: no conversion, no remapping of indices
    "$dat" -n0 -s1 -c0 -bpp 8 -t BMP -a "$tmp" "$src" >/dev/null
  else
    "$dat" -n0 -s1 -c0 -t "$type" -a "$tmp" "$src" >/dev/null
  fi
  "$dat" -n0 -s1 -c0 "$tmp" "$grabbed" "NAME=$name" >/dev/null
done

# check the result against the table: names, types and count, in order
listing=$("$dat" -l "$tmp")
got=$(printf '%s\n' "$listing" | awk '$1 == "-" { print $4, $2 }')
want=$(for entry in "${catalogue[@]}"; do
  read -r name type _ <<<"$entry"
  echo "$name $type"
done)
if [ "$got" != "$want" ]; then
  echo "pack_data.sh: packed file does not match the catalogue:" >&2
  printf '%s\n' "$listing" >&2
  exit 1
fi

mv -f "$tmp" "$output"
