#include "runtime/platform/win32/win32_dpi.h"

namespace {

constexpr int kBaseDpi = 96;
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED, Windows 8.1 on

// GetDpiForWindow exists from Windows 10 1607; before it, and where the
// system does not answer, the screen's logical pixels per inch tell.
int window_dpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi_for_window = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (window && get_dpi_for_window) {
    if (const UINT dpi = get_dpi_for_window(window))
      return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kBaseDpi;
  if (screen)
    ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int w32_scale(HWND window) {
  // 144 dpi (150 %) rounds to 2, 120 dpi (125 %) to 1.
  const int scale = (window_dpi(window) + kBaseDpi / 2) / kBaseDpi;
  return scale < 1 ? 1 : scale;
}

int w32_to_device(HWND window, int length) {
  return length * w32_scale(window);
}

int w32_to_runtime(HWND window, int length) {
  const int scale = w32_scale(window);
  return length >= 0 ? length / scale : -((-length + scale - 1) / scale);
}

void w32_scale_canvas(HDC dc, HWND window) {
  const int scale = w32_scale(window);
  if (scale == 1)
    return;
  SetGraphicsMode(dc, GM_ADVANCED);
  const XFORM transform = {static_cast<FLOAT>(scale), 0, 0, static_cast<FLOAT>(scale), 0, 0};
  SetWorldTransform(dc, &transform);
  // Each source pixel repeated, never blended with its neighbours.
  SetStretchBltMode(dc, COLORONCOLOR);
}

LPARAM w32_runtime_lparam(HWND window, UINT message, LPARAM lparam) {
  // The wheels' positions are on the screen, not in the window.
  const bool wheel = message == WM_MOUSEWHEEL || message == 0x020E;  // WM_MOUSEHWHEEL
  const bool mouse = message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && !wheel;
  if (!mouse && message != WM_SIZE)
    return lparam;
  const int scale = w32_scale(window);
  if (scale == 1)
    return lparam;
  // Positions are signed (a captured mouse may be left of the window).
  const int x = w32_to_runtime(window, static_cast<short>(LOWORD(lparam)));
  const int y = w32_to_runtime(window, static_cast<short>(HIWORD(lparam)));
  return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

bool w32_dpi_changed(HWND window, UINT message, LPARAM lparam) {
  if (message != kDpiChanged)
    return false;
  const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
  if (suggested) {
    SetWindowPos(window, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return true;
}
