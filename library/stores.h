// The three keyed stores of the registry: carnet (this year's name keys),
// carnetancien (last year's accounts) and carnetid (teachers in service).
//
// A store keeps its entries in insertion order and indexes them by key in
// ascending unsigned byte order. Only the first 52 characters of a key count,
// on insert and on lookup. Equal keys are all kept: a lookup finds the one
// inserted first and a walk in key order visits them in insertion order.
//
// Entries are laid one after the other in a text arena (key length, value
// length, key, value). Two indexes point into it. The ordered one, a B+ tree
// whose nodes hold per entry the first 16 bytes of the key packed into an integer
// and the entry's place in the arena (the key's other bytes are read only when
// those 16 bytes tie), places new entries and serves walks. Lookups go through
// the lookup index (key_index.h), a hash table of the first entry of each key:
// one slot read, and one read of the entry when it is there.
#pragma once

#include "key_index.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel1 {

constexpr size_t kKeyLength = 52;

class Store {
public:
  Store();
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // Adds the entry; on failure (out of memory) the store is left as it was.
  void insert(std::string_view key, std::string_view value);
  // The value of the entry inserted first under the key (cut to 52), if any.
  std::optional<std::string_view> firstValue(std::string_view key) const;
  bool holds(std::string_view key) const { return firstValue(key).has_value(); }
  // Every entry (key as given, value) in ascending key order, equal keys in
  // insertion order.
  void walk(const std::function<void(std::string_view, std::string_view)>& visit) const;
  size_t size() const { return size_; }

  // The first bytes of a key as one number (see prefixOf in stores.cpp).
  using Prefix = unsigned __int128;
  struct Probe;
  struct Leaf;
  struct Inner;
  struct Node;

private:
  struct Split;

  std::string_view key(uint32_t entry) const;
  std::string_view value(uint32_t entry) const;
  int compare(const Probe& probe, Prefix prefix, uint32_t entry) const;
  template <bool AfterEqual>
  int position(const Probe& probe, const Prefix* prefixes, const uint32_t* entries,
               int count) const;
  std::optional<Split> insertInto(Node* node, const Probe& probe, uint32_t entry) noexcept;
  std::optional<Split> insertIntoLeaf(Leaf* leaf, const Probe& probe, uint32_t entry) noexcept;
  std::optional<Split> insertIntoInner(Inner* inner, const Probe& probe, uint32_t entry) noexcept;
  void prepareNodes();
  Leaf* takeLeaf() noexcept;
  Inner* takeInner() noexcept;

  std::string arena_; // every entry: key length, value length, key, value
  KeyIndex lookup_;
  size_t size_ = 0;
  Node* root_ = nullptr;
  Leaf* firstLeaf_ = nullptr;
  int height_ = 1;
  // Nodes are owned here; spares are allocated before an insert touches the tree,
  // so that a failed allocation never leaves the tree half split.
  std::vector<std::unique_ptr<Leaf>> leaves_, spareLeaves_;
  std::vector<std::unique_ptr<Inner>> inners_, spareInners_;
};

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
