// Reading and writing data files. The library runs here headless, separate
// from the game process; it only decodes files.
#include <allegro.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "harness.h"

namespace e2e {

namespace {

void headless_library() {
  static const bool ready = [] {
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) throw std::runtime_error("install_allegro failed");
    set_color_depth(8);
    set_color_conversion(COLORCONV_NONE);  // keep 8-bit pictures as indices
    return true;
  }();
  (void)ready;
}

}  // namespace

const DataFile &DataFile::game() {
  static const DataFile data(game_data_file());
  if (!data.loaded()) throw std::runtime_error("cannot load " + game_data_file() + "; build the data_file target");
  return data;
}

DataFile::DataFile(const std::string &path) {
  headless_library();
  DATAFILE *d = load_datafile(path.c_str());
  if (!d) return;
  for (int i = 0; d[i].type != DAT_END; ++i) {
    types_.push_back(static_cast<uint32_t>(d[i].type));
    Picture pic;
    Palette6 pal;
    if (d[i].type == DAT_BITMAP) {
      BITMAP *b = static_cast<BITMAP *>(d[i].dat);
      if (bitmap_color_depth(b) == 8) {
        pic.w = b->w;
        pic.h = b->h;
        pic.px.resize(static_cast<size_t>(b->w) * b->h);
        for (int y = 0; y < b->h; ++y)
          for (int x = 0; x < b->w; ++x) pic.px[static_cast<size_t>(y) * b->w + x] = b->line[y][x];
      }
    } else if (d[i].type == DAT_PALETTE) {
      const RGB *p = static_cast<const RGB *>(d[i].dat);
      for (int c = 0; c < 256; ++c) pal.c[c] = {p[c].r, p[c].g, p[c].b};
    }
    pictures_.push_back(std::move(pic));
    palettes_.push_back(pal);
  }
  unload_datafile(d);
  loaded_ = true;
}

const Picture &DataFile::picture(int i) const {
  if (i < 0 || i >= count() || types_[i] != kDatBitmap || pictures_[i].px.empty())
    throw std::runtime_error("object " + std::to_string(i) + " is not an 8-bit bitmap");
  return pictures_[i];
}

const Palette6 &DataFile::palette(int i) const {
  if (i < 0 || i >= count() || types_[i] != kDatPalette)
    throw std::runtime_error("object " + std::to_string(i) + " is not a palette");
  return palettes_[i];
}

// ------------------------------------------------------------- drawing

namespace {

Picture picture_of(BITMAP *b) {
  Picture pic;
  pic.w = b->w;
  pic.h = b->h;
  pic.px.resize(static_cast<size_t>(b->w) * b->h);
  for (int y = 0; y < b->h; ++y)
    for (int x = 0; x < b->w; ++x) pic.px[static_cast<size_t>(y) * b->w + x] = static_cast<uint8_t>(getpixel(b, x, y));
  return pic;
}

}  // namespace

Picture text_ink(const std::string &s) {
  headless_library();
  const int w = text_length(font, s.c_str());
  BITMAP *b = create_bitmap(w > 0 ? w : 1, text_height(font));
  clear_bitmap(b);
  textout_ex(b, font, s.c_str(), 0, 0, 1, 0);
  Picture pic = picture_of(b);
  destroy_bitmap(b);
  if (w <= 0) pic.w = 0, pic.px.clear();
  return pic;
}

Picture envelope_picture() {
  headless_library();
  BITMAP *b = create_bitmap(32, 16);
  rectfill(b, 0, 0, 31, 15, 3);
  rect(b, 0, 0, 31, 15, 4);
  line(b, 0, 0, 15, 8, 4);
  line(b, 15, 8, 31, 0, 4);
  Picture pic = picture_of(b);
  destroy_bitmap(b);
  return pic;
}

// ------------------------------------------------------------- writing

namespace {

void put32(std::vector<uint8_t> &v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(static_cast<uint8_t>(x >> s));
}
void put16(std::vector<uint8_t> &v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x >> 8));
  v.push_back(static_cast<uint8_t>(x));
}

}  // namespace

void DatWriter::add_raw(uint32_t type, const std::vector<uint8_t> &body, const std::string &name) {
  if (!name.empty()) {
    put32(objects_, DAT_PROPERTY);
    put32(objects_, DAT_NAME);
    put32(objects_, static_cast<uint32_t>(name.size()));
    objects_.insert(objects_.end(), name.begin(), name.end());
  }
  put32(objects_, type);
  put32(objects_, static_cast<uint32_t>(body.size()));  // stored size
  put32(objects_, static_cast<uint32_t>(body.size()));  // positive: not compressed
  objects_.insert(objects_.end(), body.begin(), body.end());
  ++count_;
}

void DatWriter::add_data(const std::string &text, const std::string &name) {
  add_raw(kDatData, std::vector<uint8_t>(text.begin(), text.end()), name);
}

void DatWriter::add_bitmap(int w, int h, uint8_t fill, const std::string &name) {
  std::vector<uint8_t> body;
  put16(body, 8);
  put16(body, static_cast<uint16_t>(w));
  put16(body, static_cast<uint16_t>(h));
  body.insert(body.end(), static_cast<size_t>(w) * h, fill);
  add_raw(kDatBitmap, body, name);
}

void DatWriter::add_palette(const std::string &name) {
  std::vector<uint8_t> body;
  for (int i = 0; i < 256; ++i) {
    const uint8_t c = static_cast<uint8_t>(i % 64);
    body.insert(body.end(), {c, c, c, 0});
  }
  add_raw(kDatPalette, body, name);
}

void DatWriter::add_sample(const std::string &name) {
  std::vector<uint8_t> body;
  put16(body, 8);      // bits
  put16(body, 11025);  // frequency
  put32(body, 64);     // length in samples
  body.insert(body.end(), 64, 128);
  add_raw(kDatSample, body, name);
}

void DatWriter::add_of_type(uint32_t type, const std::string &name) {
  if (type == kDatBitmap)
    add_bitmap(4, 4, 1, name);
  else if (type == kDatPalette)
    add_palette(name);
  else if (type == kDatSample)
    add_sample(name);
  else
    add_data("junk", name);
}

void DatWriter::save(const std::string &path) const {
  std::vector<uint8_t> file;
  put32(file, static_cast<uint32_t>(F_NOPACK_MAGIC));
  put32(file, DAT_MAGIC);
  put32(file, static_cast<uint32_t>(count_));
  file.insert(file.end(), objects_.begin(), objects_.end());
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char *>(file.data()), static_cast<std::streamsize>(file.size()));
  if (!f) throw std::runtime_error("cannot write " + path);
}

}  // namespace e2e
