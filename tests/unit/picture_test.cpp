#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ui/Exception.h"
#include "ui/Picture.h"
#include "ui/Scoped.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& out, unsigned value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void Put32(Bytes& out, unsigned value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// A BMP file as paint programs write it: bottom-up rows padded to 4 bytes.
// `pixels` are given top-down; 32-bpp files get `alpha` in every fourth byte,
// which a BITMAPV5HEADER with an alpha mask declares to be alpha.
Bytes MakeBmp(int width, int height, int bpp, const std::vector<COLORREF>& pixels,
              uint8_t alpha = 0, bool alphaMask = false) {
  const int stride = (width * bpp / 8 + 3) & ~3;
  const unsigned headerSize = alphaMask ? sizeof(BITMAPV5HEADER) : sizeof(BITMAPINFOHEADER);
  const unsigned offset = 14 + headerSize;
  Bytes out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + stride * height);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, headerSize);
  Put32(out, width);
  Put32(out, height);
  Put16(out, 1);
  Put16(out, bpp);
  Put32(out, alphaMask ? BI_BITFIELDS : BI_RGB);
  Put32(out, stride * height);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  if (alphaMask) {
    for (unsigned mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) Put32(out, mask);
    Put32(out, 0x73524742);      // LCS_sRGB, 'sRGB'
    out.resize(offset - 16, 0);  // endpoints, gamma
    Put32(out, LCS_GM_IMAGES);
    out.resize(offset, 0);  // no profile
  }
  for (int y = height - 1; y >= 0; --y) {
    const size_t rowStart = out.size();
    for (int x = 0; x < width; ++x) {
      const COLORREF c = pixels[y * width + x];
      out.push_back(GetBValue(c));
      out.push_back(GetGValue(c));
      out.push_back(GetRValue(c));
      if (bpp == 32) out.push_back(alpha);
    }
    out.resize(rowStart + stride, 0);
  }
  return out;
}

// 3 x 2: an odd width, so 24-bpp rows need padding; every pixel different,
// so a flipped or shifted row shows.
const std::vector<COLORREF> kPattern = {
    RGB(0xFF, 0x00, 0x00), RGB(0x00, 0xFF, 0x00), RGB(0x00, 0x00, 0xFF),
    RGB(0xF0, 0xE0, 0xD0), RGB(0x12, 0x34, 0x56), RGB(0x00, 0x00, 0x00),
};

// 4 x 2, solid #3366CC, no chroma subsampling (ImageMagick: convert -size 4x2
// xc:'#3366CC' -strip -quality 90 -sampling-factor 1x1 jpeg:-).
const uint8_t kJpeg[] = {
    0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01,
    0x00, 0x01, 0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x03, 0x02, 0x02, 0x03, 0x02, 0x02, 0x03,
    0x03, 0x03, 0x03, 0x04, 0x03, 0x03, 0x04, 0x05, 0x08, 0x05, 0x05, 0x04, 0x04, 0x05, 0x0A, 0x07,
    0x07, 0x06, 0x08, 0x0C, 0x0A, 0x0C, 0x0C, 0x0B, 0x0A, 0x0B, 0x0B, 0x0D, 0x0E, 0x12, 0x10, 0x0D,
    0x0E, 0x11, 0x0E, 0x0B, 0x0B, 0x10, 0x16, 0x10, 0x11, 0x13, 0x14, 0x15, 0x15, 0x15, 0x0C, 0x0F,
    0x17, 0x18, 0x16, 0x14, 0x18, 0x12, 0x14, 0x15, 0x14, 0xFF, 0xDB, 0x00, 0x43, 0x01, 0x03, 0x04,
    0x04, 0x05, 0x04, 0x05, 0x09, 0x05, 0x05, 0x09, 0x14, 0x0D, 0x0B, 0x0D, 0x14, 0x14, 0x14, 0x14,
    0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14,
    0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14,
    0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0xFF, 0xC0,
    0x00, 0x11, 0x08, 0x00, 0x02, 0x00, 0x04, 0x03, 0x01, 0x11, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11,
    0x01, 0xFF, 0xC4, 0x00, 0x14, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0xFF, 0xC4, 0x00, 0x14, 0x10, 0x01, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xC4, 0x00,
    0x15, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x07, 0x08, 0xFF, 0xC4, 0x00, 0x14, 0x11, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01,
    0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00, 0x2F, 0x54, 0x02, 0x47, 0xFF, 0xD9,
};

