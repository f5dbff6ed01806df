#include "ui/FileUtils.h"

#include <windows.h>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// 1-based position of the last single-byte character of `text` found in
// `delimiters`, or 0. Stepping by characters, the scan never stops on the
// trail byte of a double-byte character.
int LastDelimiter(const AnsiString& text, const char* delimiters) {
  int found = 0;
  const char* start = text.c_str();
  for (const char* p = start; *p; p = CharNextA(p)) {
    for (const char* d = delimiters; *d; ++d) {
      if (*p == *d) found = static_cast<int>(p - start) + 1;
    }
  }
  return found;
}

bool DirectoryExists(const AnsiString& dir) {
  DWORD attributes = GetFileAttributesA(dir.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The text without trailing path separators (a double-byte character's
// trail byte is not one).
AnsiString WithoutTrailingSeparators(const AnsiString& dir) {
  int keep = 0;
  const char* start = dir.c_str();
  for (const char* p = start; *p; p = CharNextA(p)) {
    if (!IsSeparator(*p)) keep = static_cast<int>(CharNextA(p) - start);
  }
  return dir.SubString(1, keep);
}

}  // namespace

bool FileExists(const AnsiString& name) {
  if (name.IsEmpty()) return false;
  DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(AnsiString dir) {
  dir = WithoutTrailingSeparators(dir);
  if (dir.IsEmpty()) return false;
  if (DirectoryExists(dir)) return true;
  // A drive ("C:") or a bare root ends the climb; CreateDirectory decides.
  int parentEnd = LastDelimiter(dir, "\\/:");
  if (parentEnd > 1) {
    AnsiString parent = dir.SubString(1, dir[parentEnd] == ':' ? parentEnd : parentEnd - 1);
    if (parent.Length() < dir.Length()) ForceDirectories(parent);
  }
  CreateDirectoryA(dir.c_str(), nullptr);
  return DirectoryExists(dir);
}

AnsiString ExtractFileName(const AnsiString& path) {
  int last = LastDelimiter(path, "\\:");
  return path.SubString(last + 1, path.Length() - last);
}
