// The title menu: number of players and turn length, then Play or Quit.
#ifndef JUNKFALL_TITLE_H
#define JUNKFALL_TITLE_H

// shows the menu until Play (true) or Quit / Esc (false); sets num_players
// and time_limit
bool title_screen();

#endif
