// Our synthesized sounds and music: every item is something the game can play
// (a wave image the sound table accepts, or Ogg Vorbis the decoder turns into
// one), is audible, has its promised length and level, loops without a click,
// and comes out byte for byte the same on every run. The config lines that
// name sounds point at items that exist.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Mixer.h"
#include "platform/OggDecoder.h"
#include "tools/assetgen/sound/Sounds.h"

namespace {

struct Pcm {
    int channels = 0;
    int rate = 0;
    std::vector<std::vector<float>> ch;  // per channel, in [-1, 1]
    int Frames() const { return ch.empty() ? 0 : static_cast<int>(ch[0].size()); }
};

// Reads a 16-bit wave image through the game's own parser.
bool ReadWave(const std::vector<std::uint8_t>& image, Pcm& pcm, WaveFormat& format) {
    if (!ParseWave(image.data(), static_cast<u32>(image.size()), &format)) return false;
    pcm.channels = static_cast<int>(format.channels);
    pcm.rate = static_cast<int>(format.sampleRate);
    int frames = static_cast<int>(format.dataSize / (2 * format.channels));
    pcm.ch.assign(pcm.channels, std::vector<float>(frames));
    const std::uint8_t* p = image.data() + format.dataOffset;
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < pcm.channels; ++c) {
            std::int16_t v;
            std::memcpy(&v, p + 2 * (i * pcm.channels + c), 2);
            pcm.ch[c][i] = v / 32768.0f;
        }
    return true;
}

double PeakDb(const Pcm& pcm) {
    double peak = 0;
    for (const auto& c : pcm.ch)
        for (float v : c) peak = std::max(peak, static_cast<double>(std::abs(v)));
    return 20 * std::log10(std::max(peak, 1e-9));
}

// A loop clicks when the step from its last sample back to its first is
// larger than the steps the sound itself makes. The limit is the 99.9th
// percentile of the sound's own sample-to-sample steps.
void ExpectSeamless(const std::vector<float>& x, const std::string& what) {
    ASSERT_GT(x.size(), 1000u) << what;
    std::vector<float> steps;
    for (size_t i = 1; i < x.size(); ++i) steps.push_back(std::abs(x[i] - x[i - 1]));
    std::sort(steps.begin(), steps.end());
    float limit = steps[steps.size() * 999 / 1000];
    EXPECT_LE(std::abs(x.front() - x.back()), limit)
        << what << ": first " << x.front() << " last " << x.back();
}

