// The SDL host with a stand-in game that checks, frame by frame, what the
// game sees: a virtual gamepad plugged in, pressed and unplugged (SDL's dummy
// video driver is enough), and under a virtual X server the full-screen
// switch, the window icon and the pointer in a resized window.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "game/Game.h"
#include "game/GameGlobals.h"
#include "platform/HostInput.h"
#include "platform/sdl/SdlHost.h"
#include "ui/MenuButton.h"

namespace {

// The stand-in game: step n runs in the n-th frame; the game ends after the
// last one. Each step may change SDL's devices; the effect is looked at in a
// later step, after the host has taken the events.
struct Script {
    std::vector<std::function<void(PlatformServices&, bool fullPresent)>> steps;
    PlatformServices* platform = nullptr;
    std::size_t next = 0;
} script;

bool Init(PlatformServices* platform) {
    script.platform = platform;
    script.next = 0;
    return true;
}
const char* InitError() {
    return "";
}
bool Shutdown() {
    return true;
}
bool IsRunning() {
    return script.next < script.steps.size();
}
u32 Frame(bool fullPresent) {
    if (script.next < script.steps.size()) script.steps[script.next++](*script.platform, fullPresent);
    return 1;  // row 0: nothing to show
}

// The real game with the script's steps run before each of its frames.
bool RealInit(PlatformServices* platform) {
    script.platform = platform;
    script.next = 0;
    return GameInit(platform);
}
u32 RealFrame(bool fullPresent) {
    if (script.next < script.steps.size()) script.steps[script.next++](*script.platform, fullPresent);
    return GameFrame(fullPresent);
}

int RunHost(bool windowed, std::vector<std::function<void(PlatformServices&, bool)>> steps,
            const std::string& screenshots = "", const std::string& realGameData = "",
            std::function<u32(bool)> demo = {}) {
    script = Script{};
    script.steps = std::move(steps);
    SdlHostSettings settings;
    settings.demo = std::move(demo);
    if (!realGameData.empty()) {
        settings.dataFolder = realGameData;
        settings.windowed = windowed;
        settings.singleInstance = false;
        settings.sound = false;
        return RunSdlHost(settings, GameEntryPoints{RealInit, GameInitError, GameShutdown,
                                                    IsRunning, RealFrame});
    }
    settings.windowed = windowed;
    settings.singleInstance = false;
    settings.sound = false;
    settings.screenshotFolder = screenshots;
    return RunSdlHost(settings, GameEntryPoints{Init, InitError, Shutdown, IsRunning, Frame});
}

// Steps that do nothing for a few frames, for events to arrive.
void Wait(std::vector<std::function<void(PlatformServices&, bool)>>* steps, int frames) {
    for (int i = 0; i < frames; ++i) steps->push_back([](PlatformServices&, bool) {});
}

SDL_Window* GameWindow() {
    for (Uint32 id = 1; id < 16; ++id) {
        if (SDL_Window* w = SDL_GetWindowFromID(id)) return w;
    }
    return nullptr;
}

bool OnDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != 0;
}

// SDL's dummy video driver, and a virtual gamepad plugged in while the game
// runs; a window of the dummy driver never has the focus that pad events
// otherwise wait for.
void UseDummyDriver() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
}
std::function<void(PlatformServices&, bool)> PlugInPad(SDL_Joystick** joystick) {
    return [joystick](PlatformServices&, bool) {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Brettspalt test pad";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(index, 0) << SDL_GetError();
        *joystick = SDL_JoystickOpen(index);
        ASSERT_NE(nullptr, *joystick);
    };
}

