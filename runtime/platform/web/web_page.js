// The page's side of the web backend, run before the program starts: the
// windows as framed boxes, the HTML menus, the keyboard and the mouse turned
// into the runtime's messages, the log panel, VELKO.SCR kept in the browser,
// and the end of the run. The program reaches it through Module.velkoPage
// (web_library.js).
(function() {
'use strict';

var SCRIPT = 'VELKO.SCR';
var STORE_KEY = 'velko:' + SCRIPT;
var LOG_LINES = 25;
var MSG = {CLOSE: 0x10, KEYDOWN: 0x100, KEYUP: 0x101, COMMAND: 0x111, LDOWN: 0x201, LUP: 0x202,
           SCRIPT_REPLACED: 0x8000};
var MENU = {GRAYED: 1, CHECKED: 8, SEPARATOR: 2048, CHECKABLE: 0x10000000};
var VK = {SHIFT: 0x10, CONTROL: 0x11, PACKET: 0xE7};
// What a key-down hands the program as its character, beside a code point:
// nothing, or what translation makes of the key code (with Ctrl held, the
// control characters, as Windows makes them).
var TYPED = {NONE: 0, BY_KEY_CODE: -1};

// A key's virtual-key code and its PC scan code, by the key's place on the
// keyboard (KeyboardEvent.code): for the keys whose code does not follow the
// layout's letters (digits, punctuation, the keypad).
var KEYS = {
  Escape: [0x1B, 0x01], Minus: [0xBD, 0x0C], Equal: [0xBB, 0x0D], Backspace: [0x08, 0x0E],
  Tab: [0x09, 0x0F], BracketLeft: [0xDB, 0x1A], BracketRight: [0xDD, 0x1B], Enter: [0x0D, 0x1C],
  ControlLeft: [0x11, 0x1D], ControlRight: [0x11, 0x1D], Semicolon: [0xBA, 0x27],
  Quote: [0xDE, 0x28], Backquote: [0xC0, 0x29], ShiftLeft: [0x10, 0x2A], Backslash: [0xDC, 0x2B],
  Comma: [0xBC, 0x33], Period: [0xBE, 0x34], Slash: [0xBF, 0x35], ShiftRight: [0x10, 0x36],
  Space: [0x20, 0x39], CapsLock: [0x14, 0x3A], Home: [0x24, 0x47], ArrowUp: [0x26, 0x48],
  PageUp: [0x21, 0x49], ArrowLeft: [0x25, 0x4B], ArrowRight: [0x27, 0x4D], End: [0x23, 0x4F],
  ArrowDown: [0x28, 0x50], PageDown: [0x22, 0x51], Insert: [0x2D, 0x52], Delete: [0x2E, 0x53],
  NumpadEnter: [0x0D, 0x1C], IntlBackslash: [0xE2, 0x56], NumpadMultiply: [0x6A, 0x37],
  NumpadSubtract: [0x6D, 0x4A], NumpadAdd: [0x6B, 0x4E], NumpadDecimal: [0x6E, 0x53],
  NumpadComma: [0x6E, 0x53], NumpadDivide: [0x6F, 0x35], F11: [0x7A, 0x57], F12: [0x7B, 0x58],
};
'QWERTYUIOP'.split('').forEach(function(c, i) { KEYS['Key' + c] = [c.charCodeAt(0), 0x10 + i]; });
'ASDFGHJKL'.split('').forEach(function(c, i) { KEYS['Key' + c] = [c.charCodeAt(0), 0x1E + i]; });
'ZXCVBNM'.split('').forEach(function(c, i) { KEYS['Key' + c] = [c.charCodeAt(0), 0x2C + i]; });
'1234567890'.split('').forEach(function(c, i) { KEYS['Digit' + c] = [c.charCodeAt(0), 0x02 + i]; });
for (var f = 1; f <= 10; ++f) KEYS['F' + f] = [0x6F + f, 0x3A + f];
[0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49].forEach(function(scan, digit) {
  KEYS['Numpad' + digit] = [0x60 + digit, scan];
});
// Keys named by what they do (KeyboardEvent.key), whatever their place:
// the keypad's keys with Num Lock off are these.
var NAMED_KEYS = {
  Enter: 0x0D, Tab: 0x09, Backspace: 0x08, Escape: 0x1B, Shift: 0x10, Control: 0x11,
  CapsLock: 0x14, PageUp: 0x21, PageDown: 0x22, End: 0x23, Home: 0x24, ArrowLeft: 0x25,
  ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28, Insert: 0x2D, Delete: 0x2E,
};

// The run's shortcuts, whose browser actions (select all, history, find,
// location, reload, print, open, quit) never happen on the program's page.
var SHORTCUTS = 'AHFLRPOQ';
// Keys the browser would use to scroll or move the focus.
var PAGE_KEYS = ['Tab', 'Backspace', ' ', 'ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight',
                 'PageUp', 'PageDown', 'Home', 'End', '/', "'"];
// With Ctrl, the browser's own: the next and the previous tab.
var BROWSER_KEYS = ['Tab', 'PageUp', 'PageDown'];

var decoder = typeof TextDecoder != 'undefined' ? new TextDecoder('windows-1252') : null;

function el(tag, className, text) {
  var node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
}

// "&Run" as a label with its mnemonic underlined; the mnemonic goes to out.
function mnemonicLabel(text, out) {
  var span = el('span', 'velko-label');
  for (var i = 0; i < text.length; ++i) {
    if (text[i] === '&' && i + 1 < text.length) {
      ++i;
      if (text[i] !== '&') {
        var u = el('u', '', text[i]);
        span.appendChild(u);
        if (out && !out.key) out.key = text[i].toUpperCase();
        continue;
      }
    }
    span.appendChild(document.createTextNode(text[i]));
  }
  return span;
}

var page = {
  queue: [],
  waking: null,
  windows: {},
  menus: {},
  openMenu: null,
  lines: [],
  scriptStamp: null,
  ended: false,
  held: {},        // Shift and Ctrl as the program was told: the window, or 0
  escaped: false,  // the last key was Escape: Tab now leaves the window
  desk: null,
  status: null,
};

function desk() {
  if (!page.desk) {
    page.desk = document.getElementById('velko-desk');
    if (!page.desk) {
      page.desk = el('div');
      page.desk.id = 'velko-desk';
      document.body.appendChild(page.desk);
    }
  }
  return page.desk;
}

function say(text) {
  if (!page.status) page.status = document.getElementById('velko-status');
  if (page.status) page.status.textContent = text;
}

// Queues what the user did for the program: [window, kind, wparam, lparam,
// typed], typed being a key-down's character (TYPED).
function push(win, kind, wparam, lparam, typed) {
  if (page.ended) return;
  page.queue.push([win, kind, wparam, lparam, typed === undefined ? TYPED.BY_KEY_CODE : typed]);
  var wake = page.waking;
  if (wake) queueMicrotask(wake);
}

// The window keys go to: the one that holds the focus, else the first.
function keyWindow() {
  var active = document.activeElement;
  for (var id in page.windows) {
    var w = page.windows[id];
    if (active && w.box.contains(active) && !w.textPanel) return +id;
  }
  for (var first in page.windows) {
    if (!page.windows[first].textPanel) return +first;
  }
  return 0;
}

// The client pixel under the pointer, at whatever size the canvas is shown
// (the canvas has no border or padding, so its box is its pixels).
function clientPosition(canvas, event) {
  var rect = canvas.getBoundingClientRect();
  var x = Math.floor((event.clientX - rect.left) * canvas.width / Math.max(1, rect.width));
  var y = Math.floor((event.clientY - rect.top) * canvas.height / Math.max(1, rect.height));
  x = Math.min(Math.max(x, 0), 0xFFFF);
  y = Math.min(Math.max(y, 0), 0xFFFF);
  return x | (y << 16);
}

// -- Windows

page.windowCreated = function(id, title, textPanel, width, height) {
  var box = el('section', 'velko-window' + (textPanel ? ' velko-text-window' : ''));
  box.hidden = true;
  box.setAttribute('aria-label', title);
  var bar = el('header', 'velko-title');
  bar.appendChild(el('span', 'velko-title-text', title));
  var close = el('button', 'velko-close', '\u00D7');
  close.title = 'Close';
  close.setAttribute('aria-label', 'Close ' + title);
  close.addEventListener('click', function() { push(id, MSG.CLOSE, 0, 0); });
  bar.appendChild(close);
  box.appendChild(bar);
  var menuBar = el('nav', 'velko-menubar');
  menuBar.hidden = true;
  box.appendChild(menuBar);
  var client;
  if (textPanel) {
    client = el('pre', 'velko-log');
    client.tabIndex = 0;
    client.style.width = width + 'px';
    client.style.height = height + 'px';
  } else {
    client = el('canvas', 'velko-canvas');
    client.width = width;
    client.height = height;
    client.tabIndex = 0;
    // Named for screen readers, which hand it every key (role application);
    // the way out is told with it.
    client.setAttribute('role', 'application');
    client.setAttribute('aria-label', title);
    client.setAttribute('aria-describedby', keysHelp().id);
    client.title = keysHelp().textContent;
    if (!document.getElementById('velko-graphics')) client.id = 'velko-graphics';
    client.addEventListener('pointerdown', function(event) {
      if (event.button !== 0) return;
      event.preventDefault();
      client.focus({preventScroll: true});
      closeMenu();
      client.setPointerCapture(event.pointerId);
      push(id, MSG.LDOWN, 1, clientPosition(client, event));
    });
    client.addEventListener('pointerup', function(event) {
      if (event.button !== 0) return;
      push(id, MSG.LUP, 0, clientPosition(client, event));
    });
    client.addEventListener('contextmenu', function(event) { event.preventDefault(); });
  }
  box.appendChild(client);
  desk().appendChild(box);
  page.windows[id] = {box: box, menuBar: menuBar, client: client, textPanel: textPanel,
                      image: null, bar: 0, width: width, height: height};
  if (textPanel) showLines();
  fitWindows();
};

// The words that tell how keys leave a window, once on the page.
function keysHelp() {
  var help = document.getElementById('velko-keys-help');
  if (!help) {
    help = el('p', 'velko-hidden', 'Keys go to the program. Escape, then Tab, moves on to the ' +
                                   'page\'s buttons.');
    help.id = 'velko-keys-help';
    document.body.appendChild(help);
  }
  return help;
}

// -- Fitting the windows to the screen
//
// Each pixel of a window stays a whole number of the screen's own pixels,
// the same for every pixel, so no line comes out thicker than another: as
// many as one of the page's pixels has, rounded (the device pixel ratio; 2
// at 1.5), fewer where the window would not fit the width of the page. Only
// where not even one screen pixel per pixel fits (a narrow screen of ratio
// 1) is the window scaled down to fit, smoothly.
function fitWindows() {
  var room = desk().clientWidth;
  if (!room) return;
  var ratio = window.devicePixelRatio || 1;
  for (var id in page.windows) {
    var w = page.windows[id];
    // The box's frame around its client area.
    var frame = w.box.offsetWidth - w.client.offsetWidth || 6;
    var width = w.textPanel ? w.width : w.client.width;
    var height = w.textPanel ? w.height : w.client.height;
    var fits = room - frame;
    if (w.textPanel) {
      w.client.style.width = Math.min(width, fits) + 'px';
      continue;
    }
    var pixels = Math.max(1, Math.round(ratio));
    while (pixels > 1 && width * pixels / ratio > fits) --pixels;
    var scale = pixels / ratio;
    var even = width * scale <= fits;
    if (!even) scale = fits / width;
    w.client.style.width = width * scale + 'px';
    w.client.style.height = height * scale + 'px';
    w.client.style.imageRendering = even ? 'pixelated' : 'auto';
  }
}

page.windowShown = function(id, visible) {
  var w = page.windows[id];
  if (!w) return;
  w.box.hidden = !visible;
  if (visible) fitWindows();
  if (visible && !w.textPanel && !w.focused) {
    w.focused = true;
    w.client.focus({preventScroll: true});
  }
};

page.windowDestroyed = function(id) {
  var w = page.windows[id];
  if (!w) return;
  w.box.remove();
  delete page.windows[id];
};

// Shows pixels of 0x00RRGGBB words: the box [x0, x1) x [y0, y1) changed.
page.present = function(id, pixels, width, height, x0, y0, x1, y1) {
  var w = page.windows[id];
  if (!w || w.textPanel) return;
  var canvas = w.client;
  if (canvas.width !== width || canvas.height !== height) {
    canvas.width = width;
    canvas.height = height;
    w.image = null;
    fitWindows();
  }
  if (!w.image) w.image = new ImageData(width, height);
  if (!page.presented) {
    page.presented = true;
    performance.mark('velko-first-present');
  }
  var rgba = new Uint32Array(w.image.data.buffer);
  for (var y = y0; y < y1; ++y) {
    for (var i = y * width + x0, end = y * width + x1; i < end; ++i) {
      var p = pixels[i];
      rgba[i] = 0xFF000000 | ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >>> 16) & 0xFF);
    }
  }
  canvas.getContext('2d').putImageData(w.image, 0, 0, x0, y0, x1 - x0, y1 - y0);
};

