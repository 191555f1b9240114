// The in-memory platform: keys, mouse, frame buffer, random slots, text,
// the sound table model and the cheat watcher.
#include "platform/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/CheatWatcher.h"
#include "platform/Random.h"
#include "platform/ScreenFont.h"

namespace {

using Key = ScriptedPlatform::Key;

TEST(ScriptedPlatform, HeldKeysAndToggleBits) {
    ScriptedPlatform p;
    EXPECT_FALSE(p.IsUpArrowPressed());
    const bool upToggle = p.GetUpArrowToggle();
    p.SetKey(Key::Up, true);
    EXPECT_TRUE(p.IsUpArrowPressed());
    EXPECT_NE(p.GetUpArrowToggle(), upToggle) << "flips on the key-down";
    p.SetKey(Key::Up, true);
    EXPECT_NE(p.GetUpArrowToggle(), upToggle) << "a repeated down is no new key-down";
    p.SetKey(Key::Up, false);
    EXPECT_FALSE(p.IsUpArrowPressed());
    EXPECT_NE(p.GetUpArrowToggle(), upToggle) << "release keeps the bit";

    // Pressed and released between two polls: only the toggle shows it.
    const bool downToggle = p.GetDownArrowToggle();
    p.SetKey(Key::Down, true);
    p.SetKey(Key::Down, false);
    EXPECT_FALSE(p.IsDownArrowPressed());
    EXPECT_NE(p.GetDownArrowToggle(), downToggle);

    struct {
        Key key;
        bool (ScriptedPlatform::*query)();
    } keys[] = {{Key::Left, &ScriptedPlatform::IsLeftArrowPressed},
                {Key::Right, &ScriptedPlatform::IsRightArrowPressed},
                {Key::Backspace, &ScriptedPlatform::IsBackspacePressed},
                {Key::Enter, &ScriptedPlatform::IsEnterPressed},
                {Key::Space, &ScriptedPlatform::IsSpacePressed},
                {Key::Escape, &ScriptedPlatform::IsEscapePressed},
                {Key::Pause, &ScriptedPlatform::IsPausePressed}};
    for (auto& k : keys) {
        p.SetKey(k.key, true);
        EXPECT_TRUE((p.*k.query)()) << "key " << static_cast<int>(k.key);
        p.SetKey(k.key, false);
        EXPECT_FALSE((p.*k.query)()) << "key " << static_cast<int>(k.key);
    }
}

TEST(ScriptedPlatform, FunctionKeysOutsideTwoToTwelveMeanF1) {
    ScriptedPlatform p;
    p.SetKey(Key::F1, true);
    for (int n : {0, 1, 13, -5}) EXPECT_TRUE(p.IsFunctionKeyPressed(n)) << "n " << n;
    EXPECT_FALSE(p.IsFunctionKeyPressed(2));
    p.SetKey(Key::F1, false);
    p.SetKey(Key::F12, true);
    EXPECT_TRUE(p.IsFunctionKeyPressed(12));
    EXPECT_FALSE(p.IsFunctionKeyPressed(13));
    p.SetKey(Key::F12, false);
    p.SetKey(Key::F5, true);
    EXPECT_TRUE(p.IsFunctionKeyPressed(5));
}

TEST(ScriptedPlatform, CharacterKeysFollowTheModifierRule) {
    ScriptedPlatform p;
    p.SetCharKey('a', true);
    EXPECT_TRUE(p.IsCharKeyPressed('a'));
    EXPECT_FALSE(p.IsCharKeyPressed('A')) << "'A' needs Shift";
    p.SetKey(Key::Shift, true);
    EXPECT_TRUE(p.IsCharKeyPressed('A'));
    EXPECT_TRUE(p.IsCharKeyPressed('a')) << "modifiers a character does not need are ignored";
    p.SetKey(Key::Shift, false);
    p.SetCharKey('a', false);

    // German layout: Shift+7 is '/', AltGr (Ctrl+Alt) + q is '@', z and y swap
    // nothing here: each letter is its own key.
    p.SetCharKey('7', true);
    EXPECT_TRUE(p.IsCharKeyPressed('7'));
    EXPECT_FALSE(p.IsCharKeyPressed('/'));
    p.SetKey(Key::Shift, true);
    EXPECT_TRUE(p.IsCharKeyPressed('/'));
    EXPECT_FALSE(p.IsCharKeyPressed('{')) << "'{' needs Ctrl and Alt";
    p.SetKey(Key::Shift, false);
    p.SetKey(Key::Ctrl, true);
    EXPECT_FALSE(p.IsCharKeyPressed('{')) << "Alt is missing";
    p.SetKey(Key::Alt, true);
    EXPECT_TRUE(p.IsCharKeyPressed('{'));
    p.SetCharKey('7', false);
    p.SetKey(Key::Ctrl, false);
    p.SetKey(Key::Alt, false);

    p.SetCharKey(static_cast<unsigned char>('\xFC'), true);  // the u-umlaut key
    EXPECT_TRUE(p.IsCharKeyPressed('\xFC'));
    p.SetKey(Key::Shift, true);
    EXPECT_TRUE(p.IsCharKeyPressed('\xDC')) << "capital umlaut";
    p.SetKey(Key::Shift, false);

    p.SetKey(Key::Backspace, true);
    EXPECT_TRUE(p.IsCharKeyPressed(8)) << "character 8 is Backspace";
    p.SetKey(Key::Space, true);
    EXPECT_TRUE(p.IsCharKeyPressed(' '));
    EXPECT_FALSE(p.IsCharKeyPressed('\x01')) << "no key types it";
    EXPECT_FALSE(p.IsCharKeyPressed('\xFF'));
    EXPECT_FALSE(p.GetCharKeyToggle('\xFF'));

    const bool t = p.GetCharKeyToggle('q');
    p.SetCharKey('q', true);
    p.SetCharKey('q', false);
    EXPECT_NE(p.GetCharKeyToggle('q'), t);
    EXPECT_FALSE(p.GetCharKeyToggle('Q')) << "toggle also needs the modifiers";
    p.SetCharKey('Q', true);  // not the unshifted character of a key: ignored
    EXPECT_FALSE(p.IsCharKeyPressed('q'));
}

TEST(ScriptedPlatform, PollHookRunsAtEveryKeyQuery) {
    ScriptedPlatform p;
    p.SetKey(Key::Enter, true);
    int calls = 0;
    p.SetPollHook([&] {
        ++calls;
        p.AdvanceTime(16);
        if (calls == 3) p.SetKey(Key::Enter, false);
    });
    int loops = 0;
    while (p.IsEnterPressed() && loops < 100) ++loops;  // the game's "until released" wait
    EXPECT_EQ(loops, 2);
    EXPECT_EQ(p.Now(), 48u);
    p.IsLeftButtonPressed();
    p.IsCharKeyPressed('x');
    EXPECT_EQ(calls, 5);
}

TEST(ScriptedPlatform, MouseAndCursor) {
    ScriptedPlatform p;
    i32 x = 7, y = 7;
    p.SetMouse(-20, 900);
    EXPECT_TRUE(p.GetMousePosition(&x, &y));
    EXPECT_EQ(x, -20) << "not clamped";
    EXPECT_EQ(y, 900);
    p.SetMouseReadable(false);
    x = y = 7;
    EXPECT_FALSE(p.GetMousePosition(&x, &y));
    EXPECT_EQ(x, 7) << "untouched on failure";
    p.SetMouseButton(1, true);
    EXPECT_TRUE(p.IsRightButtonPressed());
    EXPECT_FALSE(p.IsLeftButtonPressed());

    EXPECT_TRUE(p.CursorShown());
    EXPECT_FALSE(p.ShowMouseCursor(false));
    EXPECT_FALSE(p.ShowMouseCursor(false));
    EXPECT_FALSE(p.ShowMouseCursor(true));
    EXPECT_TRUE(p.CursorShown()) << "hiding twice and showing once leaves it shown";
}

TEST(ScriptedPlatform, FrameBufferFollowsThePitchRule) {
    ScriptedPlatform p;
    ScreenRect r{};
    ASSERT_TRUE(p.GetScreenRect(&r));
    EXPECT_EQ(r.right, 800);
    EXPECT_EQ(r.bottom, 600);
    EXPECT_EQ(p.GetScreenPitch(), 1600);
    p.ResizeScreen(801, 3);
    EXPECT_EQ(p.GetScreenPitch(), 1604) << "odd widths are padded to 4 bytes";
    p.GetScreenPixels()[801 + 1604 / 2 * 2] = 0x7FFF;  // the padding of row 2 is never visible
    p.GetScreenPixels()[1604 / 2 + 3] = 0x1234;
    EXPECT_EQ(p.Pixel(3, 1), 0x1234);
    const auto hash = p.FrameHash();
    p.GetScreenPixels()[1604 / 2 * 2 + 800] = 1;
    EXPECT_NE(p.FrameHash(), hash);
    EXPECT_TRUE(p.ClearScreen());
    EXPECT_EQ(p.Pixel(3, 1), 0);

    p.DestroyScreen();
    r = {1, 2, 3, 4};
    EXPECT_FALSE(p.GetScreenRect(&r));
    EXPECT_EQ(r.left, 1) << "nothing written";
    EXPECT_EQ(p.GetScreenPixels(), nullptr);
    EXPECT_EQ(p.GetScreenPitch(), 0);
    EXPECT_FALSE(p.WritePng("/nonexistent/never.png"));
    p.DrawScreenText(0, 0, "no buffer", true);  // must not crash
}

// Reads a PNG of stored deflate blocks back, checking every CRC and the
// Adler-32, and returns its RGB bytes (filter bytes removed).
std::vector<u8> ReadStoredPng(const std::string& bytes, int* w, int* h) {
    auto be32 = [&](size_t at) {
        return (u32(u8(bytes[at])) << 24) | (u32(u8(bytes[at + 1])) << 16) |
               (u32(u8(bytes[at + 2])) << 8) | u32(u8(bytes[at + 3]));
    };
    auto crc = [](const u8* d, size_t n) {
        u32 c = 0xFFFFFFFFu;
        for (size_t i = 0; i < n; ++i) {
            c ^= d[i];
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        return ~c;
    };
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    std::string zlib;
    size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const u32 len = be32(at);
        const std::string type = bytes.substr(at + 4, 4);
        EXPECT_EQ(crc(reinterpret_cast<const u8*>(bytes.data()) + at + 4, len + 4),
                  be32(at + 8 + len))
            << type;
        if (type == "IHDR") {
            *w = static_cast<int>(be32(at + 8));
            *h = static_cast<int>(be32(at + 12));
        }
        if (type == "IDAT") zlib += bytes.substr(at + 8, len);
        at += 12 + len;
    }
    std::vector<u8> raw;
    size_t z = 2;
    for (;;) {
        const bool last = zlib[z] & 1;
        const u32 n = u8(zlib[z + 1]) | (u8(zlib[z + 2]) << 8);
        raw.insert(raw.end(), zlib.begin() + z + 5, zlib.begin() + z + 5 + n);
        z += 5 + n;
        if (last) break;
    }
    u32 a = 1, b = 0;
    for (u8 v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    const u32 adler = (u32(u8(zlib[z])) << 24) | (u32(u8(zlib[z + 1])) << 16) |
                      (u32(u8(zlib[z + 2])) << 8) | u32(u8(zlib[z + 3]));
    EXPECT_EQ((b << 16) | a, adler) << "adler32";
    EXPECT_EQ(z + 4, zlib.size());
    std::vector<u8> rgb;
    const size_t stride = 1 + 3 * static_cast<size_t>(*w);
    for (int y = 0; y < *h; ++y) {
        EXPECT_EQ(raw[y * stride], 0) << "filter of row " << y;
        rgb.insert(rgb.end(), raw.begin() + y * stride + 1, raw.begin() + (y + 1) * stride);
    }
    return rgb;
}

TEST(ScriptedPlatform, WritesTheFrameBufferAsPng) {
    TempDir dir;
    ScriptedPlatform p;
    p.ResizeScreen(150, 200);         // 90,000 bytes of pixels: more than one stored block
    p.GetScreenPixels()[0] = 0x7C00;  // red
    p.GetScreenPixels()[150 * 199 + 149] = 0x001F;  // blue, last pixel
    p.GetScreenPixels()[150 + 1] = 0x4210;          // grey 16,16,16
    ASSERT_TRUE(p.WritePng(dir.File("shot.png")));
    int w = 0, h = 0;
    std::vector<u8> rgb = ReadStoredPng(dir.Read("shot.png"), &w, &h);
    ASSERT_EQ(w, 150);
    ASSERT_EQ(h, 200);
    ASSERT_EQ(rgb.size(), 150u * 200u * 3u);
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[1], 0);
    EXPECT_EQ(rgb[rgb.size() - 1], 255);
    EXPECT_EQ(rgb[(150 + 1) * 3], (16 << 3) | (16 >> 2));
}

TEST(ScriptedPlatform, RandomSlotsShareTheGameGenerator) {
    ScriptedPlatform p;
    p.SeedRandom(12345);
    EXPECT_EQ(Random::State(), 12345u);
    EXPECT_EQ(p.GetRandomMax(), 32767);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(p.GetRandom(1), 0);
    p.SeedRandom(99);
    std::vector<i32> draws;
    for (int i = 0; i < 20; ++i) draws.push_back(p.GetRandom(100000));
    Random::Seed(99);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(draws[i], Random::Next() % 32767) << "draw " << i;
    p.SeedRandom(7);
    const i32 bit = p.GetRandomBit();
    Random::Seed(7);
    EXPECT_EQ(bit, Random::Next() & 1);
    EXPECT_EQ(p.GetRandom(0), 0) << "no division by zero";
    EXPECT_EQ(p.GetRandom(-3), 0);
}

TEST(ScriptedPlatform, ScreenTextIsWhiteClippedAndBreaksLines) {
    ScriptedPlatform p;
    p.ResizeScreen(64, 40);
    std::fill(p.GetScreenPixels(), p.GetScreenPixels() + 32 * 40, 0x1111);
    p.DrawScreenText(0, 0, "I", false);
    int white = 0, black = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x) {
            white += p.Pixel(x, y) == 0x7FFF;
            black += p.Pixel(x, y) == 0;
        }
    EXPECT_GT(white, 4) << "the glyph is drawn";
    EXPECT_EQ(black, 0) << "not opaque: the background stays";
    p.DrawScreenText(8, 0, " ", true);
    EXPECT_EQ(p.Pixel(12, 8), 0) << "opaque fills the cell black";
    EXPECT_EQ(p.Pixel(16, 8), 0x1111) << "only the cell";

