#!/usr/bin/env bash
# Sets up, builds and runs every test of Brettspalt. The exit status is the verdict.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps

jobs=$(nproc 2>/dev/null || echo 2)
build=${BRETTSPALT_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$jobs"

# Two slow suites run beside the main tests, each with its own log:
# - scripts/test-sanitized builds build-asan (clang, ASan + UBSan) and runs the
#   sanitized tests, fuzz regressions, damaged data, killed saves and the soak;
# - scripts/test-web builds the browser version and drives it in Chromium
#   (it mostly waits on the browser and the game's real-time play).
BRETTSPALT_DATA_DIR="$build/data" ./scripts/test-sanitized > build-asan.log 2>&1 &
sanitized=$!
web_log=$(mktemp)
BRETTSPALT_BUILD_DIR=$build ./scripts/test-web >"$web_log" 2>&1 &
web_pid=$!

status=0
ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@" || status=$?

if ! wait "$web_pid"; then
  echo "test.sh: the browser tests FAILED" >&2
  status=1
fi
echo "---- browser build and tests (scripts/test-web) ----"
cat "$web_log"
rm -f "$web_log"
if ! wait "$sanitized"; then
  tail -n 80 build-asan.log
  echo "test.sh: the sanitizer tests FAILED (build-asan.log)" >&2
  status=1
fi
echo "---- sanitizer build and tests (scripts/test-sanitized, build-asan.log) ----"
tail -n 3 build-asan.log
exit "$status"