page.screenSize = function() {
  // The log window takes the screen's width and a third of its height: the
  // width of the graphics window's frame, beneath it.
  return [601, 600];
};

// -- The log panel: the latest lines, as text a user can select and copy.

page.logLine = function(text) {
  page.lines.push(text.replace(/\n$/, ''));
  if (page.lines.length > LOG_LINES) page.lines.splice(0, page.lines.length - LOG_LINES);
  showLines();
};

function showLines() {
  for (var id in page.windows) {
    var w = page.windows[id];
    if (!w.textPanel) continue;
    w.client.textContent = page.lines.join('\n');
    w.client.scrollTop = w.client.scrollHeight;
  }
}

// -- Menus

page.menuCreated = function(id, bar) {
  page.menus[id] = {bar: bar, items: []};
};

page.menuItemAdded = function(menu, index, flags, id, text, popup, checked) {
  var m = page.menus[menu];
  if (!m) return;
  m.items[index] = {flags: flags, id: id, text: text, popup: popup, checked: checked,
                    checkable: !!(flags & MENU.CHECKABLE) || checked};
  if (flags & MENU.CHECKED) m.items[index].checked = m.items[index].checkable = true;
  for (var w in page.windows) {
    if (page.windows[w].bar === menu) showMenuBar(+w);
  }
};

