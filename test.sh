#!/usr/bin/env bash
# Sets up, builds and runs every test of Brettspalt. The exit status is the verdict.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps

jobs=$(nproc 2>/dev/null || echo 2)
build=${BRETTSPALT_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs"

# --- Sanitizers, fuzz regressions, damaged data, killed saves, soak ---------
# scripts/test-sanitized builds build-asan (clang, ASan + UBSan) and runs its
# tests beside the main ones; its log goes to build-asan.log.
BRETTSPALT_DATA_DIR="$build/data" ./scripts/test-sanitized > build-asan.log 2>&1 &
sanitized=$!
status=0
ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@" || status=$?
if ! wait "$sanitized"; then
  tail -n 80 build-asan.log
  echo "test.sh: the sanitizer tests failed (build-asan.log)" >&2
  status=1
fi
tail -n 3 build-asan.log
exit "$status"
