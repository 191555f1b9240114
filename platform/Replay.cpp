// The replay file (see Replay.h and docs/replays.md).
#include "platform/Replay.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

// ---- Checksum and numbers ---------------------------------------------------------

// CRC-32 as zlib and PNG compute it (reflected polynomial 0xEDB88320).
u32 Crc32(u32 crc, const char* data, std::size_t length) {
    static const auto table = [] {
        std::vector<u32> t(256);
        for (u32 n = 0; n < 256; ++n) {
            u32 c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < length; ++i) {
        crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

void PutVarint(std::string& out, u64 v) {
    while (v >= 0x80) {
        out.push_back(static_cast<char>((v & 0x7F) | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<char>(v));
}

void PutSigned(std::string& out, i64 v) {
    PutVarint(out, (static_cast<u64>(v) << 1) ^ static_cast<u64>(v >> 63));
}

void PutFixed(std::string& out, u64 v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

void PutString(std::string& out, const std::string& s) {
    PutVarint(out, s.size());
    out += s;
}

// What the encoder and the decoder remember from one record to the next.
struct RecordContext {
    u32 lastClock = 0;
    std::vector<u32> lastSteps;
    u64 lastInputCalls = 0;
};

// The first byte of a record.
constexpr u8 kKindMask = 0x03;
constexpr u8 kFullPresent = 0x04;
constexpr u8 kChecked = 0x08;
constexpr u8 kSameClockCount = 0x10;
constexpr u8 kSameClockSteps = 0x20;  // the same differences as the record before
constexpr u8 kSameInputCalls = 0x40;
constexpr u8 kHasChanges = 0x80;

void EncodeRecord(const ReplayRecord& r, RecordContext& context, std::string& out) {
    std::vector<u32> steps(r.clock.size());
    u32 previous = context.lastClock;
    for (std::size_t i = 0; i < r.clock.size(); ++i) {
        steps[i] = r.clock[i] - previous;
        previous = r.clock[i];
    }
    u8 tag = static_cast<u8>(r.kind);
    if (r.fullPresent) tag |= kFullPresent;
    if (r.checked) tag |= kChecked;
    if (steps.size() == context.lastSteps.size()) tag |= kSameClockCount;
    if (steps == context.lastSteps) tag |= kSameClockSteps;
    if (r.inputCalls == context.lastInputCalls) tag |= kSameInputCalls;
    if (!r.changes.empty()) tag |= kHasChanges;
    out.push_back(static_cast<char>(tag));
    if (!(tag & kSameClockSteps)) {
        if (!(tag & kSameClockCount)) PutVarint(out, steps.size());
        for (u32 s : steps) PutVarint(out, s);
    }
    if (!(tag & kSameInputCalls)) PutVarint(out, r.inputCalls);
    if (tag & kHasChanges) {
        PutVarint(out, r.changes.size());
        u64 call = 0;
        for (const ReplayChange& c : r.changes) {
            PutVarint(out, c.call - call);
            call = c.call;
            PutVarint(out, c.query);
            PutSigned(out, c.value);
        }
    }
    if (r.checked) PutFixed(out, r.hash, 8);
    context.lastClock = previous;
    context.lastSteps = std::move(steps);
    context.lastInputCalls = r.inputCalls;
}

std::string EncodeHeader(const ReplayHeader& header) {
    std::string out(kReplayMagic, sizeof kReplayMagic);
    PutFixed(out, kReplayVersion, 4);
    PutString(out, header.host);
    PutFixed(out, header.seed, 4);
    PutVarint(out, header.saveFiles.size());
    for (const ReplaySaveFile& f : header.saveFiles) {
        PutString(out, f.name);
        PutString(out, f.bytes);
    }
    return out;
}

std::string EncodeEnd(const ReplayEnd& end) {
    std::string out;
    PutVarint(out, end.frames);
    PutSigned(out, end.score);
    PutFixed(out, end.lastFrameHash, 8);
    return out;
}

// ---- Reading ------------------------------------------------------------------------

// Reads from a byte range; the first failure sticks and says where it was.
class Reader {
public:
    Reader(const std::string& bytes, std::size_t from, std::size_t to)
        : bytes(bytes), at(from), end(to) {}

    bool Ok() const { return error.empty(); }
    const std::string& Error() const { return error; }
    std::size_t Left() const { return end - at; }
    bool AtEnd() const { return at == end; }
    void Fail(const std::string& what) {
        if (error.empty()) error = what + " at byte " + std::to_string(at);
    }

    u8 Byte() {
        if (!Ok() || at >= end) {
            Fail("unexpected end");
            return 0;
        }
        return static_cast<u8>(bytes[at++]);
    }
    u64 Varint() {
        u64 v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const u8 b = Byte();
            if (!Ok()) return 0;
            if (shift == 63 && b > 1) break;
            v |= static_cast<u64>(b & 0x7F) << shift;
            if (!(b & 0x80)) return v;
        }
        Fail("a number too long");
        return 0;
    }
    i64 Signed() {
        const u64 z = Varint();
        return static_cast<i64>(z >> 1) ^ -static_cast<i64>(z & 1);
    }
    u64 Fixed(int count) {
        u64 v = 0;
        for (int i = 0; i < count; ++i) v |= static_cast<u64>(Byte()) << (8 * i);
        return v;
    }
    // A count of things that take at least one byte each.
    u64 Count() {
        const u64 n = Varint();
        if (Ok() && n > Left()) Fail("a count larger than the file");
        return Ok() ? n : 0;
    }
    std::string String() {
        const u64 n = Count();
        std::string s = Ok() ? bytes.substr(at, n) : std::string();
        at += n;
        return s;
    }

private:
    const std::string& bytes;
    std::size_t at;
    std::size_t end;
    std::string error;
};

bool IsBoolQuery(u32 query) {
    const int slot = ReplayQuerySlot(query);
    return slot != kSlotMousePosition || (query & 0xFF) == kMouseReadable;
}

void DecodeRecord(Reader& in, RecordContext& context, ReplayRecord* r) {
    const u8 tag = in.Byte();
    if ((tag & kKindMask) > static_cast<u8>(ReplayRecord::Kind::Shutdown)) {
        in.Fail("an unknown record");
        return;
    }
    r->kind = static_cast<ReplayRecord::Kind>(tag & kKindMask);
    r->fullPresent = tag & kFullPresent;
    r->checked = tag & kChecked;
    std::vector<u32> steps;
    if (tag & kSameClockSteps) {
        steps = context.lastSteps;
    } else {
        const u64 count = (tag & kSameClockCount) ? context.lastSteps.size() : in.Count();
        if (count > in.Left()) in.Fail("more clock readings than the file holds");
        for (u64 i = 0; i < count && in.Ok(); ++i) {
            const u64 s = in.Varint();
            if (s > 0xFFFFFFFFu) in.Fail("a clock step out of range");
            steps.push_back(static_cast<u32>(s));
        }
    }
    r->clock.clear();
    u32 clock = context.lastClock;
    for (u32 s : steps) r->clock.push_back(clock += s);
    r->inputCalls = (tag & kSameInputCalls) ? context.lastInputCalls : in.Varint();
    r->changes.clear();
    if (tag & kHasChanges) {
        const u64 count = in.Count();
        u64 call = 0;
        for (u64 i = 0; i < count && in.Ok(); ++i) {
            ReplayChange c;
            const u64 gap = in.Varint();
            c.call = call + gap;
            if (gap > r->inputCalls || c.call >= r->inputCalls) {
                in.Fail("an answer to a query that was never asked");
            }
            call = c.call;
            const u64 query = in.Varint();
            c.query = static_cast<u32>(query);
            if (query > 0xFFFFFFFFu || !IsReplayQuery(c.query)) in.Fail("an unknown query");
            c.value = in.Signed();
            if (IsBoolQuery(c.query) ? (c.value != 0 && c.value != 1)
                                     : (c.value < INT32_MIN || c.value > INT32_MAX)) {
                in.Fail("an answer out of range");
            }
            r->changes.push_back(c);
        }
    }
    if (r->checked) {
        if (r->kind != ReplayRecord::Kind::Frame) in.Fail("a check outside a frame");
        r->hash = in.Fixed(8);
    }
    context.lastClock = clock;
    context.lastSteps = std::move(steps);
    context.lastInputCalls = r->inputCalls;
}

}  // namespace

// ---- Queries --------------------------------------------------------------------------

bool IsReplayQuery(u32 query) {
    const int slot = ReplayQuerySlot(query);
    const int argument = static_cast<int>(query & 0xFF);
    switch (slot) {
        case 4:
        case 13:
            return true;
        case 5:
            return argument >= 1 && argument <= 12;
        case kSlotMousePosition:
            return argument <= kMouseY;
        case kSlotCheatCode:
            return argument == 0;
        default:
            return slot >= 0 && slot <= 15 && argument == 0;
    }
}

std::string DescribeReplayQuery(u32 query) {
    static const char* const kNames[] = {
        "IsUpArrowPressed", "IsDownArrowPressed",   "IsLeftArrowPressed",  "IsRightArrowPressed",
        "IsCharKeyPressed", "IsFunctionKeyPressed", "IsBackspacePressed",  "IsEnterPressed",
        "IsSpacePressed",   "GetDownArrowToggle",   "GetUpArrowToggle",    "IsEscapePressed",
        "IsPausePressed",   "GetCharKeyToggle",     "IsLeftButtonPressed", "IsRightButtonPressed",
        "GetMousePosition"};
    const int slot = ReplayQuerySlot(query);
    const int argument = static_cast<int>(query & 0xFF);
    if (slot == kSlotCheatCode) return "IsCheatCodeEntered";
    if (slot < 0 || slot > kSlotMousePosition) return "slot " + std::to_string(slot);
    std::string name = kNames[slot];
    if (slot == 4 || slot == 13) {
        char quoted[16];
        if (argument >= 32 && argument < 127) {
            std::snprintf(quoted, sizeof quoted, "('%c')", argument);
        } else {
            std::snprintf(quoted, sizeof quoted, "(%d)", argument);
        }
        name += quoted;
    } else if (slot == 5) {
        name += "(" + std::to_string(argument) + ")";
    }
    return name;
}

// ---- Writing ----------------------------------------------------------------------------

bool ReplayWriter::Open(const std::string& filePath, std::string* error) {
    path = filePath;
    out.open(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        *error = "the replay " + path + " cannot be written: " + std::strerror(errno);
        return false;
    }
    crc = 0;
    return true;
}

void ReplayWriter::Put(const std::string& bytes) {
    crc = Crc32(crc, bytes.data(), bytes.size());
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void ReplayWriter::WriteHeader(const ReplayHeader& header) {
    Put(EncodeHeader(header));
}

void ReplayWriter::WriteRecord(const ReplayRecord& record) {
    RecordContext context{lastClock, std::move(lastSteps), lastInputCalls};
    std::string bytes;
    EncodeRecord(record, context, bytes);
    lastClock = context.lastClock;
    lastSteps = std::move(context.lastSteps);
    lastInputCalls = context.lastInputCalls;
    Put(bytes);
    // What was played so far is on disk, should the game not come back.
    if (++recordsSinceFlush >= kReplayCheckEvery) {
        out.flush();
        recordsSinceFlush = 0;
    }
}

bool ReplayWriter::Finish(const ReplayEnd& end, std::string* error) {
    Put(EncodeEnd(end));
    std::string sum;
    PutFixed(sum, crc, 4);
    out.write(sum.data(), 4);
    out.flush();
    const bool ok = static_cast<bool>(out);
    out.close();
    if (!ok) *error = "the replay " + path + " could not be written completely";
    return ok;
}

std::string EncodeReplay(const ReplayFile& replay) {
    std::string out = EncodeHeader(replay.header);
    RecordContext context;
    for (const ReplayRecord& r : replay.records) EncodeRecord(r, context, out);
    out += EncodeEnd(replay.end);
    PutFixed(out, Crc32(0, out.data(), out.size()), 4);
    return out;
}

bool DecodeReplay(const std::string& bytes, ReplayFile* replay, std::string* error) {
    constexpr std::size_t kVersionEnd = sizeof kReplayMagic + 4;
    if (bytes.size() < sizeof kReplayMagic ||
        std::memcmp(bytes.data(), kReplayMagic, sizeof kReplayMagic) != 0) {
        *error = "not a Brettspalt replay";
        return false;
    }
    if (bytes.size() < kVersionEnd + 4) {
        *error = "the replay is cut short";
        return false;
    }
    Reader versionReader(bytes, sizeof kReplayMagic, kVersionEnd);
    const u32 version = static_cast<u32>(versionReader.Fixed(4));
    if (version != kReplayVersion) {
        *error = "the replay has format version " + std::to_string(version) +
                 "; this build plays version " + std::to_string(kReplayVersion);
        return false;
    }
    const std::size_t body = bytes.size() - 4;
    Reader sumReader(bytes, body, bytes.size());
    if (Crc32(0, bytes.data(), body) != static_cast<u32>(sumReader.Fixed(4))) {
        *error = "the replay is damaged or cut short (its checksum does not match)";
        return false;
    }

    Reader in(bytes, kVersionEnd, body);
    ReplayFile result;
    result.header.host = in.String();
    result.header.seed = static_cast<u32>(in.Fixed(4));
    const u64 files = in.Count();
    for (u64 i = 0; i < files && in.Ok(); ++i) {
        ReplaySaveFile f;
        f.name = in.String();
        f.bytes = in.String();
        // Only plain names below the save folder may be written back.
        if (f.name.empty() || f.name[0] == '/' || f.name.find("..") != std::string::npos ||
            f.name.find('\0') != std::string::npos) {
            in.Fail("a saved file with an unsafe name");
        }
        result.header.saveFiles.push_back(std::move(f));
    }
    RecordContext context;
    u64 frames = 0;
    bool ended = false;
    // A record may repeat the clock steps of the one before in one byte; a
    // run reads the clock a few times a frame, so far fewer readings than
    // this mean a file made to blow up in memory.
    const u64 readingsAllowed = 64 * static_cast<u64>(bytes.size()) + 4096;
    u64 readings = 0;
    while (in.Ok() && !ended) {
        ReplayRecord r;
        DecodeRecord(in, context, &r);
        if (!in.Ok()) break;
        readings += r.clock.size();
        if (readings > readingsAllowed) in.Fail("more clock readings than any run makes");
        const bool first = result.records.empty();
        if (first != (r.kind == ReplayRecord::Kind::Init)) {
            in.Fail(first ? "a run that does not begin with the game's start"
                          : "a second start of the game");
        }
        if (r.kind == ReplayRecord::Kind::Frame) ++frames;
        ended = r.kind == ReplayRecord::Kind::Shutdown;
        result.records.push_back(std::move(r));
    }
    result.end.frames = in.Varint();
    const i64 score = in.Signed();
    result.end.lastFrameHash = in.Fixed(8);
    if (in.Ok() && (score < INT32_MIN || score > INT32_MAX)) in.Fail("a score out of range");
    if (in.Ok() && result.end.frames != frames) in.Fail("a frame count that does not match");
    if (in.Ok() && !in.AtEnd()) in.Fail("bytes after the end");
    if (!in.Ok()) {
        *error = "the replay is damaged: " + in.Error();
        return false;
    }
    result.end.score = static_cast<i32>(score);
    *replay = std::move(result);
    return true;
}

bool ReadReplayFile(const std::string& path, ReplayFile* replay, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "the replay " + path + " cannot be read: " + std::strerror(errno);
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        *error = "the replay " + path + " cannot be read";
        return false;
    }
    if (!DecodeReplay(bytes, replay, error)) {
        *error = path + ": " + *error;
        return false;
    }
    return true;
}

u64 FrameBufferHash(const u16* pixels, i32 width, i32 height, i32 pitchBytes) {
    u64 hash = 0xcbf29ce484222325ull;
    if (pixels == nullptr) return hash;
    for (i32 y = 0; y < height; ++y) {
        const u16* row =
            pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(pitchBytes / 2);
        for (i32 x = 0; x < width; ++x) {
            hash = (hash ^ (row[x] & 0xFF)) * 0x100000001b3ull;
            hash = (hash ^ (row[x] >> 8)) * 0x100000001b3ull;
        }
    }
    return hash;
}
