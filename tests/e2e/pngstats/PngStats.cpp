// Frame statistics for the end-to-end runs: reads a screenshot written by the
// headless runner (8-bit RGB PNG, stored deflate blocks) and prints numbers a
// shell script can test, one "name value" pair per line, all integers.
//
//   e2e_pngstats stats FILE [X0 Y0 X1 Y1]   colours, share of the commonest
//                                           colour and of black pixels
//   e2e_pngstats diff FILE1 FILE2 [X0 Y0 X1 Y1]
//                                           pixels that differ between two
//                                           frames of the same size
//
// The rectangle is half-open (X1, Y1 excluded) and defaults to the whole
// picture. Shares are in per mille. Exit status 0 on success, 1 when a file
// cannot be read or is not a picture this tool understands, 2 for a wrong
// command line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // width * height * 3, rows top first
};

struct Rect {
    int x0, y0, x1, y1;
};

std::uint32_t Be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

// Inflates a zlib stream made only of stored blocks, which is what the
// runner writes. Compressed blocks are refused rather than misread.
bool InflateStored(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>* out,
                   std::string* error) {
    if (in.size() < 2 || (in[0] & 0x0F) != 8) {
        *error = "not a zlib stream";
        return false;
    }
    std::size_t at = 2;
    for (;;) {
        if (at + 5 > in.size()) {
            *error = "truncated deflate block";
            return false;
        }
        const std::uint8_t header = in[at];
        if (((header >> 1) & 3) != 0) {
            *error = "compressed deflate blocks are not supported";
            return false;
        }
        const unsigned len = in[at + 1] | (in[at + 2] << 8);
        const unsigned nlen = in[at + 3] | (in[at + 4] << 8);
        if ((len ^ 0xFFFFu) != nlen) {
            *error = "damaged stored block length";
            return false;
        }
        at += 5;
        if (at + len > in.size()) {
            *error = "truncated stored block";
            return false;
        }
        out->insert(out->end(), in.begin() + at, in.begin() + at + len);
        at += len;
        if (header & 1) return true;
    }
}

int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Undoes the per-row filters (all five kinds, though the runner writes only
// "none") into plain RGB rows.
bool Unfilter(const std::vector<std::uint8_t>& raw, Picture* pic, std::string* error) {
    const std::size_t stride = static_cast<std::size_t>(pic->width) * 3;
    if (raw.size() != (stride + 1) * pic->height) {
        *error = "pixel data has the wrong size";
        return false;
    }
    pic->rgb.assign(stride * pic->height, 0);
    for (int y = 0; y < pic->height; ++y) {
        const std::uint8_t filter = raw[y * (stride + 1)];
        const std::uint8_t* src = &raw[y * (stride + 1) + 1];
        std::uint8_t* row = &pic->rgb[y * stride];
        const std::uint8_t* up = y > 0 ? row - stride : nullptr;
        for (std::size_t x = 0; x < stride; ++x) {
            const int a = x >= 3 ? row[x - 3] : 0;
            const int b = up ? up[x] : 0;
            const int c = (up && x >= 3) ? up[x - 3] : 0;
            int predicted = 0;
            switch (filter) {
                case 0:
                    predicted = 0;
                    break;
                case 1:
                    predicted = a;
                    break;
                case 2:
                    predicted = b;
                    break;
                case 3:
                    predicted = (a + b) / 2;
                    break;
                case 4:
                    predicted = Paeth(a, b, c);
                    break;
                default:
                    *error = "unknown row filter";
                    return false;
            }
            row[x] = static_cast<std::uint8_t>(src[x] + predicted);
        }
    }
    return true;
}

bool ReadPng(const char* path, Picture* pic) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "e2e_pngstats: cannot open %s\n", path);
        return false;
    }
    const std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(file)),
                                         std::istreambuf_iterator<char>());
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::string error;
    std::vector<std::uint8_t> idat;
    bool haveHeader = false;
    if (data.size() < 8 || std::memcmp(data.data(), kSignature, 8) != 0) {
        error = "not a PNG file";
    } else {
        std::size_t at = 8;
        while (error.empty() && at + 12 <= data.size()) {
            const std::uint32_t length = Be32(&data[at]);
            if (length > data.size() - at - 12) {
                error = "truncated chunk";
                break;
            }
            const std::string type(reinterpret_cast<const char*>(&data[at + 4]), 4);
            const std::uint8_t* body = &data[at + 8];
            if (type == "IHDR") {
                if (length < 13) {
                    error = "short header";
                    break;
                }
                pic->width = static_cast<int>(Be32(body));
                pic->height = static_cast<int>(Be32(body + 4));
                // 8 bits, colour type 2 (RGB), no interlace.
                if (body[8] != 8 || body[9] != 2 || body[12] != 0 || pic->width <= 0 ||
                    pic->height <= 0 || pic->width > 16384 || pic->height > 16384) {
                    error = "only 8-bit RGB pictures without interlace are supported";
                }
                haveHeader = true;
            } else if (type == "IDAT") {
                idat.insert(idat.end(), body, body + length);
            } else if (type == "IEND") {
                break;
            }
            at += 12 + length;
        }
        if (error.empty() && !haveHeader) error = "no header chunk";
    }
    std::vector<std::uint8_t> raw;
    if (error.empty() && InflateStored(idat, &raw, &error)) Unfilter(raw, pic, &error);
    if (!error.empty()) {
        std::fprintf(stderr, "e2e_pngstats: %s: %s\n", path, error.c_str());
        return false;
    }
    return true;
}

