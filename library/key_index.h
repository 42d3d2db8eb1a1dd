// The lookup index of a store: an open-addressing hash table from a key (cut to
// 52 characters) to the entry inserted first under it.
//
// A lookup needs neither the key order nor neighbours, only "the first entry of
// this key". In a store of 100,000 entries an ordered structure and the entries
// outgrow the processor's caches, and each node a tree lookup reads costs a trip
// to memory. Here a lookup reads one slot (rarely two), and reads the entry's key
// only when the slot's 32 bits of hash match: a key that is absent usually costs
// no read of the entries at all.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

namespace vandrel1 {

class KeyIndex {
  public:
    // The hash of a cut key.
    static uint32_t hashOf(std::string_view cutKey);

    // Makes room for one more key, or `more`; the only step that allocates (and may throw).
    void reserveOne(size_t more = 1) {
        // The table stays at most three quarters full: a probe seldom reads past
        // the cache line of its first slot.
        while (4 * (count_ + more) > 3 * size_)
            grow();
    }
    // The entry registered under the key, or kNone. `keyOf(entry)` gives an
    // entry's key cut to 52 characters.
    template <typename KeyOf>
    uint32_t find(std::string_view cutKey, uint32_t hash, const KeyOf& keyOf) const;
    // Registers the entry under its key when the key has none yet (after
    // reserveOne); a key keeps its first entry. One probe both looks and places.
    template <typename KeyOf>
    void addFirst(std::string_view cutKey, uint32_t hash, uint32_t entry,
                  const KeyOf& keyOf) noexcept;

    // Starts fetching the slot where a lookup of the hash begins.
    void prefetch(uint32_t hash) const {
        if (size_ != 0) __builtin_prefetch(&slots_[hash & (size_ - 1)]);
    }

    static constexpr uint32_t kNone = UINT32_MAX;

  private:
    // A slot holds the key's hash in its high half and the entry + 1 in its low
    // half; 0 is an empty slot. The slot of a hash is its low bits, so the table
    // grows without reading a key again.
    static uint64_t slotOf(uint32_t hash, uint32_t entry) {
        return uint64_t{hash} << 32 | (entry + 1u);
    }
    void grow();
    // Byte equality of two short texts, compared 8 bytes at a time in place: a
    // key is at most 52 bytes, and a call to memcmp would cost more than the
    // comparison.
    static bool sameBytes(std::string_view a, std::string_view b);
    // The slot holding the key, or the empty slot where it would go.
    template <typename KeyOf>
    size_t probe(std::string_view cutKey, uint32_t hash, const KeyOf& keyOf) const;

    // The slots come zeroed from calloc, which skips the clearing when the memory
    // is fresh from the system (a vector would write every byte).
    struct Free {
        void operator()(uint64_t* slots) const { std::free(slots); }
    };
    std::unique_ptr<uint64_t[], Free> slots_;
    size_t size_ = 0; // a power of two, or 0 before the first key
    size_t count_ = 0;
};

inline bool KeyIndex::sameBytes(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const size_t n = a.size();
    if (n < 8) {
        if (n < 4) return std::equal(a.begin(), a.end(), b.begin());
        uint32_t x[2], y[2]; // the first and last 4 bytes, which overlap
        std::memcpy(&x[0], a.data(), 4);
        std::memcpy(&x[1], a.data() + n - 4, 4);
        std::memcpy(&y[0], b.data(), 4);
        std::memcpy(&y[1], b.data() + n - 4, 4);
        return x[0] == y[0] && x[1] == y[1];
    }
    uint64_t x, y;
    for (size_t i = 0; i + 8 < n; i += 8) {
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y) return false;
    }
    std::memcpy(&x, a.data() + n - 8, 8); // the last 8 bytes, some compared twice
    std::memcpy(&y, b.data() + n - 8, 8);
    return x == y;
}

template <typename KeyOf>
size_t KeyIndex::probe(std::string_view cutKey, uint32_t hash, const KeyOf& keyOf) const {
    const size_t mask = size_ - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const uint64_t slot = slots_[i];
        if (slot == 0) return i;
        if (static_cast<uint32_t>(slot >> 32) == hash &&
            sameBytes(keyOf(static_cast<uint32_t>(slot) - 1u), cutKey))
            return i;
    }
}

template <typename KeyOf>
uint32_t KeyIndex::find(std::string_view cutKey, uint32_t hash, const KeyOf& keyOf) const {
    if (size_ == 0) return kNone;
    // An empty slot (0) gives kNone.
    return static_cast<uint32_t>(slots_[probe(cutKey, hash, keyOf)]) - 1u;
}

template <typename KeyOf>
void KeyIndex::addFirst(std::string_view cutKey, uint32_t hash, uint32_t entry,
                        const KeyOf& keyOf) noexcept {
    uint64_t& slot = slots_[probe(cutKey, hash, keyOf)];
    if (slot != 0) return;
    slot = slotOf(hash, entry);
    ++count_;
}

} // namespace vandrel1
