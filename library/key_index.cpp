#include "key_index.h"

#include <cstring>
#include <new>

namespace vandrel1 {

namespace {
constexpr size_t kFirstSize = 64;

uint64_t load64(const char* at) {
    uint64_t word;
    std::memcpy(&word, at, 8);
    return word;
}

uint64_t load32(const char* at) {
    uint32_t word;
    std::memcpy(&word, at, 4);
    return word;
}

// The full 128-bit product folded onto 64 bits: every bit of the input reaches
// the high bits, which are folded back onto the low ones.
uint64_t foldedProduct(uint64_t a, uint64_t b) {
    const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    return static_cast<uint64_t>(product) ^ static_cast<uint64_t>(product >> 64);
}
} // namespace

// Each 8 bytes but the last are folded in by one multiply and shift (both
// invertible: different beginnings stay different); the last 8 bytes (some read
// twice) go through one full product at the end. A key under 8 bytes is read as
// two 4-byte words that overlap, or, under 4 bytes, as its first, middle and last
// bytes: each way reads every byte of the key, and its length is hashed too.
uint32_t KeyIndex::hashOf(std::string_view key) {
    constexpr uint64_t kStep = 0x9e3779b97f4a7c15ULL;
    const char* const bytes = key.data();
    const size_t n = key.size();
    uint64_t h = kStep ^ n;
    uint64_t last = 0;
    if (n >= 8) {
        for (size_t i = 0; i + 8 < n; i += 8) {
            h = (h ^ load64(bytes + i)) * kStep;
            h ^= h >> 29;
        }
        last = load64(bytes + n - 8);
    } else if (n >= 4) {
        last = load32(bytes) << 32 | load32(bytes + n - 4);
    } else if (n > 0) {
        const auto byte = [&](size_t i) { return uint64_t{static_cast<unsigned char>(bytes[i])}; };
        last = byte(0) << 16 | byte(n / 2) << 8 | byte(n - 1);
    }
    h = foldedProduct(h ^ last, 0xc4ceb9fe1a85ec53ULL);
    return static_cast<uint32_t>(h ^ (h >> 32));
}

void KeyIndex::grow() {
    const size_t size = size_ == 0 ? kFirstSize : 2 * size_;
    std::unique_ptr<uint64_t[], Free> grown(static_cast<uint64_t*>(std::calloc(size, 8)));
    if (!grown) throw std::bad_alloc();
    const size_t mask = size - 1;
    for (size_t i = 0; i < size_; ++i) {
        const uint64_t slot = slots_[i];
        if (slot == 0) continue;
        size_t at = static_cast<uint32_t>(slot >> 32) & mask;
        while (grown[at])
            at = (at + 1) & mask;
        grown[at] = slot;
    }
    slots_ = std::move(grown);
    size_ = size;
}

} // namespace vandrel1
