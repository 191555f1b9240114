// The frame buffer as a PNG file (see PngWriter.h).
#include "platform/PngWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace {

u32 Crc32(const u8* data, size_t n, u32 crc = 0) {
    static u32 table[256];
    static bool built = false;
    if (!built) {
        for (u32 i = 0; i < 256; ++i) {
            u32 c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        built = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBe32(std::vector<u8>& out, u32 v) {
    out.push_back(static_cast<u8>(v >> 24));
    out.push_back(static_cast<u8>(v >> 16));
    out.push_back(static_cast<u8>(v >> 8));
    out.push_back(static_cast<u8>(v));
}

void PutChunk(std::vector<u8>& out, const char* type, const std::vector<u8>& body) {
    PutBe32(out, static_cast<u32>(body.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    PutBe32(out, Crc32(out.data() + start, out.size() - start));
}

std::vector<u8> ZlibStored(const std::vector<u8>& raw) {
    std::vector<u8> out = {0x78, 0x01};
    u32 a = 1, b = 0;
    for (u8 byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    size_t at = 0;
    do {
        const size_t n = std::min<size_t>(raw.size() - at, 65535);
        const bool last = at + n == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<u8>(n));
        out.push_back(static_cast<u8>(n >> 8));
        out.push_back(static_cast<u8>(~n));
        out.push_back(static_cast<u8>(~n >> 8));
        out.insert(out.end(), raw.begin() + at, raw.begin() + at + n);
        at += n;
    } while (at < raw.size());
    PutBe32(out, (b << 16) | a);
    return out;
}

u8 Expand5(u32 v) {
    return static_cast<u8>((v << 3) | (v >> 2));
}


// Creates the folder and those above it; true when it exists afterwards.
bool MakeFolders(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}

}  // namespace

std::vector<u8> EncodePng16(const u16* pixels, i32 pitchPixels, i32 width, i32 height) {
    std::vector<u8> raw;
    raw.reserve(static_cast<size_t>(height) * (1 + 3 * static_cast<size_t>(width)));
    for (i32 y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        const u16* row = pixels + static_cast<size_t>(y) * pitchPixels;
        for (i32 x = 0; x < width; ++x) {
            const u16 p = row[x];
            raw.push_back(Expand5((p >> 10) & 31));
            raw.push_back(Expand5((p >> 5) & 31));
            raw.push_back(Expand5(p & 31));
        }
    }
    std::vector<u8> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<u8> header;
    PutBe32(header, static_cast<u32>(width));
    PutBe32(header, static_cast<u32>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", ZlibStored(raw));
    PutChunk(png, "IEND", {});
    return png;
}

bool WritePng16(const std::string& path, const u16* pixels, i32 pitchPixels, i32 width,
                i32 height) {
    const std::vector<u8> png = EncodePng16(pixels, pitchPixels, width, height);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && written;
}

std::string WriteScreenshot(const std::string& folder, const u16* pixels, i32 pitchPixels,
                            i32 width, i32 height, std::string* error) {
    if (folder.empty()) {
        *error = "there is no folder to save it in";
        return {};
    }
    if (!MakeFolders(folder)) {
        *error = "the folder " + folder + " cannot be created";
        return {};
    }
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    for (int n = 0; n < 100; ++n) {
        std::string path = folder + "/brettspalt-" + stamp;
        if (n > 0) path += "-" + std::to_string(n);
        path += ".png";
        // "x": never over an earlier screenshot.
        FILE* probe = std::fopen(path.c_str(), "wx");
        if (probe == nullptr) {
            if (errno == EEXIST) continue;
            *error = path + " cannot be written: " + std::strerror(errno);
            return {};
        }
        std::fclose(probe);
        if (!WritePng16(path, pixels, pitchPixels, width, height)) {
            *error = path + " cannot be written";
            std::remove(path.c_str());
            return {};
        }
        return path;
    }
    *error = "too many screenshots this second";
    return {};
}

namespace {

// "$HOME/Pictures" or an absolute path; the quotes of user-dirs.dirs removed.
std::string ExpandHome(std::string value, const char* home) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) {
        if (home == nullptr || *home == 0) return {};
        value = home + value.substr(5);
    }
    return !value.empty() && value[0] == '/' ? value : std::string();
}

}  // namespace

std::string ScreenshotFolderFor(const char* xdgPicturesDir, const char* xdgConfigHome,
                                const char* home, const std::string& fallback) {
    std::string pictures;
    if (xdgPicturesDir != nullptr && *xdgPicturesDir != 0) {
        pictures = ExpandHome(xdgPicturesDir, home);
    } else {
        std::string config;
        if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
            config = xdgConfigHome;
        } else if (home != nullptr && *home != 0) {
            config = std::string(home) + "/.config";
        }
        std::ifstream dirs(config + "/user-dirs.dirs");
        std::string line;
        while (!config.empty() && std::getline(dirs, line)) {
            if (line.rfind("XDG_PICTURES_DIR=", 0) == 0) pictures = ExpandHome(line.substr(17), home);
        }
    }
    auto withoutSlashes = [](std::string path) {
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        return path;
    };
    pictures = withoutSlashes(pictures);
    // A pictures folder that is the home folder itself is none.
    if (pictures.empty() || (home != nullptr && pictures == withoutSlashes(home))) return fallback;
    return pictures + "/brettspalt";
}
