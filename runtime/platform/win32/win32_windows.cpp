// Window classes and windows on USER: one window procedure for every class
// the runtime registers, which hands each real message to the runtime's
// handler of the window's class; creation, showing, sizes, the default
// handling and repaints; opening the backend and telling the user why the
// program cannot run.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "runtime/platform/typed_char.h"
#include "runtime/platform/win32/win32_dpi.h"
#include "runtime/platform/win32/win32_internal.h"

namespace {

struct ClassRecord {
  std::string name;
  ATOM atom = 0;
  PlatHandler handler = nullptr;
};

std::vector<ClassRecord>& classes() {
  static std::vector<ClassRecord> records;
  return records;
}

// Class background brushes, one per colour, kept for the life of the process
// as the classes that use them are.
HBRUSH background_brush(PlatColor color) {
  static std::vector<std::pair<PlatColor, HBRUSH>> brushes;
  for (const auto& [c, brush] : brushes) {
    if (c == color)
      return brush;
  }
  HBRUSH brush = CreateSolidBrush(color);
  brushes.emplace_back(color, brush);
  return brush;
}

// Repaints opened and not yet closed, with what BeginPaint gave.
std::vector<std::pair<HWND, PAINTSTRUCT>>& open_paints() {
  static std::vector<std::pair<HWND, PAINTSTRUCT>> paints;
  return paints;
}

const ClassRecord* find_class(const char* name) {
  for (const ClassRecord& record : classes()) {
    if (lstrcmpiA(record.name.c_str(), name) == 0)  // class names ignore case
      return &record;
  }
  return nullptr;
}

// The windows are Unicode windows, so a typed character arrives as UTF-16
// whatever the system's code page, and reaches the runtime as its
// Windows-1252 code; one Windows-1252 lacks (or half of a surrogate pair)
// reaches it as nothing, never as a '?' or another letter.
LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CHAR) {
    const int code = windows_1252_from_unicode(static_cast<char32_t>(wparam & 0xFFFFu));
    if (code < 0 || (wparam >= 0xD800 && wparam <= 0xDFFF))
      return 0;
    wparam = static_cast<WPARAM>(code);
  }
  const ATOM atom = static_cast<ATOM>(GetClassWord(hwnd, GCW_ATOM));
  for (const ClassRecord& record : classes()) {
    if (record.atom == atom)
      return record.handler(w32_window(hwnd), message, wparam,
                            w32_runtime_lparam(hwnd, message, lparam));
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

// A class name as the W functions take it; the runtime's names are ASCII.
std::wstring wide(const char* text) {
  std::wstring out;
  for (const char* c = text; c && *c; ++c)
    out += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  return out;
}

HINSTANCE instance_or_module(void* instance) {
  return instance ? static_cast<HINSTANCE>(instance) : GetModuleHandleA(nullptr);
}

// The resource ids of the stock application icon and arrow cursor
// (IDI_APPLICATION and IDC_ARROW), spelt so they suit the A functions
// whether or not the build defines UNICODE.
const char* stock_resource(WORD id) {
  return MAKEINTRESOURCEA(id);
}
constexpr WORD kApplicationIcon = 32512;
constexpr WORD kArrowCursor = 32512;

std::string program_name() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path, length < MAX_PATH ? length : 0);
  const std::size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos)
    name.erase(0, slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0)
    name.erase(dot);
  return name.empty() ? "velko" : name;
}

// The system's words for an error code, without the line end it adds.
std::string error_text(DWORD code) {
  char text[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, text, sizeof text, nullptr);
  std::string words(text, length);
  while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.'))
    words.pop_back();
  return words;
}

}  // namespace

// ---------------------------------------------------------------------------
// The backend

// Nothing has to be set up before the first window, but whether windows can
// be made at all is known only by making one: without a desktop (a service,
// or Wine without an X display) the runtime would otherwise wait for ever for
// events that cannot come. A hidden window of a class of its own tells.
const char* w32_open() {
  static bool open = false;
  static std::string why;
  if (open)
    return nullptr;
  const HINSTANCE module = GetModuleHandleA(nullptr);
  WNDCLASSA probe_class = {};
  probe_class.lpfnWndProc = DefWindowProcA;
  probe_class.hInstance = module;
  probe_class.lpszClassName = "VELKO-probe";
  RegisterClassA(&probe_class);
  SetLastError(0);
  HWND probe = CreateWindowExA(0, probe_class.lpszClassName, "", WS_OVERLAPPED, 0, 0, 1, 1, nullptr,
                               nullptr, module, nullptr);
  if (!probe) {
    const DWORD code = GetLastError();
    why = "cannot create a window: no desktop to show it on";
    if (code != 0)
      why += " (" + error_text(code) + ")";
    return why.c_str();
  }
  DestroyWindow(probe);
  open = true;
  return nullptr;
}

