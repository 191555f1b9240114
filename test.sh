#!/usr/bin/env bash
# Sets up, builds and runs every test of Brettspalt. The exit status is the verdict.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps

jobs=$(nproc 2>/dev/null || echo 2)
build=${BRETTSPALT_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@"
