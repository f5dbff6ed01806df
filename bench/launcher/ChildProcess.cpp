#include "bench/launcher/ChildProcess.h"

#include <cstring>

#include "bench/launcher/Clock.h"

namespace {

bool SameName(const std::string& entry, const std::string& other) {
  size_t a = entry.find('=', 1), b = other.find('=', 1);
  return a == b && a != std::string::npos && _strnicmp(entry.c_str(), other.c_str(), a) == 0;
}

// The launcher's environment with `extra` set, as CreateProcess's block.
std::string EnvironmentBlock(const std::vector<std::string>& extra) {
  std::vector<std::string> entries;
  if (char* inherited = GetEnvironmentStringsA()) {
    for (const char* entry = inherited; *entry; entry += std::strlen(entry) + 1) {
      entries.emplace_back(entry);
    }
    FreeEnvironmentStringsA(inherited);
  }
  for (const std::string& wanted : extra) {
    std::erase_if(entries, [&](const std::string& entry) { return SameName(entry, wanted); });
    entries.push_back(wanted);
  }
  std::string block;
  for (const std::string& entry : entries) block += entry + '\0';
  return block + '\0';
}

struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  RECT area;
  if (!GetWindowRect(window, &area)) return TRUE;
  if (area.right - area.left <= 100 || area.bottom - area.top <= 100) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

bool ChildProcess::Start(const std::string& exe, const std::vector<std::string>& extra,
                         DWORD* error) {
  size_t slash = exe.find_last_of("\\/");
  std::string folder = slash == std::string::npos ? std::string() : exe.substr(0, slash);
  std::string commandLine = "\"" + exe + "\"";
  std::string environment = EnvironmentBlock(extra);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                      environment.data(), folder.empty() ? nullptr : folder.c_str(), &startup,
                      &started)) {
    *error = GetLastError();
    return false;
  }
  UniqueKernelHandle thread(started.hThread);
  process_.reset(started.hProcess);
  id_ = started.dwProcessId;
  return true;
}

bool ChildProcess::Running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

HWND ChildProcess::WaitForMainWindow(DWORD timeoutMs) const {
  double deadline = NowMs() + timeoutMs;
  for (;;) {
    WindowSearch search{id_, nullptr};
    EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (!Running() || NowMs() > deadline) return nullptr;
    Sleep(1);
  }
}

bool ChildProcess::Close(HWND window, DWORD graceMs) {
  if (!Running()) return true;
  if (window) PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.get(), graceMs) == WAIT_OBJECT_0) return true;
  TerminateProcess(process_.get(), 1);
  WaitForSingleObject(process_.get(), 5000);
  return false;
}
