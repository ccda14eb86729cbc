// the icon's files: PNGs for the desktop, and a few-colour XPM for the window
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include <png.h>

#include "assets.h"

namespace {

// the window icon's colours, besides the see-through one
const int XPM_COLOURS = 24;
// one character a colour; space is the see-through one
const char XPM_CHARS[] = ".+@#$%&*=-;>,')!~{]^/(_:<[}|";
static_assert(sizeof XPM_CHARS - 1 >= XPM_COLOURS, "a character for every colour");

using Colour = std::array<int, 3>;

// median cut: the box of pixels with the widest spread in one channel is
// split at its median until there are enough boxes; their average colours
// make the palette
std::vector<Colour> median_cut(const std::vector<Colour> &px, int most)
{
   std::vector<std::vector<int>> boxes(1);
   for (size_t i = 0; i < px.size(); i++)
      boxes[0].push_back(static_cast<int>(i));
   while (static_cast<int>(boxes.size()) < most) {
      int best = -1, best_ch = 0, best_span = 0;
      for (size_t k = 0; k < boxes.size(); k++)
         for (int ch = 0; ch < 3; ch++) {
            auto [lo, hi] = std::minmax_element(boxes[k].begin(), boxes[k].end(),
                                                [&](int a, int b) { return px[a][ch] < px[b][ch]; });
            int span = px[*hi][ch] - px[*lo][ch];
            if (span > best_span) {
               best = static_cast<int>(k);
               best_ch = ch;
               best_span = span;
            }
         }
      if (best < 0)
         break;   // every box is one colour already
      std::vector<int> &box = boxes[best];
      std::stable_sort(box.begin(), box.end(), [&](int a, int b) { return px[a][best_ch] < px[b][best_ch]; });
      std::vector<int> upper(box.begin() + box.size() / 2, box.end());
      box.resize(box.size() / 2);
      boxes.push_back(upper);
   }
   std::vector<Colour> colours;
   for (const std::vector<int> &box : boxes) {
      Colour sum{ 0, 0, 0 };
      for (int i : box)
         for (int ch = 0; ch < 3; ch++)
            sum[ch] += px[i][ch];
      int n = std::max<int>(1, static_cast<int>(box.size()));
      colours.push_back({ (sum[0] + n / 2) / n, (sum[1] + n / 2) / n, (sum[2] + n / 2) / n });
   }
   return colours;
}

// the palette entry nearest a colour; a pixel left at the edge of its box
// may lie nearer another box's average
int nearest(const std::vector<Colour> &colours, const Colour &c)
{
   int best = 0, best_d = -1;
   for (size_t k = 0; k < colours.size(); k++) {
      int d = 0;
      for (int ch = 0; ch < 3; ch++)
         d += (colours[k][ch] - c[ch]) * (colours[k][ch] - c[ch]);
      if (best_d < 0 || d < best_d) {
         best = static_cast<int>(k);
         best_d = d;
      }
   }
   return best;
}

// the icon as XPM rows: a header, the colours, then one string a row
std::vector<std::string> xpm_rows(const std::vector<uint8_t> &rgba, int size)
{
   // pixels at least half covered are drawn, the rest see-through
   std::vector<Colour> opaque;
   std::vector<int> index(static_cast<size_t>(size) * size, -1);
   for (size_t i = 0; i < index.size(); i++)
      if (rgba[i * 4 + 3] >= 128) {
         index[i] = static_cast<int>(opaque.size());
         opaque.push_back({ rgba[i * 4], rgba[i * 4 + 1], rgba[i * 4 + 2] });
      }
   std::vector<Colour> colours = median_cut(opaque, XPM_COLOURS);

   std::vector<std::string> rows;
   char line[64];
   std::snprintf(line, sizeof line, "%d %d %zu 1", size, size, colours.size() + 1);
   rows.push_back(line);
   rows.push_back("  c None");
   for (size_t k = 0; k < colours.size(); k++) {
      std::snprintf(line, sizeof line, "%c c #%02X%02X%02X", XPM_CHARS[k], colours[k][0], colours[k][1],
                    colours[k][2]);
      rows.push_back(line);
   }
   for (int y = 0; y < size; y++) {
      std::string row;
      for (int x = 0; x < size; x++) {
         int i = index[static_cast<size_t>(y) * size + x];
         row += i < 0 ? ' ' : XPM_CHARS[nearest(colours, opaque[i])];
      }
      rows.push_back(row);
   }
   return rows;
}

}   // namespace

bool write_icon_png(const std::filesystem::path &path, int size)
{
   std::vector<uint8_t> rgba = icon_rgba(size);
   if (rgba.empty())
      return false;
   png_image image;
   std::memset(&image, 0, sizeof image);
   image.version = PNG_IMAGE_VERSION;
   image.width = static_cast<png_uint_32>(size);
   image.height = static_cast<png_uint_32>(size);
   image.format = PNG_FORMAT_RGBA;
   bool ok = png_image_write_to_file(&image, path.string().c_str(), 0, rgba.data(), 0, nullptr) != 0;
   if (!ok)
      std::fprintf(stderr, "mkassets: %s\n", image.message);
   png_image_free(&image);
   return ok;
}

bool write_icon_xpm(const std::filesystem::path &path, int size)
{
   std::vector<uint8_t> rgba = icon_rgba(size);
   if (rgba.empty())
      return false;
   std::vector<std::string> rows = xpm_rows(rgba, size);
   FILE *f = std::fopen(path.string().c_str(), "w");
   if (!f)
      return false;
   std::fprintf(f, "/* XPM */\n/* the window icon, drawn by mkassets */\n");
   std::fprintf(f, "static const char *junkfall_xpm[] = {\n");
   for (size_t i = 0; i < rows.size(); i++)
      std::fprintf(f, "\"%s\"%s\n", rows[i].c_str(), i + 1 < rows.size() ? "," : "");
   std::fprintf(f, "};\n");
   bool ok = !std::ferror(f);
   return std::fclose(f) == 0 && ok;
}
