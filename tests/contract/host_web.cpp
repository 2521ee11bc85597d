// The contract's host on the web backend, in a browser page: input as DOM
// events dispatched where the user's would land (key events at the element
// that has the focus, pointer events at the element under the point), so
// that they take the page's own way into its queue: the key table, the
// window keys go to, the position on the canvas. Time is the page's clock;
// a wait suspends the program (Asyncify) and the browser runs meanwhile.
// Check marks are read as the user reads them: the menu is opened from its
// title in the window's menu bar, looked at and closed again.
#include <emscripten.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "runtime/platform/winsys/winsys.h"
#include "tests/contract/contract_host.h"

// clang-format off
// The page's side: helpers on Module, found by the window's title.
EM_JS(void, contract_page_install, (), {
  Module.contractHost = {
    box: function(title) {
      var boxes = document.querySelectorAll("section.velko-window");
      for (var i = 0; i < boxes.length; ++i) {
        if (boxes[i].getAttribute("aria-label") === title) return boxes[i];
      }
      return null;
    },
    key: function(title, code, key, down) {
      var box = this.box(title);
      if (!box) return 0;
      box.querySelector(".velko-canvas, .velko-log").focus({preventScroll: true});
      var target = document.activeElement || document.body;
      target.dispatchEvent(new KeyboardEvent(down ? "keydown" : "keyup",
          {code: code, key: key, bubbles: true, cancelable: true, composed: true}));
      return 1;
    },
    click: function(title, x, y) {
      var box = this.box(title);
      var canvas = box && box.querySelector("canvas.velko-canvas");
      if (!canvas || box.hidden) return 0;
      canvas.scrollIntoView({block: "nearest", inline: "nearest"});
      var rect = canvas.getBoundingClientRect();
      var clientX = rect.left + canvas.clientLeft + (x + 0.5) * canvas.clientWidth / canvas.width;
      var clientY = rect.top + canvas.clientTop + (y + 0.5) * canvas.clientHeight / canvas.height;
      var target = document.elementFromPoint(clientX, clientY) || document.body;
      var how = {clientX: clientX, clientY: clientY, button: 0, buttons: 1, pointerId: 1,
                 pointerType: "mouse", isPrimary: true, bubbles: true, cancelable: true,
                 composed: true};
      target.dispatchEvent(new PointerEvent("pointerdown", how));
      how.buttons = 0;
      target.dispatchEvent(new PointerEvent("pointerup", how));
      return 1;
    },
    checked: function(title, popup, item) {
      var box = this.box(title);
      if (!box) return -1;
      var button = Array.prototype.slice.call(box.querySelectorAll("button.velko-menu-title"))
          .filter(function(b) { return b.textContent === popup; })[0];
      if (!button) return -1;
      button.click();
      var menu = box.querySelector("div.velko-menu");
      var node = menu && Array.prototype.slice.call(menu.querySelectorAll("button.velko-menu-item"))
          .filter(function(n) { return n.querySelector(".velko-label").textContent === item; })[0];
      var seen = -1;
      if (node) {
        seen = node.querySelector(".velko-check").textContent.trim() !== "" ? 1 : 0;
        if ((node.getAttribute("aria-checked") === "true") !== (seen === 1)) seen = -2;
      }
      if (menu) button.click();
      return seen;
    },
  };
});

EM_JS(int, contract_page_key, (const char* title, const char* code, const char* key, int down), {
  return Module.contractHost.key(UTF8ToString(title), UTF8ToString(code), UTF8ToString(key),
                                 down !== 0);
});

EM_JS(int, contract_page_click, (const char* title, int x, int y), {
  return Module.contractHost.click(UTF8ToString(title), x, y);
});

EM_JS(int, contract_page_checked, (const char* title, const char* popup, const char* item), {
  return Module.contractHost.checked(UTF8ToString(title), UTF8ToString(popup),
                                     UTF8ToString(item));
});
// clang-format on

