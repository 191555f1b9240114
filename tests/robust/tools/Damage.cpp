// Writes a damaged copy of a file, the same for the same seed:
//   robust_damage IN OUT SEED
// The seed picks one of three kinds of damage: the file cut short at a random
// length, 1-64 bytes flipped at random places, or a block of 16 bytes to
// 64 KiB zeroed. Half of the flips and blocks land in the file's first
// 256 KiB, where an archive keeps its directory and names.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: robust_damage IN OUT SEED\n");
        return 64;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail()) return 1;
    const unsigned long seed = std::strtoul(argv[3], nullptr, 10);
    std::mt19937_64 random(seed * 0x9E3779B97F4A7C15ull + 1);
    auto below = [&](std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(random() % n); };
    auto place = [&](std::size_t span) {
        const std::size_t head = std::min<std::size_t>(bytes.size(), 256 * 1024);
        return (random() & 1) ? below(std::min(head, bytes.size() - std::min(span, bytes.size())) + 1)
                              : below(bytes.size() - std::min(span, bytes.size()) + 1);
    };
    const char* kind = "";
    switch (seed % 3) {
        case 0:
            kind = "cut";
            bytes.resize(below(bytes.size()));
            break;
        case 1: {
            kind = "flipped";
            const int count = 1 + static_cast<int>(below(64));
            for (int i = 0; i < count && !bytes.empty(); ++i) {
                const std::size_t at = std::min(place(1), bytes.size() - 1);
                bytes[at] = static_cast<char>(bytes[at] ^ static_cast<char>(1 + below(255)));
            }
            break;
        }
        default: {
            kind = "zeroed";
            const std::size_t length = std::min<std::size_t>(16 + below(64 * 1024), bytes.size());
            const std::size_t at = place(length);
            std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), length, '\0');
            break;
        }
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::printf("%s\n", kind);
    return out ? 0 : 1;
}
