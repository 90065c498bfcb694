// Pictures of the host's windows without a display: each window is printed
// with PrintWindow into a bitmap of its own and placed at its offset in the
// frame's picture (PRF_CHILDREN is not honoured everywhere, so children are
// printed one by one). PNG files are written and read with WIC.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

// 32-bit pixels, 0xAARRGGBB, rows top to bottom.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The frame with its MDI client and every visible code window, bottom to top.
// Throws std::runtime_error on failure.
Picture CaptureFrame(HWND frame, HWND mdiClient);

// Writes `picture` as an opaque 8-bit RGB(A) PNG file. Throws
// std::runtime_error naming the failed step. COM must be initialised.
void WritePng(const Picture& picture, const std::wstring& path);
// Reads a PNG (or any image WIC decodes) into 32-bit pixels. Throws likewise.
Picture ReadPng(const std::wstring& path);

}  // namespace tarnwick
