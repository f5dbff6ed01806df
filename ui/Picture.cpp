#include "ui/Picture.h"

#include <wincodec.h>

#include <climits>
#include <cstring>
#include <string>
#include <utility>

#include "ui/ComInit.h"
#include "ui/ComPtr.h"
#include "ui/Exception.h"

namespace {

// The system's imaging codecs, loaded for one decode and unloaded after it:
// through COM they would stay mapped for the life of the process, well over a
// megabyte of working set for a picture or two read at start.
class Codecs {
 public:
  Codecs() : module_(LoadLibraryA("windowscodecs.dll")) {}
  Codecs(const Codecs&) = delete;
  Codecs& operator=(const Codecs&) = delete;
  ~Codecs() {
    if (module_) FreeLibrary(module_);
  }

  HRESULT CreateFactory(IWICImagingFactory** factory) const {
    using Create = HRESULT(WINAPI*)(UINT, IWICImagingFactory**);
    auto create = Export<Create>("WICCreateImagingFactory_Proxy");
    if (!create) return REGDB_E_CLASSNOTREG;
    return create(WINCODEC_SDK_VERSION, factory);
  }

  // One of the module's own decoders, straight from its class object.
  HRESULT CreateDecoder(REFCLSID decoderClass, IWICBitmapDecoder** decoder) const {
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto getClassObject = Export<GetClassObject>("DllGetClassObject");
    if (!getClassObject) return REGDB_E_CLASSNOTREG;
    ComPtr<IClassFactory> classFactory;
    HRESULT result = getClassObject(decoderClass, IID_IClassFactory,
                                    reinterpret_cast<void**>(classFactory.put()));
    if (FAILED(result)) return result;
    return classFactory->CreateInstance(nullptr, IID_IWICBitmapDecoder,
                                        reinterpret_cast<void**>(decoder));
  }

 private:
  template <typename Function>
  Function Export(const char* name) const {
    return module_
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)))
               : nullptr;
  }

  HMODULE module_;
};

bool IsJpeg(const BYTE* data, size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

// The size a JPEG's frame header gives, from segments that lie wholly within
// the data; false when there is no such header before the first scan.
bool ReadJpegSize(const BYTE* data, size_t size, UINT* width, UINT* height) {
  size_t at = 2;  // past the start-of-image marker
  while (at + 4 <= size) {
    if (data[at] != 0xFF) return false;
    const BYTE marker = data[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // no length, no data
      at += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return false;  // end of image, or a scan
    const size_t length = static_cast<size_t>(data[at + 2]) << 8 | data[at + 3];
    if (length < 2 || at + 2 + length > size) return false;
    // Start of frame: every C0-CF but the Huffman and arithmetic coding tables
    // (C4, CC) and the reserved C8.
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (length < 8) return false;
      *height = static_cast<UINT>(data[at + 5]) << 8 | data[at + 6];
      *width = static_cast<UINT>(data[at + 7]) << 8 | data[at + 8];
      return true;
    }
    at += 2 + length;
  }
  return false;
}

void Check(HRESULT result, const char* what) {
  if (FAILED(result)) throw Exception(ResultText(what, result));
}

// Far beyond any picture of ours; keeps the byte count well inside a UINT.
constexpr UINT kMaxSide = 16384;

AnsiString ResourceName(const char* name) {
  if (IS_INTRESOURCE(name))
    return AnsiString("#" + std::to_string(reinterpret_cast<UINT_PTR>(name)));
  return AnsiString(name);
}

// A 32-bpp top-down DIB section of the given size, and its pixels.
UniqueGdi<HBITMAP> MakeBitmap(UINT width, UINT height, BYTE** pixels) {
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
    throw Exception("Picture size out of range");
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdi<HBITMAP> bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) throw Exception(ResultText("Picture bitmap not made", GetLastError()));
  *pixels = static_cast<BYTE*>(bits);
  return bitmap;
}

