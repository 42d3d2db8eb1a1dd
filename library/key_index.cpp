#include "key_index.h"

#include <cstring>

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
    // key of 8 bytes or more needs no copy of a varying length.
    uint64_t tail = 0;
    if (i < key.size() && key.size() >= 8)
        std::memcpy(&tail, key.data() + key.size() - 8, 8);
    else
        for (; i < key.size(); ++i)
            tail = tail << 8 | static_cast<unsigned char>(key[i]);
    h = mix(h ^ tail ^ 0x5bd1e995ULL);
    return static_cast<uint32_t>(h ^ (h >> 32));
}

void KeyIndex::reserveOne() {
    // The table stays at most four fifths full and doubles when it would pass that:
    // between 40 and 80 per cent full, a probe seldom reads more than a cache line.
    if (5 * (count_ + 1) <= 4 * slots_.size()) return;
    std::vector<uint64_t> grown(slots_.empty() ? kFirstSize : 2 * slots_.size(), 0);
    for (const uint64_t slot : slots_)
        if (slot) place(grown, slot);
    slots_.swap(grown);
}

void KeyIndex::add(uint32_t hash, uint32_t entry) noexcept {
    place(slots_, slotOf(hash, entry));
    ++count_;
}

void KeyIndex::place(std::vector<uint64_t>& slots, uint64_t slot) noexcept {
    const size_t mask = slots.size() - 1;
    size_t i = static_cast<uint32_t>(slot >> 32) & mask;
    while (slots[i])
        i = (i + 1) & mask;
    slots[i] = slot;
}

} // namespace vandrel1
