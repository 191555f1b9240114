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
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// A buffer that is not cleared first: it is read over at once.
struct Bytes {
    explicit Bytes(std::size_t n) : data_(new char[n]), size_(n) {}
    char* data() { return data_.get(); }
    std::size_t size() const { return size_; }
    void resize(std::size_t n) { size_ = std::min(size_, n); }
    bool empty() const { return size_ == 0; }
    char& operator[](std::size_t i) { return data_[i]; }
    char* begin() { return data_.get(); }

private:
    std::unique_ptr<char[]> data_;
    std::size_t size_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: robust_damage IN OUT SEED\n");
        return 64;
    }
    // Read and written in one piece each: archives are tens of megabytes.
    std::FILE* in = std::fopen(argv[1], "rb");
    if (!in) return 1;
    std::fseek(in, 0, SEEK_END);
    const long inSize = std::ftell(in);
    std::fseek(in, 0, SEEK_SET);
    Bytes bytes(inSize < 0 ? 0 : static_cast<std::size_t>(inSize));
    const bool read = std::fread(bytes.data(), 1, bytes.size(), in) == bytes.size();
    std::fclose(in);
    if (!read) return 1;
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
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out) return 1;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !written) return 1;
    std::printf("%s\n", kind);
    return 0;
}
