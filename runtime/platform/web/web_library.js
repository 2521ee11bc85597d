// The imports of the web backend (web_backend.cpp): each hands over to the
// page (web_page.js, Module.velkoPage). velko_web_wait is the one import that
// suspends the program, so the build names it in ASYNCIFY_IMPORTS.
mergeInto(LibraryManager.library, {
  // The program goes on as a callback of the page's event loop, and its end
  // there is the runtime's to handle: exit() throws to unwind the stack, and
  // main returning leaves the runtime to be shut down.
  velko_web_wait__deps: ['$callUserCallback'],
  velko_web_wait: function(ms) {
    return Asyncify.handleSleep(function(wakeUp) {
      Module.velkoPage.sleep(ms, function() { callUserCallback(wakeUp); });
    });
  },
  velko_web_next_input: function(out) {
    var input = Module.velkoPage.nextInput();
    if (!input)
      return 0;
    for (var i = 0; i < 5; ++i)
      HEAP32[(out >> 2) + i] = input[i];
    return 1;
  },
  velko_web_input_pending: function() {
    return Module.velkoPage.inputPending() ? 1 : 0;
  },
  velko_web_present: function(win, pixels, width, height, x0, y0, x1, y1) {
    Module.velkoPage.present(win, HEAPU32.subarray(pixels >> 2, (pixels >> 2) + width * height),
                             width, height, x0, y0, x1, y1);
  },
  velko_web_window_created: function(win, title, textPanel, width, height) {
    Module.velkoPage.windowCreated(win, Module.velkoPage.text(HEAPU8, title), textPanel !== 0,
                                   width, height);
  },
  velko_web_window_shown: function(win, visible) {
    Module.velkoPage.windowShown(win, visible !== 0);
  },
  velko_web_window_destroyed: function(win) {
    Module.velkoPage.windowDestroyed(win);
  },
  velko_web_menu_created: function(menu, bar) {
    Module.velkoPage.menuCreated(menu, bar !== 0);
  },
  velko_web_menu_item_added: function(menu, index, flags, id, text, popup, checked) {
    Module.velkoPage.menuItemAdded(menu, index, flags, id, Module.velkoPage.text(HEAPU8, text),
                                   popup, checked !== 0);
  },
  velko_web_menu_attached: function(win, bar) {
    Module.velkoPage.menuAttached(win, bar);
  },
  velko_web_menu_item_checked: function(menu, index, checked) {
    Module.velkoPage.menuItemChecked(menu, index, checked !== 0);
  },
  velko_web_screen_size: function(width, height) {
    var size = Module.velkoPage.screenSize();
    HEAP32[width >> 2] = size[0];
    HEAP32[height >> 2] = size[1];
  },
  velko_web_closed: function() {
    Module.velkoPage.closed();
  },
  // A C++ exception leaves the program as a plain number, which carries no
  // stack, and nothing can catch it in this build: the throw keeps the stack
  // it was thrown from, for the console when the page says the program
  // stopped. Otherwise it is the toolchain's own throw.
  __cxa_throw__deps: ['$ExceptionInfo', '$exceptionLast', '$uncaughtExceptionCount'],
  __cxa_throw: function(ptr, type, destructor) {
    new ExceptionInfo(ptr).init(type, destructor);
    exceptionLast = ptr;
    uncaughtExceptionCount++;
    var limit = Error.stackTraceLimit;
    Error.stackTraceLimit = 64;
    Module.velkoThrownStack = new Error('the program threw an exception').stack;
    Error.stackTraceLimit = limit;
    {{{ makeThrow('ptr') }}}
  },
});
