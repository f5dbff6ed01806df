#include "ui/Picture.h"

#include <wincodec.h>

#include <string>
#include <utility>

#include "ui/ComPtr.h"
#include "ui/Exception.h"

namespace {

// Pictures may be loaded before the application has set up OLE, or on a
// thread that never does; WIC needs COM either way.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }

 private:
  HRESULT result_;
};

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

}  // namespace

TPicture::TPicture(TPicture&& other) noexcept
    : bitmap_(std::move(other.bitmap_)),
      width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)) {}

TPicture& TPicture::operator=(TPicture&& other) noexcept {
  if (this != &other) {
    bitmap_ = std::move(other.bitmap_);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
  }
  return *this;
}

void TPicture::LoadFromMemory(const void* data, size_t size) {
  if (!data || size == 0) throw Exception("Picture data is empty");
  if (size > MAXDWORD) throw Exception("Picture data is too large");
  ComScope com;  // first, so that every interface below is released before it ends
  ComPtr<IWICImagingFactory> factory;
  Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                         IID_PPV_ARGS(factory.put())),
        "Picture decoder unavailable");
  ComPtr<IWICStream> stream;
  Check(factory->CreateStream(stream.put()), "Picture stream unavailable");
  // WIC only reads through the stream; the cast is its signature's, not ours.
  Check(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)),
                                     static_cast<DWORD>(size)),
        "Picture stream unavailable");
  ComPtr<IWICBitmapDecoder> decoder;
  Check(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                         decoder.put()),
        "Picture format not recognised");
  ComPtr<IWICBitmapFrameDecode> frame;
  Check(decoder->GetFrame(0, frame.put()), "Picture has no image");
  // Straight (not premultiplied) BGRA: the colour bytes come through as the
  // file has them, whatever its alpha says.
  ComPtr<IWICFormatConverter> converter;
  Check(factory->CreateFormatConverter(converter.put()), "Picture converter unavailable");
  Check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                              nullptr, 0.0, WICBitmapPaletteTypeCustom),
        "Picture pixel format not convertible");
  UINT width = 0, height = 0;
  Check(converter->GetSize(&width, &height), "Picture size unreadable");
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
    throw Exception("Picture size out of range");

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC delivers rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdi<HBITMAP> bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) throw Exception(ResultText("Picture bitmap not made", GetLastError()));
  const UINT stride = width * 4;
  auto* pixels = static_cast<BYTE*>(bits);
  Check(converter->CopyPixels(nullptr, stride, stride * height, pixels), "Picture data damaged");
  // Drawn opaque: a stray alpha byte must not matter to AlphaBlend or layered
  // windows either.
  for (UINT i = 3; i < stride * height; i += 4) pixels[i] = 0xFF;

  bitmap_ = std::move(bitmap);
  width_ = static_cast<int>(width);
  height_ = static_cast<int>(height);
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
  if (!bitmap_ || width <= 0 || height <= 0) return;
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
