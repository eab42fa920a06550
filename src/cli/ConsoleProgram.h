// The console companion's run: options, the Updater and one update session on the event loop.
#pragma once

// Returns the exit code documented in the program's --help.
int runConsoleProgram(int argc, char *argv[]);