page.menuAttached = function(win, bar) {
  var w = page.windows[win];
  if (!w) return;
  w.bar = bar;
  showMenuBar(win);
};

page.menuItemChecked = function(menu, index, checked) {
  var m = page.menus[menu];
  if (!m || !m.items[index]) return;
  m.items[index].checked = checked;
  // An item the program checks is one that can be checked, whatever it said.
  if (checked) m.items[index].checkable = true;
  var open = page.openMenu;
  if (open && open.menu === menu) {
    var node = open.list.querySelector('[data-index="' + index + '"]');
    if (node) {
      if (m.items[index].checkable) node.setAttribute('role', 'menuitemcheckbox');
      node.setAttribute('aria-checked', checked ? 'true' : 'false');
      node.querySelector('.velko-check').textContent = checked ? '\u2713' : '';
    }
  }
};

function showMenuBar(win) {
  var w = page.windows[win];
  var m = page.menus[w.bar];
  w.menuBar.textContent = '';
  w.menuBar.hidden = !m;
  if (!m) return;
  w.menuBar.setAttribute('role', 'menubar');
  m.items.forEach(function(item) {
    if (!item || !item.popup) return;
    var mnemonic = {};
    var button = el('button', 'velko-menu-title');
    button.setAttribute('role', 'menuitem');
    button.setAttribute('aria-haspopup', 'true');
    button.appendChild(mnemonicLabel(item.text, mnemonic));
    button.dataset.mnemonic = mnemonic.key || '';
    button.addEventListener('click', function() {
      if (page.openMenu && page.openMenu.button === button) closeMenu(true);
      else openMenu(win, item.popup, button, false);
    });
    w.menuBar.appendChild(button);
  });
}

