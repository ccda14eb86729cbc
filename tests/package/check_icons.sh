#!/usr/bin/env bash
# Checks the desktop icons with decoders that are not ours:
#   check_icons.sh ICON_DIR PNG_PATTERN
# pngcheck for the file structure and checksums, ImageMagick for the sizes,
# the pixels of a known picture, and what the icons show.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
. "$here/lib.sh"

[ $# -eq 2 ] || { echo "usage: $0 ICON_DIR PNG_PATTERN" >&2; exit 2; }
icons=$1
pattern=$2
need pngcheck pngcheck
need identify-im6.q16 imagemagick
need convert-im6.q16 imagemagick
need compare-im6.q16 imagemagick

scratch=$(mktemp -d "${TMPDIR:-/tmp}/junkfall-icons.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# the writer against a picture whose every pixel is known
"$pattern" "$scratch/pattern.png" "$scratch/pattern.rgba" || fail "png_pattern failed"
pngcheck -q "$scratch/pattern.png" >/dev/null || fail "pngcheck: $(pngcheck "$scratch/pattern.png")"
convert-im6.q16 "$scratch/pattern.png" -depth 8 rgba:"$scratch/decoded.rgba"
cmp -s "$scratch/pattern.rgba" "$scratch/decoded.rgba" ||
  fail "ImageMagick decodes the test picture to other pixels"
note "test picture decodes to the pixels written"

for size in 48 128; do
  png=$icons/junkfall-$size.png
  [ -f "$png" ] || fail "$png was not built"
  pngcheck -q "$png" >/dev/null || fail "pngcheck: $(pngcheck "$png")"
  got=$(identify-im6.q16 -format '%m %w %h %[channels]' "$png")
  [ "$got" = "PNG $size $size srgba" ] || fail "$png is '$got', not a ${size}x$size RGBA PNG"

  stats=$(convert-im6.q16 "$png" -depth 8 txt:- | awk -f "$here/icon_stats.awk")
  stat() { awk -v k="$1" '$1 == k { print $2 }' <<<"$stats"; }
  total=$(stat total)
  # at least PERCENT of all pixels are of KIND
  least() {
    awk -v n="$(stat "$1")" -v t="$total" -v p="$2" 'BEGIN { exit !(n * 100 >= p * t) }' ||
      fail "$png: only $(stat "$1") of $total pixels are $1, want $2% or more"
  }
  [ "$(stat corners)" = 16 ] || fail "$png: its corners are not see-through (rounded tile)"
  [ "$(stat middle)" = 255 ] || fail "$png: its middle is not opaque"
  least clear 5      # around the rounded tile
  least opaque 60
  least tile 30      # a dark blue tile
  least paper 5      # a white letter
  least yellow 2     # a banana and its burst
  least red 0.2      # the letter's stamp
  note "$png: $(tr '\n' ' ' <<<"$stats")"
done

# the small icon is the large one's picture, not something else
convert-im6.q16 "$icons/junkfall-128.png" -resize 48x48 "$scratch/shrunk.png"
# compare exits 1 whenever the pictures differ at all, so its status says nothing
rmse=$( (compare-im6.q16 -metric RMSE "$scratch/shrunk.png" "$icons/junkfall-48.png" null: 2>&1 || true) |
  sed -n 's/.*(\(.*\)).*/\1/p')
awk -v e="${rmse:-1}" 'BEGIN { exit !(e < 0.15) }' ||
  fail "the 48 icon differs from the 128 one scaled down (RMSE ${rmse:-?})"
note "48 against the 128 scaled down: RMSE $rmse"
echo "icon checks passed"
