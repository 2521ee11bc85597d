// The contract's host on the headless backend: input through its control
// interface, virtual time.
#include "runtime/platform/headless/headless.h"
#include "tests/contract/contract_host.h"

bool host_open() {
  headless_set_auto_close(false);
  return plat_open() == nullptr;
}

void host_key(PlatWindow* window, unsigned key_code, bool down) {
  if (down)
    headless_key_down(key_code, window);
  else
    headless_key_up(key_code, window);
}

void host_click(PlatWindow* window, int x, int y) {
  headless_click(x, y, window);
}

void host_settle() {}

void host_sleep_ms(int ms) {
  headless_advance_ms(ms);
}

bool host_menu_checked(PlatMenu* menu, unsigned id) {
  return headless_menu_checked(menu, id);
}

void host_expected_client(int* width, int* height) {
  *width = 595;
  *height = 496;
}
