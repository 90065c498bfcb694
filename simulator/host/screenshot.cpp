#include "simulator/host/screenshot.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "win32/unique_any.h"

namespace tarnwick {
namespace {

using Microsoft::WRL::ComPtr;

void Check(HRESULT result, const char* step) {
  if (FAILED(result)) {
    char code[16];
    snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    throw std::runtime_error(std::string(step) + " failed (" + code + ")");
  }
}

// A top-down 32-bit DIB section selected into a memory DC.
class DibCanvas {
 public:
  DibCanvas(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc.reset(CreateCompatibleDC(nullptr));
    bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !bitmap || bits == nullptr) {
      throw std::runtime_error("cannot create a bitmap for the screenshot");
    }
    old = SelectObject(dc.get(), bitmap.get());
  }
  // The bitmap leaves the DC before either is deleted.
  ~DibCanvas() { SelectObject(dc.get(), old); }
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;

  HDC Dc() const { return dc.get(); }
  const uint32_t* Pixels() const {
    GdiFlush();
    return static_cast<const uint32_t*>(bits);
  }

 private:
  UniqueMemoryDc dc;
  UniqueBitmap bitmap;
  HGDIOBJ old = nullptr;
  void* bits = nullptr;
};

// Copies `canvas` (of `bounds`, screen coordinates) into `picture` at its
// place relative to `origin`, clipped to `clip`.
void CopyInto(Picture& picture, const DibCanvas& canvas, const RECT& bounds, POINT origin,
              const RECT& clip) {
  RECT visible{};
  if (!IntersectRect(&visible, &bounds, &clip)) {
    return;
  }
  const uint32_t* source = canvas.Pixels();
  const int width = bounds.right - bounds.left;
  for (int y = visible.top; y < visible.bottom; ++y) {
    const int row = y - origin.y;
    if (row < 0 || row >= picture.height) {
      continue;
    }
    for (int x = visible.left; x < visible.right; ++x) {
      const int column = x - origin.x;
      if (column < 0 || column >= picture.width) {
        continue;
      }
      const uint32_t pixel =
          source[static_cast<size_t>(y - bounds.top) * width + (x - bounds.left)];
      picture.pixels[static_cast<size_t>(row) * picture.width + column] = pixel | 0xFF000000u;
    }
  }
}

// Draws the window's frame: its edge and, when it has one, its caption.
// Printing the non-client area is not dependable without a display driver,
// so the frame is drawn here with the system's own caption painter.
void DrawFrame(HWND window, HDC dc, const RECT& bounds, const RECT& client, bool active) {
  const RECT whole{0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
  FillRect(dc, &whole, GetSysColorBrush(COLOR_BTNFACE));
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  RECT edge = whole;
  if ((style & WS_CAPTION) == WS_CAPTION) {
    DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    // The caption fills the band between the borders and the client area.
    const LONG border = bounds.bottom - client.bottom;
    const RECT caption{client.left - bounds.left, border, client.right - bounds.left,
                       client.top - bounds.top};
    if (caption.bottom > caption.top && caption.right > caption.left) {
      DrawCaption(window, dc, &caption, DC_TEXT | DC_GRADIENT | (active ? DC_ACTIVE : 0));
    }
  } else if ((exStyle & WS_EX_CLIENTEDGE) != 0) {
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
  }
}

// Prints `window`, its frame and then its client area, into `picture`.
void PrintInto(Picture& picture, HWND window, POINT origin, const RECT& clip, bool active) {
  RECT bounds{};
  if (!IsWindowVisible(window) || !GetWindowRect(window, &bounds)) {
    return;
  }
  if (bounds.right <= bounds.left || bounds.bottom <= bounds.top) {
    return;
  }
  RECT client{};
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);

  DibCanvas frame(bounds.right - bounds.left, bounds.bottom - bounds.top);
  DrawFrame(window, frame.Dc(), bounds, client, active);
  CopyInto(picture, frame, bounds, origin, clip);
  if (client.right <= client.left || client.bottom <= client.top) {
    return;
  }
  DibCanvas inside(client.right - client.left, client.bottom - client.top);
  PrintWindow(window, inside.Dc(), PW_CLIENTONLY);
  RECT clientClip{};
  if (IntersectRect(&clientClip, &client, &clip)) {
    CopyInto(picture, inside, client, origin, clientClip);
  }
}

ComPtr<IWICImagingFactory> Factory() {
  ComPtr<IWICImagingFactory> factory;
  Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                         IID_PPV_ARGS(factory.GetAddressOf())),
        "creating the imaging factory");
  return factory;
}

}  // namespace

