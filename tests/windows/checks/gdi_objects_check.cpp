// The win32 backend leaves no GDI object behind: 10,000 drawing calls
// through its canvas and text operations (every shape, filled and outlined,
// thin, wide and beyond GDI's range; pixels, fills, copies, scrolls; text in
// created fonts and log lines in the fixed font) leave the process with as
// many GDI objects as before, and the surface's device context with the
// objects and modes it had.
//
// The count comes from GetGuiResources. Where that answers nothing (Wine
// answers 0), it comes from the process's GDI handle table, which the
// system maps into every process (the PEB's GdiSharedHandleTable). Either
// way the count is first shown to see objects: 50 pens created must add 50.
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/platform/win32/win32_internal.h"
#include "tests/windows/checks/check_report.h"

namespace {

constexpr int kCalls = 10000;
constexpr int W = 601;
constexpr int H = 540;

long gui_resources_count() {
  return static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}

// An entry of the GDI handle table as the system lays it out on 64-bit
// Windows (and Wine): 24 bytes, a type of 0 for a free slot.
struct HandleEntry {
  std::uint64_t kernel_object;
  std::uint16_t process_id;
  std::uint16_t count;
  std::uint16_t upper;
  std::uint8_t type;
  std::uint8_t flags;
  std::uint64_t user_object;
};
static_assert(sizeof(HandleEntry) == 24, "the table's entries are 24 bytes");
constexpr int kHandleTableSize = 1 << 16;

long handle_table_count() {
#if defined(_WIN64)
  PROCESS_BASIC_INFORMATION basic = {};
  if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic,
                                nullptr) != 0)
    return -1;
  const auto* peb = reinterpret_cast<const unsigned char*>(basic.PebBaseAddress);
  const auto* table = *reinterpret_cast<const HandleEntry* const*>(peb + 0xF8);
  if (!table)
    return -1;
  // Windows fills in the owner; Wine keeps a table per process and leaves it 0.
  const auto self = static_cast<std::uint16_t>(GetCurrentProcessId());
  long n = 0;
  for (int i = 0; i < kHandleTableSize; ++i) {
    const HandleEntry& e = table[i];
    if (e.type != 0 && (e.process_id == self || e.process_id == 0))
      ++n;
  }
  return n;
#else
  return -1;
#endif
}

struct Counter {
  const char* how;
  long (*count)();
};

// The first way of counting that sees 50 new pens come and go.
const Counter* working_counter(CheckReport& report) {
  static const Counter counters[] = {
      {"GetGuiResources(GR_GDIOBJECTS)", gui_resources_count},
      {"the process's GDI handle table", handle_table_count},
  };
  for (const Counter& counter : counters) {
    const long before = counter.count();
    std::vector<HPEN> pens;
    for (int i = 0; i < 50; ++i)
      pens.push_back(CreatePen(PS_SOLID, 1, RGB(i, 0, 0)));
    const long with_pens = counter.count();
    for (HPEN pen : pens)
      DeleteObject(pen);
    const long after = counter.count();
    report.note(std::string(counter.how) + ": " + std::to_string(before) + ", with 50 pens " +
                std::to_string(with_pens) + ", after deleting them " + std::to_string(after));
    if (before >= 0 && with_pens == before + 50 && after == before)
      return &counter;
  }
  return nullptr;
}

PlatResult plain_handler(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam) {
  return w32_default_handler(window, kind, wparam, lparam);
}

struct Fixture {
  PlatWindow* window = nullptr;
  PlatCanvas* window_canvas = nullptr;
  PlatCanvas* surface = nullptr;
};

PlatPen pen(std::int64_t width, PlatColor color) {
  PlatPen p;
  p.color = color;
  p.width = width;
  return p;
}
PlatPen no_pen() {
  PlatPen p;
  p.none = true;
  return p;
}
PlatBrush solid(PlatColor color) {
  PlatBrush b;
  b.color = color;
  return b;
}
PlatBrush hollow() {
  PlatBrush b;
  b.hollow = true;
  return b;
}

constexpr std::int64_t kFar = std::int64_t{1} << 31;

// One drawing call each, varied by the call's number.
struct Operation {
  const char* name;
  void (*run)(Fixture& f, int i);
};

