// The high-score table: defaults, ranking and insertion, "HiScore.dat" and
// the name entry.
#include <sys/resource.h>

#include <csignal>
#include <fstream>

#include "tests/ui/UiFixture.h"

using uitest::UiFixture;
using Key = ScriptedPlatform::Key;

namespace {

class HighScores : public UiFixture {
protected:
    std::filesystem::path ScoreFile() const { return dir / "save" / "HiScore.dat"; }

    void WriteScoreFile(const std::vector<std::uint8_t>& bytes) {
        std::ofstream f(ScoreFile(), std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }

    static std::vector<std::uint8_t> FileImage(int firstScore) {
        std::vector<std::uint8_t> b = {0xB3, 0x12, 0x76, 0x0F};
        for (int i = 0; i < 10; ++i) {
            int score = firstScore - i;
            for (int k = 0; k < 4; ++k) b.push_back(static_cast<std::uint8_t>(score >> (8 * k)));
            std::string name = "P" + std::to_string(i);
            for (int k = 0; k < 12; ++k) b.push_back(k < int(name.size()) ? name[k] : 0);
        }
        return b;
    }

    // Presses a character key, runs one name-entry frame, and releases it.
    bool Type(unsigned char c, bool shift = false) {
        if (shift) platform->SetKey(Key::Shift, true);
        platform->SetCharKey(c, true);
        bool done = RunNameEntry();
        platform->SetCharKey(c, false);
        if (shift) platform->SetKey(Key::Shift, false);
        RunNameEntry();  // the key is up again: the entry forgets it
        return done;
    }
};

TEST_F(HighScores, DefaultTableIsNamedByText7AndScoredHundredDownToTen) {
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(HighScoreValue(i), 100 - 10 * i) << "entry " << i;
        EXPECT_STREQ(HighScoreName(i), "Nobody") << "entry " << i;
    }
    EXPECT_STREQ(TypedName(), "");
}

TEST_F(HighScores, RankAndInsertionPlaceEqualScoresAbove) {
    EXPECT_TRUE(QualifiesForHighScore(10));
    EXPECT_FALSE(QualifiesForHighScore(9));
    EXPECT_EQ(HighScoreRank(9), -1);
    EXPECT_EQ(HighScoreRank(10), 9);
    EXPECT_EQ(HighScoreRank(1000), 0);

    // 95 goes to index 1; the former 1..8 move to 2..9 and the old 10 is lost.
    InsertHighScore(HighScoreRank(95), 95, "Anna", true);
    EXPECT_EQ(HighScoreValue(0), 100);
    EXPECT_EQ(HighScoreValue(1), 95);
    EXPECT_STREQ(HighScoreName(1), "Anna");
    EXPECT_EQ(HighScoreValue(2), 90);
    EXPECT_EQ(HighScoreValue(9), 20);

    // A score equal to the last one goes above it and pushes it out.
    InsertHighScore(HighScoreRank(20), 20, "Bert", true);
    EXPECT_STREQ(HighScoreName(9), "Bert");
    EXPECT_EQ(HighScoreValue(9), 20);

    // Without shift an entry is overwritten in place.
    InsertHighScore(0, 7, "Cleo", false);
    EXPECT_EQ(HighScoreValue(0), 7);
    EXPECT_EQ(HighScoreValue(1), 95);
}

TEST_F(HighScores, FileRoundTripKeepsEveryEntry) {
    InsertHighScore(HighScoreRank(55), 55, "Dora", true);
    ASSERT_TRUE(SaveHighScores("HiScore.dat"));
    ASSERT_EQ(std::filesystem::file_size(ScoreFile()), 164u);

    ResetHighScores();
    EXPECT_EQ(HighScoreValue(5), 50);
    ASSERT_TRUE(LoadHighScores("HiScore.dat"));
    EXPECT_EQ(HighScoreValue(5), 55);
    EXPECT_STREQ(HighScoreName(5), "Dora");
    EXPECT_EQ(HighScoreValue(9), 20);

    std::ifstream f(ScoreFile(), std::ios::binary);
    unsigned char magic[4];
    f.read(reinterpret_cast<char*>(magic), 4);
    EXPECT_EQ(magic[0], 0xB3);
    EXPECT_EQ(magic[3], 0x0F);
}

TEST_F(HighScores, ForeignMissingAndShortFiles) {
    EXPECT_FALSE(LoadHighScores("HiScore.dat")) << "no file yet";
    EXPECT_EQ(HighScoreValue(0), 100);

    auto foreign = FileImage(500);
    foreign[0] = 0x00;
    WriteScoreFile(foreign);
    EXPECT_FALSE(LoadHighScores("HiScore.dat"));
    EXPECT_EQ(HighScoreValue(0), 100) << "a foreign file leaves the defaults";

    // A short file replaces the entries as far as it reaches: here entries 0
    // and 1 whole and the score of entry 2.
    auto shortFile = FileImage(500);
    shortFile.resize(4 + 16 * 2 + 4);
    WriteScoreFile(shortFile);
    EXPECT_FALSE(LoadHighScores("HiScore.dat"));
    EXPECT_EQ(HighScoreValue(0), 500);
    EXPECT_STREQ(HighScoreName(1), "P1");
    EXPECT_EQ(HighScoreValue(2), 498);
    EXPECT_STREQ(HighScoreName(2), "Nobody");
    EXPECT_EQ(HighScoreValue(3), 70);
}

TEST_F(HighScores, NamesFromAFileAreTerminatedWithinTheirBytes) {
    auto image = FileImage(300);
    for (int k = 0; k < 12; ++k) image[4 + 4 + k] = 'X';  // entry 0: twelve letters, no NUL
    WriteScoreFile(image);
    ASSERT_TRUE(LoadHighScores("HiScore.dat"));
    EXPECT_EQ(std::string(HighScoreName(0)), std::string(11, 'X'));
    EXPECT_STREQ(HighScoreName(1), "P1");
}

// Saving onto a full disk: the process may write only `limit` bytes into any
// file (the kernel refuses the rest), which cuts the save short at the magic
// number or inside the table.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit l = previous;
        l.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit previous{};
    void (*previousHandler)(int);
};