// Nothing to end: the windows and the queue end with the process.
void w32_close() {}

// A program without a console has no standard error anyone sees, so the
// message goes to a message box; it goes to standard error too when one is
// there (a console, or the terminal Wine was started from).
void w32_fail(const char* message) {
  const std::string name = program_name();
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err && err != INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), message ? message : "");
    std::fflush(stderr);
  }
  MessageBoxA(nullptr, message ? message : "", name.c_str(),
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  std::exit(1);
}

// ---------------------------------------------------------------------------
// Classes and windows

void w32_register_class(const PlatClass* window_class) {
  if (!window_class || !window_class->name || !window_class->handler)
    return;
  if (find_class(window_class->name))
    return;  // the first registration of a name is the one kept
  const std::wstring class_name = wide(window_class->name);
  WNDCLASSW record = {};
  record.style = window_class->redraw_on_resize ? CS_HREDRAW | CS_VREDRAW : 0;
  record.lpfnWndProc = window_proc;
  record.hInstance = instance_or_module(window_class->instance);
  // The program's own icon (its first icon resource) where it has one.
  record.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  if (!record.hIcon)
    record.hIcon = LoadIconA(nullptr, stock_resource(kApplicationIcon));
  record.hCursor = LoadCursorA(nullptr, stock_resource(kArrowCursor));
  record.hbrBackground = background_brush(window_class->background);
  // No menu resource of this name exists: a window builds its menu itself.
  record.lpszMenuName = L"generic";
  record.lpszClassName = class_name.c_str();
  const ATOM atom = RegisterClassW(&record);
  if (atom)
    classes().push_back(ClassRecord{window_class->name, atom, window_class->handler});
}

PlatWindow* w32_create_window(const char* class_name, const char* title, bool resizable, int x,
                              int y, int width, int height, void* instance) {
  if (!class_name || !find_class(class_name))
    return nullptr;
  // A fixed window has a caption and a system menu and nothing to size it by.
  const DWORD style = resizable ? WS_OVERLAPPEDWINDOW : WS_CAPTION | WS_SYSMENU;
  // Place and size in the runtime's pixels; the system's "default" stays so.
  const auto device = [](int value) {
    return value == static_cast<int>(CW_USEDEFAULT) ? value : w32_to_device(nullptr, value);
  };
  HWND hwnd =
      CreateWindowExA(0, class_name, title ? title : "", style, device(x), device(y), device(width),
                      device(height), nullptr, nullptr, instance_or_module(instance), nullptr);
  return w32_window(hwnd);
}

bool w32_show_window(PlatWindow* window, int show_mode) {
  if (!w32_alive(window))
    return false;
  return ShowWindow(w32_hwnd(window), show_mode) != 0;
}

void w32_client_size(PlatWindow* window, int* width, int* height) {
  RECT rect = {};
  if (w32_alive(window))
    GetClientRect(w32_hwnd(window), &rect);
  *width = w32_to_runtime(w32_hwnd(window), rect.right - rect.left);
  *height = w32_to_runtime(w32_hwnd(window), rect.bottom - rect.top);
}

void w32_screen_size(int* width, int* height) {
  *width = w32_to_runtime(nullptr, GetSystemMetrics(SM_CXSCREEN));
  *height = w32_to_runtime(nullptr, GetSystemMetrics(SM_CYSCREEN));
}

// Also for the messages of a window's creation and destruction, when the
// handle is not yet or no longer a live window to IsWindow on every system.
PlatResult w32_default_handler(PlatWindow* window, unsigned kind, PlatWParam wparam,
                               PlatLParam lparam) {
  if (!window)
    return 0;
  if (w32_dpi_changed(w32_hwnd(window), kind, lparam))
    return 0;
  return DefWindowProcW(w32_hwnd(window), kind, wparam, lparam);
}

void w32_begin_paint(PlatWindow* window) {
  if (!w32_alive(window))
    return;
  PAINTSTRUCT paint = {};
  BeginPaint(w32_hwnd(window), &paint);
  open_paints().emplace_back(w32_hwnd(window), paint);
}

void w32_end_paint(PlatWindow* window) {
  auto& paints = open_paints();
  for (auto it = paints.rbegin(); it != paints.rend(); ++it) {
    if (it->first == w32_hwnd(window)) {
      EndPaint(it->first, &it->second);
      paints.erase(std::next(it).base());
      return;
    }
  }
}