// The picture's own bits, read through its DIB section as rows top-down, so a
// picture stored the other way up shows as flipped.
COLORREF PixelOf(const TPicture& picture, int x, int y) {
  DIBSECTION dib{};
  EXPECT_EQ(GetObject(picture.Handle(), sizeof dib, &dib), static_cast<int>(sizeof dib));
  EXPECT_EQ(dib.dsBmih.biBitCount, 32);
  if (!dib.dsBm.bmBits) return CLR_INVALID;
  const auto* p = static_cast<const uint8_t*>(dib.dsBm.bmBits) + y * dib.dsBm.bmWidthBytes + x * 4;
  EXPECT_EQ(p[3], 0xFF) << "alpha at " << x << "," << y;
  return RGB(p[2], p[1], p[0]);
}

std::string RgbText(COLORREF c) {
  char text[16];
  snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

testing::AssertionResult ColourNear(COLORREF actual, COLORREF expected, int tolerance) {
  const bool within = std::abs(GetRValue(actual) - GetRValue(expected)) <= tolerance &&
                      std::abs(GetGValue(actual) - GetGValue(expected)) <= tolerance &&
                      std::abs(GetBValue(actual) - GetBValue(expected)) <= tolerance;
  if (within) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "colour " << RgbText(actual) << ", expected "
                                     << RgbText(expected) << " +-" << tolerance;
}

// A white 32-bpp memory canvas to draw into.
class Canvas {
 public:
  Canvas(int width, int height)
      : width_(width),
        bitmap_(MakeDib(width, height, &bits_)),
        dc_(CreateCompatibleDC(nullptr)),
        selected_(dc_.get(), bitmap_.get()) {
    for (int i = 0; i < width * height; ++i) bits_[i] = 0xFFFFFF;
  }
  HDC dc() const { return dc_.get(); }
  COLORREF Pixel(int x, int y) const {
    GdiFlush();
    const uint32_t p = bits_[y * width_ + x];
    return RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
  }

 private:
  static HBITMAP MakeDib(int width, int height, uint32_t** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(bits), nullptr,
                            0);
  }

  int width_;
  uint32_t* bits_ = nullptr;
  UniqueGdi<HBITMAP> bitmap_;
  ScopedDC dc_;
  ScopedSelect selected_;
};

TPicture Load(const Bytes& data) {
  TPicture picture;
  picture.LoadFromMemory(data.data(), data.size());
  return picture;
}

}  // namespace

struct BmpCase {
  const char* name;
  int bpp;
  uint8_t alpha;
  bool alphaMask;
};
void PrintTo(const BmpCase& c, std::ostream* out) { *out << c.name; }

class PictureBmp : public testing::TestWithParam<BmpCase> {};

