// The host's input state (see HostInput.h).
#include "platform/HostInput.h"

#include <algorithm>
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

int ControlCharacterOf(u32 key, bool ctrl, bool alt) {
    if (alt) return -1;
    switch (key) {
        case 8:
            return ctrl ? 127 : 8;
        case 9:
        case 27:
            return static_cast<int>(key);
        case 13:
            return ctrl ? 10 : 13;
        default:
            break;
    }
    if (!ctrl) return -1;
    if (key >= 'a' && key <= 'z') return static_cast<int>(key - 'a' + 1);
    if (key >= '[' && key <= ']') return static_cast<int>(key - '[' + 27);
    return -1;
}

PictureLayout LayoutPicture(i32 areaW, i32 areaH, i32 bufferW, i32 bufferH, bool smooth) {
    PictureLayout layout;
    if (areaW <= 0 || areaH <= 0 || bufferW <= 0 || bufferH <= 0) return layout;
    // Integer arithmetic, so the result does not depend on the game's
    // floating-point rounding.
    const i64 whole = std::min(areaW / bufferW, areaH / bufferH);
    i64 w = 0, h = 0;
    if (!smooth && whole >= 1) {
        w = whole * bufferW;
        h = whole * bufferH;
    } else if (i64(areaW) * bufferH <= i64(areaH) * bufferW) {
        // The picture fills the width and is centred in the height.
        w = areaW;
        h = i64(bufferH) * areaW / bufferW;
    } else {
        w = i64(bufferW) * areaH / bufferH;
        h = areaH;
    }
    layout.w = static_cast<i32>(std::max<i64>(w, 1));
    layout.h = static_cast<i32>(std::max<i64>(h, 1));
    layout.x = static_cast<i32>((areaW - layout.w) / 2);
    layout.y = static_cast<i32>((areaH - layout.h) / 2);
    return layout;
}

void WindowToFrameBuffer(i32 areaX, i32 areaY, const PictureLayout& layout, i32 bufferW,
                         i32 bufferH, i32* x, i32* y) {
    if (layout.w <= 0 || layout.h <= 0) {
        *x = areaX;
        *y = areaY;
        return;
    }
    *x = static_cast<i32>(FloorDivide(i64(areaX - layout.x) * bufferW, layout.w));
    *y = static_cast<i32>(FloorDivide(i64(areaY - layout.y) * bufferH, layout.h));
}

void PointerMapper::SetPicture(i32 w, i32 h, bool smoothPicture) {
    bufferW = w;
    bufferH = h;
    smooth = smoothPicture;
}

void PointerMapper::SetFullScreen(bool on, const Box& display) {
    fullScreen = on;
    displayBox = display;
}

void PointerMapper::Map(i32 desktopX, i32 desktopY, i32* x, i32* y) const {
    const Box area = Area();
    WindowToFrameBuffer(desktopX - area.x, desktopY - area.y,
                        LayoutPicture(area.w, area.h, bufferW, bufferH, smooth), bufferW, bufferH,
                        x, y);
}

// ---- Gamepad ------------------------------------------------------------------

u32 PadInput::KeysOf(const PadState& s, bool nameEntry) {
    if (nameEntry) return s.start ? kPadEnter : 0u;
    u32 keys = 0;
    if (s.up || s.x || s.stickY <= -kStickThreshold) keys |= kPadUp;
    if (s.down || s.y || s.stickY >= kStickThreshold) keys |= kPadDown;
    if (s.left || s.stickX <= -kStickThreshold) keys |= kPadLeft;
    if (s.right || s.stickX >= kStickThreshold) keys |= kPadRight;
    if (s.a) keys |= kPadSpace | kPadEnter;
    if (s.b || s.start) keys |= kPadEscape;
    return keys;
}

u32 PadInput::Update(const PadState& s, u32 nowMs) {
    const bool nameEntry = NameEntry(nowMs);
    const u32 now = KeysOf(s, nameEntry);
    const u32 pressed = now & ~held;
    held = now;
    const bool up = s.up || s.stickY <= -kStickThreshold;
    const bool down = s.down || s.stickY >= kStickThreshold;
    if (nameEntry) {
        const bool stepUp = up && !previousUp, stepDown = down && !previousDown;
        if (stepUp || stepDown) {
            // The letter shown at the end of the name changes: delete it
            // and type the next one.
            if (candidate) Stroke(8, nowMs);
            letter = (letter + (stepUp ? kLetterCount - 1 : 1)) % kLetterCount;
            Stroke(kLetters[letter], nowMs);
            candidate = true;
        }
        if (s.a && !previous.a) {
            // Takes the letter shown; with none shown, types the current
            // letter once more.
            if (!candidate) Stroke(kLetters[letter], nowMs);
            candidate = false;
        }
        if (s.b && !previous.b) {
            Stroke(8, nowMs);
            candidate = false;
        }
    } else {
        candidate = false;
    }
    previous = s;
    previousUp = up;
    previousDown = down;
    return pressed;
}

void PadInput::Stroke(char c, u32 nowMs) {
    Advance(nowMs);
    if (strokes.empty()) strokeStart = nowMs;
    strokes.push_back(c);
}

void PadInput::Advance(u32 nowMs) {
    // Each stroke: held kStrokeMs, then released as long.
    while (!strokes.empty() && nowMs - strokeStart >= 2 * kStrokeMs) {
        strokes.pop_front();
        strokeStart += 2 * kStrokeMs;
    }
}

bool PadInput::Types(unsigned char c, u32 nowMs) {
    Advance(nowMs);
    return !strokes.empty() && static_cast<unsigned char>(strokes.front()) == c &&
           nowMs - strokeStart < kStrokeMs;
}
