#include "tests/support/FileSystem.h"

#include <windows.h>

bool IsFile(const AnsiString& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const AnsiString& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> Entries(const AnsiString& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

void RemoveTree(const AnsiString& dir) {
  for (const std::string& name : Entries(dir)) {
    AnsiString path = dir + "\\" + name;
    if (IsFolder(path)) {
      RemoveTree(path);
    } else {
      DeleteFileA(path.c_str());
    }
  }
  RemoveDirectoryA(dir.c_str());
}
