// The stand-in game (see SelfTestGame.h).
#include "platform/SelfTestGame.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct SelfTestState {
    PlatformServices* platform = nullptr;
    long frameLimit = -1;
    long framesDrawn = 0;
    bool quit = false;
    std::vector<u16> expected;  // what the window should show, 800 x 600
} selfTest;

constexpr i32 kExpectedWidth = 800;
constexpr i32 kExpectedHeight = 600;

bool Init(PlatformServices* platform) {
    selfTest.platform = platform;
    selfTest.framesDrawn = 0;
    selfTest.quit = selfTest.frameLimit == 0;
    selfTest.expected.assign(static_cast<std::size_t>(kExpectedWidth) * kExpectedHeight, 0);
    ScreenRect rect;
    return platform->GetScreenRect(&rect) && rect.right > 0 && rect.bottom > 0;
}

const char* InitError() {
    return "the self-test has no frame buffer to draw into";
}

bool Shutdown() {
    selfTest.platform = nullptr;
    return true;
}

bool IsRunning() {
    return !selfTest.quit;
}

u32 Frame(bool fullPresent) {
    PlatformServices* p = selfTest.platform;
    ScreenRect rect;
    u16* pixels = p->GetScreenPixels();
    if (!p->GetScreenRect(&rect) || pixels == nullptr) return 1;
    const i32 pitch = p->GetScreenPitch() / 2;
    const long n = selfTest.framesDrawn++;
    // Bars of the 32 blue levels sliding right, one pixel per frame, in the
    // band of rows the game itself changes during play.
    const i32 top = fullPresent ? 0 : 80;
    const i32 bottom = fullPresent ? rect.bottom : rect.bottom - 80;
    for (i32 y = top; y < bottom; ++y) {
        u16* row = pixels + y * pitch;
        for (i32 x = 0; x < rect.right; ++x) {
            const u32 shade = static_cast<u32>((x + n) / 8) & 31;
            row[x] = static_cast<u16>((shade << 10) | ((y / 20) & 31) << 5 | (31 - shade));
        }
    }
    char line[96];
    std::snprintf(line, sizeof line, "Brettspalt self-test\nframe %ld", n);
    p->DrawScreenText(10, top + 10, line, true);
    if (n % 120 == 0) p->PlayBeep();
    if (n == 30) p->ShowMouseCursor(false);
    if (n == 60) p->ShowMouseCursor(true);
    // The rows the host is told about become what the window should show;
    // a pixel of a row outside them changes too but must not be shown.
    if (rect.right == kExpectedWidth && rect.bottom == kExpectedHeight) {
        for (i32 y = top; y < bottom; ++y) {
            std::copy(pixels + y * pitch, pixels + y * pitch + kExpectedWidth,
                      selfTest.expected.begin() + static_cast<std::size_t>(y) * kExpectedWidth);
        }
        if (!fullPresent) pixels[5 * pitch + n % kExpectedWidth] = 0x7C00;
    }
    if (p->IsEscapePressed()) selfTest.quit = true;
    if (selfTest.frameLimit >= 0 && selfTest.framesDrawn >= selfTest.frameLimit) {
        selfTest.quit = true;
    }
    return static_cast<u32>(bottom - top) << 16 | static_cast<u32>(top);
}

}  // namespace

GameEntryPoints SelfTestGame(long frames) {
    selfTest.frameLimit = frames;
    return GameEntryPoints{Init, InitError, Shutdown, IsRunning, Frame};
}

long SelfTestFramesDrawn() {
    return selfTest.framesDrawn;
}

const u16* SelfTestExpectedPicture() {
    return selfTest.expected.empty() ? nullptr : selfTest.expected.data();
}
