#include "tests/support/LayerScreen.h"

#include <wincodec.h>

#include "ui/ComInit.h"
#include "ui/ComPtr.h"
#include "ui/Exception.h"
#include "ui/FileUtils.h"
#include "ui/Scoped.h"

namespace {

void Check(HRESULT result, const char* what) {
  if (FAILED(result)) throw Exception(ResultText(what, result));
}

}  // namespace

COLORREF ScreenCapture::At(int x, int y) const {
  const uint32_t pixel = pixels[static_cast<size_t>(y) * width + x];
  return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
}

ScreenCapture CaptureScreen(const RECT& area) {
  ScreenCapture capture;
  capture.width = area.right - area.left;
  capture.height = area.bottom - area.top;
  if (capture.width <= 0 || capture.height <= 0) return capture;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = capture.width;
  info.bmiHeader.biHeight = -capture.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdi<HBITMAP> bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return ScreenCapture{};
  {
    ScopedGetDC screen(nullptr);
    ScopedDC memory(CreateCompatibleDC(screen.get()));
    ScopedSelect selected(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, capture.width, capture.height, screen.get(), area.left, area.top,
           SRCCOPY);
  }
  GdiFlush();
  const auto* first = static_cast<const uint32_t*>(bits);
  capture.pixels.assign(first, first + static_cast<size_t>(capture.width) * capture.height);
  for (uint32_t& pixel : capture.pixels) pixel &= 0xFFFFFF;
  return capture;
}

ScreenCapture CaptureWindow(HWND window) {
  RECT area{};
  GetWindowRect(window, &area);
  return CaptureScreen(area);
}

COLORREF ScreenPixel(int x, int y) { return CaptureScreen(RECT{x, y, x + 1, y + 1}).At(0, 0); }

COLORREF PicturePixel(const TPicture& picture, int x, int y) {
  DIBSECTION section{};
  if (!GetObjectA(picture.Handle(), sizeof section, &section) || !section.dsBm.bmBits)
    return CLR_INVALID;
  // The picture's rows are top-down, 4 bytes a pixel, blue first.
  const auto* row = static_cast<const BYTE*>(section.dsBm.bmBits) + y * section.dsBm.bmWidthBytes;
  const BYTE* pixel = row + 4 * x;
  return RGB(pixel[2], pixel[1], pixel[0]);
}

void SavePng(const ScreenCapture& capture, const std::string& path) {
  // The folder first; ForceDirectories wants backslashes.
  std::string folder = path.substr(0, path.find_last_of('\\'));
  ForceDirectories(AnsiString(folder));
  ScopedComInit com;  // first, so that every interface below is released before it ends
  ComPtr<IWICImagingFactory> factory;
  Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                         IID_PPV_ARGS(factory.put())),
        "No image encoder");
  ComPtr<IWICStream> stream;
  Check(factory->CreateStream(stream.put()), "No image stream");
  Check(stream->InitializeFromFilename(AnsiToWide(AnsiString(path)).c_str(), GENERIC_WRITE),
        "Cannot write the screenshot");
  ComPtr<IWICBitmapEncoder> encoder;
  Check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put()), "No PNG encoder");
  Check(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache), "PNG encoder failed");
  ComPtr<IWICBitmapFrameEncode> frame;
  Check(encoder->CreateNewFrame(frame.put(), nullptr), "PNG encoder failed");
  Check(frame->Initialize(nullptr), "PNG encoder failed");
  Check(frame->SetSize(static_cast<UINT>(capture.width), static_cast<UINT>(capture.height)),
        "PNG encoder failed");
  // 24 bits a pixel, blue first: the one colour format every PNG encoder takes.
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  Check(frame->SetPixelFormat(&format), "PNG encoder failed");
  if (format != GUID_WICPixelFormat24bppBGR) throw Exception("PNG encoder wants another format");
  const UINT stride = (static_cast<UINT>(capture.width) * 3 + 3) & ~3u;
  std::vector<BYTE> rows(static_cast<size_t>(stride) * capture.height);
  for (int y = 0; y < capture.height; ++y) {
    for (int x = 0; x < capture.width; ++x) {
      const COLORREF colour = capture.At(x, y);
      BYTE* pixel = &rows[static_cast<size_t>(y) * stride + 3 * x];
      pixel[0] = GetBValue(colour);
      pixel[1] = GetGValue(colour);
      pixel[2] = GetRValue(colour);
    }
  }
  Check(frame->WritePixels(static_cast<UINT>(capture.height), stride,
                           static_cast<UINT>(rows.size()), rows.data()),
        "PNG encoder failed");
  Check(frame->Commit(), "PNG encoder failed");
  Check(encoder->Commit(), "PNG encoder failed");
}
