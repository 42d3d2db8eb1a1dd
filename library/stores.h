// The three keyed stores of the registry: carnet (this year's name keys),
// carnetancien (last year's accounts) and carnetid (teachers in service).
//
// A store keeps its entries in insertion order and answers walks in ascending
// unsigned byte order of the keys. A key is cut to its first 52 characters when
// it is inserted, and a lookup compares the first 52 characters of its key. Equal keys are all
// kept: a lookup finds the one inserted first and a walk in key order visits them in insertion
// order.
//
// Entries are laid one after the other in blocks of text (value length, key
// length, key, value); a block is never moved or grown, so an insert copies only
// its own entry. Lookups go through the lookup index (key_index.h), a hash
// table of the first entry of each key: one slot read, and one read of the entry
// when it is there. The key order is needed only by walks, which come once per
// job after every insert: a walk sorts the entries it visits. An insert thus only
// appends an entry and registers a new key: it reads no ordered structure,
// which in a store of 100,000 entries would cost a trip to memory per insert.
#pragma once

#include "key_index.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel1 {

constexpr size_t kKeyLength = 52;

class Store {
  public:
    Store() = default;
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Adds the entry; on failure (out of memory) the store is left as it was.
    void insert(std::string_view key, std::string_view value);
    // The value of the entry inserted first under the key (cut to 52), if any.
    std::optional<std::string_view> firstValue(std::string_view key) const {
        return firstValue(key, hashOf(key));
    }
    bool holds(std::string_view key) const { return firstValue(key).has_value(); }
    // The same with the key's hash (hashOf) known: the stores hash a key alike.
    std::optional<std::string_view> firstValue(std::string_view key, uint32_t hash) const;
    static uint32_t hashOf(std::string_view key);
    // Starts fetching what a lookup of the key (of that hash) reads first, for a lookup to come.
    void prefetch(uint32_t hash) const { lookup_.prefetch(hash); }
    // The entries (key as stored, cut to 52, value) for which `select` is true, in ascending key
    // order, equal keys in insertion order. `select` sees every entry once, in
    // insertion order, before the first visit; only the entries it keeps are put in
    // key order. Both are called directly: a walk makes one call per entry.
    template <typename Select, typename Visit>
    void walkSelected(const Select& select, const Visit& visit) const;
    size_t size() const { return size_; }

    // The first 16 bytes of a cut key as one number (see prefixOf in stores.cpp).
    using Prefix = unsigned __int128;
    // An entry in the key order: its prefix (high and low halves), and its name.
    struct Ordered {
        uint64_t high, low;
        uint32_t entry;
    };

  private:
    // An entry is named by its block (high bits) and its offset in the block (low
    // bits). A block holds at most kBlockSize bytes, except one made for a single
    // larger entry, which starts at offset 0.
    static constexpr unsigned kOffsetBits = 20;
    static constexpr size_t kBlockSize = size_t{1} << kOffsetBits;
    static constexpr size_t kMaxBlocks = size_t{1} << (32 - kOffsetBits);
    static constexpr size_t kHeader = sizeof(uint32_t) + 1; // value length, key length
    struct Block {
        std::unique_ptr<char[]> bytes;
        size_t used = 0, capacity = 0;
    };

    const char* at(uint32_t entry) const {
        return blocks_[entry >> kOffsetBits].bytes.get() + (entry & (kBlockSize - 1));
    }
    // The key as stored (cut to 52) and the value.
    std::string_view key(uint32_t entry) const {
        return {at(entry) + kHeader, static_cast<unsigned char>(at(entry)[sizeof(uint32_t)])};
    }
    std::string_view value(uint32_t entry) const {
        uint32_t length;
        std::memcpy(&length, at(entry), sizeof length);
        return {at(entry) + kHeader + key(entry).size(), length};
    }
    // Room for an entry of `size` bytes in the last block, or in a new one: its
    // name, and where to write it.
    char* place(size_t size, uint32_t& entry) {
        if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < size) addBlock(size);
        Block& block = blocks_.back();
        entry = static_cast<uint32_t>((blocks_.size() - 1) << kOffsetBits | block.used);
        char* const start = block.bytes.get() + block.used;
        block.used += size;
        return start;
    }
    void addBlock(size_t size);
    // Calls `each(entry)` for every entry, in insertion order.
    template <typename Each> void forEach(const Each& each) const;
    Ordered orderedOf(uint32_t entry) const;
    bool keyLess(const Ordered& a, const Ordered& b) const;
    void sortByKey(std::vector<Ordered>& order) const;
    void prefetchEntry(uint32_t entry) const { __builtin_prefetch(at(entry)); }
    // Puts the entries inserted since the last time into the lookup index, in
    // the order of their inserts.
    void registerWaiting() const noexcept;

    std::vector<Block> blocks_;
    size_t size_ = 0;
    // The lookup index is brought up to date before a lookup reads it. An insert
    // only notes its entry (its key's hash and its name); the waiting entries are
    // registered together once kWaiting of them are noted: the slots they go to
    // are fetched first, all at once, so that a run of inserts (a whole EXPORT
    // file) does not wait on memory once an entry.
    static constexpr size_t kWaiting = 32;
    mutable KeyIndex lookup_;
    mutable std::array<std::pair<uint32_t, uint32_t>, kWaiting> waiting_{};
    mutable size_t waitingCount_ = 0;
};

template <typename Each> void Store::forEach(const Each& each) const {
    for (size_t b = 0; b < blocks_.size(); ++b)
        for (size_t offset = 0; offset < blocks_[b].used;) {
            const uint32_t entry = static_cast<uint32_t>(b << kOffsetBits | offset);
            each(entry);
            offset += kHeader + key(entry).size() + value(entry).size();
        }
}

template <typename Select, typename Visit>
void Store::walkSelected(const Select& select, const Visit& visit) const {
    std::vector<Ordered> order;
    forEach([&](uint32_t entry) {
        if (select(key(entry), value(entry))) order.push_back(orderedOf(entry));
    });
    sortByKey(order);
    // The entries lie in the blocks in insertion order, so the walk reads them at
    // random: those a little ahead are fetched while one is visited, and the reads
    // from memory overlap instead of following one another.
    constexpr size_t kAhead = 16;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i + kAhead < order.size()) prefetchEntry(order[i + kAhead].entry);
        visit(key(order[i].entry), value(order[i].entry));
    }
}

// The handles: a store is open when its handle holds one, absent otherwise.
using StoreHandle = std::unique_ptr<Store>;
extern StoreHandle bpluscarnet;
extern StoreHandle bpluscarnetancien;
extern StoreHandle bpluscarnetid;

// Creates the store empty when it is absent (creatcar); an open store keeps its entries.
void creatcar(StoreHandle& handle);
// Deletes the store's index and entries and drops its handle; nothing when absent.
void fermecar(StoreHandle& handle);

// What the three inserts and lookups share: an absent store stores and finds nothing.
void inserenom_b(StoreHandle& handle, std::string_view key, std::string_view value);
bool present_b(const StoreHandle& handle, std::string_view key);

} // namespace vandrel1
