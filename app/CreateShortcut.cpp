#include "app/CreateShortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "src/PlusFile.h"
#include "ui/ComPtr.h"
#include "ui/FileUtils.h"

namespace {

// Undoes this function's own COM initialisation, and only when it
// succeeded, so that the caller's apartment stays as it was.
class ComInitialization {
 public:
  ComInitialization() : result_(CoInitialize(nullptr)) {}
  ComInitialization(const ComInitialization&) = delete;
  ComInitialization& operator=(const ComInitialization&) = delete;
  ~ComInitialization() {
    if (Succeeded()) CoUninitialize();
  }
  bool Succeeded() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

}  // namespace

void CreateShortcut(AnsiString target, AnsiString name, AnsiString folder) {
  if (target.IsEmpty()) return;
  if (name.IsEmpty()) name = FileNameWithoutExt(target, false);
  ForceDirectories(folder);

  // Declared before the interfaces, so that COM outlives their release.
  ComInitialization com;
  if (!com.Succeeded()) return;

  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(link.put())))) {
    return;
  }
  link->SetPath(("\"" + target + "\"").c_str());
  link->SetDescription(name.c_str());
  link->SetShowCmd(SW_SHOW);

  ComPtr<IPersistFile> file;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put())))) {
    name += ".lnk";
    AnsiString path = folder + "\\" + name;
    file->Save(AnsiToWide(path).c_str(), TRUE);
  }
}