    p.ClearScreen();
    p.DrawScreenText(16, 2, "A\nB\r\nC", true);
    auto cellHasInk = [&](int cx, int cy) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 8; ++x)
                if (p.Pixel(cx + x, cy + y) == 0x7FFF) return true;
        return false;
    };
    EXPECT_TRUE(cellHasInk(16, 2));
    EXPECT_TRUE(cellHasInk(16, 18)) << "LF starts the next line at x";
    EXPECT_FALSE(cellHasInk(24, 18)) << "CR LF is one break";
    // Partly and wholly outside: clipped, no writes outside the buffer.
    p.DrawScreenText(60, 30, "WWWW\nWWWW", true);
    p.DrawScreenText(-5, -9, "W", false);
    p.DrawScreenText(-500, 5000, "W", false);
    EXPECT_EQ(ScreenFont::GlyphRow(200, 3), 0);
}

// A RIFF/WAVE image of 16-bit samples: `ms` milliseconds at `rate`.
std::vector<u8> Wave(u32 ms, u32 rate = 1000, u16 channels = 1, u16 bits = 16) {
    const u32 data = ms * rate / 1000 * 2 * channels;
    std::vector<u8> w;
    auto u32le = [&](u32 v) {
        for (int i = 0; i < 4; ++i) w.push_back(static_cast<u8>(v >> (8 * i)));
    };
    auto u16le = [&](u16 v) {
        w.push_back(static_cast<u8>(v));
        w.push_back(static_cast<u8>(v >> 8));
    };
    w.insert(w.end(), {'R', 'I', 'F', 'F'});
    u32le(36 + data);
    w.insert(w.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    u32le(16);
    u16le(1);
    u16le(channels);
    u32le(rate);
    u32le(rate * 2 * channels);
    u16le(static_cast<u16>(2 * channels));
    u16le(bits);
    w.insert(w.end(), {'d', 'a', 't', 'a'});
    u32le(data);
    w.resize(w.size() + data, 0);
    return w;
}

TEST(ScriptedPlatform, SixVoicesPerSoundThatFinishInVirtualTime) {
    ScriptedPlatform p;
    std::vector<u8> w = Wave(1000);
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(p.SoundPlay(w.data(), w.size())) << "play " << i;
    EXPECT_FALSE(p.SoundPlay(w.data(), w.size())) << "the seventh is dropped";
    EXPECT_EQ(p.PlayingVoices(w.data()), 6);
    p.AdvanceTime(999);
    EXPECT_EQ(p.PlayingVoices(w.data()), 6);
    p.AdvanceTime(1);
    EXPECT_EQ(p.PlayingVoices(w.data()), 0) << "one second of samples is over";
    EXPECT_TRUE(p.SoundPlay(w.data(), w.size()));
    EXPECT_EQ(p.RegisteredSounds(), 1);

    // Stereo at 2000 Hz: 500 ms of frames. An 8-bit header is played as
    // 16-bit data, so its length is counted in 16-bit samples.
    std::vector<u8> stereo = Wave(500, 2000, 2);
    EXPECT_TRUE(p.SoundPlay(stereo.data(), stereo.size()));
    p.AdvanceTime(499);
    EXPECT_EQ(p.PlayingVoices(stereo.data()), 1);
    p.AdvanceTime(1);
    EXPECT_EQ(p.PlayingVoices(stereo.data()), 0);

    std::vector<u8> broken = Wave(100);
    broken[8] = 'X';  // not WAVE
    EXPECT_FALSE(p.SoundPlay(broken.data(), broken.size()));
    std::vector<u8> empty = Wave(0);
    EXPECT_FALSE(p.SoundPlay(empty.data(), empty.size())) << "a data chunk of size 0";
    EXPECT_FALSE(p.SoundPlay(w.data() + 1, 10)) << "truncated image";
    EXPECT_EQ(p.RegisteredSounds(), 2);
}

TEST(ScriptedPlatform, LoopsPauseAndStopAsTheHostDoes) {
    ScriptedPlatform p;
    std::vector<u8> w = Wave(100);
    EXPECT_FALSE(p.SoundLoop(w.data(), w.size(), false)) << "not playing as a loop";
    EXPECT_TRUE(p.SoundLoop(w.data(), w.size(), true));
    p.AdvanceTime(1000);
    EXPECT_TRUE(p.IsLooping(w.data())) << "loops outlast their samples";
    EXPECT_FALSE(p.SoundLoop(w.data(), w.size(), true)) << "already looping";
    EXPECT_TRUE(p.IsLooping(w.data()));

    EXPECT_TRUE(p.SoundPauseAll());
    EXPECT_FALSE(p.SoundPauseAll()) << "already paused";
    EXPECT_TRUE(p.SoundIsPaused());
    EXPECT_EQ(p.PlayingVoices(w.data()), 0);
    EXPECT_FALSE(p.SoundLoop(w.data(), w.size(), false)) << "nothing loops while paused";
    EXPECT_TRUE(p.SoundPlay(w.data(), w.size())) << "true and nothing done";
    EXPECT_EQ(p.PlayingVoices(w.data()), 0);

    // The host pauses and resumes during the game's pause: nothing resumes.
    p.HostPause();
    p.HostResume();
    EXPECT_TRUE(p.SoundIsPaused());
    EXPECT_EQ(p.PlayingVoices(w.data()), 0);
    EXPECT_TRUE(p.SoundResumeAll());
    EXPECT_FALSE(p.SoundResumeAll()) << "no pause to end";
    EXPECT_TRUE(p.IsLooping(w.data())) << "the paused loop starts again";

    // Pause, stop everything, resume: the stop forgot what was playing.
    EXPECT_TRUE(p.SoundPauseAll());
    EXPECT_TRUE(p.SoundStopAll());
    EXPECT_TRUE(p.SoundIsPaused()) << "stop-all keeps the pause";
    EXPECT_TRUE(p.SoundResumeAll());
    EXPECT_EQ(p.PlayingVoices(w.data()), 0);

    // A loop stopped part-way: a one-shot on voice 0 goes on from there.
    EXPECT_TRUE(p.SoundLoop(w.data(), w.size(), true));
    p.AdvanceTime(130);  // 30 ms into the second cycle
    EXPECT_TRUE(p.SoundLoop(w.data(), w.size(), false));
    EXPECT_TRUE(p.SoundPlay(w.data(), w.size()));
    p.AdvanceTime(69);
    EXPECT_EQ(p.PlayingVoices(w.data()), 1);
    p.AdvanceTime(1);
    EXPECT_EQ(p.PlayingVoices(w.data()), 0) << "70 ms were left of the stopped cycle";

    // A sound once looped loops on every voice a pause stopped.
    EXPECT_TRUE(p.SoundPlay(w.data(), w.size()));
    EXPECT_TRUE(p.SoundPlay(w.data(), w.size()));
    p.HostPause();
    p.HostResume();
    p.AdvanceTime(1000);
    EXPECT_EQ(p.PlayingVoices(w.data()), 2);
}

TEST(ScriptedPlatform, SoundTableLimitsAndMissingDevice) {
    ScriptedPlatform p;
    std::vector<std::vector<u8>> waves;
    for (int i = 0; i < 65; ++i) waves.push_back(Wave(10));
    for (int i = 0; i < 64; ++i) EXPECT_TRUE(p.SoundPlay(waves[i].data(), waves[i].size()));
    EXPECT_FALSE(p.SoundPlay(waves[64].data(), waves[64].size())) << "a 65th sound";
    EXPECT_FALSE(p.SoundLoop(waves[64].data(), waves[64].size(), true));
    p.AdvanceTime(20);
    EXPECT_TRUE(p.SoundPlay(waves[3].data(), waves[3].size())) << "known sounds keep working";

    ScriptedPlatform silent;
    silent.SetSoundDevice(false);
    std::vector<u8> w = Wave(10);
    EXPECT_FALSE(silent.SoundPlay(w.data(), w.size()));
    EXPECT_FALSE(silent.SoundLoop(w.data(), w.size(), true));
    EXPECT_EQ(silent.RegisteredSounds(), 1) << "registered all the same";
    EXPECT_TRUE(silent.SoundPauseAll());
    EXPECT_TRUE(silent.SoundResumeAll());
    EXPECT_TRUE(silent.SoundStopAll());

    const auto& log = silent.SoundLog();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0].kind, ScriptedPlatform::SoundEvent::Play);
    EXPECT_FALSE(log[0].result);
    EXPECT_EQ(log[1].kind, ScriptedPlatform::SoundEvent::LoopStart);
    EXPECT_EQ(log[4].kind, ScriptedPlatform::SoundEvent::StopAll);
    silent.ClearSoundLog();
    EXPECT_TRUE(silent.SoundLog().empty());
}

