#!/usr/bin/env bash
# Sets up, builds the browser updater and serves it on http://localhost:8080 (another port with
# SPINDRA_WEB_PORT) until Ctrl-C. Without a display it saves a screenshot of the page with its
# simulated unit to build/web/screenshot-en.png instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset web
cmake --build --preset web -j 2 --target spindra-web-page-site

if [ -z "${DISPLAY:-}" ]; then
  node scripts/web_screenshots.mjs build/web/site build/web
  echo "screenshot saved to build/web/screenshot-en.png"
  exit 0
fi
exec node scripts/serve_page.mjs build/web/site "${SPINDRA_WEB_PORT:-8080}"
