// The host's main loop (see HostLoop.h).
#include "platform/HostLoop.h"

#include <cfenv>

void SetGameFloatingPointMode() {
    std::fesetround(FE_TOWARDZERO);
}

HostLoop::HostLoop(HostClock& clock, HostWindow& window, const GameEntryPoints& game)
    : clock(clock), window(window), game(game) {}

void HostLoop::Begin() {
    start = clock.Now();
    simulated = 0;
    quit = !game.isRunning();
    ticksThisPass = 0;
    firstFrameCountdown = 1;
}

void HostLoop::DrawFrame() {
    const u32 band = game.frame(window.RedrawNeeded());
    window.PresentRows(band & 0xFFFF, band >> 16);
}

bool HostLoop::RunPass() {
    const u32 now = clock.Now();
    ticksThisPass = 0;

    // Without a frame buffer the time is not counted; it is made up in ticks
    // once the buffer is back.
    if (window.FrameBufferValid()) {
        const u32 elapsed = now - start;
        if (simulated < elapsed) {
            // The number of 16 ms steps that brings S to or just past the
            // clock. No upper bound: after a stall every missed tick counts.
            const u32 n = (elapsed - simulated - 1) / kTickMs + 1;
            simulated += kTickMs * n;
            const bool minimised = window.IsMinimised();
            for (u32 i = 0; i < n; ++i) {
                if (minimised) continue;  // the ticks pass, the game is not asked
                if (!game.isRunning()) quit = true;
                ++ticksThisPass;
            }
        }

        if (firstFrameCountdown != 0) {
            // The first pass always draws, so the window never appears empty.
            if (--firstFrameCountdown == 0) {
                if (!window.IsMinimised()) DrawFrame();
                window.ShowWindow();
            }
        } else if (!window.IsMinimised() && ticksThisPass >= 1) {
            DrawFrame();
        }
    }

    const HostWindow::Messages messages = window.ProcessMessages();
    if (messages.quit) quit = true;
    if (messages.repaint) Repaint();
    return !quit;
}

void HostLoop::Repaint() {
    if (!window.FrameBufferValid()) return;
    if (window.RedrawNeeded()) {
        game.frame(true);
        window.ClearRedrawNeeded();
    }
    window.PresentAll();
}

void HostLoop::WaitForNextTick() {
    if (!window.FrameBufferValid()) {
        window.WaitForMessages(kTickMs);
        return;
    }
    // The next tick falls when the clock passes S.
    const u32 elapsed = clock.Now() - start;
    if (simulated < elapsed) return;
    window.WaitForMessages(simulated - elapsed + 1);
}

void HostLoop::Run() {
    Begin();
    // The first pass runs even when the game declined at once.
    while (RunPass()) WaitForNextTick();
}
