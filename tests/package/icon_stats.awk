# Sorts an icon's pixels, from ImageMagick's txt: listing, into the kinds
# its picture is made of, and prints "name count" for each, with the total.
# Only the corners and the middle are looked at by place.
NR == 1 {
  split($5, dims, ",")
  w = dims[1]
  h = dims[2]
  next
}
{
  split($1, xy, /[,:]/)
  x = xy[1]
  y = xy[2]
  v = $2
  gsub(/[()]/, "", v)
  split(v, c, ",")
  r = c[1]; g = c[2]; b = c[3]; a = c[4]
  total++
  if (a == 0) clear++
  if (a == 255) opaque++
  if (a == 255) {
    # the tile: a deep blue, darker than anything drawn on it
    if (b > r + 40 && b > g + 20 && r < 90) tile++
    # the banana and the burst: bright yellows and oranges
    if (r > 200 && g > 140 && b < 110) yellow++
    # the letter's paper
    if (r > 200 && g > 200 && b > 200) paper++
    # its stamp
    if (r > 150 && g < 90 && b < 100) red++
  }
  if ((x < 2 || x >= w - 2) && (y < 2 || y >= h - 2) && a == 0) corners++
  if (x == int(w / 2) && y == int(h / 2)) middle = a
}
END {
  printf "total %d\nclear %d\nopaque %d\ntile %d\nyellow %d\npaper %d\nred %d\ncorners %d\nmiddle %d\n",
    total, clear, opaque, tile, yellow, paper, red, corners, middle
}
