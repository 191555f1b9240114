#!/usr/bin/env bash
# Sets up, builds and runs every test of Brettspalt. The exit status is the verdict.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps

jobs=$(nproc 2>/dev/null || echo 2)
build=${BRETTSPALT_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$jobs"
# The browser build and its tests (scripts/test-web) run beside the unit
# tests: they mostly wait on Chromium and the game's real-time play.
web_log=$(mktemp)
BRETTSPALT_BUILD_DIR=$build ./scripts/test-web >"$web_log" 2>&1 &
web_pid=$!
ctest_status=0
ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@" || ctest_status=$?
web_status=0
wait "$web_pid" || web_status=$?
echo "---- browser build and tests (scripts/test-web) ----"
cat "$web_log"
rm -f "$web_log"
[ "$web_status" -eq 0 ] || echo "test.sh: the browser tests FAILED" >&2
[ "$ctest_status" -eq 0 ] && [ "$web_status" -eq 0 ]