function openMenu(win, menu, button, fromKeyboard) {
  closeMenu();
  var m = page.menus[menu];
  if (!m) return;
  var list = el('div', 'velko-menu');
  list.setAttribute('role', 'menu');
  m.items.forEach(function(item, index) {
    if (!item) return;
    if (item.flags & MENU.SEPARATOR) {
      list.appendChild(el('div', 'velko-separator')).setAttribute('role', 'separator');
      return;
    }
    var node = el('button', 'velko-menu-item');
    // Switches are check boxes to a screen reader; commands are menu items.
    if (item.checkable) {
      node.setAttribute('role', 'menuitemcheckbox');
      node.setAttribute('aria-checked', item.checked ? 'true' : 'false');
    } else {
      node.setAttribute('role', 'menuitem');
    }
    node.dataset.index = index;
    var tab = item.text.indexOf('\t');
    var mnemonic = {};
    node.appendChild(el('span', 'velko-check', item.checked ? '\u2713' : ''));
    node.appendChild(mnemonicLabel(tab < 0 ? item.text : item.text.slice(0, tab), mnemonic));
    node.appendChild(el('span', 'velko-shortcut', tab < 0 ? '' : item.text.slice(tab + 1)));
    node.dataset.mnemonic = mnemonic.key || '';
    if (item.flags & MENU.GRAYED) {
      node.disabled = true;
      node.setAttribute('aria-disabled', 'true');
    }
    node.addEventListener('click', function() { choose(win, item); });
    // The highlight follows the mouse, as the arrow keys move it: one item at a time.
    node.addEventListener('pointerenter', function() {
      if (!node.disabled) node.focus({preventScroll: true});
    });
    list.appendChild(node);
  });
  button.setAttribute('aria-expanded', 'true');
  button.classList.add('velko-open');
  var w = page.windows[win];
  list.style.left = button.offsetLeft + 'px';
  list.style.top = (w.menuBar.offsetTop + w.menuBar.offsetHeight) + 'px';
  w.box.appendChild(list);
  page.openMenu = {win: win, menu: menu, button: button, list: list};
  var first = menuItems()[0];
  if (first) first.focus({preventScroll: true});
  else if (!fromKeyboard) button.focus({preventScroll: true});
}

