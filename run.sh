#!/usr/bin/env bash
# Sets up, builds and launches the cone designer.
#
#   ./run.sh          the desktop program
#   ./run.sh --web    the browser build, served on 127.0.0.1 (docs/web.md);
#                     VELKO_WEB_PORT picks the port (default 8080)
set -euo pipefail
cd "$(dirname "$0")"
. scripts/packages.sh

if [ "${1:-}" = "--web" ]; then
  # shellcheck disable=SC2086
  ensure_packages cmake ninja-build $FONT_PACKAGES $WEB_BUILD_PACKAGES
  # FreeType for WebAssembly, which the browser build's text needs.
  if [ -x scripts/web-freetype.sh ]; then
    scripts/web-freetype.sh
  fi
  export NODE_PATH=/usr/share/nodejs
  emcmake cmake --preset web >/dev/null
  cmake --build --preset web --target velko-cone
  # shellcheck disable=SC2016  # JavaScript's own template strings
  exec node --input-type=module -e '
    import {serve} from "./tools/web/serve.mjs";
    const wanted = Number(process.env.VELKO_WEB_PORT || 8080);
    let server;
    try {
      server = await serve("build/web/bin", wanted);
    } catch (error) {
      if (error.code !== "EADDRINUSE") throw error;
      console.log(`Port ${wanted} is taken; serving on another one.`);
      server = await serve("build/web/bin", 0);
    }
    const {address, port} = server.address();
    console.log(`The cone designer: http://${address}:${port}/velko-cone.html`);
    console.log("Open it in a browser; Ctrl+C stops the server.");
  '
fi

# shellcheck disable=SC2086
ensure_packages $BUILD_PACKAGES

cmake --preset linux >/dev/null
cmake --build --preset linux --target velko-cone
exec build/linux/bin/velko-cone
