// The catalogue of our sounds: which recipe fills which item of which entry,
// at which level, and how it is stored.
#include "tools/assetgen/sound/Sounds.h"

#include <algorithm>
#include <cfenv>
#include <functional>
#include <future>
#include <map>

#include "tools/assetgen/sound/Effects.h"
#include "tools/assetgen/sound/Encode.h"
#include "tools/assetgen/sound/Music.h"

namespace sound {

namespace {

// Levels, in dBFS peak. One-shots sit just under full scale; sounds that run
// for long stretches (loops, footsteps, the hover blip) sit lower so they do
// not tire the ear, and so do the dense saw sounds, whose average is much
// closer to their peak than a crack's; the music sits 6 dB under the effects.
constexpr double kOneShotDb = -1.0;
constexpr double kSawDb = -4.0;
constexpr double kLoopDb = -4.0;
constexpr double kStepDb = -9.0;
constexpr double kHardStepDb = -6.0;
constexpr double kMusicDb = -7.0;
constexpr float kMusicQuality = 0.3f;

struct Recipe {
    SoundListing info;
    std::function<Mono()> effect;  // a wave item
    std::function<Score()> music;  // or an Ogg Vorbis piece
};

std::vector<Recipe> Recipes() {
    std::vector<Recipe> r;
    auto fx = [&r](const char* entry, int seq, int item, const char* what, double db,
                   std::function<Mono()> make, double loop = 0) {
        SoundListing info;
        info.entry = entry;
        info.sequence = seq;
        info.item = item;
        info.description = what;
        info.peakDb = db;
        info.loopSeconds = loop;
        r.push_back({info, std::move(make), nullptr});
    };
    auto piece = [&r](int item, const char* what, std::function<Score()> make) {
        Score s = make();
        SoundListing info;
        info.entry = "SOUND_Music";
        info.sequence = 0;
        info.item = item;
        info.description = what;
        info.ogg = true;
        info.barSeconds = s.SecondsPerBeat() * s.beatsPerBar;
        info.loopSeconds = info.barSeconds * s.bars;
        info.peakDb = kMusicDb;
        r.push_back({info, nullptr, std::move(make)});
    };

    piece(0, "menu music: ragtime shuffle in C, 120 bpm, 24 bars", MenuMusicScore);
    piece(1, "in-game music: galop in G, 140 bpm, 32 bars", GameMusicScore);

    fx("SOUND_Saw", 0, 0, "saw starts: cord pull, engine catches and revs", kSawDb, SawStart);
    fx("SOUND_Saw", 0, 1, "saw running at cutting speed (loop)", kLoopDb, SawRunning, 2.0);
    fx("SOUND_Saw", 0, 2, "saw revs down to idle", kSawDb, SawRevDown);
    fx("SOUND_Saw", 0, 3, "saw revved in bursts, threatening (loop)", -6.0, SawThreaten, 2.0);
    fx("SOUND_Saw", 0, 4, "saw revs up (lifted to threaten)", kSawDb, SawRevUp);
    fx("SOUND_Saw", 0, 5, "out of gas: splutter, cough, pop", kOneShotDb, SawOutOfGas);

    const struct {
        Material m;
        const char* name;
        const char* cut;  // what a section cut sounds like
    } materials[] = {{Material::LightWood, "light wood", "crack and dust"},
                     {Material::HeavyWood, "heavy wood", "creak, deep crack and dust"},
                     {Material::Upholstery, "upholstery", "cloth rips, springs boing"},
                     {Material::Piano, "piano", "crack and snapping strings"},
                     {Material::Clock, "grandfather clock", "crack and a protesting chime"}};
    // Four items per material: the game's sound table holds 64 sounds for the
    // whole run, so the three section cuts share one crack.
    for (int s = 0; s < 5; ++s) {
        Material m = materials[s].m;
        std::string name = materials[s].name;
        r.push_back({{"SOUND_Cuts", s, 0, name + ": a section cut, " + materials[s].cut, false, 0,
                      0, kOneShotDb},
                     [m] { return Cut(m, 2); },
                     nullptr});
        r.push_back({{"SOUND_Cuts", s, 1, name + ": the last cut, the piece falls apart", false, 0,
                      0, kOneShotDb},
                     [m] { return Cut(m, 4); },
                     nullptr});
        r.push_back({{"SOUND_Cuts", s, 2, name + ": nail lock gives way (squeak, crack, nail ping)",
                      false, 0, 0, kOneShotDb},
                     [m] { return LockBreaks(m); },
                     nullptr});
        r.push_back(
            {{"SOUND_Cuts", s, 3, name + ": the chain biting in (loop)", false, 1.6, 0, kLoopDb},
             [m] { return Bite(m); },
             nullptr});
    }

    const char* walkers[] = {"player (work shoes)", "wife (heels)", "removal man (boots)",
                             "policeman (boots)", "lawyer (leather shoes)"};
    // One step each (a negative sequence in the config replays it at every
    // step) and a hard one for the angry walk and the flight.
    for (int w = 0; w < 5; ++w) {
        for (int k = 0; k < 2; ++k) {
            bool hard = k == 1;
            std::string what =
                std::string(walkers[w]) + (hard ? ": hard step (angry walk, flight)" : ": step");
            r.push_back({{"SOUND_Steps", w, k, what, false, 0, 0, hard ? kHardStepDb : kStepDb},
                         [w, hard] { return Footstep(w, 0, hard); },
                         nullptr});
        }
    }

    fx("SOUND_Figures", 0, 0, "police whistle, short-long", -6.0, PoliceWhistle);
    fx("SOUND_Figures", 0, 1, "fight cloud: punches, slaps, whooshes, bonk", kOneShotDb, Brawl);
    fx("SOUND_Figures", 0, 2, "knocked out: bonk and circling birds", kOneShotDb, KnockedOut);
    fx("SOUND_Figures", 0, 3, "hammer blow on a nail", -3.0, HammerBlow);
    fx("SOUND_Figures", 0, 4, "rattling a box of nails", -5.0, NailBoxRattle);
    fx("SOUND_Figures", 0, 5, "leaflet: paper rustle and rubber stamp", -3.0, Leaflet);
    fx("SOUND_Figures", 0, 6, "sad trombone (the wife wins)", -3.0, SadTrombone);
    fx("SOUND_Figures", 0, 7, "canister cap unscrewed", -4.0, CanisterOpen);
    fx("SOUND_Figures", 0, 8, "gas glugging into the tank (loop)", -6.0, GasGlugs, 1.6);
    fx("SOUND_Figures", 0, 9, "canister cap screwed shut", -4.0, CanisterClose);

    fx("SOUND_GUI", 0, 0, "button hover blip", -10.0, ButtonHover);
    fx("SOUND_GUI", 0, 1, "button click", -5.0, ButtonClick);

    fx("SOUND_Jingles", 0, 0, "level won fanfare", kOneShotDb, LevelWonFanfare);
    fx("SOUND_Jingles", 0, 1, "game won march", kOneShotDb, GameWonFanfare);
    fx("SOUND_Jingles", 0, 2, "countdown beep (last seconds)", -3.0, CountdownBeep);
    fx("SOUND_Jingles", 0, 3, "extra life arpeggio", -2.0, ExtraLife);
    fx("SOUND_Jingles", 0, 4, "bonus: extra time (tick-tock, bell)", -2.0, BonusTime);
    fx("SOUND_Jingles", 0, 5, "bonus: double speed (whoosh, zip)", -2.0, BonusSpeed);
    fx("SOUND_Jingles", 0, 6, "bonus: points (cash register)", -2.0, BonusPoints);
    fx("SOUND_Jingles", 0, 7, "bonus: double saw power (rev, rising chord)", -2.0, BonusSawPower);
    fx("SOUND_Jingles", 0, 8, "dust cloud poof", -3.0, DustPoof);
    return r;
}

// The synthesis and the Vorbis encoder are made for round-to-nearest; a caller
// running under another rounding mode (the game sets toward-zero) must not get
// other bytes, or a worse encoding.
class NearestRounding {
public:
    NearestRounding() : saved(std::fegetround()) { std::fesetround(FE_TONEAREST); }
    ~NearestRounding() { std::fesetround(saved); }
    NearestRounding(const NearestRounding&) = delete;
    NearestRounding& operator=(const NearestRounding&) = delete;

private:
    int saved;
};

std::vector<std::uint8_t> Make(const Recipe& recipe) {
    NearestRounding rounding;
    if (recipe.music) {
        Score score = recipe.music();
        Stereo s = RenderScore(score, 44100, true);
        AddRoom(s, 0.5f, true);
        SoftLimit(s, 0.7, 0.0005);
        Normalize(s, recipe.info.peakDb);
        return OggVorbis(s, kMusicQuality, 0x42530000 + recipe.info.item);
    }
    Mono m = recipe.effect();
    if (recipe.info.loopSeconds <= 0) {
        RemoveDc(m);
        FadeOut(m, 0.004);
    }
    Normalize(m, recipe.info.peakDb);
    return WaveImage(m);
}

}  // namespace

std::vector<SoundListing> SoundListings() {
    std::vector<SoundListing> out;
    for (const Recipe& r : Recipes()) out.push_back(r.info);
    return out;
}

std::vector<datalib::Entry> MakeSoundEntries() {
    return MakeSoundEntries(SoundKinds::All);
}

std::vector<datalib::Entry> MakeSoundEntries(SoundKinds kinds) {
    std::vector<Recipe> recipes;
    for (Recipe& r : Recipes()) {
        bool music = static_cast<bool>(r.music);
        if (kinds == SoundKinds::All || (kinds == SoundKinds::Music) == music)
            recipes.push_back(std::move(r));
    }
    // The two music pieces take most of the time; they render on threads of
    // their own while the effects are made. Each item depends on nothing but
    // its recipe, so the bytes do not depend on the order of the work.
    std::vector<std::future<std::vector<std::uint8_t>>> pending(recipes.size());
    for (size_t i = 0; i < recipes.size(); ++i)
        if (recipes[i].music)
            pending[i] = std::async(std::launch::async, Make, std::cref(recipes[i]));
    std::vector<std::vector<std::uint8_t>> payloads(recipes.size());
    for (size_t i = 0; i < recipes.size(); ++i)
        if (!recipes[i].music) payloads[i] = Make(recipes[i]);
    for (size_t i = 0; i < recipes.size(); ++i)
        if (pending[i].valid()) payloads[i] = pending[i].get();

    std::vector<datalib::Entry> entries;
    std::map<std::string, size_t> index;
    for (size_t i = 0; i < recipes.size(); ++i) {
        const SoundListing& info = recipes[i].info;
        auto it = index.find(info.entry);
        if (it == index.end()) {
            datalib::Entry e;
            e.name = info.entry;
            entries.push_back(std::move(e));
            it = index.emplace(info.entry, entries.size() - 1).first;
        }
        auto& seq = entries[it->second].sequences[info.sequence];
        if (!seq) {
            seq.emplace();
            seq->listed = true;
        }
        datalib::Data d;
        d.payload = std::move(payloads[i]);
        d.flags = info.ogg ? 0x80 : 0x00;
        seq->items.resize(std::max<size_t>(seq->items.size(), info.item + 1));
        seq->items[info.item] = std::move(d);
    }
    return entries;
}

}  // namespace sound
