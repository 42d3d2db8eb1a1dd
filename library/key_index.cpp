#include "key_index.h"

#include <cstring>
#include <new>

namespace vandrel1 {

namespace {
constexpr size_t kFirstSize = 64;

uint64_t mix(uint64_t h) { // the finaliser of MurmurHash3: every bit reaches every bit
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    return h ^ (h >> 33);
}
} // namespace

// Each 8 bytes are folded in by one multiply and shift; the full mix runs once, at
// the end, so a name key of three or four words costs one mix instead of four.
uint32_t KeyIndex::hashOf(std::string_view key) {
    constexpr uint64_t kStep = 0x9e3779b97f4a7c15ULL;
    uint64_t h = kStep ^ key.size();
    size_t i = 0;
    for (; i + 8 <= key.size(); i += 8) {
        uint64_t chunk;
        std::memcpy(&chunk, key.data() + i, 8);
        h = (h ^ chunk) * kStep;
        h ^= h >> 29;
    }
    // The bytes left over are read as the key's last 8 bytes (some read twice), so a
    // key of 8 bytes or more needs no copy of a varying length. A shorter key is read
    // as two 4-byte words that overlap, or, under 4 bytes, as its first, middle and
    // last bytes: each way reads every byte of the key.
    uint64_t tail = 0;
    const unsigned char* const bytes = reinterpret_cast<const unsigned char*>(key.data());
    if (key.size() >= 8) {
        if (i < key.size()) std::memcpy(&tail, key.data() + key.size() - 8, 8);
    } else if (key.size() >= 4) {
        uint32_t first, last;
        std::memcpy(&first, bytes, 4);
        std::memcpy(&last, bytes + key.size() - 4, 4);
        tail = uint64_t{first} << 32 | last;
    } else if (!key.empty()) {
        tail =
            uint64_t{bytes[0]} << 16 | uint64_t{bytes[key.size() / 2]} << 8 | bytes[key.size() - 1];
    }
    h = mix(h ^ tail ^ 0x5bd1e995ULL);
    return static_cast<uint32_t>(h ^ (h >> 32));
}

// Doubles the table, placing each slot again by its hash.
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
