// The contract's host on the win32 backend: input through SendInput into the
// window system's own input queue, real time, check marks as USER keeps them.
#include <windows.h>

#include <initializer_list>

#include "tests/contract/contract_host.h"

namespace {

HWND hwnd_of(PlatWindow* window) {
  return reinterpret_cast<HWND>(window);
}

// Sends the input and waits until it is in the thread's queue: the window
// system delivers it a little later than SendInput returns.
void send(INPUT input, UINT queued_as) {
  SendInput(1, &input, sizeof input);
  for (int waited = 0; waited < 2000; ++waited) {
    if (HIWORD(GetQueueStatus(queued_as)) & queued_as)
      return;
    Sleep(1);
  }
}

}  // namespace

bool host_open() {
  return plat_open() == nullptr;
}

void host_key(PlatWindow* window, unsigned key_code, bool down) {
  SetForegroundWindow(hwnd_of(window));
  SetFocus(hwnd_of(window));
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(key_code);
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key_code, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  send(input, QS_KEY);
}

void host_click(PlatWindow* window, int x, int y) {
  POINT point{x, y};
  ClientToScreen(hwnd_of(window), &point);
  SetCursorPos(point.x, point.y);
  for (DWORD flag : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flag;
    send(input, QS_MOUSEBUTTON);
  }
}

void host_settle() {
  Sleep(1);
}

void host_sleep_ms(int ms) {
  Sleep(static_cast<DWORD>(ms));
}

bool host_menu_checked(PlatMenu* menu, unsigned id) {
  return (GetMenuState(reinterpret_cast<HMENU>(menu), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void host_expected_client(int* width, int* height) {
  *width = 0;  // the window system's own frame and menu bar decide it
  *height = 0;
}
