// The browser host: everything the game needs from a web page, on
// Emscripten's html5.h and a few lines of JavaScript (page.js).
//
// Needs: WebAssembly; optionally Web Audio. The page fetches Data.lib into
// the in-memory file system (/data) and keeps HiScore.dat in IndexedDB
// (/save, IDBFS) before it calls web_start; then requestAnimationFrame calls
// web_pass, one pass of the host loop each time (16 ms ticks, at most one
// frame a pass). Keys, mouse and typed text arrive through html5.h callbacks
// between passes. A game loop that waits for a key to come up polls the live
// state inside a frame; after many polls in one pass the host sleeps a
// millisecond through Asyncify, so the browser can deliver the key-up.
// Limits: one game per page; the game's floating-point arithmetic rounds to
// nearest, as WebAssembly always does (docs/host.md).
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <array>
#include <cfenv>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "game/Game.h"
#include "game/GameGlobals.h"
#include "platform/CodePage.h"
#include "platform/FileServices.h"
#include "platform/HeadlessRunner.h"
#include "platform/HostInput.h"
#include "platform/HostLoop.h"
#include "platform/Mixer.h"
#include "platform/OggDecoder.h"
#include "platform/PlatformServices.h"
#include "platform/Random.h"
#include "platform/ScreenFont.h"
#include "platform/ScriptedPlatform.h"

namespace {

constexpr i32 kScreenWidth = 800;
constexpr i32 kScreenHeight = 600;
constexpr char kDataFolder[] = "/data";
constexpr char kSaveFolder[] = "/save";
constexpr char kCanvas[] = "#screen";
constexpr u32 kBeepHz = 400;
constexpr u32 kBeepMs = 4;
// Polls of the key and button state within one pass before the host lets
// the browser deliver events (a wait for a key to come up). A frame of the
// name entry asks about every character once, a few hundred polls.
constexpr int kPollsBeforeYield = 2000;

// ---- The few lines of JavaScript -------------------------------------------------

// clang-format off
EM_JS(double, JsNowMs, (), { return performance.timeOrigin + performance.now(); });
EM_JS(void, JsPutRows, (const void* rgba, int first, int rows), {
    var canvas = document.getElementById("screen");
    var context = canvas.brettspaltContext ||
                  (canvas.brettspaltContext = canvas.getContext("2d", {alpha: false}));
    var bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, 800 * 600 * 4);
    context.putImageData(new ImageData(bytes, 800, 600), 0, 0, 0, first, 800, rows);
});
EM_JS(void, JsFirstFrame, (), { Module.brettspaltFirstFrame(); });
EM_JS(int, IsDocumentHidden, (), { return document.hidden ? 1 : 0; });
EM_JS(void, JsSetCursor, (int shown), {
    document.getElementById("screen").style.cursor = shown ? "default" : "none";
});
EM_JS(void, JsCanvasRect, (double* rect), {
    var r = document.getElementById("screen").getBoundingClientRect();
    HEAPF64[rect >> 3] = r.left;
    HEAPF64[(rect >> 3) + 1] = r.top;
    HEAPF64[(rect >> 3) + 2] = r.width;
    HEAPF64[(rect >> 3) + 3] = r.height;
});
EM_JS(void, JsAlert, (const char* caption, const char* text), {
    alert(UTF8ToString(caption) + "\n\n" + UTF8ToString(text));
});
EM_JS(int, JsOpen, (const char* target), {
    return window.open(UTF8ToString(target), "_blank") ? 1 : 0;
});
EM_JS(void, JsSaveChanged, (), { Module.brettspaltSaveChanged(); });
EM_JS(void, JsToggleFullScreen, (), { Module.brettspaltToggleFullScreen(); });
// clang-format on

// ---- Keys --------------------------------------------------------------------

