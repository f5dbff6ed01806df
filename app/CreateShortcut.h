#pragma once
// The shortcut writer of the main form's unit.

#include "ui/AnsiString.h"

// Writes the shell link folder\name.lnk pointing at `target` (empty target:
// nothing is written). An empty name becomes the target's file name without
// its extension. Missing folders are created first. Failures are silent.
void CreateShortcut(AnsiString target, AnsiString name, AnsiString folder);
