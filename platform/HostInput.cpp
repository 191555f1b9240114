// The host's input state (see HostInput.h).
#include "platform/HostInput.h"

#include <cstdint>

using i64 = std::int64_t;

void HostInput::OnKeyDown(int key, bool repeat) {
    if (repeat || key < 0 || key >= kMaxKeys) return;
    toggles[key] = !toggles[key];
}

void HostInput::OnTextTyped(const char* utf8) {
    for (char c : Utf8ToWindows1252(utf8)) cheat.OnCharacter(static_cast<unsigned char>(c));
}

bool HostInput::ChangeCursor(bool show) {
    if (show == !cursorHidden) return false;
    cursorHidden = !show;
    return true;
}

namespace {

// Division rounding toward minus infinity, for positions left of or above
// the picture.
i64 FloorDivide(i64 a, i64 b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

void WindowToFrameBuffer(i32 windowX, i32 windowY, i32 windowW, i32 windowH, i32 bufferW,
                         i32 bufferH, i32* x, i32* y) {
    if (windowW <= 0 || windowH <= 0 || bufferW <= 0 || bufferH <= 0) {
        *x = windowX;
        *y = windowY;
        return;
    }
    // Integer arithmetic, so the result does not depend on the game's
    // floating-point rounding. The picture fills the window's width or its
    // height, whichever is reached first, and is centred in the other.
    i64 pictureW = windowW, pictureH = windowH;
    if (i64(windowW) * bufferH <= i64(windowH) * bufferW) {
        pictureH = i64(bufferH) * windowW / bufferW;
    } else {
        pictureW = i64(bufferW) * windowH / bufferH;
    }
    const i64 left = (windowW - pictureW) / 2;
    const i64 top = (windowH - pictureH) / 2;
    *x = static_cast<i32>(FloorDivide((windowX - left) * bufferW, pictureW));
    *y = static_cast<i32>(FloorDivide((windowY - top) * bufferH, pictureH));
}