TEST(SdlHost, GamepadActsThroughTheKeyQueriesAndToggles) {
    if (OnDisplay()) GTEST_SKIP() << "runs on the dummy video driver";
    UseDummyDriver();
    SDL_Joystick* joystick = nullptr;
    auto press = [&](SDL_GameControllerButton button, bool down) {
        return [&, button, down](PlatformServices&, bool) {
            SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0);
        };
    };
    struct Seen {
        bool space = false, enter = false, escape = false, up = false, down = false, left = false;
        bool upToggle = false, downToggle = false;
    };
    auto look = [](Seen* seen) {
        return [seen](PlatformServices& p, bool) {
            seen->space = p.IsSpacePressed();
            seen->enter = p.IsEnterPressed();
            seen->escape = p.IsEscapePressed();
            seen->up = p.IsUpArrowPressed();
            seen->down = p.IsDownArrowPressed();
            seen->left = p.IsLeftArrowPressed();
            seen->upToggle = p.GetUpArrowToggle();
            seen->downToggle = p.GetDownArrowToggle();
        };
    };
    Seen before, a, b, start, x, y, stick, unplugged;
    bool letterTyped = false;
    std::vector<std::function<void(PlatformServices&, bool)>> steps;
    steps.push_back(PlugInPad(&joystick));
    Wait(&steps, 3);
    steps.push_back(look(&before));
    steps.push_back(press(SDL_CONTROLLER_BUTTON_A, true));
    steps.push_back(look(&a));
    steps.push_back(press(SDL_CONTROLLER_BUTTON_A, false));
    steps.push_back(press(SDL_CONTROLLER_BUTTON_B, true));
    steps.push_back(look(&b));
    steps.push_back(press(SDL_CONTROLLER_BUTTON_B, false));
    steps.push_back(press(SDL_CONTROLLER_BUTTON_START, true));
    steps.push_back(look(&start));
    steps.push_back(press(SDL_CONTROLLER_BUTTON_START, false));
    steps.push_back(press(SDL_CONTROLLER_BUTTON_X, true));
    steps.push_back(look(&x));  // the toggle flips in the pass after the press
    steps.push_back(look(&x));
    steps.push_back(press(SDL_CONTROLLER_BUTTON_X, false));
    steps.push_back(press(SDL_CONTROLLER_BUTTON_Y, true));
    steps.push_back(look(&y));
    steps.push_back(look(&y));
    steps.push_back(press(SDL_CONTROLLER_BUTTON_Y, false));
    steps.push_back([&](PlatformServices&, bool) {
        SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    });
    steps.push_back(look(&stick));
    steps.push_back([&](PlatformServices&, bool) {
        SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, 0);
    });
    // A name is typed: the game scans the character keys every frame, and
    // d-pad down shows the letter after A.
    for (int i = 0; i < 3; ++i) {
        steps.push_back([](PlatformServices& p, bool) { p.IsCharKeyPressed(8); });
    }
    steps.push_back(press(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true));
    for (int i = 0; i < 4; ++i) {
        steps.push_back([&](PlatformServices& p, bool) {
            letterTyped = letterTyped || p.IsCharKeyPressed('B');
            EXPECT_FALSE(p.IsDownArrowPressed()) << "the d-pad types while a name is taken";
        });
    }
    steps.push_back(press(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false));
    Wait(&steps, 40);  // the name entry is over
    // Unplugged with A held: nothing stays held.
    steps.push_back(press(SDL_CONTROLLER_BUTTON_A, true));
    steps.push_back([&](PlatformServices&, bool) {
        SDL_JoystickClose(joystick);
        SDL_JoystickDetachVirtual(0);
    });
    Wait(&steps, 3);
    steps.push_back(look(&unplugged));

    ASSERT_EQ(0, RunHost(true, steps));

    EXPECT_FALSE(before.space || before.enter || before.escape || before.left);
    EXPECT_TRUE(a.space && a.enter) << "A saws and chooses";
    EXPECT_FALSE(a.escape);
    EXPECT_TRUE(b.escape && !b.space) << "B is Escape";
    EXPECT_TRUE(start.escape) << "Start pauses";
    EXPECT_TRUE(x.up && !x.down) << "X threatens (Up)";
    EXPECT_NE(before.upToggle, x.upToggle) << "the Up toggle flips with the pad";
    EXPECT_TRUE(y.down && !y.up) << "Y refills (Down)";
    EXPECT_NE(before.downToggle, y.downToggle);
    EXPECT_TRUE(stick.left) << "the stick is the cursor keys";
    EXPECT_TRUE(letterTyped) << "the pad types a name";
    EXPECT_FALSE(unplugged.space || unplugged.enter) << "an unplugged pad holds nothing";
}

