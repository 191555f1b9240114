// The SDL2 host: everything the game needs from a Linux desktop.
//
// Needs: SDL2 (video, events, audio), a display (X11 or Wayland) and
// optionally a sound device. The window shows an 800 x 600 frame buffer of
// 16-bit pixels (red 10-14, green 5-9, blue 0-4); full screen is the
// desktop's own resolution with the picture scaled to fit and letterboxed,
// so the display mode never changes.
// Limits: one window, one thread for the game; the sound device pulls its
// samples on SDL's audio thread from the mixer, under the device lock.
//
// Presentation: the rows the game reports as changed are widened to 8 bits
// per channel here and uploaded into a streaming XRGB8888 texture, the
// format every renderer takes without converting it again. Where the only GL
// driver emulates a graphics card on the processor, the rows are drawn
// straight into the window's surface instead (SurfacePresenter).
#include "platform/sdl/SdlHost.h"

#include <SDL.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/CodePage.h"
#include "platform/FileServices.h"
#include "platform/HostInput.h"
#include "platform/Mixer.h"
#include "platform/OggDecoder.h"
#include "platform/PlatformServices.h"
#include "platform/PngWriter.h"
#include "platform/Random.h"
#include "platform/ScreenFont.h"
#include "platform/SingleInstance.h"
#include "platform/sdl/SurfacePresenter.h"
#include "platform/sdl/WindowIcon.h"

namespace {

constexpr char kWindowTitle[] = "Brettspalt V 1.04";
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kWindowX = 100;
constexpr int kWindowY = 70;
constexpr char kModeErrorCaption[] = "Fehler / Problem";
// Windows-1252, as the game's texts are.
constexpr char kModeErrorText[] =
    "Die Aufl\xF6sung kann nicht umgestellt werden!\r\nProgramm startet im Fenstermodus.\r\n"
    "Error while changing screen resolution!\r\nWindow mode enabled.\r\n";
constexpr u32 kBeepHz = 400;
constexpr u32 kBeepMs = 4;

// Message boxes of the desktop break lines at LF alone.
std::string ForDesktop(const char* windows1252) {
    std::string text = Windows1252ToUtf8(windows1252);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// ---- Frame buffer ------------------------------------------------------------

struct FrameBuffer {
    std::vector<u16> pixels;
    i32 width = 0;
    i32 height = 0;
    i32 pitchBytes = 0;

    void Create(i32 w, i32 h) {
        width = std::max(w, 1);
        height = std::max(h, 1);
        pitchBytes = (2 * width + 3) & ~3;  // rows padded to 4 bytes
        pixels.assign(static_cast<std::size_t>(pitchBytes / 2) * height, 0);
    }
};

// Whether a GL renderer runs on a driver that rasterises on the processor
// (llvmpipe, softpipe): then drawing into the window's surface ourselves does
// the same work for a fraction of the cost. A renderer named by
// SDL_RENDER_DRIVER is kept.
bool EmulatedGraphicsCard(SDL_Renderer* renderer) {
    if (SDL_GetHint(SDL_HINT_RENDER_DRIVER) != nullptr) return false;
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || SDL_strncmp(info.name, "opengl", 6) != 0) {
        return false;
    }
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    if (getString == nullptr) return false;
    const unsigned char* name = getString(0x1F01);  // GL_RENDERER
    if (name == nullptr) return false;
    const char* text = reinterpret_cast<const char*>(name);
    return SDL_strstr(text, "llvmpipe") != nullptr || SDL_strstr(text, "softpipe") != nullptr ||
           SDL_strstr(text, "Software Rasterizer") != nullptr;
}

// ---- Sound device --------------------------------------------------------------

class AudioDeviceLock final : public Mixer::Lock {
public:
    void Acquire() override {
        if (device != 0) SDL_LockAudioDevice(device);
    }
    void Release() override {
        if (device != 0) SDL_UnlockAudioDevice(device);
    }
    SDL_AudioDeviceID device = 0;
};

void FillAudio(void* mixer, Uint8* stream, int bytes) {
    static_cast<Mixer*>(mixer)->Mix(reinterpret_cast<i16*>(stream),
                                    bytes / static_cast<int>(sizeof(i16) * Mixer::kOutputChannels));
}

// ---- The host ------------------------------------------------------------------

// The keys the host keeps for itself: Alt+Enter and F11 (full screen), F12
// (screenshot).
bool IsHostKey(const SDL_Keysym& key) {
    const bool enter = key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER;
    return (enter && (key.mod & KMOD_ALT) != 0) || key.sym == SDLK_F11 || key.sym == SDLK_F12;
}

class SdlPlatform final : public PlatformServices, public HostWindow, public HostClock {
public:
    SdlPlatform(const SdlHostSettings& settings, const GameEntryPoints& game);
    ~SdlPlatform() override;

    // Start-up; false with the reason on standard error.
    bool OpenWindow(bool windowed);
    // What is to be remembered of the window after the run.
    void RememberWindow(DesktopSettings* remember);
    void OpenSound();
    void CloseSound();
    void SetWindowAlive(bool alive) { windowAlive = alive; }
    void SetInstance(SingleInstance* instance) { single = instance; }
    // False when the window does not show exactly the expected 800 x 600
    // picture (by default the frame buffer).
    bool PresentationMatches(const u16* expected, i32 expectedPitchPixels);

    // HostClock
    u32 Now() override { return GetTimeMs(); }