namespace {

// The key's place on the keyboard (KeyboardEvent.code) and what it types
// (KeyboardEvent.key), for a virtual-key code; false for a key the host
// does not know.
bool dom_key(unsigned key_code, std::string* code, std::string* key) {
  if (key_code >= 'A' && key_code <= 'Z') {
    *code = std::string("Key") + static_cast<char>(key_code);
    *key = std::string(1, static_cast<char>(key_code + 32));
    return true;
  }
  if (key_code >= '0' && key_code <= '9') {
    *code = std::string("Digit") + static_cast<char>(key_code);
    *key = std::string(1, static_cast<char>(key_code));
    return true;
  }
  struct Named {
    unsigned key_code;
    const char* code;
    const char* key;
  };
  static constexpr Named named[] = {
      {0x08, "Backspace", "Backspace"},
      {0x09, "Tab", "Tab"},
      {0x0D, "Enter", "Enter"},
      {0x10, "ShiftLeft", "Shift"},
      {0x11, "ControlLeft", "Control"},
      {0x1B, "Escape", "Escape"},
      {0x20, "Space", " "},
      {0x25, "ArrowLeft", "ArrowLeft"},
      {0x26, "ArrowUp", "ArrowUp"},
      {0x27, "ArrowRight", "ArrowRight"},
      {0x28, "ArrowDown", "ArrowDown"},
  };
  for (const Named& n : named) {
    if (n.key_code == key_code) {
      *code = n.code;
      *key = n.key;
      return true;
    }
  }
  return false;
}

// A label as the page shows it: "&One\tCtrl+O" reads "One".
std::string shown_label(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size() && text[i] != '\t'; ++i) {
    if (text[i] == '&' && i + 1 < text.size())
      ++i;
    out += text[i];
  }
  return out;
}

}  // namespace

bool host_open() {
  contract_page_install();
  return plat_open() == nullptr && std::string(plat->name) == "web";
}

void host_key(PlatWindow* window, unsigned key_code, bool down) {
  std::string code, key;
  if (!dom_key(key_code, &code, &key)) {
    ADD_FAILURE() << "the host has no key on the page for virtual-key code " << key_code;
    return;
  }
  if (!contract_page_key(window->title.c_str(), code.c_str(), key.c_str(), down ? 1 : 0))
    ADD_FAILURE() << "the page shows no window \"" << window->title << "\" to type in";
}

void host_click(PlatWindow* window, int x, int y) {
  if (!contract_page_click(window->title.c_str(), x, y))
    ADD_FAILURE() << "the page shows no canvas of \"" << window->title << "\" to click";
}

// Dispatched events are in the page's queue when dispatchEvent returns.
void host_settle() {}

void host_sleep_ms(int ms) {
  emscripten_sleep(static_cast<unsigned>(ms));
}

bool host_menu_checked(PlatMenu* menu, unsigned id) {
  const WinsysMenuItem* item = winsys_find_item(menu, id);
  PlatWindow* window = winsys_menu_window(menu);
  std::string popup_title;
  if (menu && menu->parent) {
    for (const auto& bar_item : menu->parent->items) {
      if (bar_item->popup == menu)
        popup_title = shown_label(bar_item->text);
    }
  }
  if (!item || !window || popup_title.empty()) {
    ADD_FAILURE() << "item " << id << " is in no menu bar of a window";
    return false;
  }
  const int seen = contract_page_checked(window->title.c_str(), popup_title.c_str(),
                                         shown_label(item->text).c_str());
  if (seen == -1)
    ADD_FAILURE() << "the page shows no item \"" << item->text << "\" under \"" << popup_title
                  << "\" in \"" << window->title << "\"";
  if (seen == -2)
    ADD_FAILURE() << "the check mark of \"" << item->text << "\" and its aria-checked disagree";
  return seen == 1;
}

void host_expected_client(int* width, int* height) {
  *width = 595;
  *height = 496;
}

// main returns after the suite has waited on the page many times; the page
// ends the run with what it returns, so a failing suite shows as failing.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
