#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/CreateShortcut.h"
#include "tests/support/FileSystem.h"
#include "ui/ComPtr.h"

namespace {

class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() {
    if (handle_) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

DWORD WINAPI RunFunction(void* context) {
  (*static_cast<std::function<void()>*>(context))();
  return 0;
}

// Runs `body` on a new thread, whose COM state starts clean, and waits.
void RunOnNewThread(std::function<void()> body) {
  ScopedHandle thread(CreateThread(nullptr, 0, RunFunction, &body, 0, nullptr));
  ASSERT_NE(thread.get(), nullptr);
  WaitForSingleObject(thread.get(), INFINITE);
}

// What a shell link file says, read back through the shell's own object.
// The show command is read from the file's header instead: Wine's loader
// leaves it at SW_SHOWNORMAL whatever the file holds.
struct ShellLink {
  bool loaded = false;
  std::string path;
  std::string description;
};

ShellLink ReadShellLink(const AnsiString& file) {
  ShellLink result;
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(link.put())))) {
    return result;
  }
  ComPtr<IPersistFile> persist;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(persist.put()))))
    return result;
  if (FAILED(persist->Load(AnsiToWide(file).c_str(), STGM_READ))) return result;
  result.loaded = true;
  char text[MAX_PATH] = {};
  WIN32_FIND_DATAA data;
  link->GetPath(text, MAX_PATH, &data, SLGP_RAWPATH);
  result.path = text;
  char description[INFOTIPSIZE] = {};
  link->GetDescription(description, INFOTIPSIZE);
  result.description = description;
  return result;
}

// The fixed header at the start of every shell link file.
void ExpectShellLinkHeader(const AnsiString& file) {
  std::ifstream in(file.c_str(), std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
  ASSERT_GE(bytes.size(), 0x4Cu);
  DWORD headerSize = 0;
  std::memcpy(&headerSize, bytes.data(), sizeof headerSize);
  EXPECT_EQ(headerSize, 0x4Cu);
  const GUID shellLinkClass = {
      0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
  EXPECT_EQ(std::memcmp(bytes.data() + 4, &shellLinkClass, sizeof shellLinkClass), 0);
  DWORD showCommand = 0;
  std::memcpy(&showCommand, bytes.data() + 0x3C, sizeof showCommand);
  EXPECT_EQ(showCommand, 5u);
}

// Each test gets a fresh folder under %TEMP%, removed afterwards, and COM on
// the test thread for reading links back (as the program's UI thread has).
class CreateShortcutTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 936u) << "run with LC_ALL=zh_CN.UTF-8";
    char temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    static int serial = 0;
    root_ = AnsiString(temp) + "create_shortcut_test_" + std::to_string(GetCurrentProcessId()) +
            "_" + std::to_string(++serial);
    RemoveTree(root_);
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  }
  void TearDown() override {
    CoUninitialize();
    RemoveTree(root_);
  }

  // An existing program file for a shortcut to point at.
  AnsiString MakeTarget(const AnsiString& relative) {
    AnsiString path = root_ + "\\" + relative;
    int slash = static_cast<int>(path.str().rfind('\\'));
    CreateDirectoryA(path.SubString(1, slash).c_str(), nullptr);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << path.c_str();
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return path;
  }

  AnsiString root_;
};

TEST_F(CreateShortcutTest, EmptyTargetWritesNothing) {
  AnsiString folder = root_ + "\\desk";
  CreateShortcut("", "radio", folder);
  EXPECT_FALSE(IsFolder(folder)) << "an empty target stops before the folder is made";
  EXPECT_TRUE(Entries(root_).empty());
}

TEST_F(CreateShortcutTest, EmptyNameIsTheTargetsFileNameWithoutExtension) {
  AnsiString target = MakeTarget("bin\\radio.exe");
  AnsiString folder = root_ + "\\desk";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  CreateShortcut(target, "", folder);

  EXPECT_EQ(Entries(folder), std::vector<std::string>{"radio.lnk"});
  ShellLink link = ReadShellLink(folder + "\\radio.lnk");
  ASSERT_TRUE(link.loaded);
  EXPECT_EQ(link.description, "radio");
  EXPECT_EQ(link.path, target.str());
  ExpectShellLinkHeader(folder + "\\radio.lnk");
}

TEST_F(CreateShortcutTest, MissingFolderAndParentsAreCreated) {
  AnsiString target = MakeTarget("bin\\radio.exe");
  AnsiString folder = root_ + "\\missing\\desk";
  CreateShortcut(target, "MURAVA电台", folder);
  ASSERT_TRUE(IsFolder(folder));
  EXPECT_TRUE(IsFile(folder + "\\MURAVA电台.lnk"));
}

TEST_F(CreateShortcutTest, TargetWithBlanksAndChineseRoundTrips) {
  AnsiString target = MakeTarget("程序 目录\\电台 播放.exe");
  CreateShortcut(target, "MURAVA电台", root_);

  AnsiString file = root_ + "\\MURAVA电台.lnk";
  ShellLink link = ReadShellLink(file);
  ASSERT_TRUE(link.loaded);
  // The writer quotes the target; the shell strips the quotes when it
  // stores the path, so the plain path comes back.
  EXPECT_EQ(link.path, target.str());
  EXPECT_EQ(link.description, "MURAVA电台");
  ExpectShellLinkHeader(file);
}

// The caller's apartment (the program's UI thread has one) outlives the call:
// the writer undoes only its own initialisation.
TEST_F(CreateShortcutTest, LeavesCallersComInitialisationAsItWas) {
  AnsiString target = MakeTarget("radio.exe");
  HRESULT ole = E_FAIL, during = E_FAIL, afterwards = E_FAIL;
  RunOnNewThread([&] {
    ole = OleInitialize(nullptr);
    CreateShortcut(target, "", root_);
    during = CoInitialize(nullptr);  // still initialised: S_FALSE
    if (SUCCEEDED(during)) CoUninitialize();
    if (SUCCEEDED(ole)) OleUninitialize();
    afterwards = CoInitialize(nullptr);  // nothing left over: S_OK
    if (SUCCEEDED(afterwards)) CoUninitialize();
  });
  ASSERT_EQ(ole, S_OK);
  EXPECT_EQ(during, S_FALSE);
  EXPECT_EQ(afterwards, S_OK);
  EXPECT_TRUE(IsFile(root_ + "\\radio.lnk"));
}

// On a thread of the multi-threaded apartment CoInitialize fails; the writer
// then gives up without undoing an initialisation that is not its own.
TEST_F(CreateShortcutTest, FailedComInitialisationWritesNothingAndUndoesNothing) {
  AnsiString target = MakeTarget("radio.exe");
  AnsiString folder = root_ + "\\desk";
  HRESULT mta = E_FAIL, again = E_FAIL;
  RunOnNewThread([&] {
    mta = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CreateShortcut(target, "", folder);
    again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(again)) CoUninitialize();
    if (SUCCEEDED(mta)) CoUninitialize();
  });
  ASSERT_EQ(mta, S_OK);
  EXPECT_EQ(again, S_FALSE);
  EXPECT_TRUE(IsFolder(folder)) << "the folder is made before COM is tried";
  EXPECT_TRUE(Entries(folder).empty());
}

}  // namespace