    // HostWindow
    bool FrameBufferValid() override { return windowAlive && !screen.pixels.empty(); }
    bool IsMinimised() override { return minimised; }
    bool RedrawNeeded() override { return redrawNeeded; }
    void ClearRedrawNeeded() override { redrawNeeded = false; }
    void PresentRows(u32 firstRow, u32 rows) override;
    void PresentAll() override;
    void ShowWindow() override;
    Messages ProcessMessages() override;
    void WaitForMessages(u32 ms) override;

    // PlatformServices: keys
    bool IsUpArrowPressed() override { return Demo(kDemoUp) || Held(SDL_SCANCODE_UP); }
    bool IsDownArrowPressed() override { return Demo(kDemoDown) || Held(SDL_SCANCODE_DOWN); }
    bool IsLeftArrowPressed() override { return Demo(kDemoLeft) || Held(SDL_SCANCODE_LEFT); }
    bool IsRightArrowPressed() override { return Demo(kDemoRight) || Held(SDL_SCANCODE_RIGHT); }
    bool IsCharKeyPressed(char c) override;
    bool IsFunctionKeyPressed(i32 n) override;
    // (The keys behind these queries may also be held by a gamepad; see Held.)
    bool IsBackspacePressed() override { return Held(SDL_SCANCODE_BACKSPACE); }
    bool IsEnterPressed() override { return Held(SDL_SCANCODE_RETURN); }
    bool IsSpacePressed() override { return Demo(kDemoSpace) || Held(SDL_SCANCODE_SPACE); }
    bool GetDownArrowToggle() override { return input.Toggle(SDL_SCANCODE_DOWN); }
    bool GetUpArrowToggle() override { return input.Toggle(SDL_SCANCODE_UP); }
    bool IsEscapePressed() override { return Held(SDL_SCANCODE_ESCAPE); }
    bool IsPausePressed() override { return Held(SDL_SCANCODE_PAUSE); }
    bool GetCharKeyToggle(char c) override;

    // Mouse
    bool IsLeftButtonPressed() override { return Buttons() & SDL_BUTTON_LMASK; }
    bool IsRightButtonPressed() override { return Buttons() & SDL_BUTTON_RMASK; }
    bool GetMousePosition(i32* x, i32* y) override;
    bool ShowMouseCursor(bool show) override;

    // Frame buffer
    bool GetScreenRect(ScreenRect* r) override;
    u16* GetScreenPixels() override { return FrameBufferValid() ? screen.pixels.data() : nullptr; }
    i32 GetScreenPitch() override { return FrameBufferValid() ? screen.pitchBytes : 0; }
    bool ClearScreen() override;

    // Random numbers
    void SeedRandom(u32 seed) override { Random::Seed(seed); }
    i32 GetRandomMax() override { return 32767; }
    i32 GetRandom(i32 n) override { return Random::Next() % std::min(std::max(n, 1), 32767); }
    i32 GetRandomBit() override { return Random::Next() & 1; }

    // Files
    FileHandle FileOpen(const char* nameOrBase, u8 mode, u32 memorySize) override {
        return files.Open(nameOrBase, mode, memorySize);
    }
    bool FileClose(FileHandle h, bool isMemory) override { return files.Close(h, isMemory); }
    i32 FileRead(FileHandle h, void* buffer, i32 count, bool isMemory) override {
        return files.Read(h, buffer, count, isMemory);
    }
    i32 FileWrite(FileHandle h, const void* buffer, u32 count, bool isMemory) override {
        return files.Write(h, buffer, count, isMemory);
    }
    bool FileSeek(FileHandle h, i32 offset, u32 origin, bool isMemory) override {
        return files.Seek(h, offset, origin, isMemory);
    }
    u32 FileGetSize(FileHandle h, bool isMemory) override { return files.GetSize(h, isMemory); }
    i32 FileTell(FileHandle h, bool isMemory) override { return files.Tell(h, isMemory); }
    const void* FileMap(const char* name) override { return files.Map(name); }
    bool FileUnmap(const void* view) override { return files.Unmap(view); }

    // Miscellaneous
    bool ShellOpen(const char* target) override;
    void DrawScreenText(i32 x, i32 y, const char* text, bool opaque) override;
    void PlayBeep() override { mixer.PlayTone(kBeepHz, kBeepMs); }
    void ShowMessage(const char* text, const char* caption) override;
    u32 GetTimeMs() override;

    // Sound
    bool PlayWaveFileLooped(const char* path) override;
    bool StopWaveFile() override { return mixer.StopFile(); }
    bool DecodeOggToWave(const void* ogg, i32 oggSize, void** wave, u32* waveSize) override {
        return ::DecodeOggToWave(ogg, oggSize, wave, waveSize);
    }
    bool SoundLoop(const void* wave, u32 waveSize, bool start) override {
        return mixer.Loop(wave, waveSize, start);
    }
    bool SoundPlay(const void* wave, u32 waveSize) override { return mixer.Play(wave, waveSize); }
    bool SoundPauseAll() override { return mixer.PauseAll(); }
    bool SoundResumeAll() override { return mixer.ResumeAll(); }
    bool SoundStopAll() override { return mixer.StopAll(); }
    bool SoundIsPaused() override { return mixer.IsPaused(); }

    bool IsCheatCodeEntered() override { return input.CheatEntered(); }

private:
    void PumpLive();
    bool Held(SDL_Scancode key);
    // A key the demo's bot holds.
    bool Demo(u32 key) const { return (demoKeys & key) != 0; }
    std::function<u32(bool)> demo;
    u32 demoKeys = 0;
    bool demoPressed = false;
    u32 Buttons();
    HeldModifiers Modifiers();
    void BuildKeymap();
    void RecreateFrameBuffer(i32 width, i32 height);
    void Upload(i32 firstRow, i32 rows);
    void Present(i32 firstRow, i32 rows);
    void OnFocus(bool gained);
    void ToggleFullScreen();
    void SaveScreenshot();
    void OpenPad(int deviceIndex);
    void ClosePad(SDL_JoystickID id);
    PadState ReadPads() const;
    void UpdatePointerArea();
    PictureLayout Layout(i32 areaW, i32 areaH) const {
        return LayoutPicture(areaW, areaH, kScreenWidth, kScreenHeight, smooth);
    }

