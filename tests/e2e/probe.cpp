// The end-to-end tests' eyes inside Wine: reports what the system sees of a
// program's windows, fonts and shortcuts, as JSON on stdout.
//
//   probe windows [exe-name]      top-level windows (of that exe) with their children
//   probe restore <hwnd>          ShowWindow(SW_RESTORE)
//   probe textheight [height [face]]   height of "0" in that font on the screen DC
//   probe shortcut <lnk-path>     what a shell link points at
//   probe desktop                 the desktop folder, as Windows and as Linux path
//   probe gui <hwnd>              the input state of the window's thread (capture, move loop)
//   probe hold                    prints "ready", then waits for the end of its input
//
// Texts are read as code page 936 bytes and printed as UTF-8, with the raw
// bytes alongside in hex, so that a test can tell a wrong encoding from a
// wrong text.

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "ui/ComPtr.h"
#include "ui/Scoped.h"

namespace {

using UniqueKernelHandle = UniqueHandle<HANDLE, CloseHandle>;

std::string ToUtf8(const std::string& ansi, UINT codePage = CP_ACP) {
  if (ansi.empty()) return {};
  int wideLength =
      MultiByteToWideChar(codePage, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(codePage, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(),
                      wideLength);
  int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

std::wstring ToWide(const char* ansi) {
  int length = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide.data(), length);
  wide.resize(wcslen(wide.c_str()));
  return wide;
}

std::string Quoted(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char pair[3];
  for (unsigned char c : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", c);
    out += pair;
  }
  return out;
}

std::string Rect(const RECT& r) {
  char text[64];
  std::snprintf(text, sizeof text, "[%ld, %ld, %ld, %ld]", r.left, r.top, r.right, r.bottom);
  return text;
}

std::string Number(unsigned long long value) { return std::to_string(value); }

std::string Handle(HWND window) { return Number(reinterpret_cast<UINT_PTR>(window)); }

std::string ClassName(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The window's text as its own procedure gives it (a tooltip's tip, a static's
// text); the stored caption when the owner does not answer in time.
std::string WindowText(HWND window) {
  char text[1024] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, 1000, &copied)) {
    GetWindowTextA(window, text, sizeof text);
  }
  return text;
}

std::string TextFields(HWND window) {
  std::string text = WindowText(window);
  return "\"title\": " + Quoted(ToUtf8(text)) + ", \"title_hex\": " + Quoted(Hex(text));
}

std::string Common(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return "\"hwnd\": " + Handle(window) + ", \"class\": " + Quoted(ClassName(window)) + ", " +
         TextFields(window) +
         ", \"style\": " + Number(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE))) +
         ", \"exstyle\": " + Number(static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE))) +
         ", \"visible\": " + (IsWindowVisible(window) ? "true" : "false") + ", \"client_size\": [" +
         Number(client.right) + ", " + Number(client.bottom) + "]";
}

// Children in z-order, top first; rects in the parent's client coordinates.
std::string Children(HWND parent) {
  std::string out = "[";
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    if (out.size() > 1) out += ", ";
    out += "{" + Common(child) + ", \"rect\": " + Rect(rect) +
           ", \"children\": " + Children(child) + "}";
  }
  return out + "]";
}

std::map<DWORD, std::string> ProcessNames() {
  std::map<DWORD, std::string> names;
  UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.get() == INVALID_HANDLE_VALUE) return names;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    names[entry.th32ProcessID] = entry.szExeFile;
  }
  return names;
}

struct WindowList {
  std::map<DWORD, std::string> names;
  std::string filter;
  std::string json;
};

BOOL CALLBACK AddWindow(HWND window, LPARAM param) {
  auto& list = *reinterpret_cast<WindowList*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const std::string& exe = list.names[pid];
  if (!list.filter.empty() && lstrcmpiA(exe.c_str(), list.filter.c_str()) != 0) return TRUE;
  RECT rect, client;
  GetWindowRect(window, &rect);
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  if (list.json.size() > 1) list.json += ",\n ";
  list.json += "{" + Common(window) + ", \"pid\": " + Number(pid) +
               ", \"exe\": " + Quoted(ToUtf8(exe)) + ", \"rect\": " + Rect(rect) +
               ", \"client\": " + Rect(client) +
               ", \"iconic\": " + (IsIconic(window) ? "true" : "false") +
               ", \"owner\": " + Handle(GetWindow(window, GW_OWNER)) +
               ", \"children\": " + Children(window) + "}";
  return TRUE;
}

int Windows(const char* exe) {
  WindowList list{ProcessNames(), exe ? exe : "", "["};
  EnumWindows(&AddWindow, reinterpret_cast<LPARAM>(&list));
  std::printf("%s]\n", list.json.c_str());
  return 0;
}

HWND ParseHandle(const char* text) {
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text, nullptr, 0)));
}

