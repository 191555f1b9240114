// Recording a run (see ReplayRecorder.h).
#include "platform/ReplayRecorder.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <iterator>

#include "platform/Random.h"

ReplayRecorder* ReplayRecorder::active = nullptr;
GameEntryPoints ReplayRecorder::game{};

ReplayRecorder::ReplayRecorder(Settings settings) : settings(std::move(settings)) {}

ReplayRecorder::~ReplayRecorder() {
    if (active == this) active = nullptr;
}

bool ReplayRecorder::Open(std::string* reason) {
    return writer.Open(settings.path, reason);
}

GameEntryPoints ReplayRecorder::Wrap(const GameEntryPoints& wrapped) {
    active = this;
    game = wrapped;
    GameEntryPoints recorded{Init, wrapped.initError, Shutdown, wrapped.isRunning, Frame};
    // The desktop host's own calls into the game (remembered Options switches,
    // the opt-in pause on focus loss) pass straight through; see docs/replays.md.
    recorded.setSwitches = wrapped.setSwitches;
    recorded.getSwitches = wrapped.getSwitches;
    recorded.pause = wrapped.pause;
    return recorded;
}

// ---- The game's entry calls -------------------------------------------------------

bool ReplayRecorder::Init(PlatformServices* host) {
    ReplayRecorder& r = *active;
    r.SetTarget(host);
    ReplayHeader header;
    header.host = r.settings.host;
    // The host has seeded the generator by now; nothing has drawn from it.
    header.seed = Random::State();
    header.saveFiles = r.TakeInSaveFiles();
    r.writer.WriteHeader(header);
    r.Begin(ReplayRecord::Kind::Init);
    const bool started = game.init(&r);
    r.Finish();
    if (!started) r.error = "the game did not start";
    return started;
}

u32 ReplayRecorder::Frame(bool fullPresent) {
    ReplayRecorder& r = *active;
    r.Begin(ReplayRecord::Kind::Frame, fullPresent);
    const u32 band = game.frame(fullPresent);
    ++r.frames;
    r.KeepLastFrame();
    if (r.frames % kReplayCheckEvery == 0) {
        r.current.checked = true;
        r.current.hash =
            FrameBufferHash(r.lastFrame.data(), r.lastWidth, r.lastHeight, r.lastWidth * 2);
    }
    r.Finish();
    return band;
}

bool ReplayRecorder::Shutdown() {
    ReplayRecorder& r = *active;
    r.end.score = r.settings.score ? r.settings.score() : 0;
    r.Begin(ReplayRecord::Kind::Shutdown);
    const bool result = game.shutdown();
    r.Finish();
    r.end.frames = r.frames;
    r.end.lastFrameHash =
        FrameBufferHash(r.lastFrame.data(), r.lastWidth, r.lastHeight, r.lastWidth * 2);
    r.ended = r.writer.Finish(r.end, &r.error);
    return result;
}

bool ReplayRecorder::Close(std::string* reason) {
    if (ended) return true;
    if (error.empty()) error = "the game did not run to its end";
    *reason = "no replay was recorded: " + error;
    if (writer.IsOpen()) {
        ReplayEnd none;
        std::string ignored;
        writer.Finish(none, &ignored);
    }
    std::error_code ignored;
    std::filesystem::remove(settings.path, ignored);
    return false;
}

// ---- Records ------------------------------------------------------------------------

void ReplayRecorder::Begin(ReplayRecord::Kind kind, bool fullPresent) {
    current = ReplayRecord{};
    current.kind = kind;
    current.fullPresent = fullPresent;
}

void ReplayRecorder::Finish() {
    writer.WriteRecord(current);
}

void ReplayRecorder::Note(u64 call, u32 query, i64 value) {
    i64& last = answers[query];
    if (last == value) return;
    last = value;
    current.changes.push_back(ReplayChange{call, query, value});
}

bool ReplayRecorder::AskKey(u32 query, bool live) {
    Note(current.inputCalls++, query, live ? 1 : 0);
    return live;
}

bool ReplayRecorder::AskMouse(bool readable, i32 liveX, i32 liveY, i32* x, i32* y) {
    const u64 call = current.inputCalls++;
    Note(call, ReplayQuery(kSlotMousePosition, kMouseReadable), readable ? 1 : 0);
    if (!readable) return false;
    Note(call, ReplayQuery(kSlotMousePosition, kMouseX), liveX);
    Note(call, ReplayQuery(kSlotMousePosition, kMouseY), liveY);
    *x = liveX;
    *y = liveY;
    return true;
}

u32 ReplayRecorder::AskClock(u32 live) {
    current.clock.push_back(live);
    return live;
}

// The desktop host takes its frame buffer away before the game shuts down, so
// the last frame is kept for the final check.
void ReplayRecorder::KeepLastFrame() {
    ScreenRect rect{};
    const u16* pixels = Target()->GetScreenPixels();
    if (pixels == nullptr || !Target()->GetScreenRect(&rect)) return;
    const i32 pitch = Target()->GetScreenPitch() / 2;
    lastWidth = rect.right - rect.left;
    lastHeight = rect.bottom - rect.top;
    lastFrame.resize(static_cast<std::size_t>(lastWidth) * static_cast<std::size_t>(lastHeight));
    for (i32 y = 0; y < lastHeight; ++y) {
        std::copy_n(pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(pitch),
                    lastWidth, lastFrame.begin() + static_cast<std::ptrdiff_t>(y) * lastWidth);
    }
}

// Everything in the save folder (the high scores, a modder's Config files)
// shapes the run, so the replay carries it, up to a few megabytes.
std::vector<ReplaySaveFile> ReplayRecorder::TakeInSaveFiles() const {
    namespace fs = std::filesystem;
    std::vector<ReplaySaveFile> files;
    std::error_code failed;
    if (settings.saveFolder.empty() || !fs::is_directory(settings.saveFolder, failed)) return files;
    const fs::path root(settings.saveFolder);
    std::vector<fs::path> paths;
    for (fs::recursive_directory_iterator it(root, failed), last; !failed && it != last;
         it.increment(failed)) {
        if (it->is_regular_file(failed)) paths.push_back(it->path());
    }
    std::sort(paths.begin(), paths.end());
    std::size_t total = 0;
    for (const fs::path& path : paths) {
        const std::string name = path.lexically_relative(root).generic_string();
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) continue;
        if (total + bytes.size() > kReplaySaveFilesMaxBytes) {
            std::cerr << "brettspalt: " << path.string()
                      << " is too large to go into the replay; a replay may differ without it\n";
            continue;
        }
        total += bytes.size();
        files.push_back(ReplaySaveFile{name, std::move(bytes)});
    }
    return files;
}
