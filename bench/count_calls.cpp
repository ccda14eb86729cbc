// Preloaded into the game by measure_process.sh, so frames and ticks are
// counted from outside without touching the game: each counted call is
// passed on to the real function unchanged. The counters live in the file
// named by COUNT_CALLS_FILE (five unsigned 64-bit numbers, in this order):
//   frames    scare_mouse, which in play only a frame calls, once
//   ticks     sin, called once per logic tick for the palette pulse
//   palettes  set_palette_range
//   polls     keypressed, polled by the menu and by every pass of the loop
//   waits     clear_keybuf, called as the menu, a turn prompt or the score
//             table begins to wait for input
#include <allegro.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

enum { FRAMES, TICKS, PALETTES, POLLS, WAITS, COUNTERS };

std::atomic<std::uint64_t> *counters = nullptr;

void map_counters()
{
   const char *path = getenv("COUNT_CALLS_FILE");
   if (!path)
      return;
   int fd = open(path, O_RDWR | O_CREAT | O_TRUNC, 0644);
   if (fd < 0)
      return;
   size_t size = COUNTERS * sizeof(std::uint64_t);
   if (ftruncate(fd, static_cast<off_t>(size)) == 0) {
      void *p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
      if (p != MAP_FAILED)
         counters = static_cast<std::atomic<std::uint64_t> *>(p);
   }
   close(fd);
}

struct Mapper
{
   Mapper() { map_counters(); }
} mapper;

void count(int which)
{
   if (counters)
      counters[which].fetch_add(1, std::memory_order_relaxed);
}

template <typename F>
F next(const char *name)
{
   return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

void scare_mouse()
{
   static auto real = next<void (*)()>("scare_mouse");
   count(FRAMES);
   real();
}

double sin(double x) noexcept
{
   static auto real = next<double (*)(double)>("sin");
   count(TICKS);
   return real(x);
}

void set_palette_range(AL_CONST PALETTE p, int from, int to, int retracesync)
{
   static auto real = next<void (*)(AL_CONST RGB *, int, int, int)>("set_palette_range");
   count(PALETTES);
   real(p, from, to, retracesync);
}

int keypressed()
{
   static auto real = next<int (*)()>("keypressed");
   count(POLLS);
   return real();
}

void clear_keybuf()
{
   static auto real = next<void (*)()>("clear_keybuf");
   count(WAITS);
   real();
}

} // extern "C"
