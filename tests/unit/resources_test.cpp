#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <string_view>

#include "ui/Scoped.h"

// The resources are linked into this test exe exactly as into the program, so the module's
// own resource section is what the program will load at run time.

namespace {

using UniqueModule = UniqueHandle<HMODULE, FreeLibrary>;
using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;

// GetProcAddress's result, typed; the detour through void(*)() tells the compiler the cast is
// deliberate.
template <class Function>
Function Procedure(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

std::string_view Resource(const char* name, const char* type) {
  HRSRC found = FindResourceA(nullptr, name, type);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(nullptr, found);
  return {static_cast<const char*>(LockResource(loaded)), SizeofResource(nullptr, found)};
}

template <class T>
T ReadAt(std::string_view bytes, size_t offset) {
  T value{};
  if (offset + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

uint16_t BigEndian16(std::string_view bytes, size_t offset) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[offset]) << 8 |
                               static_cast<uint8_t>(bytes[offset + 1]));
}

enum class Format { kBmp, kJpeg };

struct Picture {
  const char* name;
  Format format;
  int width;
  int height;
  int bits;  // BMP only
};

void PrintTo(const Picture& picture, std::ostream* out) { *out << picture.name; }

class PictureResource : public testing::TestWithParam<Picture> {};

void ExpectBmp(std::string_view data, const Picture& picture) {
  ASSERT_GE(data.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
  auto file = ReadAt<BITMAPFILEHEADER>(data, 0);
  auto info = ReadAt<BITMAPINFOHEADER>(data, sizeof(BITMAPFILEHEADER));
  EXPECT_EQ(file.bfType, 0x4D42);  // "BM"
  EXPECT_EQ(file.bfSize, data.size());
  EXPECT_EQ(info.biWidth, picture.width);
  // Positive: bottom-up rows, which every loader of ours and of the system reads.
  EXPECT_EQ(info.biHeight, picture.height);
  EXPECT_EQ(info.biBitCount, picture.bits);
  EXPECT_EQ(info.biCompression, static_cast<DWORD>(BI_RGB));

  const size_t stride = (picture.width * picture.bits / 8 + 3) & ~size_t{3};
  ASSERT_GE(data.size(), file.bfOffBits + stride * picture.height) << "pixel rows cut short";
  if (picture.bits == 32) {
    // The logo is drawn with per-pixel alpha; any pixel below 255 would let the bar show
    // through (or turn black where alpha is ignored).
    int translucent = 0;
    for (int y = 0; y < picture.height; ++y)
      for (int x = 0; x < picture.width; ++x)
        if (static_cast<uint8_t>(data[file.bfOffBits + y * stride + x * 4 + 3]) != 255)
          ++translucent;
    EXPECT_EQ(translucent, 0);
  }
}

void ExpectJpeg(std::string_view data, const Picture& picture) {
  ASSERT_GE(data.size(), 4u);
  ASSERT_EQ(BigEndian16(data, 0), 0xFFD8) << "no start-of-image marker";
  // Walk the marker segments up to the frame header. Only a baseline frame (SOF0) is
  // accepted: older picture decoders refuse progressive and arithmetic-coded files.
  size_t at = 2;
  while (at + 4 <= data.size()) {
    ASSERT_EQ(static_cast<uint8_t>(data[at]), 0xFF) << "marker expected at " << at;
    uint8_t marker = static_cast<uint8_t>(data[at + 1]);
    uint16_t length = BigEndian16(data, at + 2);
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      EXPECT_EQ(marker, 0xC0) << "not a baseline JPEG";
      ASSERT_GE(data.size(), at + 9);
      EXPECT_EQ(BigEndian16(data, at + 5), picture.height);
      EXPECT_EQ(BigEndian16(data, at + 7), picture.width);
      return;
    }
    ASSERT_NE(marker, 0xDA) << "scan data before any frame header";
    at += 2 + length;
  }
  FAIL() << "no frame header";
}

TEST_P(PictureResource, HasItsFormatSizeAndDepth) {
  const Picture& picture = GetParam();
  std::string_view data = Resource(picture.name, RT_RCDATA);
  ASSERT_FALSE(data.empty()) << "RCDATA " << picture.name << " missing";
  if (picture.format == Format::kBmp)
    ExpectBmp(data, picture);
  else
    ExpectJpeg(data, picture);
}

INSTANTIATE_TEST_SUITE_P(Skin, PictureResource,
                         testing::Values(Picture{"TITLE", Format::kJpeg, 320, 34, 0},
                                         Picture{"LOGO", Format::kBmp, 16, 16, 32},
                                         Picture{"MINIDLE", Format::kBmp, 33, 17, 24},
                                         Picture{"MINHOVER", Format::kBmp, 33, 17, 24},
                                         Picture{"CLOSEIDLE", Format::kBmp, 33, 17, 24},
                                         Picture{"CLOSEHOVER", Format::kBmp, 33, 17, 24}),
                         [](const testing::TestParamInfo<Picture>& info) {
                           return std::string(info.param.name);
                         });

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width;
  BYTE height;
  BYTE colours;
  BYTE reserved;
  WORD planes;
  WORD bits;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(IconResource, HoldsExactly48And32PixelImagesWithAlpha) {
  std::string_view group = Resource("MAINICON", RT_GROUP_ICON);
  ASSERT_GE(group.size(), 6u) << "icon group MAINICON missing";
  const WORD count = ReadAt<WORD>(group, 4);
  ASSERT_EQ(count, 2);
  ASSERT_GE(group.size(), 6 + count * sizeof(GroupIconEntry));

  std::set<int> sizes;
  for (WORD i = 0; i < count; ++i) {
    auto entry = ReadAt<GroupIconEntry>(group, 6 + i * sizeof(GroupIconEntry));
    SCOPED_TRACE(testing::Message() << "entry " << i << ", " << int{entry.width} << " px");
    sizes.insert(entry.width);
    EXPECT_EQ(entry.height, entry.width);
    EXPECT_EQ(entry.bits, 32);
    // The image itself must be a DIB (XP cannot read PNG entries) of the same size and depth.
    std::string_view image = Resource(MAKEINTRESOURCEA(entry.id), RT_ICON);
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    auto info = ReadAt<BITMAPINFOHEADER>(image, 0);
    EXPECT_EQ(info.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(info.biWidth, entry.width);
    EXPECT_EQ(info.biHeight, 2 * entry.width);  // colour rows plus the AND mask
    EXPECT_EQ(info.biBitCount, 32);
  }
  EXPECT_EQ(sizes, (std::set<int>{32, 48}));

  for (int size : {32, 48}) {
    UniqueIcon icon(static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, size, size, 0)));
    EXPECT_TRUE(icon) << "the system does not load the " << size << " px icon";
  }
}

