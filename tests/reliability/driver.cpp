// The reliability tests' hand inside Wine: one long-lived process that
// answers questions about a window on stdin, one JSON line each on stdout.
// Starting a Wine process costs a fifth of a second; the long runs ask a
// thousand questions, so they ask this one process instead of the probe.
//
//   window <hwnd>     exists, visible, iconic and the screen rect
//   gui <hwnd>        whether the window's thread is in a move loop, and who has the capture
//   ping <hwnd>       whether the window's thread answers a message within 2 s, and how fast
//   restore <hwnd>    ShowWindow(SW_RESTORE)
//   settle <hwnd>     a no-op SetWindowPos that may activate (see Settle)
//   version           the Windows version the prefix reports (RtlGetVersion: no
//                     compatibility shims in the way)
//
// An empty line or the end of the input ends it.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* Bool(bool value) { return value ? "true" : "false"; }

HWND ParseHandle(const char* text) {
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text, nullptr, 0)));
}

std::string Window(HWND window) {
  if (!IsWindow(window)) return "{\"exists\": false}";
  RECT rect;
  GetWindowRect(window, &rect);
  char text[200];
  std::snprintf(
      text, sizeof text,
      "{\"exists\": true, \"visible\": %s, \"iconic\": %s, \"rect\": [%ld, %ld, %ld, %ld]}",
      Bool(IsWindowVisible(window)), Bool(IsIconic(window)), rect.left, rect.top, rect.right,
      rect.bottom);
  return text;
}

std::string Gui(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return "{}";
  char text[100];
  std::snprintf(text, sizeof text, "{\"in_move_size\": %s, \"capture\": %llu}",
                Bool(info.flags & GUI_INMOVESIZE),
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(info.hwndCapture)));
  return text;
}

std::string Ping(HWND window) {
  DWORD start = GetTickCount();
  DWORD_PTR result = 0;
  bool answered = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) != 0;
  char text[80];
  std::snprintf(text, sizeof text, "{\"answered\": %s, \"ms\": %lu}", Bool(answered),
                GetTickCount() - start);
  return text;
}

std::string Restore(HWND window) {
  if (!IsWindow(window)) return "{\"restored\": false}";
  ShowWindow(window, SW_RESTORE);
  return "{\"restored\": true}";
}

// Wine without a window manager maps a window shown without activation as an
// unmanaged X window, and remaps it as a managed one at its first activating
// move: the first move of a drag, where the remap takes the focus and with it
// the move loop's capture, so that the loop outlives the button's release.
// The tests have Wine remap the form before they drag it.
std::string Settle(HWND window) {
  bool done = SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  return std::string("{\"settled\": ") + Bool(done) + "}";
}

std::string Version() {
  using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  auto get = reinterpret_cast<GetVersionFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!get || get(&info) != 0) return "{}";
  char text[80];
  std::snprintf(text, sizeof text, "{\"major\": %lu, \"minor\": %lu, \"build\": %lu}",
                info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber);
  return text;
}

std::string Answer(const std::string& command, const char* argument) {
  if (command == "window") return Window(ParseHandle(argument));
  if (command == "gui") return Gui(ParseHandle(argument));
  if (command == "ping") return Ping(ParseHandle(argument));
  if (command == "restore") return Restore(ParseHandle(argument));
  if (command == "settle") return Settle(ParseHandle(argument));
  if (command == "version") return Version();
  return "{\"error\": \"unknown command\"}";
}

}  // namespace

int main() {
  char line[256];
  while (std::fgets(line, sizeof line, stdin)) {
    line[std::strcspn(line, "\r\n")] = '\0';
    if (!line[0]) break;
    char* space = std::strchr(line, ' ');
    if (space) *space = '\0';
    std::printf("%s\n", Answer(line, space ? space + 1 : "0").c_str());
    std::fflush(stdout);
  }
  return 0;
}
