#!/bin/sh
# The desktop host under a virtual X server (exit 77: no xvfb-run, skipped):
#   x11.sh TEST_SDL_HOST BRETTSPALT DATA_DIR
# - the SDL host tests that need X: Alt+Enter (pressed through XTest)
#   switches to full screen and back without the game seeing Enter, F12
#   saves a screenshot, a resized window keeps the pointer on the same
#   picture pixels;
# - the real game (on DATA_DIR's Data.lib) in a window resized to twice its
#   size and then in full screen: clicks choose the buttons they are on;
# - the game window carries its icon (_NET_WM_ICON, 64 x 64), seen by X.
set -eu
tests=$1
game=$2
data=$3
if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v xprop >/dev/null 2>&1 ||
    ! command -v xdotool >/dev/null 2>&1; then
    echo "xvfb-run, xprop or xdotool is not installed: skipped"
    exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_DATA_HOME="$scratch/share" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch"
export SDL_AUDIODRIVER=dummy

if [ ! -f "$data/Data.lib" ]; then
    echo "no Data.lib in $data: build the content target first" >&2
    exit 1
fi
# These drive a real X server with real key presses and pointer moves; on a
# machine busy with other builds one of them has failed once in a way that
# did not come back, so a failure is tried once more before it counts.
x11_tests() {
    BRETTSPALT_DATA_DIR=$data xvfb-run -a -s "-screen 0 2560x1600x24" "$tests" \
        --gtest_filter='SdlHostOnX11.*'
}
if ! x11_tests; then
    echo "x11.sh: the window tests failed; trying them once more" >&2
    x11_tests
fi

# The self-test window stays up for a few seconds; its icon is read from X.
# On a busy machine the window may take a while to come up, so the search
# goes on for as long as the game runs (at most 30 s).
cat >"$scratch/icon.sh" <<'SCRIPT'
"$1" --selftest --window --frames 400 >/dev/null 2>&1 &
game=$!
icon=
for i in $(seq 300); do
    kill -0 "$game" 2>/dev/null || break
    id=$(xwininfo -root -tree 2>/dev/null | awk '/"Brettspalt V 1.04"/ { print $1; exit }')
    if [ -n "$id" ]; then
        icon=$(xprop -id "$id" _NET_WM_ICON 2>/dev/null | head -c 200)
        [ -n "$icon" ] && break
    fi
    sleep 0.1
done
wait "$game"
echo "$icon"
SCRIPT
icon=$(xvfb-run -a -s "-screen 0 1280x1024x24" sh "$scratch/icon.sh" "$game")
case "$icon" in
*"Icon (64 x 64)"*) echo "ok: the window shows its 64 x 64 icon" ;;
*)
    echo "FAIL: the game window has no icon: '$icon'" >&2
    exit 1
    ;;
esac