const Operation operations[] = {
    {"filled rectangle",
     [](Fixture& f, int i) {
       win32_draw.rectangle(f.surface, i % W, i % H, i % W + 40, i % H + 30, pen(0, 0xFF),
                            solid(0xFF));
     }},
    {"outlined rectangle",
     [](Fixture& f, int i) {
       win32_draw.rectangle(f.surface, 10, 20, 10 + i % 300, 20 + i % 200, pen(1 + i % 6, 0xFF00),
                            hollow());
     }},
    {"rectangle without a pen",
     [](Fixture& f, int i) {
       win32_draw.rectangle(f.surface, 0, 0, i % W, i % H, no_pen(), solid(i));
     }},
    {"rectangle with a 40000-pixel pen",
     [](Fixture& f, int i) {
       win32_draw.rectangle(f.surface, 20300 + i % 7, -kFar, kFar, kFar, pen(40000, 0xFF),
                            solid(0xFF00));
     }},
    {"filled ellipse",
     [](Fixture& f, int i) {
       win32_draw.ellipse(f.surface, 300 - i % 57, 270 - i % 57, 301 + i % 57, 271 + i % 57,
                          pen(0, i), solid(i));
     }},
    {"outlined ellipse",
     [](Fixture& f, int i) {
       win32_draw.ellipse(f.surface, 100, 100, 200 + i % 50, 180, pen(i % 8, 0xFF), hollow());
     }},
    {"ellipse of radius one billion",
     [](Fixture& f, int i) {
       win32_draw.ellipse(f.surface, 300 - 1000000000, 220 + i % 9, 301 + 1000000000, 2000000221,
                          pen(i % 3, 0xFF), solid(0xFF00));
     }},
    {"ellipse of radius one billion with a 50000-pixel pen",
     [](Fixture& f, int i) {
       win32_draw.ellipse(f.surface, 300 - 1000000000, 25220 + i % 9, 301 + 1000000000, 2000025221,
                          pen(50000, 0xFF), solid(0xFF00));
     }},
    {"filled triangle",
     [](Fixture& f, int i) {
       const PlatPoint p[3] = {{300, 95}, {240 + i % 10, 295}, {360, 295}};
       win32_draw.polygon(f.surface, p, 3, pen(0, 0x336699), solid(0x336699));
     }},
    {"outlined triangle",
     [](Fixture& f, int i) {
       const PlatPoint p[3] = {{10, 10}, {500, 30 + i % 100}, {200, 400}};
       win32_draw.polygon(f.surface, p, 3, pen(i % 5, 0xFF0000), hollow());
     }},
    {"triangle with a corner two billion pixels away",
     [](Fixture& f, int i) {
       const PlatPoint p[3] = {{300, 100}, {kFar - 1, 300 + i % 5}, {100, 500}};
       win32_draw.polygon(f.surface, p, 3, pen(i % 2, 0xFF), solid(0xFF00));
     }},
    {"triangle with the widest pen",
     [](Fixture& f, int i) {
       const PlatPoint p[3] = {
           {-1073741500 + i % 3, -1000000000}, {-1073741500, 1000000000}, {-2000000000, 0}};
       win32_draw.polygon(f.surface, p, 3, pen(2147483647, 0xFF), hollow());
     }},
    {"thin line",
     [](Fixture& f, int i) {
       win32_draw.line(f.surface, {i % W, 0}, {W - i % W, H}, pen(0, 0xFFFFFF));
     }},
    {"wide line",
     [](Fixture& f, int i) {
       win32_draw.line(f.surface, {0, i % H}, {W, H - i % H}, pen(9, 0xFF));
     }},
    {"line between far points",
     [](Fixture& f, int i) {
       win32_draw.line(f.surface, {-kFar, -1000000000 + i}, {kFar, 1000000540},
                       pen(i % 2 ? 0 : 50000, 1));
     }},
    {"pixel", [](Fixture& f, int i) { win32_draw.set_pixel(f.surface, i % W, i % H, 0xFF); }},
    {"pixel far away",
     [](Fixture& f, int i) { win32_draw.set_pixel(f.surface, -kFar * i, kFar, 0xFF); }},
    {"fill", [](Fixture& f, int i) { win32_draw.fill_rect(f.surface, 0, 0, i % W, 20, 0xFFFFFF); }},
    {"text in a created font",
     [](Fixture& f, int i) {
       PlatFont* font = w32_create_font(i % 128);
       int width = 0, height = 0;
       w32_text_extent(f.surface, font, "Click on the cone", 17, &width, &height);
       w32_text_out(f.surface, font, -130 + i % 300, 400 - height, "Click on the cone", 17,
                    0xFF0000, false, 0);
       w32_delete_font(font);
     }},
    {"text starting far to the left",
     [](Fixture& f, int i) {
       PlatFont* font = w32_create_font(12);
       w32_text_out(f.surface, font, -kFar - i, 200, "far", 3, 0xFF, false, 0);
       w32_delete_font(font);
     }},
    {"log line in the fixed font",
     [](Fixture& f, int i) {
       PlatCanvas* canvas = w32_get_canvas(f.window);
       PlatTextMetrics metrics;
       w32_text_metrics(canvas, w32_fixed_font(), &metrics);
       const int h = metrics.height + metrics.external_leading;
       win32_draw.scroll(canvas, -h);
       win32_draw.fill_rect(canvas, 0, 200 - h, 400, 200, 0xFFFFFF);
       const std::string line = "line " + std::to_string(i);
       w32_text_out(canvas, w32_fixed_font(), 5, 200 - h, line.c_str(),
                    static_cast<int>(line.size()), 0, true, 0xFFFFFF);
       w32_release_canvas(f.window, canvas);
     }},
    {"copy of the surface",
     [](Fixture& f, int) { win32_draw.blit(f.window_canvas, 0, 0, W, H, f.surface, 0, 0); }},
};