int Restore(const char* hwnd) {
  HWND window = ParseHandle(hwnd);
  if (!IsWindow(window)) {
    std::fprintf(stderr, "no window %s\n", hwnd);
    return 1;
  }
  ShowWindow(window, SW_RESTORE);
  std::printf("{\"restored\": %s}\n", Handle(window).c_str());
  return 0;
}

// As the form reader measures its font: "0" in a normal-weight font of that
// character height, face and charset on the screen's DC.
int TextHeight(const char* height, const char* face) {
  LOGFONTA font{};
  font.lfHeight = height ? std::atoi(height) : -12;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = ANSI_CHARSET;
  lstrcpynA(font.lfFaceName, face ? face : "宋体", LF_FACESIZE);
  ScopedGetDC screen(nullptr);
  UniqueGdi<HFONT> created(CreateFontIndirectA(&font));
  ScopedSelect selected(screen.get(), created.get());
  SIZE size{};
  GetTextExtentPoint32A(screen.get(), "0", 1, &size);
  char chosen[LF_FACESIZE] = {};
  GetTextFaceA(screen.get(), sizeof chosen, chosen);
  std::printf("{\"height\": %ld, \"width\": %ld, \"face\": %s, \"dpi\": %d}\n", size.cy, size.cx,
              Quoted(ToUtf8(chosen)).c_str(), GetDeviceCaps(screen.get(), LOGPIXELSY));
  return 0;
}

class ComApartment {
 public:
  ComApartment() : result_(CoInitialize(nullptr)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }

 private:
  HRESULT result_;
};

int Shortcut(const char* path) {
  ComApartment com;
  ComPtr<IShellLinkA> link;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    reinterpret_cast<void**>(link.put()));
  ComPtr<IPersistFile> file;
  if (SUCCEEDED(result)) file = link.As<IPersistFile>();
  if (file) result = file->Load(ToWide(path).c_str(), STGM_READ);
  if (!file || FAILED(result)) {
    std::printf("{\"loaded\": false, \"result\": %lu}\n", static_cast<unsigned long>(result));
    return 0;
  }
  char target[MAX_PATH] = {}, description[1024] = {}, arguments[1024] = {};
  link->GetPath(target, sizeof target, nullptr, SLGP_RAWPATH);
  link->GetDescription(description, sizeof description);
  link->GetArguments(arguments, sizeof arguments);
  int show = 0;
  link->GetShowCmd(&show);
  std::printf(
      "{\"loaded\": true, \"path\": %s, \"path_hex\": %s, \"description\": %s, "
      "\"arguments\": %s, \"show\": %d}\n",
      Quoted(ToUtf8(target)).c_str(), Quoted(Hex(target)).c_str(),
      Quoted(ToUtf8(description)).c_str(), Quoted(ToUtf8(arguments)).c_str(), show);
  return 0;
}

int Desktop() {
  char path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOP, FALSE)) return 1;
  // Wine's own export: where the folder lives on the Linux side.
  using UnixName = char*(CDECL*)(const wchar_t*);
  auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  char* unix = unixName ? unixName(ToWide(path).c_str()) : nullptr;
  std::printf("{\"path\": %s, \"unix\": %s}\n", Quoted(ToUtf8(path)).c_str(),
              Quoted(unix ? unix : "").c_str());
  if (unix) HeapFree(GetProcessHeap(), 0, unix);
  return 0;
}

// Whether the window's thread is in a move or size loop, and which of its
// windows has the capture, the focus and the activation.
int GuiThread(const char* hwnd) {
  HWND window = ParseHandle(hwnd);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return 1;
  std::printf(
      "{\"flags\": %lu, \"in_move_size\": %s, \"capture\": %s, \"move_size\": %s, "
      "\"active\": %s, \"focus\": %s}\n",
      info.flags, (info.flags & GUI_INMOVESIZE) ? "true" : "false",
      Handle(info.hwndCapture).c_str(), Handle(info.hwndMoveSize).c_str(),
      Handle(info.hwndActive).c_str(), Handle(info.hwndFocus).c_str());
  return 0;
}

// Keeps the prefix's Wine session (its desktop process above all) up between
// the programs a test starts: a program started while the session winds down
// can wait forever for a desktop that is gone.
int Hold() {
  std::printf("ready\n");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: probe windows [exe] | restore <hwnd> | textheight [height [face]] | "
               "shortcut <lnk> | desktop | gui <hwnd> | hold\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string command = argv[1];
  const char* first = argc > 2 ? argv[2] : nullptr;
  const char* second = argc > 3 ? argv[3] : nullptr;
  if (command == "windows") return Windows(first);
  if (command == "restore" && first) return Restore(first);
  if (command == "textheight") return TextHeight(first, second);
  if (command == "shortcut" && first) return Shortcut(first);
  if (command == "desktop") return Desktop();
  if (command == "gui" && first) return GuiThread(first);
  if (command == "hold") return Hold();
  return Usage();
}
