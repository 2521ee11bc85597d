// Serves a folder of the web build on 127.0.0.1 for a browser, with the
// content types a page of the runtime needs (application/wasm above all:
// without it the browser compiles the program more slowly, or not at all).
//
//   node tools/web/serve.mjs <folder> [port]   (port 0: any free one)
//
// Prints the address it serves on as its first line of output.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.css': 'text/css; charset=utf-8',
  '.json': 'application/json',
  '.png': 'image/png',
  '.txt': 'text/plain; charset=utf-8',
  '.scr': 'text/plain; charset=windows-1252',
};

export function serve(root, port = 0, host = '127.0.0.1') {
  const base = path.resolve(root);
  const server = http.createServer((request, response) => {
    let name;
    try {
      name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    } catch {
      response.writeHead(400).end();
      return;
    }
    const file = path.join(base, path.normalize(name));
    if (file !== base && !file.startsWith(base + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, body) => {
      if (error) {
        response.writeHead(404, {'Content-Type': 'text/plain'}).end('not found\n');
        return;
      }
      const type = TYPES[path.extname(file).toLowerCase()] || 'application/octet-stream';
      response.writeHead(200, {'Content-Type': type, 'Cache-Control': 'no-cache'}).end(body);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, host, () => resolve(server));
  });
}

if (import.meta.url === `file://${process.argv[1]}`) {
  const [root, port] = process.argv.slice(2);
  if (!root || !fs.existsSync(root)) {
    console.error('usage: node tools/web/serve.mjs <folder> [port]');
    process.exit(2);
  }
  const server = await serve(root, Number(port || 8080));
  const {address, port: bound} = server.address();
  console.log(`http://${address}:${bound}/`);
}