    FileServices files;
    HostInput input;
    PointerMapper pointer;
    PadInput pad;
    u32 padLive = 0;  // the game's keys the pads hold, as last read
    u32 padSwallowed = 0;  // of those, the ones that ended the demo, until released
    std::vector<SDL_GameController*> pads;
    // Keys the host took for itself (Alt+Enter, F11, F12): the game does not
    // see them held until they are released. Marked by an event watch, which
    // runs while the events are pumped, so no query between the pump and the
    // handling of the event sees the key. The key that ends the demo is
    // marked too, when its event is handled.
    std::array<bool, SDL_NUM_SCANCODES> swallowed{};
    static int WatchHostKeys(void* platform, SDL_Event* event);
    GameEntryPoints game;
    bool smooth = false;
    bool pauseOnFocusLoss = false;
    std::string screenshotFolder;
    i32 windowW = kScreenWidth, windowH = kScreenHeight;  // the windowed size
    AudioDeviceLock audioLock;
    Mixer mixer{&audioLock};
    SingleInstance* single = nullptr;

    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    SurfacePresenter surfacePresenter;
    bool drawOnSurface = false;  // surfacePresenter shows the picture, no renderer
    FrameBuffer screen;
    bool fullScreen = false;
    bool softwareRenderer = false;  // keeps its picture between presents
    bool windowAlive = false;
    bool minimised = false;
    bool redrawNeeded = false;
    bool shown = false;
    u32 lastPumpMs = 0;
    bool pumpedOnce = false;
};

SdlPlatform::SdlPlatform(const SdlHostSettings& settings, const GameEntryPoints& entryPoints)
    : files(this),
      game(entryPoints),
      smooth(settings.smooth),
      pauseOnFocusLoss(settings.pauseOnFocusLoss),
      screenshotFolder(settings.screenshotFolder),
      windowW(std::max(settings.windowW, 1)),
      windowH(std::max(settings.windowH, 1)) {
    demo = settings.demo;
    files.SetDataFolder(settings.dataFolder);
    files.SetSaveFolder(settings.saveFolder);
    pointer.SetPicture(kScreenWidth, kScreenHeight, smooth);
    SDL_AddEventWatch(WatchHostKeys, this);
}

int SdlPlatform::WatchHostKeys(void* platform, SDL_Event* event) {
    auto* self = static_cast<SdlPlatform*>(platform);
    if (event->type == SDL_KEYDOWN && IsHostKey(event->key.keysym)) {
        self->swallowed[event->key.keysym.scancode] = true;
    } else if (event->type == SDL_KEYUP) {
        self->swallowed[event->key.keysym.scancode] = false;
    }
    return 1;
}

SdlPlatform::~SdlPlatform() {
    SDL_DelEventWatch(WatchHostKeys, this);
    CloseSound();
    for (SDL_GameController* controller : pads) SDL_GameControllerClose(controller);
    if (texture != nullptr) SDL_DestroyTexture(texture);
    if (renderer != nullptr) SDL_DestroyRenderer(renderer);
    if (window != nullptr) SDL_DestroyWindow(window);
}

// ---- Start-up --------------------------------------------------------------------

bool SdlPlatform::OpenWindow(bool windowed) {
    // Resizable: the picture is scaled into whatever size the player gives it.
    const Uint32 hidden = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
    // No larger than the desktop's usable area (a size remembered from a
    // larger screen, or a --scale too large for this one).
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0 &&
        (windowW > usable.w || windowH > usable.h)) {
        std::fprintf(stderr,
                     "brettspalt: a window of %d x %d does not fit the screen; %d x %d instead\n",
                     windowW, windowH, std::min(windowW, usable.w), std::min(windowH, usable.h));
        windowW = std::min(windowW, usable.w);
        windowH = std::min(windowH, usable.h);
    }
    // A window larger than 800 x 600 is centred, the usual place stays for
    // the usual size.
    const bool usualSize = windowW == kScreenWidth && windowH == kScreenHeight;
    const int left = usualSize ? kWindowX : static_cast<int>(SDL_WINDOWPOS_CENTERED);
    const int top = usualSize ? kWindowY : static_cast<int>(SDL_WINDOWPOS_CENTERED);
    if (!windowed) {
        // Created at the windowed size, which switching to a window returns to.
        window = SDL_CreateWindow(kWindowTitle, left, top, windowW, windowH,
                                  hidden | SDL_WINDOW_FULLSCREEN_DESKTOP);
        if (window == nullptr) {
            // The player is told, as ever, and gets a window instead.
            const std::string text = ForDesktop(kModeErrorText);
            if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, kModeErrorCaption, text.c_str(),
                                         nullptr) != 0) {
                std::fprintf(stderr, "%s\n%s", kModeErrorCaption, text.c_str());
            }
            windowed = true;
        }
    }
    if (windowed) {
        window = SDL_CreateWindow(kWindowTitle, left, top, windowW, windowH, hidden);
    }
    if (window == nullptr) {
        std::fprintf(stderr, "brettspalt: the game window could not be opened: %s\n",
                     SDL_GetError());
        return false;
    }
    fullScreen = !windowed;
    SDL_SetWindowMinimumSize(window, kScreenWidth / 4, kScreenHeight / 4);
    SetWindowIcon(window);
    UpdatePointerArea();

    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (renderer == nullptr || EmulatedGraphicsCard(renderer)) {
        // Drawing one picture a frame is cheaper done directly than through
        // a graphics card emulated on the processor (as under Xvfb): into
        // the window's own surface (not shown through GL again), only the
        // changed rows, scaled with nearest pixels.
        if (renderer != nullptr) SDL_DestroyRenderer(renderer);
        renderer = nullptr;
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        if (surfacePresenter.Begin(window, kScreenWidth, kScreenHeight, smooth)) {
            drawOnSurface = true;
            RecreateFrameBuffer(kScreenWidth, kScreenHeight);
            BuildKeymap();
            SDL_StartTextInput();
            return true;
        }
    }
    if (renderer == nullptr) {
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
        softwareRenderer = renderer != nullptr;
    }
    if (renderer == nullptr) {
        std::fprintf(stderr, "brettspalt: nothing can be drawn into the game window: %s\n",
                     SDL_GetError());
        return false;
    }
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) == 0 && SDL_strcmp(info.name, "software") == 0) {
        softwareRenderer = true;
    }
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                kScreenWidth, kScreenHeight);
    if (texture == nullptr) {
        std::fprintf(stderr, "brettspalt: the frame buffer could not be created: %s\n",
                     SDL_GetError());
        return false;
    }
    // Sharp pixels unless the picture is to fill the window smoothly.
    SDL_SetTextureScaleMode(texture, smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    RecreateFrameBuffer(kScreenWidth, kScreenHeight);
    BuildKeymap();
    SDL_StartTextInput();
    return true;
}

