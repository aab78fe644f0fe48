// Serves a folder of the browser updater on localhost (a secure context, so WebHID is
// there), with the page's own Content-Security-Policy as a header on every file, so that the
// worker is held to it too, and with frame-ancestors 'none', which only a header can carry:
//   node scripts/serve_page.mjs <folder> [port]
// Also imported by the tests, the benchmark and the screenshots: servePage(folder, port)
// resolves to the server; port 0 takes a free one.
import {createServer} from 'node:http';
import {readFile} from 'node:fs/promises';
import {extname, join, normalize, resolve} from 'node:path';
import {fileURLToPath} from 'node:url';

const contentTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
  '.ico': 'image/x-icon',
};

// What a page's own policy cannot say: it may not be shown inside another site's frame,
// where that site could lead the user to press its buttons.
const kHeaderOnlyPolicy = "frame-ancestors 'none'";

async function pagePolicy(folder) {
  const page = await readFile(join(folder, 'index.html'), 'utf8');
  const meta = page.match(/http-equiv="Content-Security-Policy"\s+content="([^"]+)"/);
  if (!meta) throw new Error(`no Content-Security-Policy in ${folder}/index.html`);
  return meta[1];
}

export async function servePage(folder, port = 0) {
  const policy = await pagePolicy(folder);
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    const root = resolve(folder);
    const file = normalize(join(root, path.slice(1) || 'index.html'));
    if (!file.startsWith(root)) {
      response.writeHead(403).end();
      return;
    }
    try {
      const body = await readFile(file);
      response.writeHead(200, {
        'Content-Type': contentTypes[extname(file)] || 'application/octet-stream',
        'Content-Security-Policy': `${policy}; ${kHeaderOnlyPolicy}`,
        'Cache-Control': 'no-store',
      });
      response.end(body);
    } catch (missing) {
      response.writeHead(404).end();
    }
  });
  await new Promise(listening => server.listen(port, 'localhost', listening));
  return server;
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [folder, port = '8080'] = process.argv.slice(2);
  const server = await servePage(folder, Number(port));
  console.log(`The updater is served on http://localhost:${server.address().port}/ ` +
              `(the simulated unit: http://localhost:${server.address().port}/?simulate=ready); Ctrl-C ends.`);
}