// 32-bpp files carry whatever their writer left in the fourth byte, or a real
// alpha channel; the colours must come through unchanged (never premultiplied
// or zeroed) and the picture opaque.
TEST_P(PictureBmp, KeepsSizeColoursAndRowOrder) {
  const BmpCase& c = GetParam();
  TPicture picture = Load(MakeBmp(3, 2, c.bpp, kPattern, c.alpha, c.alphaMask));
  ASSERT_FALSE(picture.Empty());
  EXPECT_EQ(picture.Width(), 3);
  EXPECT_EQ(picture.Height(), 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(PixelOf(picture, x, y), kPattern[y * 3 + x]) << "at " << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Layouts, PictureBmp,
                         testing::Values(BmpCase{"Rgb24", 24, 0, false},
                                         BmpCase{"Rgb32Alpha00", 32, 0, false},
                                         BmpCase{"Rgb32Alpha80", 32, 0x80, false},
                                         BmpCase{"Rgb32AlphaFF", 32, 0xFF, false},
                                         BmpCase{"Argb32Transparent", 32, 0, true},
                                         BmpCase{"Argb32HalfAlpha", 32, 0x80, true}),
                         [](const testing::TestParamInfo<BmpCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(Picture, DecodesJpeg) {
  TPicture picture;
  picture.LoadFromMemory(kJpeg, sizeof kJpeg);
  EXPECT_EQ(picture.Width(), 4);
  EXPECT_EQ(picture.Height(), 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_TRUE(ColourNear(PixelOf(picture, x, y), RGB(0x33, 0x66, 0xCC), 6))
          << "at " << x << "," << y;
}

// Loading reads the frame header only, which gives the size for layout; the
// image itself comes at the first paint, also in a picture moved before it.
TEST(Picture, JpegIsSizedAtLoadAndDecodedWhenFirstDrawn) {
  TPicture loaded;
  loaded.LoadFromMemory(kJpeg, sizeof kJpeg);
  TPicture picture(std::move(loaded));
  EXPECT_TRUE(loaded.Empty());
  EXPECT_FALSE(picture.Empty());
  EXPECT_EQ(picture.Width(), 4);
  EXPECT_EQ(picture.Height(), 2);

  Canvas canvas(4, 2);
  picture.Draw(canvas.dc(), RECT{0, 0, 4, 2});
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_TRUE(ColourNear(canvas.Pixel(x, y), RGB(0x33, 0x66, 0xCC), 6))
          << "at " << x << "," << y;
}

// A good frame header over image data that does not decode: loading cannot
// tell, and the first paint must neither throw nor draw.
TEST(Picture, JpegThatFailsToDecodeDrawsNothingAndBecomesEmpty) {
  Bytes noScan(kJpeg, kJpeg + sizeof kJpeg);
  const uint8_t scan[] = {0xFF, 0xDA};
  noScan.erase(std::search(noScan.begin(), noScan.end(), scan, scan + 2), noScan.end());
  noScan.insert(noScan.end(), {0xFF, 0xD9});

  TPicture picture;
  picture.LoadFromMemory(noScan.data(), noScan.size());
  EXPECT_EQ(picture.Width(), 4);
  Canvas canvas(4, 2);
  picture.Draw(canvas.dc(), RECT{0, 0, 4, 2});
  EXPECT_EQ(canvas.Pixel(1, 1), RGB(0xFF, 0xFF, 0xFF));
  EXPECT_TRUE(picture.Empty());
  EXPECT_EQ(picture.Handle(), nullptr);
  EXPECT_EQ(picture.Width(), 0);
}

TEST(Picture, BadDataThrowsAndKeepsThePictureLoaded) {
  const Bytes garbage(64, 0x5A);
  const Bytes jpegHeaderOnly(kJpeg, kJpeg + 20);
  const uint8_t frameMarker[] = {0xFF, 0xC0};
  const uint8_t* frame = std::search(kJpeg, kJpeg + sizeof kJpeg, frameMarker, frameMarker + 2);
  const Bytes jpegCutInFrame(kJpeg, frame + 7);  // the height read, the width not
  Bytes bmpWithoutPixels = MakeBmp(3, 2, 24, kPattern);
  bmpWithoutPixels.resize(54);
  const struct {
    const char* name;
    const void* data;
    size_t size;
  } cases[] = {
      {"null", nullptr, 0},
      {"empty", garbage.data(), 0},
      {"garbage", garbage.data(), garbage.size()},
      {"jpeg cut before its frame", jpegHeaderOnly.data(), jpegHeaderOnly.size()},
      {"jpeg cut inside its frame header", jpegCutInFrame.data(), jpegCutInFrame.size()},
      {"bmp without pixels", bmpWithoutPixels.data(), bmpWithoutPixels.size()},
  };
  TPicture picture = Load(MakeBmp(3, 2, 24, kPattern));
  const HBITMAP before = picture.Handle();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      picture.LoadFromMemory(c.data, c.size);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_FALSE(e.Message.IsEmpty());
    }
    EXPECT_EQ(picture.Handle(), before);
    EXPECT_EQ(picture.Width(), 3);
  }
}

TEST(Picture, MissingResourceIsNamedInTheError) {
  const struct {
    const char* name;
    const char* expected;
  } cases[] = {
      {"NO_SUCH_PICTURE", "NO_SUCH_PICTURE"},
      {MAKEINTRESOURCEA(4242), "#4242"},
  };
  for (const auto& c : cases) {
    TPicture picture;
    try {
      picture.LoadFromResource(GetModuleHandleA(nullptr), c.name);
      ADD_FAILURE() << "no exception for " << c.expected;
    } catch (const Exception& e) {
      EXPECT_NE(e.Message.str().find(c.expected), std::string::npos) << e.Message.c_str();
      EXPECT_NE(e.Message.str().find("not found"), std::string::npos) << e.Message.c_str();
    }
    EXPECT_TRUE(picture.Empty());
  }
}

TEST(Picture, DrawsUnscaledAtTheDestinationAndOpaque) {
  // Transparent throughout: drawn through any alpha-aware path it would vanish.
  TPicture picture = Load(MakeBmp(3, 2, 32, kPattern, 0, true));
  Canvas canvas(10, 10);
  picture.Draw(canvas.dc(), RECT{5, 3, 8, 5});
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(canvas.Pixel(5 + x, 3 + y), kPattern[y * 3 + x]) << "at " << x << "," << y;
  EXPECT_EQ(canvas.Pixel(4, 3), RGB(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(canvas.Pixel(8, 4), RGB(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(canvas.Pixel(5, 5), RGB(0xFF, 0xFF, 0xFF));
}

// 8 x 8 in four solid 4 x 4 quadrants: big enough that smoothing leaves the
// quadrants' outer corners pure, whichever filter the system's HALFTONE uses.
std::vector<COLORREF> Quadrants(const COLORREF (&colours)[4]) {
  std::vector<COLORREF> pixels;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) pixels.push_back(colours[(y / 4) * 2 + x / 4]);
  return pixels;
}

TEST(Picture, DrawsStretchedOverTheWholeDestination) {
  const COLORREF colours[4] = {RGB(0xC0, 0x20, 0x20), RGB(0x20, 0xC0, 0x20), RGB(0x20, 0x20, 0xC0),
                               RGB(0x10, 0x10, 0x10)};
  TPicture picture = Load(MakeBmp(8, 8, 24, Quadrants(colours)));
  const RECT destinations[] = {{2, 2, 18, 18}, {2, 2, 8, 8}, {3, 2, 17, 7}};
  for (const RECT& dest : destinations) {
    SCOPED_TRACE(testing::Message()
                 << "into " << dest.right - dest.left << "x" << dest.bottom - dest.top);
    Canvas canvas(20, 20);
    SetStretchBltMode(canvas.dc(), BLACKONWHITE);
    picture.Draw(canvas.dc(), dest);
    const int right = dest.right - 1, bottom = dest.bottom - 1;
    EXPECT_TRUE(ColourNear(canvas.Pixel(dest.left, dest.top), colours[0], 8));
    EXPECT_TRUE(ColourNear(canvas.Pixel(right, dest.top), colours[1], 8));
    EXPECT_TRUE(ColourNear(canvas.Pixel(dest.left, bottom), colours[2], 8));
    EXPECT_TRUE(ColourNear(canvas.Pixel(right, bottom), colours[3], 8));
    const COLORREF white = RGB(0xFF, 0xFF, 0xFF);
    EXPECT_EQ(canvas.Pixel(dest.left - 1, dest.top), white);
    EXPECT_EQ(canvas.Pixel(dest.left, dest.top - 1), white);
    EXPECT_EQ(canvas.Pixel(dest.right, bottom), white);
    EXPECT_EQ(canvas.Pixel(right, dest.bottom), white);
    EXPECT_EQ(GetStretchBltMode(canvas.dc()), BLACKONWHITE) << "caller's stretch mode kept";
  }
}

TEST(Picture, MovesOwnershipAndEmptyDrawsNothing) {
  TPicture first = Load(MakeBmp(3, 2, 24, kPattern));
  const HBITMAP handle = first.Handle();
  TPicture second(std::move(first));
  EXPECT_EQ(second.Handle(), handle);
  EXPECT_EQ(second.Width(), 3);
  EXPECT_TRUE(first.Empty());
  EXPECT_EQ(first.Width(), 0);
  EXPECT_EQ(first.Height(), 0);

  Canvas canvas(4, 4);
  first.Draw(canvas.dc(), RECT{0, 0, 4, 4});
  EXPECT_EQ(canvas.Pixel(1, 1), RGB(0xFF, 0xFF, 0xFF));

  first = std::move(second);
  EXPECT_EQ(first.Handle(), handle);
  EXPECT_TRUE(second.Empty());
}

// The program's own pictures, linked into this test: the 32-bpp logo must come
// out exactly as its file has it, pixel for pixel.
TEST(Picture, LoadsTheProgramsBitmapResourcesExactly) {
  for (const char* name : {"LOGO", "MINIDLE", "MINHOVER", "CLOSEIDLE", "CLOSEHOVER"}) {
    SCOPED_TRACE(name);
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10));
    ASSERT_NE(found, nullptr);
    const auto* file = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
    BITMAPINFOHEADER header;
    memcpy(&header, file + sizeof(BITMAPFILEHEADER), sizeof header);
    uint32_t offset;
    memcpy(&offset, file + 10, sizeof offset);
    ASSERT_GT(header.biHeight, 0) << "bottom-up files expected";
    const int bytesPerPixel = header.biBitCount / 8;
    const int stride = (header.biWidth * bytesPerPixel + 3) & ~3;

    TPicture picture;
    picture.LoadFromResource(module, name);
    ASSERT_EQ(picture.Width(), header.biWidth);
    ASSERT_EQ(picture.Height(), header.biHeight);
    for (int y = 0; y < picture.Height(); ++y) {
      for (int x = 0; x < picture.Width(); ++x) {
        const uint8_t* p = file + offset + (header.biHeight - 1 - y) * stride + x * bytesPerPixel;
        ASSERT_EQ(PixelOf(picture, x, y), RGB(p[2], p[1], p[0])) << "at " << x << "," << y;
      }
    }
  }
  TPicture title;
  title.LoadFromResource(GetModuleHandleA(nullptr), "TITLE");
  EXPECT_GT(title.Width(), 0);
  EXPECT_GT(title.Height(), 0);
}