TEST(ManifestResource, AsksForCommonControls6AndDpiAwareness) {
  std::string_view manifest = Resource(MAKEINTRESOURCEA(1), RT_MANIFEST);
  ASSERT_FALSE(manifest.empty());
  std::string text(manifest);
  EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  EXPECT_NE(text.find(">true</dpiAware>"), std::string::npos);
  EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_EQ(text.find("activeCodePage"), std::string::npos) << "the program is ANSI, code page 936";
}

TEST(ManifestResource, TakesEffectForTheProcess) {
  // Only a well-formed manifest under resource id 1 reaches the loader; a broken one leaves
  // the process on the old controls and on bitmap-stretched DPI, without any error.
  UniqueModule comctl(LoadLibraryA("comctl32.dll"));
  ASSERT_TRUE(comctl);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(comctl.get(), path, sizeof(path));
  std::string loaded = CharLowerA(path);
  EXPECT_NE(loaded.find("common-controls"), std::string::npos)
      << "comctl32 came from " << loaded << ", not from the side-by-side version 6 assembly";
  // Looked up at run time: the headers are set for XP, which has no DPI awareness.
  auto is_dpi_aware =
      Procedure<BOOL(WINAPI*)()>(GetModuleHandleA("user32.dll"), "IsProcessDPIAware");
  ASSERT_NE(is_dpi_aware, nullptr);
  EXPECT_TRUE(is_dpi_aware());
}

// The version API lives in version.dll, which nothing else here links.
class VersionInfo {
 public:
  VersionInfo() : dll_(LoadLibraryA("version.dll")) {
    if (!dll_) return;
    auto size_of =
        Procedure<decltype(&GetFileVersionInfoSizeA)>(dll_.get(), "GetFileVersionInfoSizeA");
    auto read = Procedure<decltype(&GetFileVersionInfoA)>(dll_.get(), "GetFileVersionInfoA");
    query_ = Procedure<decltype(&VerQueryValueA)>(dll_.get(), "VerQueryValueA");
    if (!size_of || !read || !query_) return;
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    DWORD ignored = 0;
    block_.resize(size_of(path, &ignored));
    if (block_.empty() || !read(path, 0, static_cast<DWORD>(block_.size()), block_.data()))
      block_.clear();
  }

  bool Loaded() const { return !block_.empty(); }

  std::string_view Query(const char* path) const {
    void* value = nullptr;
    UINT length = 0;
    if (!query_(block_.data(), path, &value, &length) || !value) return {};
    return {static_cast<const char*>(value), length};
  }

  std::string Text(const char* name) const {
    // Narrow values come back with their terminating zero counted.
    std::string_view value = Query((std::string("\\StringFileInfo\\080403a8\\") + name).c_str());
    return std::string(value.substr(0, value.find('\0')));
  }

 private:
  UniqueModule dll_;
  decltype(&VerQueryValueA) query_ = nullptr;
  std::string block_;
};

TEST(VersionResource, DescribesTheProductInCodePage936) {
  VersionInfo info;
  ASSERT_TRUE(info.Loaded());

  std::string_view fixed_bytes = info.Query("\\");
  ASSERT_EQ(fixed_bytes.size(), sizeof(VS_FIXEDFILEINFO));
  auto fixed = ReadAt<VS_FIXEDFILEINFO>(fixed_bytes, 0);
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed.dwFileVersionLS, 0u);
  EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));

  std::string_view translation = info.Query("\\VarFileInfo\\Translation");
  ASSERT_EQ(translation.size(), 4u);
  EXPECT_EQ(ReadAt<WORD>(translation, 0), 0x0804);
  EXPECT_EQ(ReadAt<WORD>(translation, 2), 936);

  // The literals below are code page 936 bytes, as the A functions hand them out.
  EXPECT_EQ(info.Text("ProductName"), "MURAVA电台");
  EXPECT_EQ(info.Text("FileDescription"), "MURAVA电台 desktop client");
  EXPECT_EQ(info.Text("FileVersion"), "1.0.0.0");
}

}  // namespace