function menuItems() {
  return page.openMenu ?
      Array.prototype.slice.call(page.openMenu.list.querySelectorAll('.velko-menu-item:not([disabled])')) :
      [];
}

function closeMenu(refocus) {
  var open = page.openMenu;
  if (!open) return;
  page.openMenu = null;
  open.list.remove();
  open.button.removeAttribute('aria-expanded');
  open.button.classList.remove('velko-open');
  var w = page.windows[open.win];
  if (refocus && w) w.client.focus({preventScroll: true});
}

function choose(win, item) {
  closeMenu(true);
  push(win, MSG.COMMAND, item.id, 0);
}

// Arrows, Enter, Escape and mnemonics inside an open menu; answers whether
// the key was the menu's.
function menuKey(event) {
  var open = page.openMenu;
  if (!open) return false;
  var items = menuItems();
  var at = items.indexOf(document.activeElement);
  if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
    var step = event.key === 'ArrowDown' ? 1 : -1;
    var next = items[(at + step + items.length) % items.length];
    if (next) next.focus({preventScroll: true});
  } else if (event.key === 'Escape') {
    closeMenu(true);
  } else if (event.key === 'Enter' || event.key === ' ') {
    if (at >= 0) items[at].click();
  } else if (event.key.length === 1 && !event.ctrlKey) {
    var key = event.key.toUpperCase();
    var hit = items.filter(function(n) { return n.dataset.mnemonic === key; })[0];
    if (hit) hit.click();
  } else if (event.key !== 'Tab') {
    return !event.ctrlKey;
  }
  return true;
}

// Alt+letter or F10 opens a menu of the bar of the window keys go to.
function menuBarKey(event) {
  var win = keyWindow();
  var w = page.windows[win];
  if (!w || w.menuBar.hidden) return false;
  var buttons = Array.prototype.slice.call(w.menuBar.querySelectorAll('.velko-menu-title'));
  var target = null;
  if (event.key === 'F10' && !event.altKey) target = buttons[0];
  else if (event.altKey && event.key.length === 1) {
    var key = event.key.toUpperCase();
    target = buttons.filter(function(b) { return b.dataset.mnemonic === key; })[0];
  }
  if (!target) return false;
  var m = page.menus[w.bar];
  var item = m.items.filter(function(i) { return i && i.popup; })[buttons.indexOf(target)];
  openMenu(win, item.popup, target, true);
  return true;
}

// -- Keys
//
// A key reaches the program as Windows would give it: its virtual-key code
// follows the letter on the key in the user's layout (so Ctrl with the key
// labelled A is Ctrl+A on a French keyboard too), other keys keep the code
// of their place, and the character is the one typed (KeyboardEvent.key,
// accents and dead keys as the browser composed them). A key with no place
// (an on-screen keyboard's) still types its character.

function keyParam(scan, down, repeat) {
  return 1 | (scan << 16) | (down ? (repeat ? 1 << 30 : 0) : (1 << 30) | (1 << 31));
}

// The key's one character, or '' when it names a key (Enter, Dead, F1).
function keyCharacter(event) {
  var key = event.key || '';
  var first = key.codePointAt(0);
  return key.length === 1 || (key.length === 2 && first > 0xFFFF) ? key : '';
}

// A letter key's code, when it types punctuation (the French comma where a
// US keyboard has M): the code of that punctuation.
var PUNCTUATION = {',': 0xBC, '.': 0xBE, '-': 0xBD, '=': 0xBB, ';': 0xBA, '/': 0xBF, '`': 0xC0,
                   '[': 0xDB, '\\': 0xDC, ']': 0xDD, "'": 0xDE};

function keyCode(event) {
  if (NAMED_KEYS[event.key]) return NAMED_KEYS[event.key];
  var character = keyCharacter(event);
  if (/^[a-z]$/i.test(character)) return character.toUpperCase().charCodeAt(0);
  if (/^Key/.test(event.code) && PUNCTUATION[character]) return PUNCTUATION[character];
  if (KEYS[event.code]) return KEYS[event.code][0];
  if (/^[0-9]$/.test(character)) return character.charCodeAt(0);
  if (/^F([1-9]|1[0-2])$/.test(event.key)) return 0x6F + +event.key.slice(1);
  return character ? VK.PACKET : 0;
}

// What the key-down types: its character, none, or (Ctrl held, or the
// control keys) what translation makes of its code.
function typedBy(event, altGraph) {
  if (event.ctrlKey && !altGraph) return TYPED.BY_KEY_CODE;
  var character = keyCharacter(event);
  if (character) return character.codePointAt(0);
  return /^(Enter|Tab|Backspace|Escape)$/.test(event.key) ? TYPED.BY_KEY_CODE : TYPED.NONE;
}

