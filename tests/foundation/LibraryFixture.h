// Helpers for tests of the library and its writer: a platform that "maps" an
// archive image from memory into a heap buffer of exactly its size (so the
// address sanitizer sees every read past its end), and a decoder of picture
// items that follows the format to the letter.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "game/AssetLibrary.h"
#include "platform/ScriptedPlatform.h"
#include "tools/datalib/ArchiveWriter.h"

class ImagePlatform : public ScriptedPlatform {
public:
    explicit ImagePlatform(std::vector<u8> bytes = {}) : image(std::move(bytes)) {}
    void SetImage(std::vector<u8> bytes) { image = std::move(bytes); }

    FileHandle FileOpen(const char* name, u8 mode, u32 size) override {
        if (size != 0 || std::strcmp(name, kName) != 0)
            return ScriptedPlatform::FileOpen(name, mode, size);
        return kHandle;
    }
    bool FileClose(FileHandle h, bool isMemory) override {
        return h == kHandle ? true : ScriptedPlatform::FileClose(h, isMemory);
    }
    u32 FileGetSize(FileHandle h, bool isMemory) override {
        return h == kHandle ? static_cast<u32>(image.size())
                            : ScriptedPlatform::FileGetSize(h, isMemory);
    }
    const void* FileMap(const char* name) override {
        if (std::strcmp(name, kName) != 0) return ScriptedPlatform::FileMap(name);
        if (image.empty() || mapped) return nullptr;
        mapped = new u8[image.size()];
        std::memcpy(mapped, image.data(), image.size());
        return mapped;
    }
    bool FileUnmap(const void* view) override {
        if (!mapped || view != mapped) return ScriptedPlatform::FileUnmap(view);
        delete[] mapped;
        mapped = nullptr;
        ++unmaps;
        return true;
    }
    ~ImagePlatform() override { delete[] mapped; }

    static constexpr const char* kName = "mem.lib";
    static constexpr FileHandle kHandle = 100000;
    std::vector<u8> image;
    u8* mapped = nullptr;
    int unmaps = 0;
};

// A picture's pixels as the blitter would see them: one value per pixel, the
// pixel word, or -1 for a transparent pixel. Empty when the runs do not add up
// to the width (the library must never hand out such a picture).
inline std::vector<int> DecodePicture(const PictureItem* pic) {
    const u8* p = reinterpret_cast<const u8*>(pic) + 12;
    auto word = [&](size_t at) {
        u16 v;
        std::memcpy(&v, p + at, 2);
        return v;
    };
    std::vector<int> out;
    if ((pic->format & (1 | 8 | 16)) == 0) {
        for (int i = 0; i < pic->width * pic->height; ++i)
            out.push_back(word(pic->pixelSkip + 2 * i));
        return out;
    }
    size_t at = 0;
    for (int y = 0; y < pic->height; ++y) {
        int done = 0;
        while (done < pic->width) {
            const u16 run = word(at);
            at += 2;
            if (run <= 255) {
                for (int i = 0; i < run; ++i, at += 2) out.push_back(word(at));
                done += run;
            } else {
                for (int i = 0; i < (run & 255); ++i) out.push_back(-1);
                done += run & 255;
            }
        }
        if (done != pic->width) return {};
    }
    return out;
}

inline datalib::RgbaImage Image(int w, int h, std::vector<std::uint32_t> pixels) {
    datalib::RgbaImage img;
    img.width = w;
    img.height = h;
    img.pixels = std::move(pixels);
    return img;
}

inline datalib::Picture Pic(datalib::RgbaImage img, datalib::Encoding e, int hotX = 0, int hotY = 0,
                            std::uint8_t skip = 0) {
    datalib::Picture p;
    p.image = std::move(img);
    p.encoding = e;
    p.hotX = hotX;
    p.hotY = hotY;
    p.pixelSkip = skip;
    return p;
}

inline datalib::Sequence Seq(std::vector<datalib::Item> items, bool listed = false) {
    datalib::Sequence s;
    s.items = std::move(items);
    s.listed = listed;
    return s;
}

inline AssetRef Ref(const char* name) {
    AssetRef r;
    r.Init(name);
    return r;
}