TEST(ScriptedPlatform, MiscellaneousSlots) {
    TempDir dir;
    std::vector<u8> w = Wave(10);
    dir.Write("music.wav", w);
    ScriptedPlatform p(dir.Path());
    EXPECT_FALSE(p.ShellOpen("https://example.org"));
    p.ShowMessage("Config\\Text.txt line 3", "Parse Error!");
    ASSERT_EQ(p.Messages().size(), 1u);
    EXPECT_EQ(p.Messages()[0].second, "Parse Error!");
    p.PlayBeep();
    EXPECT_EQ(p.BeepCount(), 1);
    p.SetTime(0xFFFFFFF0u);
    p.AdvanceTime(0x20);
    EXPECT_EQ(p.GetTimeMs(), 0x10u) << "the clock wraps";
    EXPECT_FALSE(p.PlayWaveFileLooped("missing.wav"));
    EXPECT_TRUE(p.PlayWaveFileLooped("music.wav"));
    EXPECT_EQ(p.WaveFilePlaying(), "music.wav");
    EXPECT_TRUE(p.StopWaveFile());
    EXPECT_EQ(p.WaveFilePlaying(), "");

    void* image = reinterpret_cast<void*>(1);
    u32 size = 77;
    const char notOgg[] = "this is not an ogg stream at all";
    EXPECT_FALSE(p.DecodeOggToWave(notOgg, sizeof notOgg, &image, &size));
    EXPECT_EQ(image, reinterpret_cast<void*>(1)) << "outputs untouched";
    EXPECT_EQ(size, 77u);
    ASSERT_FALSE(p.SoundLog().empty());
    EXPECT_EQ(p.SoundLog().back().kind, ScriptedPlatform::SoundEvent::Decode);
}