void SdlPlatform::RememberWindow(DesktopSettings* remember) {
    remember->fullScreen = fullScreen;
    if (!fullScreen && !minimised && window != nullptr) {
        SDL_GetWindowSize(window, &windowW, &windowH);
    }
    remember->windowW = windowW;
    remember->windowH = windowH;
}

void SdlPlatform::OpenSound() {
    // The dummy driver stands for "no sound device": every sound operation
    // then answers as it does without one.
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver == nullptr || SDL_strcmp(driver, "dummy") == 0) return;
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(Mixer::kOutputRate);
    want.format = AUDIO_S16SYS;
    want.channels = Mixer::kOutputChannels;
    want.samples = 1024;  // about 23 ms
    want.callback = FillAudio;
    want.userdata = &mixer;
    SDL_AudioSpec have;
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) return;  // no sound, as on a machine without a device
    audioLock.device = device;
    mixer.OpenDevice();
    SDL_PauseAudioDevice(device, 0);
}

void SdlPlatform::CloseSound() {
    if (audioLock.device == 0) return;
    mixer.CloseDevice();
    SDL_CloseAudioDevice(audioLock.device);
    audioLock.device = 0;
}

void SdlPlatform::BuildKeymap() {
    std::vector<Keymap::KeyLabel> keys;
    auto add = [&](SDL_Scancode scancode) {
        const SDL_Keycode key = SDL_GetKeyFromScancode(scancode);
        if (key >= 32 && (key & SDLK_SCANCODE_MASK) == 0) {
            keys.push_back({scancode, static_cast<u32>(key)});
        }
    };
    for (int s = SDL_SCANCODE_A; s <= SDL_SCANCODE_SLASH; ++s) add(static_cast<SDL_Scancode>(s));
    add(SDL_SCANCODE_NONUSBACKSLASH);
    add(SDL_SCANCODE_NONUSHASH);
    Keymap::ControlKeys controls;
    controls.backspace = SDL_SCANCODE_BACKSPACE;
    controls.tab = SDL_SCANCODE_TAB;
    controls.enter = SDL_SCANCODE_RETURN;
    controls.escape = SDL_SCANCODE_ESCAPE;
    input.Keys().Build(keys, controls);
}

// ---- Frame buffer and presentation ------------------------------------------------

void SdlPlatform::RecreateFrameBuffer(i32 width, i32 height) {
    screen.Create(width, height);
    redrawNeeded = true;
}

void SdlPlatform::Upload(i32 firstRow, i32 rows) {
    // The texture is always the full picture; a buffer of another size (the
    // minimised window's 1 x 1) is not shown.
    if (screen.width != kScreenWidth || screen.height != kScreenHeight) return;
    const SDL_Rect band{0, firstRow, kScreenWidth, rows};
    void* target = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture, &band, &target, &pitch) != 0) return;
    WidenRows(screen.pixels.data() + static_cast<std::size_t>(firstRow) * screen.pitchBytes / 2,
              screen.pitchBytes / 2, static_cast<Uint32*>(target), pitch / 4, kScreenWidth, rows);
    SDL_UnlockTexture(texture);
}

void SdlPlatform::Present(i32 firstRow, i32 rows) {
    int outputW = 0, outputH = 0;
    SDL_GetRendererOutputSize(renderer, &outputW, &outputH);
    const PictureLayout at = Layout(outputW, outputH);
    if (softwareRenderer && at.w == kScreenWidth && at.h == kScreenHeight && rows < kScreenHeight) {
        // Unscaled on the processor: the window keeps what it showed, so only
        // the changed rows are drawn again.
        const SDL_Rect band{0, firstRow, kScreenWidth, rows};
        const SDL_Rect target{at.x, at.y + firstRow, kScreenWidth, rows};
        SDL_RenderCopy(renderer, texture, &band, &target);
    } else {
        // The picture keeps its 4:3 shape on any desktop, with black bars.
        const SDL_Rect target{at.x, at.y, at.w, at.h};
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, &target);
    }
    SDL_RenderPresent(renderer);  // waits for the vertical blank (vsync)
}