// Drawn opaque: a stray alpha byte must not matter to AlphaBlend or layered
// windows either.
void MakeOpaque(BYTE* pixels, UINT width, UINT height) {
  for (UINT i = 3; i < width * height * 4; i += 4) pixels[i] = 0xFF;
}

// A BMP file, converted by GDI, the system's own reader of the format.
UniqueGdi<HBITMAP> DecodeBmp(const BYTE* data, size_t size, UINT* width, UINT* height) {
  if (size < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))
    throw Exception("Picture data damaged");
  BITMAPFILEHEADER file;
  std::memcpy(&file, data, sizeof file);
  const auto* info = reinterpret_cast<const BITMAPINFO*>(data + sizeof file);
  const BITMAPINFOHEADER& header = info->bmiHeader;
  if (header.biSize < sizeof header || file.bfOffBits >= size || header.biWidth <= 0 ||
      header.biHeight == 0 || header.biHeight == LONG_MIN) {
    throw Exception("Picture data damaged");
  }
  *width = static_cast<UINT>(header.biWidth);
  *height = static_cast<UINT>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
  BYTE* pixels = nullptr;
  UniqueGdi<HBITMAP> bitmap = MakeBitmap(*width, *height, &pixels);
  // GDI reads rows within the data it is given; a file too short for its
  // rows is refused before it can read past the resource.
  const size_t rowBytes = ((static_cast<size_t>(*width) * header.biBitCount + 31) / 32) * 4;
  const bool compressed = header.biCompression == BI_RLE8 || header.biCompression == BI_RLE4;
  if (!compressed && file.bfOffBits + rowBytes * *height > size)
    throw Exception("Picture data damaged");
  ScopedGetDC screen(nullptr);
  if (!SetDIBits(screen.get(), bitmap.get(), 0, *height, data + file.bfOffBits, info,
                 DIB_RGB_COLORS))
    throw Exception("Picture format not recognised");
  GdiFlush();
  MakeOpaque(pixels, *width, *height);
  return bitmap;
}

// Anything else the system's imaging codecs read (JPEG above all).
UniqueGdi<HBITMAP> DecodeWithCodecs(const BYTE* data, size_t size, UINT* width, UINT* height) {
  // Pictures may be read before the application sets up COM, or on a thread
  // that never does.
  ScopedComInit com;
  Codecs codecs;  // before the interfaces, which are all released before it unloads
  ComPtr<IWICImagingFactory> factory;
  Check(codecs.CreateFactory(factory.put()), "Picture decoder unavailable");
  ComPtr<IWICStream> stream;
  Check(factory->CreateStream(stream.put()), "Picture stream unavailable");
  // WIC only reads through the stream; the cast is its signature's, not ours.
  Check(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size)),
        "Picture stream unavailable");
  // The factory finds a decoder by asking every registered codec in turn,
  // which costs many times the decode of a small picture; a JPEG, the format
  // of our pictures, goes straight to the JPEG decoder.
  ComPtr<IWICBitmapDecoder> decoder;
  if (IsJpeg(data, size)) {
    Check(codecs.CreateDecoder(CLSID_WICJpegDecoder, decoder.put()), "Picture decoder unavailable");
    Check(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand),
          "Picture format not recognised");
  } else {
    Check(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                           decoder.put()),
          "Picture format not recognised");
  }
  ComPtr<IWICBitmapFrameDecode> frame;
  Check(decoder->GetFrame(0, frame.put()), "Picture has no image");
  // Straight (not premultiplied) BGRA: the colour bytes come through as the
  // file has them, whatever its alpha says.
  ComPtr<IWICFormatConverter> converter;
  Check(factory->CreateFormatConverter(converter.put()), "Picture converter unavailable");
  Check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                              nullptr, 0.0, WICBitmapPaletteTypeCustom),
        "Picture pixel format not convertible");
  Check(converter->GetSize(width, height), "Picture size unreadable");
  BYTE* pixels = nullptr;
  UniqueGdi<HBITMAP> bitmap = MakeBitmap(*width, *height, &pixels);
  const UINT stride = *width * 4;
  Check(converter->CopyPixels(nullptr, stride, stride * *height, pixels), "Picture data damaged");
  MakeOpaque(pixels, *width, *height);
  return bitmap;
}

}  // namespace

