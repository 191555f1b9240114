// A PlatformServices that hands every call on to another one unchanged. The
// replay recorder and player derive from it and take over only the calls
// whose answers they write down or give back; everything else (frame buffer,
// files, sound, messages) reaches the host behind them as before.
#pragma once

#include "platform/PlatformServices.h"

class ForwardingPlatform : public PlatformServices {
public:
    // The platform the calls go to; must be set before the first call.
    void SetTarget(PlatformServices* platform) { target = platform; }
    PlatformServices* Target() const { return target; }

    bool IsUpArrowPressed() override { return target->IsUpArrowPressed(); }
    bool IsDownArrowPressed() override { return target->IsDownArrowPressed(); }
    bool IsLeftArrowPressed() override { return target->IsLeftArrowPressed(); }
    bool IsRightArrowPressed() override { return target->IsRightArrowPressed(); }
    bool IsCharKeyPressed(char c) override { return target->IsCharKeyPressed(c); }
    bool IsFunctionKeyPressed(i32 n) override { return target->IsFunctionKeyPressed(n); }
    bool IsBackspacePressed() override { return target->IsBackspacePressed(); }
    bool IsEnterPressed() override { return target->IsEnterPressed(); }
    bool IsSpacePressed() override { return target->IsSpacePressed(); }
    bool GetDownArrowToggle() override { return target->GetDownArrowToggle(); }
    bool GetUpArrowToggle() override { return target->GetUpArrowToggle(); }
    bool IsEscapePressed() override { return target->IsEscapePressed(); }
    bool IsPausePressed() override { return target->IsPausePressed(); }
    bool GetCharKeyToggle(char c) override { return target->GetCharKeyToggle(c); }
    bool IsLeftButtonPressed() override { return target->IsLeftButtonPressed(); }
    bool IsRightButtonPressed() override { return target->IsRightButtonPressed(); }
    bool GetMousePosition(i32* x, i32* y) override { return target->GetMousePosition(x, y); }
    bool ShowMouseCursor(bool show) override { return target->ShowMouseCursor(show); }

    bool GetScreenRect(ScreenRect* r) override { return target->GetScreenRect(r); }
    u16* GetScreenPixels() override { return target->GetScreenPixels(); }
    i32 GetScreenPitch() override { return target->GetScreenPitch(); }
    bool ClearScreen() override { return target->ClearScreen(); }

    void SeedRandom(u32 seed) override { target->SeedRandom(seed); }
    i32 GetRandomMax() override { return target->GetRandomMax(); }
    i32 GetRandom(i32 n) override { return target->GetRandom(n); }
    i32 GetRandomBit() override { return target->GetRandomBit(); }

    FileHandle FileOpen(const char* nameOrBase, u8 mode, u32 memorySize) override {
        return target->FileOpen(nameOrBase, mode, memorySize);
    }
    bool FileClose(FileHandle h, bool isMemory) override { return target->FileClose(h, isMemory); }
    i32 FileRead(FileHandle h, void* buffer, i32 count, bool isMemory) override {
        return target->FileRead(h, buffer, count, isMemory);
    }
    i32 FileWrite(FileHandle h, const void* buffer, u32 count, bool isMemory) override {
        return target->FileWrite(h, buffer, count, isMemory);
    }
    bool FileSeek(FileHandle h, i32 offset, u32 origin, bool isMemory) override {
        return target->FileSeek(h, offset, origin, isMemory);
    }
    u32 FileGetSize(FileHandle h, bool isMemory) override {
        return target->FileGetSize(h, isMemory);
    }
    i32 FileTell(FileHandle h, bool isMemory) override { return target->FileTell(h, isMemory); }
    const void* FileMap(const char* name) override { return target->FileMap(name); }
    bool FileUnmap(const void* view) override { return target->FileUnmap(view); }

    bool ShellOpen(const char* what) override { return target->ShellOpen(what); }
    void DrawScreenText(i32 x, i32 y, const char* text, bool opaque) override {
        target->DrawScreenText(x, y, text, opaque);
    }
    void PlayBeep() override { target->PlayBeep(); }
    void ShowMessage(const char* text, const char* caption) override {
        target->ShowMessage(text, caption);
    }
    u32 GetTimeMs() override { return target->GetTimeMs(); }

    bool PlayWaveFileLooped(const char* path) override { return target->PlayWaveFileLooped(path); }
    bool StopWaveFile() override { return target->StopWaveFile(); }
    bool DecodeOggToWave(const void* ogg, i32 oggSize, void** wave, u32* waveSize) override {
        return target->DecodeOggToWave(ogg, oggSize, wave, waveSize);
    }
    bool SoundLoop(const void* wave, u32 waveSize, bool start) override {
        return target->SoundLoop(wave, waveSize, start);
    }
    bool SoundPlay(const void* wave, u32 waveSize) override {
        return target->SoundPlay(wave, waveSize);
    }
    bool SoundPauseAll() override { return target->SoundPauseAll(); }
    bool SoundResumeAll() override { return target->SoundResumeAll(); }
    bool SoundStopAll() override { return target->SoundStopAll(); }
    bool SoundIsPaused() override { return target->SoundIsPaused(); }

    bool IsCheatCodeEntered() override { return target->IsCheatCodeEntered(); }

private:
    PlatformServices* target = nullptr;
};