function keyElsewhere(target) {
  if (!target || !target.closest) return false;
  // Text fields and the page's own controls keep their keys; the canvases,
  // the log panels and the page itself give them to the program.
  return !!target.closest('input, textarea, select, button, a[href], #velko-tools, #velko-ended');
}

function pushKey(win, down, vk, scan, repeat, typed) {
  if (vk === VK.SHIFT || vk === VK.CONTROL) page.held[vk] = down ? win : 0;
  push(win, down ? MSG.KEYDOWN : MSG.KEYUP, vk, keyParam(scan, down, repeat),
       down ? typed : TYPED.BY_KEY_CODE);
}

// Shift and Ctrl held when the page loses the keyboard (Ctrl+Tab to another
// tab, a click elsewhere) are let go, or the program would go on taking
// every letter for a shortcut.
function releaseHeldKeys() {
  if (page.held[VK.SHIFT]) pushKey(page.held[VK.SHIFT], false, VK.SHIFT, 0x2A, false, 0);
  if (page.held[VK.CONTROL]) pushKey(page.held[VK.CONTROL], false, VK.CONTROL, 0x1D, false, 0);
}

function onKey(event) {
  if (page.ended) return;
  var down = event.type === 'keydown';
  var target = event.target;
  if (down && page.openMenu && menuKey(event)) {
    event.preventDefault();
    return;
  }
  var altGraph = !!(event.getModifierState && event.getModifierState('AltGraph'));
  var alt = event.altKey && !altGraph;
  if (down && (alt || event.key === 'F10') && menuBarKey(event)) {
    event.preventDefault();
    return;
  }
  if (keyElsewhere(target) || alt || event.metaKey) return;
  // AltGr is no Ctrl, though some systems send a Ctrl with it.
  if (event.key === 'AltGraph') {
    if (down) releaseHeldKeys();
    return;
  }
  // The browser's keys for its tabs stay the browser's.
  if (event.ctrlKey && BROWSER_KEYS.indexOf(event.key) >= 0) return;
  // Escape, then Tab: the way out of the program's window to the page.
  if (down) {
    var leaving = page.escaped && event.key === 'Tab' && !event.ctrlKey;
    if (event.key !== 'Shift') page.escaped = event.key === 'Escape';
    if (leaving) return;
  }
  var vk = keyCode(event);
  if (!vk) return;
  var inLog = target && target.classList && target.classList.contains('velko-log');
  var letter = vk >= 0x41 && vk <= 0x5A ? String.fromCharCode(vk) : '';
  // In the log panel, Ctrl+C and Ctrl+Insert copy what is selected.
  if (inLog && event.ctrlKey && (letter === 'C' || event.key === 'Insert')) return;
  if ((event.ctrlKey && !altGraph && letter && SHORTCUTS.indexOf(letter) >= 0) ||
      PAGE_KEYS.indexOf(event.key) >= 0 || (event.key === 'Enter' && !inLog)) {
    event.preventDefault();
  }
  var win = keyWindow();
  var scan = KEYS[event.code] ? KEYS[event.code][1] : 0;
  if (win) pushKey(win, down, vk, scan, event.repeat, typedBy(event, altGraph));
}

// -- VELKO.SCR, kept in the browser's storage so that it survives a reload

function bytesToString(bytes) {
  var out = '';
  for (var i = 0; i < bytes.length; i += 8192)
    out += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
  return out;
}

function stringToBytes(text) {
  var bytes = new Uint8Array(text.length);
  for (var i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i) & 0xFF;
  return bytes;
}

function scriptBytes() {
  try {
    return FS.readFile(SCRIPT);
  } catch (e) {
    return null;
  }
}

// The file's node in the in-memory file system, read without a lookup that
// throws when there is no file; undefined where the folder is not in memory.
function scriptNode() {
  if (!page.scriptDir) page.scriptDir = FS.lookupPath(FS.cwd()).node;
  var contents = page.scriptDir.contents;
  return contents ? contents[SCRIPT] || null : undefined;
}

function scriptStamp(node, stat) {
  if (node) return node.timestamp + ':' + node.usedBytes;
  return stat ? stat.mtime.getTime() + ':' + stat.size : '';
}

// Keeps the stored copy in step with the file whenever the program waits;
// a wait that finds the file's time and size as they were costs no more.
function syncScriptSoon() {
  var node = scriptNode();
  if (node === undefined || scriptStamp(node, null) !== page.scriptStamp) syncScript();
}