void SdlPlatform::PresentRows(u32 firstRow, u32 rows) {
    if (!FrameBufferValid() || firstRow >= static_cast<u32>(screen.height)) return;
    rows = std::min(rows, static_cast<u32>(screen.height) - firstRow);
    if (rows == 0) return;
    if (drawOnSurface) {
        if (screen.width == kScreenWidth && screen.height == kScreenHeight) {
            surfacePresenter.Present(screen.pixels.data(), screen.pitchBytes / 2,
                                     static_cast<i32>(firstRow), static_cast<i32>(rows), false);
        }
        return;
    }
    Upload(static_cast<i32>(firstRow), static_cast<i32>(rows));
    Present(static_cast<i32>(firstRow), static_cast<i32>(rows));
}

void SdlPlatform::PresentAll() {
    if (!FrameBufferValid()) return;
    if (drawOnSurface) {
        if (screen.width == kScreenWidth && screen.height == kScreenHeight) {
            surfacePresenter.Present(screen.pixels.data(), screen.pitchBytes / 2, 0, screen.height,
                                     true);
        }
        return;
    }
    Upload(0, screen.height);
    Present(0, screen.height);
}

bool SdlPlatform::PresentationMatches(const u16* expected, i32 expectedPitchPixels) {
    if (!FrameBufferValid()) return true;
    if (drawOnSurface) return surfacePresenter.Matches(expected, expectedPitchPixels);
    int outputW = 0, outputH = 0;
    SDL_GetRendererOutputSize(renderer, &outputW, &outputH);
    const PictureLayout at = Layout(outputW, outputH);
    // Only an unscaled picture is compared.
    if (at.w != kScreenWidth || at.h != kScreenHeight) return true;
    const SDL_Rect all{at.x, at.y, kScreenWidth, kScreenHeight};
    if (!softwareRenderer) {
        // A GL back buffer is undefined after a present: draw the texture,
        // which holds what the bands built up, once more.
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, &all);
    }
    // The software renderer still holds what the last frames' bands built up.
    std::vector<Uint32> shown(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    if (SDL_RenderReadPixels(renderer, &all, SDL_PIXELFORMAT_ARGB8888, shown.data(),
                             kScreenWidth * 4) != 0) {
        std::fprintf(stderr, "self-test: the window cannot be read back: %s\n", SDL_GetError());
        return false;
    }
    SDL_RenderPresent(renderer);
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            const u16 p = expected[static_cast<std::size_t>(y) * expectedPitchPixels + x];
            const Uint32 q = shown[static_cast<std::size_t>(y) * kScreenWidth + x];
            // Compare the top five bits of each channel.
            const bool same = ((q >> 19) & 31) == ((p >> 10) & 31u) &&
                              ((q >> 11) & 31) == ((p >> 5) & 31u) && ((q >> 3) & 31) == (p & 31u);
            if (!same) {
                std::fprintf(stderr,
                             "self-test: pixel (%d, %d) is %06x in the window, %04x "
                             "expected\n",
                             x, y, q & 0xFFFFFF, p);
                return false;
            }
        }
    }
    return true;
}

void SdlPlatform::ShowWindow() {
    if (shown) return;
    shown = true;
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
}

bool SdlPlatform::GetScreenRect(ScreenRect* r) {
    if (!FrameBufferValid()) return false;
    *r = ScreenRect{0, 0, screen.width, screen.height};
    return true;
}

bool SdlPlatform::ClearScreen() {
    std::fill(screen.pixels.begin(), screen.pixels.end(), 0);
    return true;
}

void SdlPlatform::DrawScreenText(i32 x, i32 y, const char* text, bool opaque) {
    if (!FrameBufferValid()) return;
    ScreenFont::DrawText(screen.pixels.data(), screen.pitchBytes, screen.width, screen.height, x, y,
                         text, opaque);
}

// ---- Messages --------------------------------------------------------------------

void SdlPlatform::OnFocus(bool gained) {
    if (pauseOnFocusLoss) {
        // Asked for on the command line: the sound is muted while another
        // window has the focus, and a street being played is paused.
        if (gained) {
            mixer.HostResume();
        } else {
            mixer.HostPause();
            if (game.pause != nullptr) game.pause();
        }
    }
    UpdatePointerArea();
    // Only full screen gives way to other windows; a window just stays.
    if (!fullScreen) return;
    if (gained) {
        SDL_RestoreWindow(window);
        if (minimised) {
            minimised = false;
            RecreateFrameBuffer(kScreenWidth, kScreenHeight);
        }
        mixer.HostResume();
    } else {
        mixer.HostPause();
        SDL_MinimizeWindow(window);
    }
}

void SdlPlatform::UpdatePointerArea() {
    if (window == nullptr) return;
    // Full screen covers the display the window is on, whatever the window
    // reports while it is still being restored or switched.
    SDL_Rect display{0, 0, kScreenWidth, kScreenHeight};
    const int index = SDL_GetWindowDisplayIndex(window);
    if (index < 0 || SDL_GetDisplayBounds(index, &display) != 0) {
        SDL_GetWindowSize(window, &display.w, &display.h);
    }
    pointer.SetFullScreen(fullScreen, {display.x, display.y, display.w, display.h});
    PointerMapper::Box box;
    SDL_GetWindowPosition(window, &box.x, &box.y);
    SDL_GetWindowSize(window, &box.w, &box.h);
    pointer.SetWindow(box);
}

