// Any bytes as "Data.lib": opened, every entry it names resolved, every
// sequence and item asked for in every way the game asks, and every picture
// it hands out blitted onto a frame buffer, also partly off screen.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "blit/Blitter.h"
#include "game/AssetLibrary.h"
#include "platform/ScriptedPlatform.h"
#include "tests/foundation/TempDir.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr int kMaxEntries = 64;
constexpr int kMaxItems = 130;  // past a one-item block's reported 99

volatile std::uint32_t sink = 0;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TempDir dir;
    static ScriptedPlatform platform(dir.Path(), dir.Path());
    static std::vector<std::uint16_t> frame(kWidth * kHeight);
    dir.Write("Data.lib", std::string(reinterpret_cast<const char*>(data), size));

    AssetLibrary library(&platform);
    if (!library.Open("Data.lib")) return 0;
    library.Touch(static_cast<i32>(size / 4) + 100);  // more words than there are

    SetBlitTarget(frame.data(), kWidth * 2);
    SetBlitClip(0, 0, kWidth, kHeight);

    // The names straight from the file's own table (checked to fit by Open),
    // plus one that is in no library.
    i32 count = 0, nameTable = 0;
    std::memcpy(&nameTable, library.Base() + 8, 4);
    std::memcpy(&count, library.Base() + 12, 4);
    std::vector<std::string> names = {"no such entry"};
    for (i32 e = 0; e < count && e < kMaxEntries; ++e) {
        const char* name = reinterpret_cast<const char*>(library.Base() + nameTable + 26 * e);
        names.emplace_back(name, strnlen(name, 25));
    }
    for (const std::string& name : names) {
        AssetRef ref;
        ref.Init(name.c_str());
        if (library.Resolve(&ref) < 0) continue;
        for (i32 s = -1; s <= 12; ++s) {
            sink = sink + library.HasSequence(&ref, s);
            const i32 items = library.GetItemCount(&ref, s);
            for (i32 i = -1; i <= items && i < kMaxItems; ++i) {
                sink = sink + (library.GetItem(&ref, s, i) != nullptr);
                if (const DataItem* d = library.GetData(&ref, s, i)) {
                    const u8* p = d->Payload();
                    if (d->payloadSize > 0) sink = sink + p[0] + p[d->payloadSize - 1];
                }
                if (const PictureItem* pic = library.GetPicture(&ref, s, i)) {
                    BlitFrame(100, 100, pic, false);
                    BlitFrame(-pic->width / 2, kHeight - pic->height / 2, pic, true);
                    BlitFrame(kWidth - 3, -5, pic, false);
                }
            }
        }
    }
    library.Close();
    return 0;
}
