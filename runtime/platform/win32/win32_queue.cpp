// The thread's message queue and the window timers, as USER keeps them. The
// seam's messages are the real ones: kinds, key codes and parameters have
// the Windows values, so they pass through unchanged.
#include "runtime/platform/win32/win32_internal.h"

namespace {

// The whole record of the message taken last: translating and dispatching
// hand the system what it gave, time and cursor position included.
MSG last_taken = {};

MSG full_message(const PlatMessage* message) {
  const HWND hwnd = w32_hwnd(message->window);
  if (last_taken.hwnd == hwnd && last_taken.message == message->kind &&
      last_taken.wParam == message->wparam && last_taken.lParam == message->lparam) {
    return last_taken;
  }
  // A message the runtime made up itself: as if it had just been taken.
  MSG msg = {};
  msg.hwnd = hwnd;
  msg.message = message->kind;
  msg.wParam = message->wparam;
  msg.lParam = message->lparam;
  msg.time = static_cast<DWORD>(GetMessageTime());
  const DWORD position = GetMessagePos();
  msg.pt.x = static_cast<short>(LOWORD(position));
  msg.pt.y = static_cast<short>(HIWORD(position));
  return msg;
}

}  // namespace

// Taken and dispatched as Unicode, so a character keeps its UTF-16 code on its
// way to the window (whose procedure gives it to the runtime by the one rule
// for typed characters).
bool w32_peek_message(PlatMessage* message) {
  MSG msg = {};
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    return false;
  last_taken = msg;
  message->window = w32_window(msg.hwnd);
  message->kind = msg.message;
  message->wparam = msg.wParam;
  message->lparam = msg.lParam;
  return true;
}

void w32_translate_message(const PlatMessage* message) {
  if (!message)
    return;
  const MSG msg = full_message(message);
  TranslateMessage(&msg);
}

PlatResult w32_dispatch_message(const PlatMessage* message) {
  if (!message)
    return 0;
  const MSG msg = full_message(message);
  return DispatchMessageW(&msg);
}

void w32_post_message(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam) {
  // A null window would post to the thread instead; a gone one goes nowhere.
  if (w32_alive(window))
    PostMessageA(w32_hwnd(window), kind, wparam, lparam);
}

void w32_post_quit(int exit_code) {
  PostQuitMessage(exit_code);
}

// Returns at the next message of any kind: input, a posted message, a
// repaint or a timer expiry.
void w32_wait_message() {
  WaitMessage();
}

void w32_set_timer(PlatWindow* window, unsigned id, unsigned period_ms) {
  if (w32_alive(window))
    SetTimer(w32_hwnd(window), id, period_ms, nullptr);
}

void w32_kill_timer(PlatWindow* window, unsigned id) {
  if (w32_alive(window))
    KillTimer(w32_hwnd(window), id);
}