function syncScript() {
  var stat = null;
  try {
    stat = FS.stat(SCRIPT);
  } catch (e) {
  }
  var stamp = scriptStamp(stat ? scriptNode() : null, stat);
  if (stamp === page.scriptStamp) return;
  page.scriptStamp = stamp;
  var download = document.getElementById('velko-download');
  if (download) download.disabled = !stat || stat.size === 0;
  try {
    if (stat) localStorage.setItem(STORE_KEY, bytesToString(scriptBytes()));
  } catch (e) {
    say('VELKO.SCR could not be kept in this browser (' + e.message + '); download it to keep it.');
  }
}

function restoreScript() {
  var stored = null;
  try {
    stored = localStorage.getItem(STORE_KEY);
  } catch (e) {
  }
  if (stored !== null) FS.writeFile(SCRIPT, stringToBytes(stored));
}

function downloadScript() {
  syncScript();
  var bytes = scriptBytes();
  if (!bytes) {
    say('There is no VELKO.SCR yet: record one with Run > Record Script (Ctrl+R).');
    return;
  }
  var link = el('a');
  link.href = URL.createObjectURL(new Blob([bytes], {type: 'text/plain'}));
  link.download = SCRIPT;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(function() { URL.revokeObjectURL(link.href); }, 1000);
}

function useScriptFile(file) {
  if (!file) return;
  file.arrayBuffer().then(function(buffer) {
    // A new file, not the old one rewritten: a stream the program has open
    // on the old one (a playback at its end, a recording) keeps the old
    // one until the program, told so, closes it; the next playback then
    // reads the new file from its first line.
    if (scriptBytes()) FS.unlink(SCRIPT);
    FS.writeFile(SCRIPT, new Uint8Array(buffer));
    var win = keyWindow();
    if (win) push(win, MSG.SCRIPT_REPLACED, 0, 0);
    syncScript();
    say('VELKO.SCR is now ' + file.name + ' (' + buffer.byteLength +
        ' bytes): Run > Playback Script (Ctrl+P) plays it.');
    var w = page.windows[keyWindow()];
    if (w) w.client.focus({preventScroll: true});
  }, function(error) {
    say(file.name + ' could not be read: ' + error.message);
  });
}

function setUpTools() {
  var download = document.getElementById('velko-download');
  if (download) {
    download.disabled = !scriptBytes();
    download.addEventListener('click', downloadScript);
  }
  var open = document.getElementById('velko-open');
  var chooser = document.getElementById('velko-open-file');
  if (open && chooser) {
    open.addEventListener('click', function() { chooser.click(); });
    chooser.addEventListener('change', function() {
      useScriptFile(chooser.files[0]);
      chooser.value = '';
    });
  }
  document.addEventListener('dragover', function(event) { event.preventDefault(); });
  document.addEventListener('drop', function(event) {
    event.preventDefault();
    if (event.dataTransfer && event.dataTransfer.files.length)
      useScriptFile(event.dataTransfer.files[0]);
  });
  var again = document.getElementById('velko-again');
  if (again) again.addEventListener('click', function() { location.reload(); });
}

// -- The program's waits

page.sleep = function(ms, wakeUp) {
  syncScriptSoon();
  var timer = null;
  var channel = null;
  var done = function() {
    if (page.waking !== done) return;
    page.waking = null;
    if (timer !== null) clearTimeout(timer);
    wakeUp();
  };
  page.waking = done;
  if (ms === 0) {
    // A yield: back as soon as the browser has had its turn.
    channel = new MessageChannel();
    channel.port1.onmessage = done;
    channel.port2.postMessage(0);
  } else if (ms > 0) {
    timer = setTimeout(done, Math.ceil(ms));
  }
};

page.nextInput = function() {
  return page.queue.shift();
};

page.inputPending = function() {
  return page.queue.length > 0;
};

page.text = function(heap, at) {
  var end = at;
  while (heap[end]) ++end;
  var bytes = heap.subarray(at, end);
  return decoder ? decoder.decode(bytes) : bytesToString(bytes);
};

// The program is over: the page says so and offers to start it again; its
// windows stay as they are, but their menus and close boxes do nothing now.
function ended(text) {
  if (page.ended) return;
  page.ended = true;
  page.waking = null;  // a wait still pending never resumes the program
  closeMenu();
  syncScript();
  Array.prototype.forEach.call(desk().querySelectorAll('.velko-menu-title, .velko-close'),
                               function(button) { button.disabled = true; });
  var end = document.getElementById('velko-ended');
  if (end) {
    var message = document.getElementById('velko-ended-text');
    if (message) message.textContent = text;
    end.hidden = false;
    var again = document.getElementById('velko-again');
    if (again) again.focus();
  }
  document.body.classList.add('velko-ended');
}

// The runtime is done with its windows; the run ends when main does.
page.closed = function() {
  closeMenu();
};