TPicture::TPicture(TPicture&& other) noexcept
    : bitmap_(std::move(other.bitmap_)),
      encoded_(std::exchange(other.encoded_, {})),
      width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)) {}

TPicture& TPicture::operator=(TPicture&& other) noexcept {
  if (this != &other) {
    bitmap_ = std::move(other.bitmap_);
    encoded_ = std::exchange(other.encoded_, {});
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
  }
  return *this;
}

void TPicture::LoadFromMemory(const void* data, size_t size) {
  if (!data || size == 0) throw Exception("Picture data is empty");
  if (size > MAXDWORD) throw Exception("Picture data is too large");
  const auto* bytes = static_cast<const BYTE*>(data);
  UINT width = 0, height = 0;
  if (IsJpeg(bytes, size) && ReadJpegSize(bytes, size, &width, &height) && width > 0 &&
      height > 0 && width <= kMaxSide && height <= kMaxSide) {
    encoded_.assign(bytes, bytes + size);
    bitmap_.reset();
  } else {
    // Read now, so that data of no use fails here, not in a paint.
    UniqueGdi<HBITMAP> bitmap = size >= 2 && bytes[0] == 'B' && bytes[1] == 'M'
                                    ? DecodeBmp(bytes, size, &width, &height)
                                    : DecodeWithCodecs(bytes, size, &width, &height);
    bitmap_ = std::move(bitmap);
    encoded_ = {};
  }
  width_ = static_cast<int>(width);
  height_ = static_cast<int>(height);
}

void TPicture::Decode() const {
  if (encoded_.empty()) return;
  std::vector<BYTE> encoded = std::exchange(encoded_, {});
  UINT width = 0, height = 0;
  try {
    bitmap_ = DecodeWithCodecs(encoded.data(), encoded.size(), &width, &height);
  } catch (Exception&) {
    bitmap_.reset();
  }
  // Its image disagreeing with its frame header, the picture is damaged.
  if (!bitmap_ || static_cast<int>(width) != width_ || static_cast<int>(height) != height_) {
    bitmap_.reset();
    width_ = height_ = 0;
  }
}

HBITMAP TPicture::Handle() const {
  Decode();
  return bitmap_.get();
}

void TPicture::LoadFromResource(HMODULE module, const char* name) {
  const AnsiString label = ResourceName(name);
  HRSRC found = name ? FindResourceA(module, name, MAKEINTRESOURCEA(10) /* RT_RCDATA */) : nullptr;
  if (!found) throw Exception("Picture resource " + label + " not found");
  const void* data = LockResource(LoadResource(module, found));
  const DWORD size = SizeofResource(module, found);
  if (!data || size == 0) throw Exception("Picture resource " + label + " is empty");
  LoadFromMemory(data, size);
}

void TPicture::Draw(HDC dc, const RECT& dest) const {
  const int width = dest.right - dest.left;
  const int height = dest.bottom - dest.top;
  if (width <= 0 || height <= 0) return;
  Decode();
  if (!bitmap_) return;
  ScopedDC source(CreateCompatibleDC(dc));
  if (!source) return;
  ScopedSelect selected(source.get(), bitmap_.get());
  if (width == width_ && height == height_) {
    BitBlt(dc, dest.left, dest.top, width, height, source.get(), 0, 0, SRCCOPY);
    return;
  }
  // HALFTONE averages instead of dropping rows; it wants the brush origin
  // reset after the mode is set. The caller's DC keeps its own settings.
  ScopedSaveDC saved(dc);
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchBlt(dc, dest.left, dest.top, width, height, source.get(), 0, 0, width_, height_, SRCCOPY);
}
