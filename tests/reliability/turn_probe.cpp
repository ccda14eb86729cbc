// A probe linked into a copy of the game (junkfall_probe) to count what one
// turn does: the linker's --wrap routes the calls below through here, and
// each passes straight on to the game's own function. A turn starts at
// init_spam, whose next counter reading is the stopwatch's start; every
// tick runs process_spam once; the key wait after every turn (prompt or
// score table) starts with clear_keybuf. The game itself is unchanged.
#include <allegro.h>

#include <cstdint>
#include <cstdio>

#include "game.h"

extern "C" {
void __real__Z9init_spamv();
void __real__Z12process_spamv();
bool __real__Z23QueryPerformanceCounterPl(std::int64_t *count);
void __real_clear_keybuf();
}

namespace {

bool in_turn = false, starting = false, ended = false;
unsigned ticks = 0;
std::int64_t start = 0, end = 0;

double seconds(std::int64_t counts) { return static_cast<double>(counts) / static_cast<double>(Timer::GetPrecision()); }

}  // namespace

extern "C" {

void __wrap__Z9init_spamv() {
  __real__Z9init_spamv();
  in_turn = starting = true;
  ended = false;
  ticks = 0;
}

void __wrap__Z12process_spamv() {
  __real__Z12process_spamv();
  ticks += in_turn;
}

bool __wrap__Z23QueryPerformanceCounterPl(std::int64_t *count) {
  const bool ok = __real__Z23QueryPerformanceCounterPl(count);
  if (starting) {
    start = *count;
    starting = false;
  } else if (in_turn && !ended && seconds(*count - start) > time_left) {
    // the first reading past the turn's length: the one that ends it
    end = *count;
    ended = true;
  }
  return ok;
}

void __wrap_clear_keybuf() {
  if (in_turn) {
    in_turn = false;
    std::fprintf(stderr, "turn-probe: ticks %u seconds %.4f health %d\n", ticks,
                 seconds((ended ? end : start) - start), health);
  }
  __real_clear_keybuf();
}

}  // extern "C"
