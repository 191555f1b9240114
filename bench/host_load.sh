#!/usr/bin/env bash
# Load of the real game on the SDL host: 20 s in the main menu and 20 s in a
# level, under a virtual X server (Xvfb) with the dummy sound driver. Reports
# the share of one processor core the game used in each phase and its peak
# resident memory. Goals: under 5 % (menu) and 10 % (level) of a core, under
# 150 MB.
#
#   bench/host_load.sh [BUILD_DIR] [--window]
#
# BUILD_DIR defaults to build/ and must hold brettspalt and data/Data.lib.
# Keys reach the game through the X test extension (python3 with libXtst);
# without them only the menu phase is measured.
set -euo pipefail

build=${1:-build}
shift || true
extra=("$@")
exe="$build/brettspalt"
data="$build/data"
seconds=20

if [ "${BRETTSPALT_HOST_LOAD_INNER:-}" != 1 ]; then
    [ -x "$exe" ] || { echo "host_load: $exe is missing; build first" >&2; exit 1; }
    [ -f "$data/Data.lib" ] || { echo "host_load: $data/Data.lib is missing; build content" >&2; exit 1; }
    command -v xvfb-run >/dev/null || { echo "host_load: xvfb-run is missing" >&2; exit 1; }
    export BRETTSPALT_HOST_LOAD_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x720x24" "$0" "$build" "${extra[@]}"
fi

scratch=$(mktemp -d)
trap 'kill "$game" 2>/dev/null || true; rm -rf "$scratch"' EXIT
export XDG_DATA_HOME="$scratch/share" XDG_RUNTIME_DIR="$scratch" SDL_AUDIODRIVER=dummy

# Presses and releases one key on the virtual display.
press() {
    python3 - "$1" <<'PY' 2>/dev/null || return 1
import ctypes, sys, time
x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
display = x11.XOpenDisplay(None)
if not display:
    sys.exit(1)
code = x11.XKeysymToKeycode(ctypes.c_void_p(display), ctypes.c_ulong(int(sys.argv[1], 16)))
for down in (1, 0):
    xtst.XTestFakeKeyEvent(ctypes.c_void_p(display), code, down, 0)
    x11.XFlush(ctypes.c_void_p(display))
    time.sleep(0.15)
x11.XCloseDisplay(ctypes.c_void_p(display))
PY
}

ticks() { awk '{ print $14 + $15 }' "/proc/$game/stat"; }
hz=$(getconf CLK_TCK)

measure() {  # measure NAME: the share of a core over $seconds seconds
    local before after
    before=$(ticks)
    sleep "$seconds"
    after=$(ticks)
    awk -v n="$1" -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
        'BEGIN { printf "%-6s %5.1f %% of one core\n", n, 100 * t / (hz * s) }'
}

"$exe" --data "$data" "${extra[@]}" >"$scratch/log" 2>&1 &
game=$!
sleep 3  # start-up: the library is mapped, the menu music decoded
measure menu

if press ff0d && sleep 1.5 && press ff0d; then  # Return: start game, first level
    sleep 4  # the level is set up and the get-ready screen passes
    press 20 >/dev/null || true  # a space bar tap: the saw starts once
    measure level
else
    echo "level  not measured: no way to send keys (python3 with libXtst)"
fi
awk '/VmHWM/ { printf "peak resident memory %.1f MB\n", $2 / 1024 }' "/proc/$game/status"
