// The pixels a device context shows, read back through a DIB section.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// The top-left width x height pixels of the source as 0x00RRGGBB, top row
// first; the source's own bitmap stays selected.
inline std::vector<std::uint32_t> dc_pixels(HDC source, int width, int height) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* words = static_cast<const std::uint32_t*>(bits);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = words[i] & 0xFFFFFFu;
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(dib);
  return pixels;
}
