// Steering a running game through its screens from outside: telling the
// screens apart, getting from one to another, and keeping a turn alive by
// shooting. Shared by the input storm test and the reliability drivers.
#ifndef JUNKFALL_RELIABILITY_STEER_H
#define JUNKFALL_RELIABILITY_STEER_H

#include <functional>
#include <optional>
#include <random>

#include "harness.h"

namespace e2e {

enum class Screen { Menu, Prompt, Scores, Play, Other };
const char *screen_name(Screen s);

// What a grab shows; the places the pointer may be are left out. Other is
// anything in between: a splash, a fade, the bare scene before a turn's
// first frame, a half-drawn screen.
Screen classify(const Image &img, const XServer &x);

// Polls until `want` holds for the screen shown; false when `timeout` passes
// or the game exits first. `seen` gets the last screen either way.
bool wait_screen(XServer &x, GameProcess &g, const std::function<bool(Screen)> &want, milliseconds timeout,
                 Screen *seen = nullptr);

// A click that a slow game cannot miss: move, press, `hold`, release.
void press(XServer &x, int px, int py, milliseconds hold);

// From wherever the game is to the title menu: a key at a prompt or the
// score table, Esc in play.
bool back_to_menu(XServer &x, GameProcess &g, milliseconds timeout);

// From the menu: chooses the player count and turn length (slot indices of
// screens.h), clicks Play and waits for the first turn's prompt.
bool start_game(XServer &x, GameProcess &g, int players, int time, milliseconds timeout);

// The centre column of the lowest envelope in the band between the clouds
// and the turret, if there is one; a shot from there hits it.
std::optional<int> lowest_envelope(const Image &img);

// Shoots at the lowest envelope (at a random column when there is none),
// the turret jittered at random, the button held `hold` down and `hold` up,
// until `until` passes or the screen stops showing play. Returns the shots.
int shoot(XServer &x, GameProcess &g, std::mt19937 &rng, milliseconds hold, Clock::time_point until);

// From anywhere, Quit in the menu; true once the game has exited with 0
// within `timeout`.
bool quit(XServer &x, GameProcess &g, milliseconds timeout);

}  // namespace e2e

#endif
