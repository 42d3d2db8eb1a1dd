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

#include <cstdint>
#include <string_view>
#include <vector>

namespace vandrel1 {

class KeyIndex {
  public:
    // The hash of a cut key.
    static uint32_t hashOf(std::string_view cutKey);

    // Makes room for one more key; the only step that allocates (and may throw).
    void reserveOne();
    // The entry registered under the key, or kNone. `keyOf(entry)` gives an
    // entry's key cut to 52 characters.
    template <typename KeyOf>
    uint32_t find(std::string_view cutKey, uint32_t hash, const KeyOf& keyOf) const;
    // Registers the entry under a key that has none yet (after reserveOne).
    void add(uint32_t hash, uint32_t entry) noexcept;

    static constexpr uint32_t kNone = UINT32_MAX;

  private:
    // A slot holds the key's hash in its high half and the entry + 1 in its low
    // half; 0 is an empty slot. The slot of a hash is its low bits, so the table
    // grows without reading a key again.
    static uint64_t slotOf(uint32_t hash, uint32_t entry) {
        return uint64_t{hash} << 32 | (entry + 1u);
    }
    void place(std::vector<uint64_t>& slots, uint64_t slot) noexcept;

    std::vector<uint64_t> slots_;
    size_t count_ = 0;
};

template <typename KeyOf>
uint32_t KeyIndex::find(std::string_view cutKey, uint32_t hash, const KeyOf& keyOf) const {
    if (slots_.empty()) return kNone;
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const uint64_t slot = slots_[i];
        if (slot == 0) return kNone;
        if (static_cast<uint32_t>(slot >> 32) != hash) continue;
        const uint32_t entry = static_cast<uint32_t>(slot) - 1u;
        if (keyOf(entry) == cutKey) return entry;
    }
}

} // namespace vandrel1
