#!/usr/bin/env bash
# Sets up, builds Brettspalt and our own Data.lib, and starts the game.
# Arguments pass through to the game (for example --window).
#   ./play.sh --web [--port N]   builds the browser version into build-web/ and
#                                serves it on http://127.0.0.1:8080/
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps

jobs=$(nproc 2>/dev/null || echo 2)
build=${BRETTSPALT_BUILD_DIR:-build}
if [ "${1:-}" = "--web" ]; then
  # Data.lib comes from the desktop build's tools; build-web builds only those.
  shift
  BRETTSPALT_BUILD_DIR=$build ./scripts/build-web
  exec ./scripts/serve-web "$@"
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$jobs"

if [ ! -x "$build/brettspalt" ]; then
  echo "play.sh: the game executable is not built yet ($build/brettspalt is missing)." >&2
  exit 1
fi
if [ ! -f "$build/data/Data.lib" ]; then
  echo "play.sh: our own Data.lib has not been generated yet ($build/data/Data.lib is missing)." >&2
  exit 1
fi
exec "$build/brettspalt" --data "$build/data" "$@"
