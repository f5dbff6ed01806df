#pragma once
// The layer's file functions. Paths are 8-bit text in the ANSI code page, so
// every scan for a separator steps over double-byte characters: in code page
// 936 a second byte may equal "\".

#include "ui/AnsiString.h"

// True only for an existing file; a folder of that name does not count.
bool FileExists(const AnsiString& name);

// Creates the folder and any missing parents; true if the folder exists
// afterwards. A trailing backslash is allowed; an empty name gives false.
bool ForceDirectories(AnsiString dir);

// The part of the path after its last "\" or ":" ("/" does not split).
AnsiString ExtractFileName(const AnsiString& path);