Picture CaptureFrame(HWND frame, HWND mdiClient) {
  RECT bounds{};
  if (!GetWindowRect(frame, &bounds)) {
    throw std::runtime_error("the frame window is gone");
  }
  Picture picture;
  picture.width = bounds.right - bounds.left;
  picture.height = bounds.bottom - bounds.top;
  if (picture.width <= 0 || picture.height <= 0) {
    throw std::runtime_error("the frame window has no size");
  }
  picture.pixels.assign(static_cast<size_t>(picture.width) * picture.height, 0xFF000000u);
  const POINT origin{bounds.left, bounds.top};

  PrintInto(picture, frame, origin, bounds, true);
  if (mdiClient == nullptr) {
    return picture;
  }
  PrintInto(picture, mdiClient, origin, bounds, false);
  const HWND active = reinterpret_cast<HWND>(SendMessageW(mdiClient, WM_MDIGETACTIVE, 0, 0));
  // The code windows are clipped to the MDI client's client area.
  RECT area{};
  GetClientRect(mdiClient, &area);
  MapWindowPoints(mdiClient, nullptr, reinterpret_cast<POINT*>(&area), 2);
  const HWND top = GetWindow(mdiClient, GW_CHILD);
  for (HWND child = top != nullptr ? GetWindow(top, GW_HWNDLAST) : nullptr; child != nullptr;
       child = GetWindow(child, GW_HWNDPREV)) {
    PrintInto(picture, child, origin, area, child == active);
  }
  return picture;
}

void WritePng(const Picture& picture, const std::wstring& path) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height) {
    throw std::runtime_error("the picture is empty");
  }
  ComPtr<IWICImagingFactory> factory = Factory();
  ComPtr<IWICStream> stream;
  Check(factory->CreateStream(stream.GetAddressOf()), "creating a stream");
  Check(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE), "opening the PNG file");
  ComPtr<IWICBitmapEncoder> encoder;
  Check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.GetAddressOf()),
        "creating the PNG encoder");
  Check(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache), "starting the PNG encoder");
  ComPtr<IWICBitmapFrameEncode> frame;
  Check(encoder->CreateNewFrame(frame.GetAddressOf(), nullptr), "adding a frame");
  Check(frame->Initialize(nullptr), "starting the frame");
  Check(frame->SetSize(static_cast<UINT>(picture.width), static_cast<UINT>(picture.height)),
        "sizing the frame");
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  Check(frame->SetPixelFormat(&format), "choosing the pixel format");

  // The encoder may choose a neighbouring format; 24-bit BGR is the other one
  // that PNG encoders offer for these pixels.
  std::vector<BYTE> rows;
  UINT stride = 0;
  if (IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA) ||
      IsEqualGUID(format, GUID_WICPixelFormat32bppBGR)) {
    stride = static_cast<UINT>(picture.width) * 4;
    rows.resize(static_cast<size_t>(stride) * picture.height);
    memcpy(rows.data(), picture.pixels.data(), rows.size());
  } else if (IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    stride = (static_cast<UINT>(picture.width) * 3 + 3) & ~3u;
    rows.assign(static_cast<size_t>(stride) * picture.height, 0);
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        const uint32_t pixel = picture.At(x, y);
        BYTE* out = &rows[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3];
        out[0] = static_cast<BYTE>(pixel);
        out[1] = static_cast<BYTE>(pixel >> 8);
        out[2] = static_cast<BYTE>(pixel >> 16);
      }
    }
  } else {
    throw std::runtime_error("the PNG encoder offers no usable pixel format");
  }
  Check(frame->WritePixels(static_cast<UINT>(picture.height), stride,
                           static_cast<UINT>(rows.size()), rows.data()),
        "writing the pixels");
  Check(frame->Commit(), "finishing the frame");
  Check(encoder->Commit(), "finishing the PNG file");
}

Picture ReadPng(const std::wstring& path) {
  ComPtr<IWICImagingFactory> factory = Factory();
  ComPtr<IWICBitmapDecoder> decoder;
  Check(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                           WICDecodeMetadataCacheOnDemand, decoder.GetAddressOf()),
        "opening the image");
  ComPtr<IWICBitmapFrameDecode> frame;
  Check(decoder->GetFrame(0, frame.GetAddressOf()), "reading the first frame");
  ComPtr<IWICFormatConverter> converter;
  Check(factory->CreateFormatConverter(converter.GetAddressOf()), "creating a converter");
  Check(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                              nullptr, 0.0, WICBitmapPaletteTypeCustom),
        "converting the pixels");
  UINT width = 0;
  UINT height = 0;
  Check(converter->GetSize(&width, &height), "reading the size");
  Picture picture;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  picture.pixels.resize(static_cast<size_t>(width) * height);
  Check(converter->CopyPixels(nullptr, width * 4,
                              static_cast<UINT>(picture.pixels.size() * sizeof(uint32_t)),
                              reinterpret_cast<BYTE*>(picture.pixels.data())),
        "copying the pixels");
  return picture;
}

}  // namespace tarnwick