bool ParseRect(int argc, char** argv, int first, const Picture& pic, Rect* rect) {
    *rect = {0, 0, pic.width, pic.height};
    if (argc == first) return true;
    if (argc != first + 4) return false;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        char* end = nullptr;
        const long n = std::strtol(argv[first + i], &end, 10);
        if (*argv[first + i] == 0 || *end != 0) return false;
        v[i] = static_cast<int>(n);
    }
    *rect = {v[0], v[1], v[2], v[3]};
    return rect->x0 >= 0 && rect->y0 >= 0 && rect->x0 < rect->x1 && rect->y0 < rect->y1 &&
           rect->x1 <= pic.width && rect->y1 <= pic.height;
}

std::uint32_t PixelAt(const Picture& pic, int x, int y) {
    const std::uint8_t* p = &pic.rgb[(static_cast<std::size_t>(y) * pic.width + x) * 3];
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

int Usage() {
    std::fprintf(stderr,
                 "usage: e2e_pngstats stats FILE [X0 Y0 X1 Y1]\n"
                 "       e2e_pngstats diff FILE1 FILE2 [X0 Y0 X1 Y1]\n");
    return 2;
}

int Stats(int argc, char** argv) {
    Picture pic;
    if (!ReadPng(argv[2], &pic)) return 1;
    Rect r;
    if (!ParseRect(argc, argv, 3, pic, &r)) return Usage();
    std::unordered_map<std::uint32_t, long> counts;
    long black = 0;
    for (int y = r.y0; y < r.y1; ++y) {
        for (int x = r.x0; x < r.x1; ++x) {
            const std::uint32_t p = PixelAt(pic, x, y);
            ++counts[p];
            if (p == 0) ++black;
        }
    }
    long commonest = 0;
    for (const auto& [colour, n] : counts) commonest = n > commonest ? n : commonest;
    const long pixels = static_cast<long>(r.x1 - r.x0) * (r.y1 - r.y0);
    std::printf(
        "width %d\nheight %d\npixels %ld\ncolours %zu\ncommonest-permille %ld\n"
        "black-permille %ld\n",
        pic.width, pic.height, pixels, counts.size(), commonest * 1000 / pixels,
        black * 1000 / pixels);
    return 0;
}

int Diff(int argc, char** argv) {
    Picture a, b;
    if (!ReadPng(argv[2], &a) || !ReadPng(argv[3], &b)) return 1;
    if (a.width != b.width || a.height != b.height) {
        std::fprintf(stderr, "e2e_pngstats: the two pictures differ in size\n");
        return 1;
    }
    Rect r;
    if (!ParseRect(argc, argv, 4, a, &r)) return Usage();
    long differing = 0;
    for (int y = r.y0; y < r.y1; ++y) {
        for (int x = r.x0; x < r.x1; ++x) differing += PixelAt(a, x, y) != PixelAt(b, x, y);
    }
    std::printf("pixels %ld\ndiffering %ld\n", static_cast<long>(r.x1 - r.x0) * (r.y1 - r.y0),
                differing);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "stats") == 0) return Stats(argc, argv);
    if (argc >= 4 && std::strcmp(argv[1], "diff") == 0) return Diff(argc, argv);
    return Usage();
}
