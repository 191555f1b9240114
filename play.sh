#!/usr/bin/env bash
# Sets up, builds Brettspalt and our own Data.lib, and starts the game.
# Arguments pass through to the game (for example --window).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps

jobs=$(nproc 2>/dev/null || echo 2)
build=${BRETTSPALT_BUILD_DIR:-build}
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
