// A minimal GDI program that starts as the designer does under Wine: a
// graphics window and a text window are made and shown, the text window is
// hidden straight away, and the graphics window is painted with a font.
// Prints how long each step took, as "name milliseconds" lines:
//   show_ms   making and showing both windows
//   hide_ms   hiding the text window again
//   paint_ms  a font, text and a fill in the graphics window
// Built with MinGW-w64 by bench.sh; nothing of the runtime is in it.
#include <windows.h>

#include <cstdio>

namespace {

double now_ms() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HWND make_window(const char* title, int x, int y, int width, int height) {
  return CreateWindowExA(0, "minimal", title, WS_OVERLAPPEDWINDOW, x, y, width, height, nullptr,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

int main() {
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = DefWindowProcA;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  window_class.lpszClassName = "minimal";
  RegisterClassA(&window_class);

  const double t0 = now_ms();
  HWND graphics = make_window("minimal graphics", 0, 0, 601, 540);
  HWND text = make_window("minimal text", 0, 513, 1024, 256);
  ShowWindow(text, SW_SHOWNORMAL);
  ShowWindow(graphics, SW_SHOWNORMAL);
  const double t1 = now_ms();
  ShowWindow(text, SW_HIDE);
  const double t2 = now_ms();
  HDC dc = GetDC(graphics);
  HFONT font = CreateFontA(-18, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
  HGDIOBJ old = SelectObject(dc, font);
  RECT box = {0, 0, 595, 496};
  FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  TextOutA(dc, 10, 10, "Click on the cone to add a topping", 34);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(graphics, dc);
  GdiFlush();
  const double t3 = now_ms();
  std::printf("show_ms %.1f\nhide_ms %.1f\npaint_ms %.1f\n", t1 - t0, t2 - t1, t3 - t2);
  DestroyWindow(text);
  DestroyWindow(graphics);
  return 0;
}
