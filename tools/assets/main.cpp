// mkassets: draws every picture and synthesises every sound of the game into a
// directory, for tools/pack_data.sh to pack with dat; or, with --icons, draws
// the desktop and window icons. all of it comes from code with fixed seeds,
// so two runs write the same bytes.
//
// pictures are 8-bit, each with its own palette built from colour ramps;
// shading walks a ramp with ordered dithering, so gradients stay smooth
// without blending.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "assets.h"

namespace {

const int ICON_SIZES[] = { 16, 32, 48, 64, 128, 192, 256, 512 };
const int WINDOW_ICON_SIZE = 32;

bool write_picture(const std::filesystem::path &path, BITMAP *b, const Palette &p)
{
   bool ok = b && save_bitmap(path.string().c_str(), b, p.pal) == 0;
   if (b)
      destroy_bitmap(b);
   if (!ok)
      std::fprintf(stderr, "mkassets: cannot write %s\n", path.string().c_str());
   return ok;
}

bool write_pictures(const std::filesystem::path &dir)
{
   bool ok = true;
   Palette menu = menu_palette();
   ok = write_picture(dir / "title.pcx", menu_logo(), menu) && ok;
   for (const ButtonStyle &style : menu_buttons())
      ok = write_picture(dir / style.file, menu_button(style), menu) && ok;
   ok = write_picture(dir / "splash1.pcx", studio_card(), studio_palette()) && ok;
   ok = write_picture(dir / "splash2.pcx", scene_picture(), scene_palette()) && ok;
   return ok;
}

bool write_icons(const std::filesystem::path &dir)
{
   for (int size : ICON_SIZES) {
      std::filesystem::path png = dir / ("junkfall-" + std::to_string(size) + ".png");
      if (!write_icon_png(png, size)) {
         std::fprintf(stderr, "mkassets: cannot write %s\n", png.string().c_str());
         return false;
      }
   }
   if (!write_icon_xpm(dir / "junkfall.xpm", WINDOW_ICON_SIZE)) {
      std::fprintf(stderr, "mkassets: cannot write %s\n", (dir / "junkfall.xpm").string().c_str());
      return false;
   }
   return true;
}

}   // namespace

int main(int argc, char **argv)
{
   // the icons are not part of the data file, so they come from a run of
   // their own
   bool icons = argc == 3 && std::string(argv[1]) == "--icons";
   if (argc != 2 && !icons) {
      std::fprintf(stderr, "usage: %s OUTPUT_DIR\n       %s --icons OUTPUT_DIR\n", argv[0], argv[0]);
      return 2;
   }
   if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
      std::fprintf(stderr, "mkassets: cannot start allegro\n");
      return 1;
   }
   set_color_depth(8);

   std::filesystem::path dir(argv[argc - 1]);
   std::error_code ec;
   std::filesystem::create_directories(dir, ec);
   if (ec) {
      std::fprintf(stderr, "mkassets: cannot make %s: %s\n", argv[argc - 1], ec.message().c_str());
      return 1;
   }
   if (icons)
      return write_icons(dir) ? 0 : 1;
   bool ok = write_pictures(dir);
   ok = write_sounds(dir) && ok;
   return ok ? 0 : 1;
}
END_OF_MAIN()