void SdlPlatform::ToggleFullScreen() {
    const bool on = !fullScreen;
    // The window's size, to come back to (in full screen it is the display's).
    if (on && !minimised) SDL_GetWindowSize(window, &windowW, &windowH);
    if (SDL_SetWindowFullscreen(window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        std::fprintf(stderr, "brettspalt: cannot switch to %s: %s\n",
                     on ? "full screen" : "a window", SDL_GetError());
        return;
    }
    fullScreen = on;
    if (!on) SDL_SetWindowSize(window, windowW, windowH);
    UpdatePointerArea();
    // The whole picture is drawn again into the new geometry.
    redrawNeeded = true;
}

void SdlPlatform::SaveScreenshot() {
    if (!FrameBufferValid() || screen.width != kScreenWidth || screen.height != kScreenHeight) return;
    std::string error;
    const std::string path = WriteScreenshot(screenshotFolder, screen.pixels.data(),
                                             screen.pitchBytes / 2, screen.width, screen.height,
                                             &error);
    if (path.empty()) {
        std::fprintf(stderr, "brettspalt: no screenshot: %s\n", error.c_str());
    } else {
        std::printf("Screenshot saved to %s\n", path.c_str());
        std::fflush(stdout);
    }
}

// ---- Gamepads ----------------------------------------------------------------------

void SdlPlatform::OpenPad(int deviceIndex) {
    if (!SDL_IsGameController(deviceIndex)) return;
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (controller == nullptr) return;
    if (std::find(pads.begin(), pads.end(), controller) == pads.end()) pads.push_back(controller);
}

void SdlPlatform::ClosePad(SDL_JoystickID id) {
    SDL_GameController* controller = SDL_GameControllerFromInstanceID(id);
    const auto it = std::find(pads.begin(), pads.end(), controller);
    if (controller == nullptr || it == pads.end()) return;
    pads.erase(it);
    SDL_GameControllerClose(controller);
}

// All pads together: a button counts when any pad holds it, the stick that
// is pushed furthest counts.
PadState SdlPlatform::ReadPads() const {
    PadState state;
    auto stronger = [](i32 a, i32 b) { return std::abs(b) > std::abs(a) ? b : a; };
    for (SDL_GameController* c : pads) {
        auto button = [c](SDL_GameControllerButton b) {
            return SDL_GameControllerGetButton(c, b) != 0;
        };
        state.a = state.a || button(SDL_CONTROLLER_BUTTON_A);
        state.b = state.b || button(SDL_CONTROLLER_BUTTON_B);
        state.x = state.x || button(SDL_CONTROLLER_BUTTON_X);
        state.y = state.y || button(SDL_CONTROLLER_BUTTON_Y);
        state.start = state.start || button(SDL_CONTROLLER_BUTTON_START);
        state.up = state.up || button(SDL_CONTROLLER_BUTTON_DPAD_UP);
        state.down = state.down || button(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
        state.left = state.left || button(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        state.right = state.right || button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        state.stickX = stronger(state.stickX, SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX));
        state.stickY = stronger(state.stickY, SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY));
    }
    return state;
}

// The keyboard key each of the pad's keys stands for.
constexpr struct {
    u32 padKey;
    SDL_Scancode key;
} kPadKeys[] = {
    {kPadUp, SDL_SCANCODE_UP},         {kPadDown, SDL_SCANCODE_DOWN},
    {kPadLeft, SDL_SCANCODE_LEFT},     {kPadRight, SDL_SCANCODE_RIGHT},
    {kPadSpace, SDL_SCANCODE_SPACE},   {kPadEnter, SDL_SCANCODE_RETURN},
    {kPadEscape, SDL_SCANCODE_ESCAPE},
};

HostWindow::Messages SdlPlatform::ProcessMessages() {
    Messages messages;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_QUIT:
                messages.quit = true;
                break;
            case SDL_KEYDOWN: {
                demoPressed = true;
                const SDL_Keysym& key = event.key.keysym;
                if (IsHostKey(key)) {
                    if (event.key.repeat != 0) break;
                    if (key.sym == SDLK_F12) {
                        SaveScreenshot();
                    } else {
                        ToggleFullScreen();
                        messages.repaint = true;
                    }
                    break;
                }
                if (demo) {
                    // The key that ends the demo is not the game's, nor is it
                    // while it stays held.
                    if (SDL_GetKeyboardState(nullptr)[key.scancode] != 0) {
                        swallowed[key.scancode] = true;
                    }
                    break;
                }
                input.OnKeyDown(key.scancode, event.key.repeat != 0);
                const u32 base = key.sym == SDLK_KP_ENTER ? 13u : static_cast<u32>(key.sym);
                const int control = ControlCharacterOf(base, (key.mod & KMOD_CTRL) != 0,
                                                       (key.mod & (KMOD_ALT | KMOD_MODE)) != 0);
                if (control >= 0) input.OnControlCharacter(static_cast<unsigned char>(control));
                break;
            }
            case SDL_CONTROLLERDEVICEADDED:
                OpenPad(event.cdevice.which);
                break;
            case SDL_CONTROLLERDEVICEREMOVED:
                ClosePad(event.cdevice.which);
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_CONTROLLERBUTTONDOWN:
                demoPressed = true;
                break;
            case SDL_TEXTINPUT:
                if (!demo) input.OnTextTyped(event.text.text);
                break;
            case SDL_KEYMAPCHANGED:
                BuildKeymap();
                break;
            case SDL_WINDOWEVENT:
                switch (event.window.event) {
                    case SDL_WINDOWEVENT_MINIMIZED:
                        // A minimised window keeps a 1 x 1 buffer, as the
                        // game has always seen it.
                        minimised = true;
                        RecreateFrameBuffer(1, 1);
                        break;
                    case SDL_WINDOWEVENT_RESTORED:
                    case SDL_WINDOWEVENT_SHOWN:
                    case SDL_WINDOWEVENT_MAXIMIZED:
                        if (minimised) {
                            minimised = false;
                            RecreateFrameBuffer(kScreenWidth, kScreenHeight);
                        }
                        messages.repaint = true;
                        break;
                    case SDL_WINDOWEVENT_EXPOSED:
                        messages.repaint = true;
                        break;
                    case SDL_WINDOWEVENT_MOVED:
                        UpdatePointerArea();
                        break;
                    case SDL_WINDOWEVENT_SIZE_CHANGED:
                    case SDL_WINDOWEVENT_DISPLAY_CHANGED:
                        UpdatePointerArea();
                        redrawNeeded = true;
                        messages.repaint = true;
                        break;
                    case SDL_WINDOWEVENT_FOCUS_GAINED:
                        OnFocus(true);
                        messages.repaint = true;
                        break;
                    case SDL_WINDOWEVENT_FOCUS_LOST:
                        OnFocus(false);
                        break;
                    case SDL_WINDOWEVENT_CLOSE:
                        messages.quit = true;
                        break;
                    default:
                        break;
                }
                break;
            default:
                break;
        }
    }
    // The pads' newly pressed keys flip the toggle bits of the keys they stand for.
    const PadState padState = pads.empty() ? PadState{} : ReadPads();
    const u32 pressed = pad.Update(padState, SDL_GetTicks());
    padSwallowed &= PadInput::KeysOf(padState, false);
    for (const auto& k : kPadKeys) {
        if ((pressed & k.padKey) != 0 && !demo) input.OnKeyDown(k.key, false);
    }
    if (pressed != 0) demoPressed = true;
    if (demo) {
        demoKeys = demo(std::exchange(demoPressed, false));
        if (demoKeys & kDemoOver) {
            demo = nullptr;
            demoKeys = 0;
            // The pad's keys that ended the demo are not the game's either.
            padSwallowed = PadInput::KeysOf(padState, false);
        }
    }
    if (single != nullptr && single->RaiseRequested()) {
        // A second start: come to the front.
        SDL_RestoreWindow(window);
        SDL_RaiseWindow(window);
    }
    return messages;
}