TEST(CheatWatcher, RecognisesTheCodeAmongTheLastTenCharacters) {
    CheatWatcher first;
    for (char c : std::string("74qv19")) first.OnCharacter(c);
    EXPECT_FALSE(first.Entered()) << "fewer than ten characters typed in all";
    for (char c : std::string("abc")) first.OnCharacter(c);
    EXPECT_FALSE(first.Entered()) << "nine characters";
    first.OnCharacter('d');
    EXPECT_TRUE(first.Entered()) << "the tenth makes the window a string that holds the code";

    CheatWatcher later;
    for (char c : std::string("xxxx74qv19")) later.OnCharacter(c);
    EXPECT_TRUE(later.Entered());
    for (char c : std::string("0123456789abc")) later.OnCharacter(c);
    EXPECT_TRUE(later.Entered()) << "stays true";

    CheatWatcher wrongCase;
    for (char c : std::string("xxxx74QV19")) wrongCase.OnCharacter(c);
    EXPECT_FALSE(wrongCase.Entered()) << "letter case matters";

    CheatWatcher lowByte;
    for (char c : std::string("xxxx74qv1")) lowByte.OnCharacter(static_cast<unsigned char>(c));
    lowByte.OnCharacter(0x100 + '9');
    EXPECT_TRUE(lowByte.Entered()) << "only the low byte counts";

    ScriptedPlatform p;
    p.TypeText("abc");
    p.TypeText("74qv19");
    EXPECT_FALSE(p.IsCheatCodeEntered()) << "the zero byte at the start still ends the string";
    p.TypeText("!");
    EXPECT_TRUE(p.IsCheatCodeEntered());
}

}  // namespace
