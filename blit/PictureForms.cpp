// The other forms of run-length pictures: which pictures may have one, which
// form serves a picture best, building it, and finding it again quickly.
#include "blit/PictureForms.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "blit/Blitter.h"

namespace blit {
namespace {

using i64 = std::int64_t;

// No picture's forms take more than this in all; past it pictures keep their
// runs. The shipped pictures that gain need a few megabytes.
constexpr std::size_t kMostFormBytes = std::size_t{64} << 20;
// Larger pictures (whole background layers) are drawn at memory speed from
// their runs anyway, and their unpacked rows would be more to read.
constexpr i32 kMostFormPixels = 1 << 16;
// Pixels of pictures whose forms one frame may build (a few figures' worth):
// more would make that frame stand out.
constexpr i32 kMostBuiltPerFrame = 1 << 15;

struct Range {
    const u8* begin;
    const u8* end;
};

// A small direct-mapped table in front of the map, so that finding the form
// of a glyph costs less than drawing it.
struct CacheSlot {
    const PictureItem* item = nullptr;
    const PictureForm* form = nullptr;
};
constexpr std::size_t kCacheSlots = 1024;

struct Store {
    std::vector<Range> kept;
    std::unordered_map<const PictureItem*, std::unique_ptr<PictureForm>> forms;
    std::size_t bytes = 0;
    BlitPictureForms policy = BlitPictureForms::Chosen;
    i32 builtThisFrame = 0;  // pixels of the pictures whose forms were built
    CacheSlot cache[kCacheSlots];
};

Store& TheStore() {
    static Store store;
    return store;
}

const PictureForm kRuns{};

std::size_t FormBytes(const PictureForm& form) {
    return (form.pixels.size() + form.spans.size()) * sizeof(u16) + form.rows.size() * sizeof(u32);
}

std::size_t SlotOf(const PictureItem* item) {
    const auto bits = reinterpret_cast<std::uintptr_t>(item);
    return ((bits >> 1) ^ (bits >> 11)) & (kCacheSlots - 1);
}

bool IsKept(const Store& store, const PictureItem* item) {
    const u8* p = reinterpret_cast<const u8*>(item);
    for (const Range& range : store.kept) {
        if (p >= range.begin && p < range.end) return true;
    }
    return false;
}

// One pass over the runs: per row the span of opaque columns, and the counts
// the choice of form needs.
struct RunCensus {
    std::vector<u16> spans;
    i64 runWords = 0;
    bool highBit = false;
};

RunCensus TakeCensus(const PictureItem* item) {
    RunCensus census;
    const u16* words = reinterpret_cast<const u16*>(item + 1);
    census.spans.reserve(static_cast<std::size_t>(item->height) * 2);
    for (i32 row = 0; row < item->height; ++row) {
        i32 first = -1;
        i32 end = 0;
        for (i32 column = 0; column < item->width;) {
            const u16 word = *words++;
            const i32 length = word & 0xFF;
            ++census.runWords;
            if (word <= kLastOpaqueRunWord) {
                if (length > 0) {
                    if (first < 0) first = column;
                    end = column + length;
                }
                for (i32 i = 0; i < length; ++i) census.highBit |= (words[i] & 0x8000) != 0;
                words += length;
            }
            column += length;
        }
        if (first < 0) first = end = 0;
        census.spans.push_back(static_cast<u16>(first));
        census.spans.push_back(static_cast<u16>(end));
    }
    return census;
}

// Runs cost most where they are short: each run word is a branch the
// processor may guess wrong. Unpacked rows win clearly below twenty pixels
// per run word (glyphs have four or five, blit_bench's figure eighteen).
// Since their long spans store at aligned addresses they also win at the
// bench's objects' twenty-three: its play frame, run alone, drew about a
// tenth faster with them unpacked (run among the other scenes, as fast).
// Our streets' figures have 22 to 36; in the game's frames
// a threshold of 20, 26 or 40 made no difference that the machine's noise
// did not hide, while 40 kept two and a half times the forms' memory (20.6
// against 8.2 MB on street 50). Twenty-six takes the objects and 10.2 MB.
bool UnpackedDrawsFaster(const RunCensus& census, const PictureItem* item) {
    return i64{item->width} * item->height < 26 * census.runWords;
}

// The keyed form: the rows unpacked, 0x8000 where clear.
void Unpack(const PictureItem* item, PictureForm* form) {
    const i32 width = item->width;
    form->kind = FormKind::Keyed;
    form->stride = width;
    form->pixels.assign(static_cast<std::size_t>(width) * item->height, u16{0x8000});
    const u16* words = reinterpret_cast<const u16*>(item + 1);
    for (i32 row = 0; row < item->height; ++row) {
        u16* out = form->pixels.data() + static_cast<std::size_t>(row) * width;
        for (i32 column = 0; column < width;) {
            const u16 word = *words++;
            const i32 length = word & 0xFF;
            if (word <= kLastOpaqueRunWord) {
                std::copy(words, words + length, out + column);
                words += length;
            }
            column += length;
        }
    }
}

// The blend form: each row's pixels (with a flag for the translucent ones)
// cut into steps of sixteen, as described in the header.
void CutIntoSteps(const PictureItem* item, PictureForm* form) {
    const i32 width = item->width;
    form->kind = FormKind::Blend;
    std::vector<u16> pixels(width);
    std::vector<u8> drawn(width);
    const u16* words = reinterpret_cast<const u16*>(item + 1);
    for (i32 row = 0; row < item->height; ++row) {
        std::fill(drawn.begin(), drawn.end(), u8{0});
        for (i32 column = 0; column < width;) {
            const u16 word = *words++;
            const i32 length = word & 0xFF;
            if (word <= kLastOpaqueRunWord) {
                std::copy(words, words + length, pixels.begin() + column);
                std::fill(drawn.begin() + column, drawn.begin() + column + length, u8{1});
                words += length;
            }
            column += length;
        }
        form->rows.push_back(static_cast<u32>(form->spans.size()));
        for (i32 covered = 0;;) {
            while (covered < width && !drawn[covered]) ++covered;
            if (covered == width) break;
            const i32 step = std::min(covered, width - 16);
            form->spans.push_back(static_cast<u16>(step));
            const std::size_t at = form->pixels.size();
            form->pixels.resize(at + kBlendStepWords);
            for (i32 lane = 0; lane < 16; ++lane) {
                const i32 column = step + lane;
                const u16 pixel = pixels[column];
                const u16 weight = drawn[column] ? 15 - (pixel >> 12) : 16;
                for (i32 channel = 0; channel < 3; ++channel) {
                    const u16 nibble = (pixel >> (4 * channel)) & 15;
                    const u16 term = drawn[column] ? nibble * (pixel >> 12) : 0;
                    form->pixels[at + channel * 16 + lane] = static_cast<u16>(
                        channel == 2 ? term | weight << 8 : weight | term << 8);
                }
            }
            covered = step + 16;
        }
    }
    form->rows.push_back(static_cast<u32>(form->spans.size()));
}

std::unique_ptr<PictureForm> Build(const PictureItem* item, BlitPictureForms policy,
                                   bool overUnderlay) {
    auto form = std::make_unique<PictureForm>();
    form->askedOver = overUnderlay;
    if (policy == BlitPictureForms::Never) return form;
    const bool small = i32{item->width} * i32{item->height} <= kMostFormPixels;
    if (item->format & kPictureTranslucent) {
        // Narrower pictures have no step of sixteen that fits.
        if (small && item->width >= 16) CutIntoSteps(item, form.get());
        return form;
    }
    if (!small && !overUnderlay) return form;
    RunCensus census = TakeCensus(item);
    if (census.highBit) return form;  // 0x8000 could not mark clear pixels
    const bool alone =
        small && (policy == BlitPictureForms::Always || UnpackedDrawsFaster(census, item));
    if (!alone && !overUnderlay) return form;
    form->spans = std::move(census.spans);
    Unpack(item, form.get());
    form->alone = alone;
    return form;
}

}  // namespace

const PictureForm& FormOf(const PictureItem* item, bool overUnderlay) {
    Store& store = TheStore();
    CacheSlot& slot = store.cache[SlotOf(item)];
    if (slot.item == item && (slot.form->askedOver || !overUnderlay)) return *slot.form;
    if (store.kept.empty() || !IsKept(store, item)) return kRuns;

    auto found = store.forms.find(item);
    // A picture first drawn alone is looked at again when it is first drawn
    // over tiles, where its unpacked rows serve whatever its runs.
    const bool again = found != store.forms.end() && overUnderlay && !found->second->askedOver;
    if (found == store.forms.end() || again) {
        // Building takes about as long as drawing the picture a few times;
        // a frame that meets many new pictures at once (a street starts)
        // builds only some and draws the rest from their runs this time.
        const i32 pixels = i32{item->width} * i32{item->height};
        if (store.builtThisFrame > 0 && store.builtThisFrame + pixels > kMostBuiltPerFrame) {
            return again ? *found->second : kRuns;
        }
        store.builtThisFrame += pixels;
        std::unique_ptr<PictureForm> form = Build(item, store.policy, overUnderlay);
        const std::size_t bytes = FormBytes(*form);
        const std::size_t replaced = again ? FormBytes(*found->second) : 0;
        if (store.bytes - replaced + bytes > kMostFormBytes) {
            auto runs = std::make_unique<PictureForm>();
            runs->askedOver = overUnderlay;
            form = std::move(runs);
        }
        store.bytes += FormBytes(*form);
        store.bytes -= replaced;
        if (again) {
            found->second = std::move(form);
        } else {
            found = store.forms.emplace(item, std::move(form)).first;
        }
    }
    slot = {item, found->second.get()};
    return *slot.form;
}

void StartFormFrame() {
    TheStore().builtThisFrame = 0;
}

}  // namespace blit