void SdlPlatform::WaitForMessages(u32 ms) {
    // Wakes early for input; the loop then finds no tick due and sleeps again.
    SDL_WaitEventTimeout(nullptr, static_cast<int>(std::min<u32>(ms, 1000)));
}

// ---- Keys and mouse ------------------------------------------------------------

// Key state is read live: the device state is brought up to date before every
// query, so a game loop waiting for a key to come up sees it come up. Once per
// millisecond is live enough and keeps a scan of all characters cheap.
void SdlPlatform::PumpLive() {
    const u32 now = SDL_GetTicks();
    if (pumpedOnce && now == lastPumpMs) return;
    pumpedOnce = true;
    lastPumpMs = now;
    SDL_PumpEvents();
    padLive = pads.empty() ? 0u : PadInput::KeysOf(ReadPads(), pad.NameEntry(now));
}

// A key counts as held when the keyboard holds it (and the host did not take
// it for itself) or a pad holds the key it stands for.
bool SdlPlatform::Held(SDL_Scancode key) {
    PumpLive();
    if (SDL_GetKeyboardState(nullptr)[key] != 0 && !swallowed[key]) return true;
    if (padLive == 0) return false;
    for (const auto& k : kPadKeys) {
        if (k.key == key) return (padLive & ~padSwallowed & k.padKey) != 0;
    }
    return false;
}

u32 SdlPlatform::Buttons() {
    PumpLive();
    return SDL_GetMouseState(nullptr, nullptr);
}

HeldModifiers SdlPlatform::Modifiers() {
    PumpLive();
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    HeldModifiers held;
    held.shift = keys[SDL_SCANCODE_LSHIFT] || keys[SDL_SCANCODE_RSHIFT];
    // AltGr counts as Ctrl and Alt on layouts that have it.
    const bool altGr =
        input.Keys().HasAltGr() && (keys[SDL_SCANCODE_RALT] || keys[SDL_SCANCODE_MODE]);
    held.ctrl = keys[SDL_SCANCODE_LCTRL] || keys[SDL_SCANCODE_RCTRL] || altGr;
    held.alt = keys[SDL_SCANCODE_LALT] || keys[SDL_SCANCODE_RALT] || altGr;
    return held;
}

bool SdlPlatform::IsCharKeyPressed(char c) {
    // Asked for characters: a name is being typed, and the pad types it.
    const u32 now = SDL_GetTicks();
    pad.NoteCharacterQuery(now);
    if (!pads.empty() && pad.Types(static_cast<unsigned char>(c), now)) return true;
    const HeldModifiers held = Modifiers();
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    return input.CharKeyPressed(static_cast<unsigned char>(c), held, [keys](int key) {
        return key >= 0 && key < SDL_NUM_SCANCODES && keys[key] != 0;
    });
}

bool SdlPlatform::GetCharKeyToggle(char c) {
    return input.CharKeyToggle(static_cast<unsigned char>(c), Modifiers());
}

bool SdlPlatform::IsFunctionKeyPressed(i32 n) {
    if (n < 2 || n > 12) n = 1;
    return Held(static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + n - 1));
}

