#include "src/PlusFile.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "ui/ComPtr.h"
#include "ui/FileUtils.h"

namespace {

// An item list is freed through the allocator that the shell handed out.
struct FreeWithAllocator {
  IMalloc* allocator;
  void operator()(ITEMIDLIST* pidl) const { allocator->Free(pidl); }
};
using PidlPtr = std::unique_ptr<ITEMIDLIST, FreeWithAllocator>;

// For each 1-based position of `text`, whether the byte there is a
// character of its own rather than a byte of a double-byte character.
std::vector<bool> SingleBytePositions(const AnsiString& text) {
  std::vector<bool> single(static_cast<size_t>(text.Length()) + 1, false);
  const char* start = text.c_str();
  for (const char* p = start; *p; p = CharNextA(p)) {
    if (!IsDBCSLeadByte(static_cast<BYTE>(*p))) single[static_cast<size_t>(p - start) + 1] = true;
  }
  return single;
}

}  // namespace

AnsiString GetSpecialFolderPath(int csidl) {
  ComPtr<IMalloc> allocator;
  if (FAILED(SHGetMalloc(allocator.put())) || !allocator) return AnsiString();

  LPITEMIDLIST rawPidl = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &rawPidl))) return AnsiString();
  PidlPtr pidl(rawPidl, FreeWithAllocator{allocator.get()});

  char buffer[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(pidl.get(), buffer)) return AnsiString();
  return AnsiString(buffer);
}

AnsiString FileNameWithoutExt(AnsiString path, bool keepDirectory) {
  AnsiString s = path;
  if (!keepDirectory) s = ExtractFileName(s);
  // A trail byte that equals ".", "\" or "/" belongs to its character: it
  // neither ends the search nor marks an extension.
  std::vector<bool> single = SingleBytePositions(s);
  int i = s.Length();
  while (i > 0 && !(single[static_cast<size_t>(i)] && s[i] == '.')) {
    if (single[static_cast<size_t>(i)] && (s[i] == '\\' || s[i] == '/')) {
      i = 0;
      break;
    }
    --i;
  }
  if (i > 1) return s.SubString(1, i - 1);
  return s;
}
