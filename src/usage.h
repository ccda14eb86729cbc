// The command line: --help and --version answer without a display;
// --window and --fullscreen choose how the game starts.
#ifndef JUNKFALL_USAGE_H
#define JUNKFALL_USAGE_H

// answers `junkfall --help` or `junkfall --version` on standard output and
// returns the exit status; -1 for any other command line, which starts the game
int answer_command_line(int argc, char **argv);

// whether the game starts full screen: unless --window comes after the last
// --fullscreen
bool full_screen_asked(int argc, char **argv);

#endif
