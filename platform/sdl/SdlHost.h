// The desktop host on SDL2: window, frame buffer and its presentation, input,
// the sound device, and the main loop around the game's entry points.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/HostLoop.h"
#include "platform/HostOptions.h"
#include "platform/HostSettings.h"

struct SdlHostSettings {
    bool windowed = false;
    i32 windowW = 800;  // the window's size (also the one full screen returns to)
    i32 windowH = 600;
    bool smooth = false;  // fill the window instead of whole multiples of the picture
    bool sound = true;
    bool pauseOnFocusLoss = false;
    std::string screenshotFolder;  // F12 saves PNG files here (created when needed)
    // When set, receives at the end what is to be remembered: window or full
    // screen, the window's size, and the game's Options switches.
    DesktopSettings* remember = nullptr;
    std::string dataFolder;
    std::vector<std::string> dataFoldersSearched;  // named when Data.lib is missing
    std::string saveFolder;
    bool singleInstance = true;  // off for the self-test, which may run beside the game
    // Self-test: after the loop, read the window's picture back and compare it
    // with the expected 800 x 600 picture (rows of 800 pixels; the frame
    // buffer when not given), in a window, where it is shown unscaled.
    bool verifyPresentation = false;
    std::function<const u16*()> expectedPicture;
    // The demo: called between frames with whether a key or mouse button was
    // pressed since the last call; returns the keys the bot holds for the next
    // frame (kDemoUp ... kDemoSpace), or kDemoOver once the demo has ended.
    std::function<u32(bool pressed)> demo;
};

enum : u32 { kDemoUp = 1, kDemoDown = 2, kDemoLeft = 4, kDemoRight = 8, kDemoSpace = 16,
             kDemoOver = 0x80000000u };

// Runs start-up, the loop and shutdown; returns the process exit status:
// 0 after a normal end (or when another copy runs and was raised), 1 when
// the window or the game could not start (the reason is on standard error).
int RunSdlHost(const SdlHostSettings& settings, const GameEntryPoints& game);
