// libFuzzer harness for the game's start-up load path, load_data(), then
// unload. The check reads a path, so each input is written to
// a file of this process first. Built by fuzz.sh.
#include <allegro.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data.h"

static std::string path;

static void remove_input() { std::remove(path.c_str()); }

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  install_allegro(SYSTEM_NONE, &errno, atexit);  // files and memory bitmaps, no display
  set_color_depth(8);
  set_color_conversion(COLORCONV_NONE);
  const char *dir = getenv("TMPDIR");
  path = std::string(dir ? dir : "/tmp") + "/junkfall-fuzz-" + std::to_string(getpid()) + ".dat";
  atexit(remove_input);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(bytes, 1, size, f) != size || std::fclose(f) != 0) abort();
  if (DATAFILE *d = load_data(path.c_str())) unload_datafile(d);
  return 0;
}