// The keys the game can ask about, by the browser's physical key code. The
// index is the host's key number.
constexpr const char* kCodes[] = {
    "KeyA",        "KeyB",         "KeyC",         "KeyD",       "KeyE",      "KeyF",
    "KeyG",        "KeyH",         "KeyI",         "KeyJ",       "KeyK",      "KeyL",
    "KeyM",        "KeyN",         "KeyO",         "KeyP",       "KeyQ",      "KeyR",
    "KeyS",        "KeyT",         "KeyU",         "KeyV",       "KeyW",      "KeyX",
    "KeyY",        "KeyZ",         "Digit0",       "Digit1",     "Digit2",    "Digit3",
    "Digit4",      "Digit5",       "Digit6",       "Digit7",     "Digit8",    "Digit9",
    "Minus",       "Equal",        "BracketLeft",  "BracketRight", "Backslash", "Semicolon",
    "Quote",       "Backquote",    "Comma",        "Period",     "Slash",     "IntlBackslash",
    "Space",       "Enter",        "Backspace",    "Tab",        "Escape",    "Pause",
    "ArrowUp",     "ArrowDown",    "ArrowLeft",    "ArrowRight", "F1",        "F2",
    "F3",          "F4",           "F5",           "F6",         "F7",        "F8",
    "F9",          "F10",          "F11",          "F12",        "ShiftLeft", "ShiftRight",
    "ControlLeft", "ControlRight", "AltLeft",      "AltRight"};
constexpr int kKeyCount = static_cast<int>(std::size(kCodes));
// The unshifted characters of the character keys (KeyA .. IntlBackslash) on
// a US layout, until the browser tells the real ones.
constexpr char kUsLabels[] = "abcdefghijklmnopqrstuvwxyz0123456789-=[]\\;'`,./";
constexpr int kLabelledKeys = 48;  // KeyA .. IntlBackslash

int KeyIndex(const char* code) {
    for (int i = 0; i < kKeyCount; ++i) {
        if (std::strcmp(kCodes[i], code) == 0) return i;
    }
    return -1;
}

const int kSpace = KeyIndex("Space");
const int kEnter = KeyIndex("Enter");
const int kBackspace = KeyIndex("Backspace");
const int kTab = KeyIndex("Tab");
const int kEscape = KeyIndex("Escape");
const int kPause = KeyIndex("Pause");
const int kUp = KeyIndex("ArrowUp");
const int kDown = KeyIndex("ArrowDown");
const int kLeft = KeyIndex("ArrowLeft");
const int kRight = KeyIndex("ArrowRight");
const int kF1 = KeyIndex("F1");
const int kF11 = KeyIndex("F11");
const int kF12 = KeyIndex("F12");
const int kShiftLeft = KeyIndex("ShiftLeft");
const int kShiftRight = KeyIndex("ShiftRight");
const int kControlLeft = KeyIndex("ControlLeft");
const int kControlRight = KeyIndex("ControlRight");
const int kAltLeft = KeyIndex("AltLeft");
const int kAltRight = KeyIndex("AltRight");

