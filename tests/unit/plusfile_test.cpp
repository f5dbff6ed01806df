#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "src/PlusFile.h"
#include "tests/support/FileSystem.h"
#include "ui/FileUtils.h"

namespace {

// "誠" in code page 936 is 0xD5 0x5C: its second byte is the backslash code.
// The double-byte cases below only mean something under that code page.
class CodePage936 : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GetACP(), 936u) << "run with LC_ALL=zh_CN.UTF-8"; }
};

TEST_F(CodePage936, BackslashTrailByteLiteralIsWhatTheTestsNeed) {
  AnsiString c("誠");
  ASSERT_EQ(c.Length(), 2);
  EXPECT_EQ(static_cast<unsigned char>(c[1]), 0xD5);
  EXPECT_EQ(c[2], '\\');
  EXPECT_TRUE(IsDBCSLeadByte(0xD5));
}

struct WithoutExtCase {
  const char* path;
  bool keepDirectory;
  const char* expected;
};

TEST_F(CodePage936, FileNameWithoutExt) {
  const WithoutExtCase cases[] = {
      {"C:\\dir\\app.exe", false, "app"},
      {"C:\\dir\\app.exe", true, "C:\\dir\\app"},
      {"archive.tar.gz", false, "archive.tar"},
      {"noext", false, "noext"},
      {".profile", false, ".profile"},
      {"name.", false, "name"},
      {"C:\\my.dir\\file", true, "C:\\my.dir\\file"},
      {"dir/app.exe", false, "dir/app"},
      {"D:file.txt", false, "file"},
      {"C:\\dir\\", false, ""},
      {"C:\\dir\\", true, "C:\\dir\\"},
      {"", false, ""},
      // A trail byte equal to "\" is neither a separator nor hides the dot.
      {"app.誠", false, "app"},
      {"C:\\dir\\app.誠", true, "C:\\dir\\app"},
      {"C:\\誠\\app.誠誠", true, "C:\\誠\\app"},
      {"誠誠.exe", false, "誠誠"},
  };
  for (const WithoutExtCase& c : cases) {
    EXPECT_EQ(FileNameWithoutExt(c.path, c.keepDirectory).str(), std::string(c.expected))
        << "path \"" << c.path << "\", keepDirectory " << c.keepDirectory;
  }
}

TEST_F(CodePage936, ExtractFileName) {
  const struct {
    const char* path;
    const char* expected;
  } cases[] = {
      {"C:\\dir\\app.exe", "app.exe"},
      {"D:file.txt", "file.txt"},
      {"C:\\dir\\", ""},
      {"dir/app.exe", "dir/app.exe"},
      {"C:\\a/b", "a/b"},
      {"plain", "plain"},
      {"", ""},
      {"C:\\dir\\誠", "誠"},
      {"C:\\dir\\誠誠.exe", "誠誠.exe"},
      {"誠\\x", "x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFileName(c.path).str(), std::string(c.expected))
        << "path \"" << c.path << "\"";
  }
}

TEST(GetSpecialFolderPath, DesktopIsTheDesktopDirectory) {
  char expected[MAX_PATH] = {};
  ASSERT_EQ(
      SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, expected),
      S_OK);
  AnsiString desktop = GetSpecialFolderPath(CSIDL_DESKTOP);
  EXPECT_EQ(desktop.str(), std::string(expected));
  DWORD attributes = GetFileAttributesA(desktop.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(GetSpecialFolderPath, UnknownOrPathlessFolderGivesEmpty) {
  EXPECT_TRUE(GetSpecialFolderPath(0x7F).IsEmpty());
  EXPECT_TRUE(GetSpecialFolderPath(-1).IsEmpty());
  // "My Computer" exists but is no file-system folder.
  EXPECT_TRUE(GetSpecialFolderPath(CSIDL_DRIVES).IsEmpty());
}

// A fresh, uniquely named folder under %TEMP%, removed with its contents.
class TempFolder : public testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    static int serial = 0;
    root_ = AnsiString(temp) + "plusfile_test_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++serial);
    RemoveTree(root_);
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
  }
  void TearDown() override { RemoveTree(root_); }

  AnsiString root_;
};

TEST_F(TempFolder, FileExistsOnlyForFiles) {
  AnsiString file = root_ + "\\a.txt";
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FileExists(root_)) << "a folder is no file";
  EXPECT_FALSE(FileExists(root_ + "\\missing.txt"));
  EXPECT_FALSE(FileExists(""));
}

TEST_F(TempFolder, ForceDirectoriesMakesMissingParents) {
  AnsiString deep = root_ + "\\one\\two\\three";
  EXPECT_TRUE(ForceDirectories(deep + "\\"));
  EXPECT_TRUE(IsFolder(deep));
  EXPECT_TRUE(ForceDirectories(deep)) << "an existing folder is fine";
}

// "誠" ends in the backslash code: it is neither a separator between folders
// nor a trailing backslash to drop.
TEST_F(TempFolder, ForceDirectoriesKeepsDoubleByteNamesWhole) {
  ASSERT_EQ(GetACP(), 936u) << "run with LC_ALL=zh_CN.UTF-8";
  AnsiString deep = root_ + "\\誠\\誠誠";
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(IsFolder(deep));
  EXPECT_EQ(Entries(root_), std::vector<std::string>{"誠"});
  EXPECT_EQ(Entries(root_ + "\\誠"), std::vector<std::string>{"誠誠"});
}

TEST_F(TempFolder, ForceDirectoriesFailsWhereNoFolderCanBe) {
  EXPECT_FALSE(ForceDirectories(""));
  AnsiString file = root_ + "\\file";
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_FALSE(ForceDirectories(file + "\\sub"));
}

}  // namespace