TEST_F(HighScores, InterruptedSaveKeepsTheOldTable) {
    InsertHighScore(0, 777, "Old", true);
    ASSERT_TRUE(SaveHighScores("HiScore.dat"));

    for (rlim_t limit : {0, 2, 4, 50, 163}) {
        InsertHighScore(0, 888, "New", true);
        {
            FileSizeLimit full(limit);
            EXPECT_FALSE(SaveHighScores("HiScore.dat")) << "disk full after " << limit << " bytes";
            EXPECT_TRUE(HighScoreSaveFailed()) << "noted on the table screen";
        }
        ResetHighScores();
        ASSERT_TRUE(LoadHighScores("HiScore.dat")) << "disk full after " << limit << " bytes";
        EXPECT_EQ(HighScoreValue(0), 777) << "the old table survives; limit " << limit;
        EXPECT_EQ(std::filesystem::file_size(ScoreFile()), 164u);
    }

    InsertHighScore(0, 999, "Newest", true);
    ASSERT_TRUE(SaveHighScores("HiScore.dat"));
    ResetHighScores();
    ASSERT_TRUE(LoadHighScores("HiScore.dat"));
    EXPECT_EQ(HighScoreValue(0), 999) << "a save with room replaces the table";
    EXPECT_FALSE(HighScoreSaveFailed());
    int leftovers = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir / "save"))
        if (e.path().filename() != "HiScore.dat") ++leftovers;
    EXPECT_EQ(leftovers, 0) << "no temporary files are left behind";

    // A save that cannot even start says which file and why.
    std::filesystem::create_directory(dir / "save" / "HiScore.dat.new");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveHighScores("HiScore.dat"));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(ScoreFile().string() + ": Is a directory"), std::string::npos) << said;
    EXPECT_TRUE(HighScoreSaveFailed());
    std::filesystem::remove(dir / "save" / "HiScore.dat.new");

    // A save killed before its rename leaves the temporary file: the next
    // start removes it and keeps the table.
    std::ofstream(dir / "save" / "HiScore.dat.new") << "half a table";
    platform->Files().SetSaveFolder((dir / "save").string());  // as at start-up
    EXPECT_FALSE(std::filesystem::exists(dir / "save" / "HiScore.dat.new"));
    ResetHighScores();
    ASSERT_TRUE(LoadHighScores("HiScore.dat"));
    EXPECT_EQ(HighScoreValue(0), 999);
}

TEST_F(HighScores, NameEntryTypesOneCharacterPerPress) {
    platform->SetCharKey('a', true);
    EXPECT_FALSE(RunNameEntry());
    EXPECT_FALSE(RunNameEntry());
    EXPECT_STREQ(TypedName(), "a") << "a held key types once";
    platform->SetCharKey('a', false);
    RunNameEntry();

    Type('b', true);
    EXPECT_STREQ(TypedName(), "aB") << "Shift gives the capital";

    Type(8);
    EXPECT_STREQ(TypedName(), "a") << "Backspace removes the last character";
    Type(8);
    Type(8);
    EXPECT_STREQ(TypedName(), "");

    Type('+');
    EXPECT_STREQ(TypedName(), "") << "no glyph in the small font: cannot be typed";

    for (int i = 0; i < 12; ++i) Type('x');
    EXPECT_STREQ(TypedName(), "xxxxxxxxxx") << "typing stops at ten characters";

    platform->SetKey(Key::Enter, true);
    int polls = 0;
    platform->SetPollHook([&] {
        if (++polls > 3) platform->SetKey(Key::Enter, false);
    });
    EXPECT_TRUE(RunNameEntry()) << "Enter ends the entry once released";
    EXPECT_FALSE(platform->IsKeyDown(Key::Enter));
    platform->SetPollHook(nullptr);
    EXPECT_STREQ(TypedName(), "xxxxxxxxxx") << "the typed name is kept for the next entry";
}

}  // namespace
