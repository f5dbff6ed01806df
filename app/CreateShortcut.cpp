#include "app/CreateShortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "src/PlusFile.h"
#include "ui/ComInit.h"
#include "ui/ComPtr.h"
#include "ui/FileUtils.h"

void CreateShortcut(AnsiString target, AnsiString name, AnsiString folder) {
  if (target.IsEmpty()) return;
  if (name.IsEmpty()) name = FileNameWithoutExt(target, false);
  ForceDirectories(folder);

  // Declared before the interfaces, so that COM outlives their release.
  ScopedComInit com;
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
