// The host's main loop: time in 16 ms ticks of the millisecond clock, the
// game asked once per elapsed tick whether it still runs, at most one frame
// drawn and shown per pass, the first frame shown before the window appears,
// nothing asked or drawn while the window is minimised. Plain C++ over a clock
// and a window interface, shared by the SDL host and the headless runner.
#pragma once

#include "platform/PlatformServices.h"

// The game's four entry points (and the reason of a failed start), so that
// hosts and tests can run the real game or a stand-in.
struct GameEntryPoints {
    bool (*init)(PlatformServices* platform);
    const char* (*initError)();
    bool (*shutdown)();
    bool (*isRunning)();
    u32 (*frame)(bool fullPresent);
    // Optional (null in stand-ins): the Options switches a desktop host
    // remembers, and the pause it may ask for when the window loses the focus.
    void (*setSwitches)(bool soundEffects, bool music) = nullptr;
    void (*getSwitches)(bool* soundEffects, bool* music) = nullptr;
    void (*pause)() = nullptr;
};

class HostClock {
public:
    // Milliseconds, wrapping at 2^32; only differences count.
    virtual u32 Now() = 0;
    virtual ~HostClock() = default;
};

// What the loop needs of the window and its frame buffer.
class HostWindow {
public:
    // Whether a frame buffer exists to draw into (while it does not, time is
    // not counted and made up once it is back).
    virtual bool FrameBufferValid() = 0;
    virtual bool IsMinimised() = 0;
    // The buffer was (re)created and has not been repainted since.
    virtual bool RedrawNeeded() = 0;
    virtual void ClearRedrawNeeded() = 0;
    // Waits for the display (vertical blank) and shows rows first ..
    // first + rows - 1 of the frame buffer; rows outside it are ignored.
    virtual void PresentRows(u32 firstRow, u32 rows) = 0;
    // Shows the whole frame buffer (a repaint).
    virtual void PresentAll() = 0;
    // Makes the window visible after its first frame.
    virtual void ShowWindow() = 0;

    struct Messages {
        bool quit = false;     // the window was closed
        bool repaint = false;  // the window's contents were lost and must be shown again
    };
    // Takes every waiting message and handles it.
    virtual Messages ProcessMessages() = 0;
    // Sleeps up to ms milliseconds or until a message arrives.
    virtual void WaitForMessages(u32 ms) = 0;

    virtual ~HostWindow() = default;
};

// Rounding toward zero for all game arithmetic, set before the loop starts.
void SetGameFloatingPointMode();

class HostLoop {
public:
    static constexpr u32 kTickMs = 16;

    HostLoop(HostClock& clock, HostWindow& window, const GameEntryPoints& game);

    // The last start-up step: T0 = now, S = 0, asks the game once whether it
    // runs, and arms the first-frame countdown.
    void Begin();
    // One pass of the loop: ticks, at most one frame, messages. False once
    // the loop is to end (the game quit or the window was closed).
    bool RunPass();
    // Instead of spinning: sleeps until the next tick boundary (or a message).
    void WaitForNextTick();
    // Begin, then passes and waits until the loop ends.
    void Run();

    // A repaint: the game draws a full frame if the buffer was re-created
    // since the last one, then the whole buffer is shown.
    void Repaint();

    u32 SimulatedMs() const { return simulated; }
    bool QuitRequested() const { return quit; }
    // Ticks counted in the last pass.
    u32 TicksLastPass() const { return ticksThisPass; }

private:
    void DrawFrame();

    HostClock& clock;
    HostWindow& window;
    GameEntryPoints game;
    u32 start = 0;      // T0
    u32 simulated = 0;  // S: milliseconds since T0 already covered by ticks
    bool quit = false;
    u32 ticksThisPass = 0;
    int firstFrameCountdown = 1;
};