// What the surface's device context holds between drawing calls.
struct DcState {
  HGDIOBJ pen, brush, font, bitmap;
  int bk_mode, fill_mode;
  COLORREF text_color, bk_color;
  POINT position;

  static DcState of(HDC dc) {
    DcState s = {};
    s.pen = GetCurrentObject(dc, OBJ_PEN);
    s.brush = GetCurrentObject(dc, OBJ_BRUSH);
    s.font = GetCurrentObject(dc, OBJ_FONT);
    s.bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    s.bk_mode = GetBkMode(dc);
    s.fill_mode = GetPolyFillMode(dc);
    s.text_color = GetTextColor(dc);
    s.bk_color = GetBkColor(dc);
    GetCurrentPositionEx(dc, &s.position);
    return s;
  }
  bool operator==(const DcState& o) const {
    return pen == o.pen && brush == o.brush && font == o.font && bitmap == o.bitmap &&
           bk_mode == o.bk_mode && fill_mode == o.fill_mode && text_color == o.text_color &&
           bk_color == o.bk_color && position.x == o.position.x && position.y == o.position.y;
  }
};

}  // namespace

int main() {
  CheckReport report("GDI objects over 10,000 drawing calls through the win32 backend");
  const Counter* counter = working_counter(report);
  if (!report.expect(counter != nullptr, "a way of counting the process's GDI objects works here"))
    return report.finish();
  report.note(std::string("counting with ") + counter->how);

  Fixture f;
  PlatClass window_class;
  window_class.name = "GdiCheckClass";
  window_class.handler = plain_handler;
  window_class.background = 0xFFFFFF;
  w32_register_class(&window_class);
  f.window = w32_create_window("GdiCheckClass", "GDI check", true, 0, 0, 700, 700, nullptr);
  f.window_canvas = w32_get_canvas(f.window);
  f.surface = win32_draw.create_surface(f.window_canvas, W, H);
  if (!report.expect(f.window && f.window_canvas && f.surface,
                     "a window, its canvas and a 601 x 540 surface"))
    return report.finish();

  // One round first: the system may make objects of its own on first use
  // (font caches, the stock objects of a new context) that stay.
  const int kinds = static_cast<int>(sizeof operations / sizeof operations[0]);
  for (int k = 0; k < kinds; ++k)
    operations[k].run(f, k);

  const HDC surface_dc = w32_canvas(f.surface)->dc;
  const DcState state_before = DcState::of(surface_dc);
  const long before = counter->count();
  long highest = before;
  std::string series;
  const DWORD started = GetTickCount();
  for (int i = 0; i < kCalls; ++i) {
    operations[i % kinds].run(f, i);
    if ((i + 1) % 1000 == 0) {
      const long now = counter->count();
      highest = now > highest ? now : highest;
      if (!series.empty())
        series += ' ';
      series += std::to_string(now);
    }
  }
  const DWORD elapsed = GetTickCount() - started;
  const long after = counter->count();

  report.note(std::to_string(kCalls) + " calls of " + std::to_string(kinds) + " kinds in " +
              std::to_string(elapsed) + " ms; count every 1000 calls: " + series);
  report.expect(after == before, "GDI objects before the calls " + std::to_string(before) +
                                     ", after them " + std::to_string(after));
  report.expect(highest == before, "GDI objects never above " + std::to_string(before) +
                                       " during the calls (highest " + std::to_string(highest) +
                                       ")");
  report.expect(DcState::of(surface_dc) == state_before,
                "the surface's pen, brush, font, bitmap, modes, colours and position are as "
                "they were");
  return report.finish();
}
