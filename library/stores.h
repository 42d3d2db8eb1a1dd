// The three keyed stores of the registry: carnet (this year's name keys),
// carnetancien (last year's accounts) and carnetid (teachers in service).
//
// A store keeps its entries in insertion order and answers walks in ascending
// unsigned byte order of the keys. A key is cut to its first 52 characters when
// it is inserted, and a lookup compares the first 52 characters of its key. Equal keys are all
// kept: a lookup finds the one inserted first and a walk in key order visits them in insertion
// order.
//
// Entries are laid one after the other in a text arena (key length, value
// length, key, value). Lookups go through the lookup index (key_index.h), a hash
// table of the first entry of each key: one slot read, and one read of the entry
// when it is there. The key order is needed only by walks, which come once per
// job after every insert: a walk sorts the entries it visits. An insert thus only
// appends to the arena and registers a new key: it reads no ordered structure,
// which in a store of 100,000 entries would cost a trip to memory per insert.
#pragma once

#include "key_index.h"

#include <cstdint>
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
    std::optional<std::string_view> firstValue(std::string_view key) const;
    bool holds(std::string_view key) const { return firstValue(key).has_value(); }
    // The entries (key as stored, cut to 52, value) for which `select` is true, in ascending key
    // order, equal keys in insertion order. `select` sees every entry once, in
    // insertion order, before the first visit; only the entries it keeps are put in
    // key order. Both are called directly: a walk makes one call per entry.
    template <typename Select, typename Visit>
    void walkSelected(const Select& select, const Visit& visit) const;
    size_t size() const { return size_; }

    // The first 16 bytes of a cut key as one number (see prefixOf in stores.cpp).
    using Prefix = unsigned __int128;
    // An entry in the key order: its prefix (high and low halves), and its place in
    // the arena.
    struct Ordered {
        uint64_t high, low;
        uint32_t entry;
    };

  private:
    std::string_view key(uint32_t entry) const;
    std::string_view value(uint32_t entry) const;
    uint32_t nextEntry(uint32_t entry) const;
    Ordered orderedOf(uint32_t entry) const;
    bool keyLess(const Ordered& a, const Ordered& b) const;
    void sortByKey(std::vector<Ordered>& order) const;
    void prefetch(uint32_t entry) const { __builtin_prefetch(arena_.data() + entry); }

    std::string arena_; // every entry: key length, value length, key, value
    size_t size_ = 0;
    KeyIndex lookup_;
};

template <typename Select, typename Visit>
void Store::walkSelected(const Select& select, const Visit& visit) const {
    std::vector<Ordered> order;
    for (uint32_t entry = 0; entry < arena_.size(); entry = nextEntry(entry))
        if (select(key(entry), value(entry))) order.push_back(orderedOf(entry));
    sortByKey(order);
    // The entries lie in the arena in insertion order, so the walk reads them at
    // random: those a little ahead are fetched while one is visited, and the reads
    // from memory overlap instead of following one another.
    constexpr size_t kAhead = 16;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i + kAhead < order.size()) prefetch(order[i + kAhead].entry);
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