// A main that waited returns long after the runtime called it, to nobody:
// Asyncify hands its value here as it returns, and the runtime, which ends
// the run just after, ends it with that status. Anything main threw goes on
// to the runtime as it would have.
function endWithMain() {
  if (typeof Asyncify == 'undefined' || !Asyncify.currData) return;
  Asyncify.asyncPromiseHandlers = {
    resolve: function(code) {
      EXITSTATUS = code;
    },
    reject: function(error) {
      throw error;
    },
  };
}

// What stopped the program, in words a student reads: a trap by its kind,
// with the engine's own words after it.
var TRAPS = [
  [/out of bounds memory access|memory access out of bounds/,
   'it read or wrote outside its memory, through a bad pointer or past the end of an array'],
  [/table index is out of bounds|null function|signature mismatch|function signature/,
   'it called a function through a bad pointer'],
  [/divide by zero|division by zero/, 'it divided an integer by zero'],
  [/integer overflow|unrepresentable/, 'a number did not fit in an integer'],
  [/call stack|stack size|too much recursion/, 'it ran out of stack, in a recursion too deep'],
  [/unreachable/, 'it reached code that must never run: a trap in its code, or a wait the ' +
                  'build did not prepare for (see docs/web.md)'],
];

function trapWords(error) {
  var what = String(error && error.message || error);
  for (var i = 0; i < TRAPS.length; ++i) {
    if (TRAPS[i][0].test(what)) return TRAPS[i][1] + ' ("' + what + '")';
  }
  return what;
}

// A C++ exception nothing caught leaves the program as the address of the
// thrown object (with a note after it when the build has assertions).
function thrownObject(error) {
  if (typeof error == 'number') return error;
  var found = typeof error == 'string' && /^(\d+) - Exception catching is disabled/.exec(error);
  return found ? +found[1] : 0;
}

function exceptionWords(thrown) {
  var text = '';
  try {
    if (typeof ExceptionInfo == 'function' && typeof _velko_web_exception_text == 'function') {
      var at = _velko_web_exception_text(thrown, new ExceptionInfo(thrown).get_type());
      text = at ? page.text(HEAPU8, at) : '';
    }
  } catch (e) {
  }
  return 'an exception nobody caught' + (text ? ': ' + text : '');
}

// Every way a run ends, said on the page; the console keeps the stack. Only
// what the program's code throws ends it: a trap, a stack that ran out, an
// exception of its own.
function stopped(error) {
  if (page.ended) return;
  if (!(error instanceof WebAssembly.RuntimeError || error instanceof RangeError ||
        thrownObject(error))) {
    return;
  }
  var thrown = thrownObject(error);
  var words = thrown ? exceptionWords(thrown) : trapWords(error);
  var stack = thrown ? Module.velkoThrownStack : error.stack;
  if (stack) console.error(stack);
  ended('The program stopped: ' + words + '.');
}

Module.velkoPage = page;
Module.preRun = (Module.preRun || []).concat([restoreScript]);
Module.postRun = (Module.postRun || []).concat([endWithMain]);
Module.onExit = function(code) {
  ended(code ? 'The program has ended with status ' + code + '.' : 'The program has ended.');
};
Module.onAbort = function(what) {
  console.error(new Error('the program stopped').stack);
  var called = !what || /native code called abort/.test(what);
  ended('The program stopped: ' + (called ? 'the program called abort' : what) + '.');
};
// A trap (a read outside memory, a call through a bad pointer, a wait the
// build did not prepare for) or an exception nobody caught reaches the page
// as an uncaught error, or a rejected promise while the program starts.
window.addEventListener('error', function(event) {
  if (event.error !== undefined) stopped(event.error);
});
window.addEventListener('unhandledrejection', function(event) {
  stopped(event.reason);
});
Module.print = function(text) {
  console.log(text);
};
Module.printErr = function(text) {
  console.error(text);
  say(text);
};
document.addEventListener('keydown', onKey, true);
document.addEventListener('keyup', onKey, true);
window.addEventListener('blur', releaseHeldKeys);
document.addEventListener('focusin', function(event) {
  if (keyElsewhere(event.target)) releaseHeldKeys();
});
document.addEventListener('pointerdown', function(event) {
  var open = page.openMenu;
  if (open && !open.list.contains(event.target) && !open.button.contains(event.target)) closeMenu();
}, true);
window.addEventListener('resize', fitWindows);
// The page is named after the program (name.html), as a desktop program's
// windows are found by it.
var program = location.pathname.match(/([^/]+)\.html?$/);
if (program) document.title = decodeURIComponent(program[1]);
if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', setUpTools);
else setUpTools();
})();
