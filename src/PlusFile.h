#pragma once
// Path helpers: shell folders and file names. Failures give an empty or
// unchanged string; nothing here throws on bad input.

#include "ui/AnsiString.h"

// The file-system path of the shell's special folder `csidl` (a CSIDL_*
// value), or "" when the folder is unknown or has no file-system path.
AnsiString GetSpecialFolderPath(int csidl);

// The path (or only its file name when keepDirectory is false) without its
// last extension. A leading dot is a name, not an extension.
AnsiString FileNameWithoutExt(AnsiString path, bool keepDirectory);
