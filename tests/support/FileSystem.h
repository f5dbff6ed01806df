#pragma once
// File-system helpers for tests that write into folders of their own.

#include <string>
#include <vector>

#include "ui/AnsiString.h"

bool IsFile(const AnsiString& path);
bool IsFolder(const AnsiString& path);
// The names in a folder, without "." and "..".
std::vector<std::string> Entries(const AnsiString& dir);
// Removes a folder and everything in it.
void RemoveTree(const AnsiString& dir);