// The one code point of a key's text; 0 when it is not exactly one character.
u32 SingleCodePoint(const char* utf8) {
    const auto* s = reinterpret_cast<const unsigned char*>(utf8);
    if (s[0] == 0) return 0;
    u32 cp = 0;
    int length = 0;
    if (s[0] < 0x80) {
        cp = s[0];
        length = 1;
    } else if ((s[0] & 0xE0) == 0xC0) {
        cp = s[0] & 0x1F;
        length = 2;
    } else if ((s[0] & 0xF0) == 0xE0) {
        cp = s[0] & 0x0F;
        length = 3;
    } else if ((s[0] & 0xF8) == 0xF0) {
        cp = s[0] & 0x07;
        length = 4;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if ((s[i] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (s[i] & 0x3F);
    }
    return s[length] == 0 ? cp : 0;
}

// ---- The host -------------------------------------------------------------------

class WebPlatform final : public PlatformServices, public HostWindow, public HostClock {
public:
    WebPlatform() : files(this) {
        files.SetDataFolder(kDataFolder);
        files.SetSaveFolder(kSaveFolder);
        std::copy(std::begin(kUsLabels), std::begin(kUsLabels) + kLabelledKeys - 1,
                  labels.begin());
        BuildKeymap();
    }

    void OpenSound() { mixer.OpenDevice(); }
    void Mix(i16* out, int frames) { mixer.Mix(out, frames); }
    void BeginPass() { polls = 0; }

    // Input from the browser.
    bool OnKey(const EmscriptenKeyboardEvent& e, bool down);
    void OnMouseMove(const EmscriptenMouseEvent& e);
    void OnMouseButton(const EmscriptenMouseEvent& e, bool down);
    void OnBlur();
    // A hidden tab is the browser's minimised window: sound pauses, and the
    // first pass after it is shown again lets the missed ticks pass without
    // asking the game, as a restored window does.
    void OnVisible(bool visible) {
        if (visible) {
            mixer.HostResume();
        } else {
            mixer.HostPause();
            hidden = true;
        }
    }
    void EndPass() {
        if (hidden && !IsDocumentHidden()) {
            hidden = false;
            redrawNeeded = true;
            exposed = true;
        }
    }
    void LearnLabel(const char* code, u32 character);

    // HostClock
    u32 Now() override { return GetTimeMs(); }

    // HostWindow: the canvas is always there.
    bool FrameBufferValid() override { return true; }
    bool IsMinimised() override { return hidden; }
    bool RedrawNeeded() override { return redrawNeeded; }
    void ClearRedrawNeeded() override { redrawNeeded = false; }
    void PresentRows(u32 firstRow, u32 rows) override;
    void PresentAll() override { PresentRows(0, kScreenHeight); }
    void ShowWindow() override {
        JsFirstFrame();
        exposed = true;
    }
    // Input arrives through the callbacks; the only message is the repaint
    // of a canvas that has just appeared (or come back), as on a desktop.
    Messages ProcessMessages() override {
        Messages messages;
        messages.repaint = std::exchange(exposed, false);
        return messages;
    }
    void WaitForMessages(u32) override {}

    // Keys
    bool IsUpArrowPressed() override { return Held(kUp); }
    bool IsDownArrowPressed() override { return Held(kDown); }
    bool IsLeftArrowPressed() override { return Held(kLeft); }
    bool IsRightArrowPressed() override { return Held(kRight); }
    bool IsCharKeyPressed(char c) override {
        const HeldModifiers mods = Modifiers();
        return input.CharKeyPressed(static_cast<unsigned char>(c), mods,
                                    [this](int key) { return Held(key); });
    }
    bool IsFunctionKeyPressed(i32 n) override {
        if (n < 2 || n > 12) n = 1;
        return Held(kF1 + n - 1);
    }
    bool IsBackspacePressed() override { return Held(kBackspace); }
    bool IsEnterPressed() override { return Held(kEnter); }
    bool IsSpacePressed() override { return Held(kSpace); }
    bool GetDownArrowToggle() override { return input.Toggle(kDown); }
    bool GetUpArrowToggle() override { return input.Toggle(kUp); }
    bool IsEscapePressed() override { return Held(kEscape); }
    bool IsPausePressed() override { return Held(kPause); }
    bool GetCharKeyToggle(char c) override {
        return input.CharKeyToggle(static_cast<unsigned char>(c), Modifiers());
    }

    // Mouse
    bool IsLeftButtonPressed() override { return Poll(), buttons[0]; }
    bool IsRightButtonPressed() override { return Poll(), buttons[1]; }
    bool GetMousePosition(i32* x, i32* y) override;
    bool ShowMouseCursor(bool show) override {
        if (input.ChangeCursor(show)) JsSetCursor(show ? 1 : 0);
        return false;
    }

    // Frame buffer
    bool GetScreenRect(ScreenRect* r) override {
        *r = ScreenRect{0, 0, kScreenWidth, kScreenHeight};
        return true;
    }
    u16* GetScreenPixels() override { return pixels.data(); }
    i32 GetScreenPitch() override { return kScreenWidth * 2; }
    bool ClearScreen() override {
        std::fill(pixels.begin(), pixels.end(), 0);
        return true;
    }
    const std::vector<u16>& Pixels() const { return pixels; }

    // Random numbers
    void SeedRandom(u32 seed) override { Random::Seed(seed); }
    i32 GetRandomMax() override { return 32767; }
    i32 GetRandom(i32 n) override { return Random::Next() % std::min(std::max(n, 1), 32767); }
    i32 GetRandomBit() override { return Random::Next() & 1; }

    // Files: the shared file layer on Emscripten's file system. A file
    // written and closed is handed to IndexedDB at once.
    FileHandle FileOpen(const char* nameOrBase, u8 mode, u32 memorySize) override {
        const FileHandle h = files.Open(nameOrBase, mode, memorySize);
        if (h != kNoFile && memorySize == 0 && (mode & kFileWrite) != 0) writing.insert(h);
        return h;
    }
    bool FileClose(FileHandle h, bool isMemory) override {
        const bool ok = files.Close(h, isMemory);
        if (!isMemory && writing.erase(h) > 0) JsSaveChanged();
        return ok;
    }
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
    bool ShellOpen(const char* target) override {
        return target != nullptr && *target != 0 && JsOpen(target) != 0;
    }
    void DrawScreenText(i32 x, i32 y, const char* text, bool opaque) override {
        ScreenFont::DrawText(pixels.data(), kScreenWidth * 2, kScreenWidth, kScreenHeight, x, y,
                             text, opaque);
    }
    void PlayBeep() override { mixer.PlayTone(kBeepHz, kBeepMs); }
    void ShowMessage(const char* text, const char* caption) override {
        std::string body = Windows1252ToUtf8(text);
        body.erase(std::remove(body.begin(), body.end(), '\r'), body.end());
        JsAlert(Windows1252ToUtf8(caption).c_str(), body.c_str());
    }
    u32 GetTimeMs() override {
        // Milliseconds of the wall clock, wrapping: the start-up seed differs
        // from visit to visit.
        return static_cast<u32>(static_cast<std::uint64_t>(JsNowMs()));
    }

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
    // Every key and button query counts; a pass that polls on and on is
    // waiting for something to change, which only the browser can deliver.
    void Poll() {
        if (++polls > kPollsBeforeYield) emscripten_sleep(1);
    }
    bool Held(int key) {
        Poll();
        return key >= 0 && key < kKeyCount && held[key];
    }
    HeldModifiers Modifiers() {
        Poll();
        HeldModifiers mods;
        mods.shift = held[kShiftLeft] || held[kShiftRight];
        // AltGr counts as Ctrl and Alt on layouts that have it.
        const bool altGr = input.Keys().HasAltGr() && held[kAltRight];
        mods.ctrl = held[kControlLeft] || held[kControlRight] || altGr;
        mods.alt = held[kAltLeft] || held[kAltRight];
        return mods;
    }
    void BuildKeymap();

    FileServices files;
    HostInput input;
    Mixer mixer;  // one thread: the audio callback runs between passes
    std::vector<u16> pixels = std::vector<u16>(kScreenWidth * kScreenHeight, 0);
    std::vector<u32> rgba = std::vector<u32>(kScreenWidth * kScreenHeight, 0xFF000000u);
    std::array<bool, kKeyCount> held{};
    std::array<u32, kLabelledKeys> labels{};
    bool buttons[2] = {false, false};
    i32 mouseX = 0, mouseY = 0;
    bool mouseKnown = false;
    bool redrawNeeded = true;
    bool hidden = false;   // hidden since the last pass
    bool exposed = false;  // shown, to be painted once
    int polls = 0;
    std::set<FileHandle> writing;
};

void WebPlatform::BuildKeymap() {
    std::vector<Keymap::KeyLabel> keys;
    for (int i = 0; i < kLabelledKeys; ++i) {
        if (labels[i] >= 32) keys.push_back({i, labels[i]});
    }
    keys.push_back({kSpace, ' '});
    Keymap::ControlKeys controls;
    controls.backspace = kBackspace;
    controls.tab = kTab;
    controls.enter = kEnter;
    controls.escape = kEscape;
    input.Keys().Build(keys, controls);
}

void WebPlatform::LearnLabel(const char* code, u32 character) {
    const int key = KeyIndex(code);
    if (key < 0 || key >= kLabelledKeys || character < 32 || labels[key] == character) return;
    labels[key] = character;
    BuildKeymap();
}

bool WebPlatform::OnKey(const EmscriptenKeyboardEvent& e, bool down) {
    const int key = KeyIndex(e.code);
    if (down && key == kF11) {
        if (!e.repeat) JsToggleFullScreen();
        return true;
    }
    if (key >= 0) {
        if (down) {
            input.OnKeyDown(key, e.repeat);
            // A key pressed alone tells which character the layout puts on it.
            const u32 cp = SingleCodePoint(e.key);
            if (key < kLabelledKeys && !e.shiftKey && !e.ctrlKey && !e.altKey && !e.metaKey &&
                cp != 0) {
                LearnLabel(e.code, cp);
            }
        }
        held[key] = down;
    }
    if (down && !e.metaKey && (!e.ctrlKey || e.altKey)) {
        const u32 cp = SingleCodePoint(e.key);
        if (cp >= 32) input.OnTextTyped(e.key);
    }
    // The page keeps the browser's own shortcuts (Ctrl+R, Ctrl+W, F12, ...).
    if (key == kF12 || e.metaKey || (e.ctrlKey && !e.altKey)) return false;
    return key >= 0;
}

void WebPlatform::OnMouseMove(const EmscriptenMouseEvent& e) {
    // The canvas shows the frame buffer scaled; its rectangle on the page is
    // exactly the picture. Outside it the position goes on, unclamped.
    double rect[4];
    JsCanvasRect(rect);
    if (rect[2] <= 0 || rect[3] <= 0) return;
    mouseX = static_cast<i32>(std::floor((e.clientX - rect[0]) * kScreenWidth / rect[2]));
    mouseY = static_cast<i32>(std::floor((e.clientY - rect[1]) * kScreenHeight / rect[3]));
    mouseKnown = true;
}

void WebPlatform::OnMouseButton(const EmscriptenMouseEvent& e, bool down) {
    OnMouseMove(e);
    if (e.button == 0) buttons[0] = down;
    if (e.button == 2) buttons[1] = down;
}

void WebPlatform::OnBlur() {
    // Key-ups that happen elsewhere never reach the page.
    held.fill(false);
    buttons[0] = buttons[1] = false;
}

bool WebPlatform::GetMousePosition(i32* x, i32* y) {
    Poll();
    if (!mouseKnown) return false;
    *x = mouseX;
    *y = mouseY;
    return true;
}

void WebPlatform::PresentRows(u32 firstRow, u32 rows) {
    if (firstRow >= static_cast<u32>(kScreenHeight)) return;
    rows = std::min(rows, static_cast<u32>(kScreenHeight) - firstRow);
    if (rows == 0) return;
    // 16-bit pixels widened to the canvas's RGBA bytes (a little-endian u32
    // holds R in its lowest byte).
    for (u32 y = firstRow; y < firstRow + rows; ++y) {
        const u16* from = pixels.data() + static_cast<std::size_t>(y) * kScreenWidth;
        u32* to = rgba.data() + static_cast<std::size_t>(y) * kScreenWidth;
        for (i32 x = 0; x < kScreenWidth; ++x) {
            const u32 p = from[x];
            const u32 r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
            to[x] = 0xFF000000u | (((b << 3) | (b >> 2)) << 16) | (((g << 3) | (g >> 2)) << 8) |
                    ((r << 3) | (r >> 2));
        }
    }
    JsPutRows(rgba.data(), static_cast<int>(firstRow), static_cast<int>(rows));
}

bool WebPlatform::PlayWaveFileLooped(const char* path) {
    if (path == nullptr) return false;
    std::ifstream file(files.PathForReading(path), std::ios::binary);
    if (!file) return false;
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    if (bytes.size() > 0xFFFFFFFFu) return false;
    return mixer.PlayFileLooped(bytes.data(), static_cast<u32>(bytes.size()));
}

// ---- The page's game ---------------------------------------------------------------

GameEntryPoints RealGame() {
    return GameEntryPoints{GameInit, GameInitError, GameShutdown, GameIsRunning, GameFrame};
}

std::unique_ptr<WebPlatform> platform;
std::unique_ptr<HostLoop> loop;
bool inPass = false;
bool ended = false;

WebPlatform* Live() {
    return platform != nullptr && !ended ? platform.get() : nullptr;
}

EM_BOOL KeyDown(int, const EmscriptenKeyboardEvent* e, void*) {
    return Live() != nullptr && platform->OnKey(*e, true);
}
EM_BOOL KeyUp(int, const EmscriptenKeyboardEvent* e, void*) {
    return Live() != nullptr && platform->OnKey(*e, false);
}
EM_BOOL MouseMove(int, const EmscriptenMouseEvent* e, void*) {
    if (Live() != nullptr) platform->OnMouseMove(*e);
    return false;
}
EM_BOOL MouseDown(int, const EmscriptenMouseEvent* e, void*) {
    if (Live() != nullptr) platform->OnMouseButton(*e, true);
    return true;
}
EM_BOOL MouseUp(int, const EmscriptenMouseEvent* e, void*) {
    if (Live() != nullptr) platform->OnMouseButton(*e, false);
    return false;
}
EM_BOOL Blur(int, const EmscriptenFocusEvent*, void*) {
    if (Live() != nullptr) platform->OnBlur();
    return false;
}
EM_BOOL VisibilityChange(int, const EmscriptenVisibilityChangeEvent* e, void*) {
    if (Live() != nullptr) platform->OnVisible(!e->hidden);
    return false;
}

void ListenToTheBrowser() {
    const char* doc = EMSCRIPTEN_EVENT_TARGET_DOCUMENT;
    emscripten_set_keydown_callback(doc, nullptr, false, KeyDown);
    emscripten_set_keyup_callback(doc, nullptr, false, KeyUp);
    emscripten_set_mousemove_callback(doc, nullptr, false, MouseMove);
    emscripten_set_mousedown_callback(kCanvas, nullptr, false, MouseDown);
    emscripten_set_mouseup_callback(doc, nullptr, false, MouseUp);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, false, Blur);
    emscripten_set_visibilitychange_callback(nullptr, false, VisibilityChange);
}

std::string HexHash(const u16* pixels, std::size_t count) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < count; ++i) {
        hash = (hash ^ (pixels[i] & 0xFF)) * 0x100000001b3ull;
        hash = (hash ^ (pixels[i] >> 8)) * 0x100000001b3ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, hash);
    return text;
}

}  // namespace