// The key or button that ends the demo is not the game's: it flips no
// toggle and, held on, holds nothing. The next one is the game's again.
TEST(SdlHost, TheKeyThatEndsTheDemoIsNotTheGames) {
    if (OnDisplay()) GTEST_SKIP() << "runs on the dummy video driver";
    UseDummyDriver();
    bool ended = false;
    auto demo = [&](bool pressed) -> u32 {
        ended = ended || pressed;
        return pressed ? kDemoOver : kDemoDown;
    };
    auto pressUp = [](PlatformServices&, bool) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.state = SDL_PRESSED;
        event.key.keysym.scancode = SDL_SCANCODE_UP;
        event.key.keysym.sym = SDLK_UP;
        SDL_PushEvent(&event);
    };
    // A key on the keyboard.
    bool botHeldDown = false, upToggle = false, toggleAtEnd = false, toggleAfter = false;
    std::vector<std::function<void(PlatformServices&, bool)>> steps;
    Wait(&steps, 2);
    steps.push_back([&](PlatformServices& p, bool) {
        botHeldDown = p.IsDownArrowPressed();
        upToggle = p.GetUpArrowToggle();
    });
    steps.push_back(pressUp);
    Wait(&steps, 2);
    steps.push_back([&](PlatformServices& p, bool) {
        toggleAtEnd = p.GetUpArrowToggle();
        EXPECT_FALSE(p.IsDownArrowPressed()) << "the bot lets go when the demo ends";
    });
    steps.push_back(pressUp);
    Wait(&steps, 2);
    steps.push_back([&](PlatformServices& p, bool) { toggleAfter = p.GetUpArrowToggle(); });
    ASSERT_EQ(0, RunHost(true, steps, "", "", demo));
    EXPECT_TRUE(botHeldDown) << "the game sees the bot's keys";
    EXPECT_TRUE(ended);
    EXPECT_EQ(upToggle, toggleAtEnd) << "the key that ended the demo flipped the game's toggle";
    EXPECT_NE(upToggle, toggleAfter) << "the next press is the game's";

    // A button on a pad: A stands for Space and Enter.
    ended = false;
    SDL_Joystick* joystick = nullptr;
    bool heldAtEnd = true, heldAfter = false;
    steps.clear();
    steps.push_back(PlugInPad(&joystick));
    Wait(&steps, 3);
    steps.push_back([&](PlatformServices&, bool) {
        SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1);
    });
    Wait(&steps, 3);
    steps.push_back([&](PlatformServices& p, bool) {
        heldAtEnd = p.IsEnterPressed() || p.IsSpacePressed();
        SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 0);
    });
    Wait(&steps, 3);
    steps.push_back([&](PlatformServices&, bool) {
        SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1);
    });
    Wait(&steps, 3);
    steps.push_back([&](PlatformServices& p, bool) {
        heldAfter = p.IsEnterPressed();
        SDL_JoystickClose(joystick);
        SDL_JoystickDetachVirtual(0);
    });
    ASSERT_EQ(0, RunHost(true, steps, "", "", demo));
    EXPECT_TRUE(ended);
    EXPECT_FALSE(heldAtEnd) << "the button that ended the demo is held for the game";
    EXPECT_TRUE(heldAfter) << "the next press is the game's";
}

