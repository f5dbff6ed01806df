#pragma once
// Runs this test program once more, in a Wine prefix of its own, for what a
// process only reads as it starts (the screen's pixels per inch).

#include <windows.h>

#include <string>

// Runs the tests matching `filter` (disabled ones included) of this program
// in the prefix "dpi<dpi>" under the build's Wine state folder, whose screen
// has `dpi` pixels per inch; made on first use and kept for the next run.
// Returns what the run printed, or an empty text when it could not be
// started (no RADIO_WINE_STATE) or did not end within `timeout` ms.
std::string RunWithScreenDpi(int dpi, const std::string& filter, DWORD timeout);