void BlitKeepPictures(const void* begin, const void* end) {
    if (begin >= end) return;
    blit::TheStore().kept.push_back(
        {static_cast<const u8*>(begin), static_cast<const u8*>(end)});
}

void BlitForgetPictures(const void* begin, const void* end) {
    blit::Store& store = blit::TheStore();
    const u8* from = static_cast<const u8*>(begin);
    const u8* to = static_cast<const u8*>(end);
    std::erase_if(store.kept, [&](const blit::Range& range) {
        return range.begin < to && from < range.end;
    });
    std::erase_if(store.forms, [&](const auto& entry) {
        const u8* p = reinterpret_cast<const u8*>(entry.first);
        if (p < from || p >= to) return false;
        store.bytes -= blit::FormBytes(*entry.second);
        return true;
    });
    for (blit::CacheSlot& slot : store.cache) slot = {};
}

void SetBlitPictureForms(BlitPictureForms policy) {
    blit::Store& store = blit::TheStore();
    if (policy == store.policy) return;
    store.policy = policy;
    // Forms chosen under the old policy go; they are built again on use.
    store.forms.clear();
    store.bytes = 0;
    for (blit::CacheSlot& slot : store.cache) slot = {};
}

BlitFormUse BlitPictureFormUse() {
    const blit::Store& store = blit::TheStore();
    std::size_t pictures = 0;
    for (const auto& entry : store.forms) pictures += entry.second->kind != blit::FormKind::Runs;
    return {store.bytes, pictures};
}