// Under a virtual X server (tests/desktop.cmake runs it in xvfb-run).
TEST(SdlHostOnX11, FullScreenSwitchAndPointerInAResizedWindow) {
    if (!OnDisplay()) GTEST_SKIP() << "needs an X server";
    unsetenv("SDL_VIDEODRIVER");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // Real key presses through the X server (XTest), so that SDL's keyboard
    // state holds them as it would a player's.
    auto keys = [](const char* what) {
        return [what](PlatformServices&, bool) {
            ASSERT_EQ(0, std::system((std::string("xdotool ") + what).c_str())) << what;
        };
    };
    const std::string shots = ::testing::TempDir() + "brettspalt-x11-shots";
    std::filesystem::remove_all(shots);
    bool fullAfterSwitch = false, windowAfterSwitchBack = false;
    bool enterDown = false, enterSeen = false;
    int fullPresents = 0;
    int windowW = 0, windowH = 0;
    std::vector<std::pair<i32, i32>> mapped;
    const std::vector<std::pair<int, int>> pixels = {{0, 0}, {400, 300}, {799, 599}, {123, 456}};
    std::vector<std::function<void(PlatformServices&, bool)>> steps;
    Wait(&steps, 5);
    // Without a window manager the keys go to the window under the pointer.
    steps.push_back([](PlatformServices&, bool) { SDL_WarpMouseInWindow(GameWindow(), 400, 300); });
    Wait(&steps, 5);
    steps.push_back(keys("keydown alt keydown Return"));
    for (int i = 0; i < 30; ++i) {
        steps.push_back([&](PlatformServices& p, bool full) {
            enterDown = enterDown || SDL_GetKeyboardState(nullptr)[SDL_SCANCODE_RETURN] != 0;
            enterSeen = enterSeen || p.IsEnterPressed();
            fullPresents += full ? 1 : 0;
            fullAfterSwitch = fullAfterSwitch ||
                              (SDL_GetWindowFlags(GameWindow()) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
                                  SDL_WINDOW_FULLSCREEN_DESKTOP;
        });
    }
    steps.push_back(keys("keyup Return keyup alt"));
    Wait(&steps, 5);
    steps.push_back(keys("key alt+Return"));
    Wait(&steps, 20);
    steps.push_back(keys("key F12"));
    Wait(&steps, 30);
    steps.push_back([&](PlatformServices&, bool) {
        windowAfterSwitchBack = (SDL_GetWindowFlags(GameWindow()) & SDL_WINDOW_FULLSCREEN) == 0;
        SDL_GetWindowSize(GameWindow(), &windowW, &windowH);
        // The player drags the window to twice its size.
        SDL_SetWindowSize(GameWindow(), 1600, 1200);
    });
    Wait(&steps, 30);
    for (const auto& [px, py] : pixels) {
        steps.push_back([&, px = px, py = py](PlatformServices&, bool) {
            // The middle of the picture pixel's 2 x 2 square of the window.
            SDL_WarpMouseInWindow(GameWindow(), 2 * px + 1, 2 * py + 1);
        });
        Wait(&steps, 5);
        steps.push_back([&](PlatformServices& p, bool) {
            i32 x = -1, y = -1;
            p.GetMousePosition(&x, &y);
            mapped.push_back({x, y});
        });
    }

    ASSERT_EQ(0, RunHost(true, steps, shots));
    int pngs = 0;
    if (std::filesystem::is_directory(shots)) {
        for (const auto& entry : std::filesystem::directory_iterator(shots)) {
            pngs += entry.path().extension() == ".png" ? 1 : 0;
        }
    }
    EXPECT_EQ(1, pngs) << "F12 saves one screenshot";
    std::filesystem::remove_all(shots);
    EXPECT_TRUE(fullAfterSwitch) << "Alt+Enter switches to full screen";
    EXPECT_TRUE(enterDown) << "the key really was down";
    EXPECT_FALSE(enterSeen) << "the game never sees the Enter of Alt+Enter";
    EXPECT_GE(fullPresents, 1) << "the game is told to draw everything after the switch";
    EXPECT_TRUE(windowAfterSwitchBack) << "and back to a window";
    EXPECT_EQ(800, windowW) << "at the window's own size";
    EXPECT_EQ(600, windowH);
    ASSERT_EQ(pixels.size(), mapped.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        EXPECT_EQ(pixels[i].first, mapped[i].first) << "pixel " << i;
        EXPECT_EQ(pixels[i].second, mapped[i].second) << "pixel " << i;
    }
}

// The real game in a window the player made twice as large, then in full
// screen: a click in the middle of a button (real pointer and button
// through XTest) chooses that button.
TEST(SdlHostOnX11, ClicksHitTheButtonsAfterAResizeAndInFullScreen) {
    if (!OnDisplay()) GTEST_SKIP() << "needs an X server";
    const char* data = std::getenv("BRETTSPALT_DATA_DIR");
    if (data == nullptr || *data == 0) GTEST_SKIP() << "BRETTSPALT_DATA_DIR names no Data.lib";
    unsetenv("SDL_VIDEODRIVER");
    auto keys = [](std::string what) {
        return [what](PlatformServices&, bool) {
            ASSERT_EQ(0, std::system(("xdotool " + what).c_str())) << what;
        };
    };
    // Held for a tenth of a second, in the background: the game waits in its
    // frame for the button to come up again.
    auto click = [](PlatformServices&, bool) {
        ASSERT_EQ(0, std::system("xdotool mousedown 1 sleep 0.1 mouseup 1 &"));
    };
    // The middle of button n's picture area on the desktop: from the picture
    // position through the layout the window or the display has now.
    auto pointAt = [](i32 n) {
        return [n](PlatformServices&, bool) {
            const MenuButton& button = Button(n);
            SDL_Window* window = GameWindow();
            const bool full = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
            SDL_Rect area{0, 0, 0, 0};
            if (full) {
                SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &area);
            } else {
                SDL_GetWindowPosition(window, &area.x, &area.y);
                SDL_GetWindowSize(window, &area.w, &area.h);
            }
            const PictureLayout at = LayoutPicture(area.w, area.h, 800, 600, false);
            const i32 px = button.x + 30, py = button.y + 16;
            SDL_WarpMouseGlobal(area.x + at.x + px * at.w / 800 + at.w / 1600,
                                area.y + at.y + py * at.h / 600 + at.h / 1200);
        };
    };
    i32 afterOptionsClick = -1, afterBackClick = -1;
    bool fullScreenWhenBack = false;
    std::vector<std::function<void(PlatformServices&, bool)>> steps;
    Wait(&steps, 60);  // the menu is up and its buttons placed
    steps.push_back([](PlatformServices&, bool) { SDL_SetWindowSize(GameWindow(), 1600, 1200); });
    Wait(&steps, 30);
    steps.push_back(pointAt(4));  // Options
    Wait(&steps, 10);
    steps.push_back(click);
    Wait(&steps, 30);
    steps.push_back([&](PlatformServices&, bool) { afterOptionsClick = gGame.screenState; });
    steps.push_back(keys("key alt+Return"));
    Wait(&steps, 40);
    steps.push_back(pointAt(8));  // back to the main menu
    Wait(&steps, 10);
    steps.push_back(click);
    Wait(&steps, 30);
    steps.push_back([&](PlatformServices&, bool) {
        afterBackClick = gGame.screenState;
        fullScreenWhenBack = (SDL_GetWindowFlags(GameWindow()) & SDL_WINDOW_FULLSCREEN) != 0;
    });

    ASSERT_EQ(0, RunHost(true, steps, "", data));
    EXPECT_EQ(Options, afterOptionsClick) << "the click in the resized window hit Options";
    EXPECT_TRUE(fullScreenWhenBack);
    EXPECT_EQ(MainMenu, afterBackClick) << "the click in full screen hit Back";
}

}  // namespace