std::string SourceDir() {
    const char* dir = std::getenv("BRETTSPALT_SOURCE_DIR");
    return dir ? dir : ".";
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

// The values of a config line: "#ANIMPROP SOUND AII_X SOUND_Saw 1 1001" ->
// {"#ANIMPROP", "SOUND", ...}, comments (after '!') and ';' endings removed.
std::vector<std::string> Tokens(std::string line) {
    line = line.substr(0, line.find('!'));
    line = line.substr(0, line.find(';'));
    std::replace(line.begin(), line.end(), ',', ' ');
    std::replace(line.begin(), line.end(), '\t', ' ');
    std::istringstream in(line);
    std::vector<std::string> out;
    std::string t;
    while (in >> t) out.push_back(t);
    return out;
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Making the sounds takes seconds, so each kind is made once per test
// process, and only by the tests that listen to it.
class Sounds : public ::testing::Test {
protected:
    static const std::vector<datalib::Entry>& Effects() {
        static const std::vector<datalib::Entry> made =
            sound::MakeSoundEntries(sound::SoundKinds::Effects);
        return made;
    }
    static const std::vector<datalib::Entry>& Music() {
        static const std::vector<datalib::Entry> made =
            sound::MakeSoundEntries(sound::SoundKinds::Music);
        return made;
    }
    static const std::vector<sound::SoundListing>& Listings() {
        static const std::vector<sound::SoundListing> listed = sound::SoundListings();
        return listed;
    }

    static const datalib::Data* Find(const std::vector<datalib::Entry>& entries,
                                     const std::string& name, int seq, int item) {
        for (const auto& e : entries) {
            if (Upper(e.name) != Upper(name)) continue;
            if (seq < 0 || seq >= 12 || !e.sequences[seq]) return nullptr;
            const auto& items = e.sequences[seq]->items;
            if (item < 0 || item >= static_cast<int>(items.size())) return nullptr;
            return std::get_if<datalib::Data>(&items[item]);
        }
        return nullptr;
    }

    static const sound::SoundListing* Listing(const std::string& name, int seq, int item) {
        for (const auto& l : Listings())
            if (Upper(l.entry) == Upper(name) && l.sequence == seq && l.item == item) return &l;
        return nullptr;
    }
};

TEST_F(Sounds, EveryListedItemIsStoredWhereTheListingSays) {
    size_t stored = 0;
    std::map<std::string, int> names;
    for (const auto* part : {&Effects(), &Music()}) {
        for (const auto& e : *part) {
            EXPECT_LE(e.name.size(), 25u) << e.name;
            EXPECT_EQ(names[Upper(e.name)]++, 0) << e.name << " made twice";
            for (int s = 0; s < 12; ++s) {
                if (!e.sequences[s]) continue;
                EXPECT_TRUE(e.sequences[s]->listed) << e.name << " sequence " << s;
                EXPECT_GE(e.sequences[s]->items.size(), 2u) << e.name << " sequence " << s;
                stored += e.sequences[s]->items.size();
            }
        }
    }
    EXPECT_EQ(stored, Listings().size()) << "an item without a listing, or a gap in a sequence";
    for (const auto& l : Listings()) {
        const datalib::Data* d = Find(l.ogg ? Music() : Effects(), l.entry, l.sequence, l.item);
        ASSERT_NE(d, nullptr) << l.entry << " " << l.sequence << " " << l.item;
        EXPECT_EQ(d->flags, l.ogg ? 0x80 : 0x00) << l.description;
    }
    // The game asks for the two music pieces by these numbers.
    const sound::SoundListing* menu = Listing("SOUND_Music", 0, 0);
    const sound::SoundListing* game = Listing("SOUND_Music", 0, 1);
    ASSERT_TRUE(menu && game);
    EXPECT_TRUE(menu->ogg && game->ogg);
}

TEST_F(Sounds, EffectsAreAudibleWaveImagesOfTheirLengthAndLevel) {
    for (const auto& l : Listings()) {
        if (l.ogg) continue;
        const datalib::Data* d = Find(Effects(), l.entry, l.sequence, l.item);
        ASSERT_NE(d, nullptr);
        const auto& image = d->payload;
        ASSERT_GE(image.size(), 44u) << l.description;
        EXPECT_EQ(std::memcmp(image.data(), "RIFF", 4), 0) << l.description;
        EXPECT_EQ(std::memcmp(image.data() + 8, "WAVEfmt ", 8), 0) << l.description;
        EXPECT_EQ(std::memcmp(image.data() + 36, "data", 4), 0) << l.description;
        Pcm pcm;
        WaveFormat format;
        ASSERT_TRUE(ReadWave(image, pcm, format)) << l.description;
        EXPECT_EQ(format.bitsPerSample, 16u) << l.description;
        EXPECT_EQ(format.dataOffset, 44u) << l.description;
        EXPECT_EQ(format.dataSize + 44, image.size()) << l.description;
        EXPECT_TRUE(pcm.rate == 22050 || pcm.rate == 44100) << l.description;
        // Levelled to its peak (within rounding to 16 bits).
        EXPECT_NEAR(PeakDb(pcm), l.peakDb, 0.1) << l.description;
        double seconds = static_cast<double>(pcm.Frames()) / pcm.rate;
        if (l.loopSeconds > 0) {
            EXPECT_EQ(pcm.Frames(), static_cast<int>(l.loopSeconds * pcm.rate)) << l.description;
        } else {
            EXPECT_GE(seconds, 0.05) << l.description;
            EXPECT_LE(seconds, 15.0) << l.description;
            // A one-shot fades out: no click when it stops.
            EXPECT_LT(std::abs(pcm.ch[0].back()), 0.01f) << l.description;
        }
        // Not silent for most of its length either: the loudest tenth of a
        // second is well above the noise floor.
        int window = pcm.rate / 10;
        double best = 0;
        for (int s = 0; s + window <= pcm.Frames() || s == 0; s += window / 2) {
            double sum = 0;
            int n = std::min(window, pcm.Frames() - s);
            for (int i = 0; i < n; ++i) sum += pcm.ch[0][s + i] * pcm.ch[0][s + i];
            best = std::max(best, std::sqrt(sum / std::max(1, n)));
            if (s + window > pcm.Frames()) break;
        }
        EXPECT_GT(20 * std::log10(best + 1e-12), l.peakDb - 30) << l.description << ": RMS too low";
    }
}

TEST_F(Sounds, LoopedEffectsJoinWithoutAClick) {
    int loops = 0;
    for (const auto& l : Listings()) {
        if (l.ogg || l.loopSeconds <= 0) continue;
        ++loops;
        Pcm pcm;
        WaveFormat format;
        ASSERT_TRUE(ReadWave(Find(Effects(), l.entry, l.sequence, l.item)->payload, pcm, format));
        ExpectSeamless(pcm.ch[0], l.description);
    }
    EXPECT_GE(loops, 7) << "saw running, threatening, four bites, glugs";
}

TEST_F(Sounds, MusicDecodesToLongBarAlignedSeamlessLoopsUnderTheEffects) {
    const std::vector<datalib::Entry>& music = Music();
    // The decoder converts as the game runs it: rounding toward zero.
    std::fesetround(FE_TOWARDZERO);
    for (int item = 0; item < 2; ++item) {
        const sound::SoundListing* l = Listing("SOUND_Music", 0, item);
        ASSERT_NE(l, nullptr);
        const datalib::Data* d = Find(music, "SOUND_Music", 0, item);
        ASSERT_NE(d, nullptr);
        ASSERT_GE(d->payload.size(), 4u);
        EXPECT_EQ(std::memcmp(d->payload.data(), "OggS", 4), 0);
        void* wave = nullptr;
        u32 waveSize = 0;
        ASSERT_TRUE(DecodeOggToWave(d->payload.data(), static_cast<i32>(d->payload.size()), &wave,
                                    &waveSize))
            << l->description;
        std::vector<std::uint8_t> image(static_cast<std::uint8_t*>(wave),
                                        static_cast<std::uint8_t*>(wave) + waveSize);
        std::free(wave);
        Pcm pcm;
        WaveFormat format;
        ASSERT_TRUE(ReadWave(image, pcm, format));
        EXPECT_EQ(pcm.channels, 2);
        EXPECT_EQ(pcm.rate, 44100);
        double seconds = static_cast<double>(pcm.Frames()) / pcm.rate;
        EXPECT_GE(seconds, 45.0) << l->description;
        // The decoded length is the whole number of bars the piece was written in.
        EXPECT_EQ(pcm.Frames(), std::lround(l->loopSeconds * 44100)) << l->description;
        double bars = l->loopSeconds / l->barSeconds;
        EXPECT_NEAR(bars, std::round(bars), 1e-9) << "loop point off the bar line";
        // Lossy coding smears the sharpest peaks (a drum hit on a tuba note)
        // down a little and may push others up; either way the music stays
        // well under the effects' -1 dBFS.
        EXPECT_GE(PeakDb(pcm), l->peakDb - 3.0) << l->description;
        EXPECT_LE(PeakDb(pcm), -5.0) << l->description;
        for (int c = 0; c < 2; ++c)
            ExpectSeamless(pcm.ch[c], l->description + " channel " + std::to_string(c));
        // Music all the way through: no second-long hole anywhere.
        for (int s = 0; s + pcm.rate <= pcm.Frames(); s += pcm.rate) {
            double sum = 0;
            for (int i = 0; i < pcm.rate; ++i) sum += pcm.ch[0][s + i] * pcm.ch[0][s + i];
            EXPECT_GT(std::sqrt(sum / pcm.rate), 0.01)
                << l->description << " quiet at second " << s / pcm.rate;
        }
    }
    std::fesetround(FE_TONEAREST);
}

TEST_F(Sounds, TwoGenerationsGiveTheSameBytes) {
    // Made twice in full, the music on threads of its own each time; the
    // second time under the rounding mode the game runs with, which must not
    // change a byte.
    std::vector<datalib::Entry> first = sound::MakeSoundEntries();
    std::fesetround(FE_TOWARDZERO);
    std::vector<datalib::Entry> again = sound::MakeSoundEntries();
    std::fesetround(FE_TONEAREST);
    ASSERT_EQ(again.size(), first.size());
    for (size_t e = 0; e < again.size(); ++e) {
        EXPECT_EQ(again[e].name, first[e].name);
        for (int s = 0; s < 12; ++s) {
            ASSERT_EQ(again[e].sequences[s].has_value(), first[e].sequences[s].has_value());
            if (!again[e].sequences[s]) continue;
            const auto& a = again[e].sequences[s]->items;
            const auto& b = first[e].sequences[s]->items;
            ASSERT_EQ(a.size(), b.size());
            for (size_t i = 0; i < a.size(); ++i)
                EXPECT_TRUE(std::get<datalib::Data>(a[i]).payload ==
                            std::get<datalib::Data>(b[i]).payload)
                    << again[e].name << " " << s << " " << i;
        }
    }
}

// Checks one sound reference of a config line: the item exists (every
// listed item is stored, see above); a looping reference names a loop, a
// one-shot one does not.
void CheckReference(
    const std::string& where, const std::string& asset, int seq, int item, bool looping,
    const std::function<const sound::SoundListing*(const std::string&, int, int)>& listing) {
    EXPECT_LE(asset.size(), 25u) << where;
    EXPECT_TRUE(seq >= 1 && seq <= 12) << where;
    const sound::SoundListing* l = listing(asset, seq - 1, item);
    EXPECT_NE(l, nullptr) << where << ": no such sound item";
    if (l) {
        EXPECT_EQ(l->loopSeconds > 0, looping) << where << ": " << l->description;
    }
}

TEST_F(Sounds, SoundLinesNameItemsThatExist) {
    std::string path = SourceDir() + "/content/config/sound-lines.txt";
    std::vector<std::string> lines = ReadLines(path);
    ASSERT_FALSE(lines.empty()) << path;
    std::map<std::string, int> animSounds;
    int objSounds = 0, objLoops = 0;
    auto listing = [](const std::string& a, int s, int i) { return Listing(a, s, i); };
    for (size_t n = 0; n < lines.size(); ++n) {
        std::vector<std::string> t = Tokens(lines[n]);
        if (t.empty()) continue;
        std::string where = "line " + std::to_string(n + 1) + ": " + lines[n];
        std::string key = Upper(t[0]), sub = t.size() > 1 ? Upper(t[1]) : "";
        if (key == "#ANIMPROP" && sub == "SOUND") {
            ASSERT_EQ(t.size(), 6u) << where;
            EXPECT_EQ(t[2].rfind("AII_", 0), 0u) << where;
            EXPECT_LE(t[2].size(), 36u) << where;
            EXPECT_EQ(animSounds.count(t[2]), 0u) << where << ": only the first SOUND line counts";
            animSounds[t[2]] = 1;
            int s = std::stoi(t[4]), i = std::stoi(t[5]);
            EXPECT_TRUE(i >= 0 && i <= 1098) << where;
            CheckReference(where, t[3], std::abs(s), i % 1000, i >= 1000, listing);
        } else if (key == "#OBJPROP" && sub == "SOUND") {
            ASSERT_EQ(t.size(), 10u) << where;
            ++objSounds;
            for (int k = 0; k < 5; ++k)
                CheckReference(where, t[3], std::stoi(t[4]), std::stoi(t[5 + k]), false, listing);
        } else if (key == "#OBJPROP" && sub == "MATSOUNDLOOP") {
            ASSERT_EQ(t.size(), 6u) << where;
            ++objLoops;
            CheckReference(where, t[3], std::stoi(t[4]), std::stoi(t[5]), true, listing);
        } else {
            ADD_FAILURE() << where << ": not a sound line";
        }
    }
    // The cues the game plays by record must all be there.
    for (const char* cue :
         {"AII_GUIButton", "AII_GUIButtonShort", "AII_LevelWon", "AII_GameWon", "AII_CountDown",
          "AII_NoGas", "AII_Lifes", "AII_Extra1", "AII_Extra2", "AII_Extra3", "AII_Extra4",
          "AII_PlayerLeftSaw", "AII_PlayerRightSaw", "AII_PlayerLeftSwingSaw"})
        EXPECT_EQ(animSounds.count(cue), 1u) << cue;
    EXPECT_GT(objSounds, 0);
    EXPECT_EQ(objSounds, objLoops) << "every piece needs its cut sounds and its material loop";
}

// The game's sound table keeps every sound it has played for the whole run,
// 64 at most; a 65th stays silent. Everything the lines name, with the two
// music pieces, must fit with room to spare.
TEST_F(Sounds, SoundLinesFitTheSoundTable) {
    std::set<std::string> distinct;
    for (const auto& line : ReadLines(SourceDir() + "/content/config/sound-lines.txt")) {
        std::vector<std::string> t = Tokens(line);
        if (t.size() < 6) continue;
        if (Upper(t[0]) == "#ANIMPROP") {
            distinct.insert(Upper(t[3]) + " " + std::to_string(std::abs(std::stoi(t[4]))) + " " +
                            std::to_string(std::stoi(t[5]) % 1000));
        } else if (Upper(t[1]) == "SOUND") {
            for (int k = 0; k < 5; ++k) distinct.insert(Upper(t[3]) + " " + t[4] + " " + t[5 + k]);
        } else {
            distinct.insert(Upper(t[3]) + " " + t[4] + " " + t[5]);
        }
    }
    ASSERT_GT(distinct.size(), 20u);
    EXPECT_LE(distinct.size() + 2, 60u) << "sounds named by the config lines, plus the music";
}

// The content generator copies our lines into the shipped AnimProps and
// ObjectProps; the first SOUND line for a record is the one that counts.
TEST_F(Sounds, ShippedConfigCarriesTheSoundLines) {
    std::vector<std::string> ours = ReadLines(SourceDir() + "/content/config/sound-lines.txt");
    std::vector<std::string> anim = ReadLines(SourceDir() + "/content/config/AnimProps.txt");
    std::vector<std::string> obj = ReadLines(SourceDir() + "/content/config/ObjectProps.txt");
    if (anim.empty() || obj.empty()) GTEST_SKIP() << "no AnimProps.txt / ObjectProps.txt yet";
    auto firstSound = [](const std::vector<std::string>& lines, const std::string& record) {
        for (const auto& line : lines) {
            std::vector<std::string> t = Tokens(line);
            if (t.size() >= 3 && Upper(t[0]) == "#ANIMPROP" && Upper(t[1]) == "SOUND" &&
                Upper(t[2]) == Upper(record))
                return t;
        }
        return std::vector<std::string>{};
    };
    auto hasLine = [](const std::vector<std::string>& lines, const std::vector<std::string>& want) {
        for (const auto& line : lines) {
            std::vector<std::string> t = Tokens(line);
            if (t.size() != want.size()) continue;
            bool same = true;
            for (size_t i = 0; i < t.size() && same; ++i) same = Upper(t[i]) == Upper(want[i]);
            if (same) return true;
        }
        return false;
    };
    for (const auto& line : ours) {
        std::vector<std::string> t = Tokens(line);
        if (t.size() < 3) continue;
        if (Upper(t[0]) == "#ANIMPROP")
            EXPECT_EQ(firstSound(anim, t[2]), t) << "AnimProps.txt lacks: " << line;
        else
            EXPECT_TRUE(hasLine(obj, t)) << "ObjectProps.txt lacks: " << line;
    }
}

TEST_F(Sounds, DocsListEveryItem) {
    std::vector<std::string> doc = ReadLines(SourceDir() + "/docs/sounds.md");
    ASSERT_FALSE(doc.empty());
    for (const auto& l : Listings()) {
        std::string row = "| " + l.entry + " | " + std::to_string(l.sequence) + " | " +
                          std::to_string(l.item) + " |";
        bool found = std::any_of(doc.begin(), doc.end(),
                                 [&](const std::string& s) { return s.rfind(row, 0) == 0; });
        EXPECT_TRUE(found) << "docs/sounds.md has no row " << row;
    }
}

}  // namespace