extern "C" {

// Starts the game once Data.lib is in /data and the saved files in /save.
// Null when it runs; otherwise the reason it could not start.
EMSCRIPTEN_KEEPALIVE const char* web_start(int withSound) {
    static std::string error;
    if (platform != nullptr) return "the game runs already";
    platform = std::make_unique<WebPlatform>();
    platform->SeedRandom(platform->GetTimeMs());
    if (withSound != 0) platform->OpenSound();
    ListenToTheBrowser();
    if (!GameInit(platform.get())) {
        const char* reason = GameInitError();
        error = reason != nullptr && *reason != 0 ? reason : "reason unknown";
        ended = true;
        return error.c_str();
    }
    SetGameFloatingPointMode();  // has no effect in WebAssembly: it rounds to nearest
    loop = std::make_unique<HostLoop>(*platform, *platform, RealGame());
    loop->Begin();
    return nullptr;
}

// One pass of the host loop, for an animation frame. Once the game has
// ended it is shut down, and web_running says so. (The page must not read a
// result of web_pass: a pass that sleeps returns to it early.)
EMSCRIPTEN_KEEPALIVE void web_pass() {
    if (ended || loop == nullptr) return;
    // A frame that waits for a key sleeps through Asyncify; the animation
    // frames that come meanwhile find the pass still running.
    if (inPass) return;
    inPass = true;
    platform->BeginPass();
    const bool running = loop->RunPass();
    platform->EndPass();
    inPass = false;
    if (!running) {
        ended = true;
        GameShutdown();
    }
}

EMSCRIPTEN_KEEPALIVE int web_running() {
    return loop != nullptr && !ended ? 1 : 0;
}

// The audio callback: frames of interleaved 16-bit stereo at 44.1 kHz.
EMSCRIPTEN_KEEPALIVE void web_mix(i16* out, int frames) {
    if (platform != nullptr) {
        platform->Mix(out, frames);
    } else {
        std::fill(out, out + 2 * frames, 0);
    }
}

// The character the keyboard layout puts on a key (from the browser's layout
// map, when it has one).
EMSCRIPTEN_KEEPALIVE void web_layout_key(const char* code, const char* character) {
    const u32 cp = SingleCodePoint(character);
    if (platform != nullptr && cp != 0) platform->LearnLabel(code, cp);
}

// Read-outs for the page and its tests.
EMSCRIPTEN_KEEPALIVE int web_score() {
    return platform != nullptr ? gGame.score : 0;
}
EMSCRIPTEN_KEEPALIVE int web_screen_state() {
    return platform != nullptr ? gGame.screenState : -1;
}
EMSCRIPTEN_KEEPALIVE const char* web_frame_hash() {
    static std::string text;
    text = platform != nullptr ? HexHash(platform->Pixels().data(), platform->Pixels().size())
                               : std::string();
    return text.c_str();
}

// The headless mode: the game on the virtual clock of the in-memory
// platform, driven by an input script, exactly as `brettspalt --headless`.
// Returns what the desktop runner prints (hash lines and the end line),
// then "status N". Only for a page that does not run the game itself.
EMSCRIPTEN_KEEPALIVE const char* web_headless(const char* script, int seeded, u32 seed) {
    static std::string result;
    std::istringstream in(script);
    HeadlessRunner::Settings settings;
    std::string error;
    if (!ParseScript(in, &settings.script, &error)) {
        result = "script: " + error + "\nstatus 2\n";
        return result.c_str();
    }
    settings.seeded = seeded != 0;
    settings.seed = seed;
    settings.nearestRounding = true;
    std::ostringstream report;
    int status = 0;
    {
        ScriptedPlatform scripted(kDataFolder, "/headless-save");
        HeadlessRunner runner(scripted, RealGame(), std::move(settings), report);
        status = runner.Run();
        // Shown on the page's canvas when the run is over.
        if (scripted.GetScreenPixels() != nullptr) {
            platform = std::make_unique<WebPlatform>();
            ended = true;
            std::copy(scripted.GetScreenPixels(),
                      scripted.GetScreenPixels() + kScreenWidth * kScreenHeight,
                      platform->GetScreenPixels());
            platform->PresentAll();
        }
    }
    report << "status " << status << "\n";
    result = report.str();
    return result.c_str();
}

}  // extern "C"

int main() {
    // The page starts the game (web_start) once its files are in place.
    return 0;
}
