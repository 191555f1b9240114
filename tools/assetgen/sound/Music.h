// A small sequencer for the game's music and jingles: notes of a handful of
// instruments (oom-pah tuba, honky-tonk piano, marimba, clarinet, brass,
// banjo, glockenspiel, drums, slide whistle) on a beat grid, rendered to
// stereo. Looped pieces wrap every ringing tail round to the start, so the
// loop point is seamless and falls exactly on a bar line.
#pragma once

#include <string>
#include <vector>

#include "tools/assetgen/sound/Synth.h"

namespace sound {

enum class Voice {
    Tuba,
    Piano,
    Marimba,
    Clarinet,
    Brass,
    Banjo,
    Glockenspiel,
    Kick,
    Snare,
    HiHat,
    OpenHat,
    WoodBlock,
    Crash,
    SlideWhistle,  // glides from `pitch` to `pitchEnd`
};

struct Note {
    double beat = 0;    // start, in beats from the start of the piece
    double length = 1;  // sounding length in beats (tails ring on past it)
    double pitch = 60;  // MIDI note number (drums ignore it)
    double pitchEnd = 60;
    Voice voice = Voice::Piano;
    float gain = 1.0f;
    float pan = 0.0f;  // -1 left .. +1 right
};

struct Score {
    double bpm = 120;
    int beatsPerBar = 4;
    int bars = 0;
    // Shuffle: how far (in beats) the off-beat eighth is pushed late; 0 is
    // straight, 1/6 a full triplet swing. Beats themselves never move.
    double swing = 0;
    std::vector<Note> notes;

    double SecondsPerBeat() const { return 60.0 / bpm; }
    double Beats() const { return static_cast<double>(bars) * beatsPerBar; }
};

// Adds a melody written as space-separated tokens "pitch:sixteenths" (pitch
// like c5, f#4, bb3, or r for a rest; the length may be left off to repeat
// the previous one; "|" marks bar lines and is checked: every bar must hold
// exactly one bar of sixteenths). Returns the beat after the last note.
double AddMelody(Score& score, double startBeat, const std::string& text, Voice voice, float gain,
                 float pan, int transpose = 0);

// Parses a chord symbol (C, Am, G7, D7, Cmaj7, Dm7, Bdim, F6, Caug) into MIDI
// pitch classes relative to C (root first). Returns false for a bad symbol.
bool ChordTones(const std::string& symbol, std::vector<int>& tones);

// Renders the score. `looped`: the result is exactly `bars` long and every
// tail that rings past the end is added to the start. Otherwise the result
// is `bars` long plus `tailSeconds`.
Stereo RenderScore(const Score& score, int rate, bool looped, double tailSeconds = 0.0);

// A light stereo room reverb; for a looped piece the room is primed with the
// piece's own end, so the loop stays seamless.
void AddRoom(Stereo& s, float wet, bool looped);

// The two pieces and the fanfares.
Score MenuMusicScore();
Score GameMusicScore();
Score LevelWonScore();
Score GameWonScore();

}  // namespace sound