bool SdlPlatform::GetMousePosition(i32* x, i32* y) {
    if (window == nullptr) return false;
    PumpLive();
    // The pointer's desktop position, mapped through the picture's place on
    // the display (full screen) or in the window. Outside the window it is
    // negative or beyond the picture's size as it is.
    int gx = 0, gy = 0;
    // A window is drawn at the size SDL knows now, also in the pass between
    // a resize and the handling of its event.
    if (!pointer.FullScreen()) UpdatePointerArea();
    if (!pointer.FullScreen() && SDL_GetMouseFocus() == window) {
        int wx = 0, wy = 0, left = 0, top = 0;
        SDL_GetMouseState(&wx, &wy);
        SDL_GetWindowPosition(window, &left, &top);
        gx = wx + left;
        gy = wy + top;
    } else {
        SDL_GetGlobalMouseState(&gx, &gy);
    }
    pointer.Map(gx, gy, x, y);
    return true;
}

bool SdlPlatform::ShowMouseCursor(bool show) {
    if (input.ChangeCursor(show)) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
    return false;
}

// ---- Miscellaneous ---------------------------------------------------------------

bool SdlPlatform::ShellOpen(const char* target) {
    // xdg-open through SDL, which starts it detached.
    return target != nullptr && *target != 0 && SDL_OpenURL(target) == 0;
}

void SdlPlatform::ShowMessage(const char* text, const char* caption) {
    const std::string body = ForDesktop(text);
    const std::string title = ForDesktop(caption);
    if (SDL_ShowSimpleMessageBox(0, title.c_str(), body.c_str(), window) != 0) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
    }
}

u32 SdlPlatform::GetTimeMs() {
    // Milliseconds since the machine started, as the game's clock always was;
    // it also makes the start-up seed differ from run to run.
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<u32>(static_cast<unsigned long long>(now.tv_sec) * 1000u +
                            static_cast<unsigned long long>(now.tv_nsec) / 1000000u);
}

bool SdlPlatform::PlayWaveFileLooped(const char* path) {
    if (path == nullptr) return false;
    std::ifstream file(files.PathForReading(path), std::ios::binary);
    if (!file) return false;
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    if (bytes.size() > 0xFFFFFFFFu) return false;
    return mixer.PlayFileLooped(bytes.data(), static_cast<u32>(bytes.size()));
}

}  // namespace

// ---- Start-up, loop, shutdown ------------------------------------------------------

int RunSdlHost(const SdlHostSettings& settings, const GameEntryPoints& game) {
    // One copy per user: a second start raises the first and ends.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    SingleInstance single(runtime != nullptr && runtime[0] == '/' ? runtime : "");
    if (settings.singleInstance && single.Acquire() == SingleInstance::Claim::AnotherRuns) {
        return 0;
    }

    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");  // the host decides
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    SDL_SetHint(SDL_HINT_APP_NAME, "Brettspalt");
    const bool driverChosen = std::getenv("SDL_VIDEODRIVER") != nullptr;
    const bool videoUp = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
    // Without a display SDL falls back to drawing off screen: a player would
    // see nothing at all. Only a driver asked for by name may do that.
    const char* driver = videoUp ? SDL_GetCurrentVideoDriver() : nullptr;
    const bool invisible =
        driver != nullptr && !driverChosen &&
        (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
    if (!videoUp || invisible) {
        std::fprintf(stderr,
                     "brettspalt: no display to open the game window on (%s).\n"
                     "Run it on a desktop, or use --headless for a run without a window.\n",
                     videoUp ? "neither X11 nor Wayland is available" : SDL_GetError());
        if (videoUp) SDL_Quit();
        return 1;
    }
    int status = 0;
    {
        SdlPlatform platform(settings, game);
        platform.SetInstance(settings.singleInstance ? &single : nullptr);
        platform.SeedRandom(platform.GetTimeMs());
        if (!platform.OpenWindow(settings.windowed)) {
            SDL_Quit();
            return 1;
        }
        platform.SetWindowAlive(true);
        if (settings.sound && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) platform.OpenSound();
        // Pads: those connected now arrive as "added" events, later ones too.
        if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
            std::fprintf(stderr, "brettspalt: no gamepad support: %s\n", SDL_GetError());
        }
        if (settings.remember != nullptr && game.setSwitches != nullptr) {
            game.setSwitches(settings.remember->soundEffects, settings.remember->music);
        }

        if (!game.init(&platform)) {
            const char* reason = game.initError != nullptr ? game.initError() : nullptr;
            std::fprintf(stderr, "brettspalt: the game could not start: %s\n",
                         reason != nullptr && *reason != 0 ? reason : "reason unknown");
            if (!settings.dataFoldersSearched.empty() && reason != nullptr &&
                std::strstr(reason, "Data.lib") != nullptr) {
                std::fprintf(stderr, "Data.lib was looked for in:");
                for (const std::string& folder : settings.dataFoldersSearched) {
                    std::fprintf(stderr, " %s", folder.c_str());
                }
                std::fprintf(stderr, "\n(use --data DIR to name the folder that holds it)\n");
            }
            status = 1;
        } else {
            SetGameFloatingPointMode();
            HostLoop loop(platform, platform, game);
            loop.Run();
            if (settings.verifyPresentation) {
                const u16* expected = settings.expectedPicture ? settings.expectedPicture()
                                                               : platform.GetScreenPixels();
                const i32 pitch =
                    settings.expectedPicture ? kScreenWidth : platform.GetScreenPitch() / 2;
                if (expected != nullptr && !platform.PresentationMatches(expected, pitch)) {
                    status = 1;
                }
            }

            if (settings.remember != nullptr) {
                platform.RememberWindow(settings.remember);
                if (game.getSwitches != nullptr) {
                    game.getSwitches(&settings.remember->soundEffects, &settings.remember->music);
                }
            }
            platform.SetWindowAlive(false);
            platform.CloseSound();
            game.shutdown();
        }
    }
    SDL_Quit();
    return status;
}
