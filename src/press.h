// The left button's presses, counted as the library reports them. mouse_b
// holds only the button's state at the moment it is read: a press and its
// release that both come between two reads (a quick click, a touchpad's or
// a touch screen's tap) never show there, while here each one counts.
#ifndef JUNKFALL_PRESS_H
#define JUNKFALL_PRESS_H

#include <cstdint>

// after install_mouse: counts every press of the left button from now on
void watch_presses();

// the presses counted so far
std::uint32_t presses_now();

// whether the left button was pressed since *seen, which it brings up to
// date; where the last such press was goes to *x and *y, unless null
bool pressed_since(std::uint32_t *seen, int *x, int *y);

#endif
