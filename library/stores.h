// The three keyed stores of the registry: carnet (this year's name keys),
// carnetancien (last year's accounts) and carnetid (teachers in service).
//
// A store keeps its entries in insertion order and indexes them by key in
// ascending unsigned byte order. Only the first 52 characters of a key count,
// on insert and on lookup. Equal keys are all kept: a lookup finds the one
// inserted first and a walk in key order visits them in insertion order.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel1 {

constexpr size_t kKeyLength = 52;

// A key cut to 52 characters, held inside the index node itself so that a
// lookup compares bytes without following a pointer per level.
class IndexKey {
public:
  explicit IndexKey(std::string_view key);
  std::string_view view() const { return {bytes_, length_}; }
  friend bool operator<(const IndexKey& a, const IndexKey& b) { return a.view() < b.view(); }
  friend bool operator<(const IndexKey& a, std::string_view b) { return a.view() < b; }
  friend bool operator<(std::string_view a, const IndexKey& b) { return a < b.view(); }

private:
  uint8_t length_;
  char bytes_[kKeyLength];
};

struct Entry {
  std::string key;   // as given; the index holds it cut to 52 characters
  std::string value; // stored whole
};

class Store {
public:
  void insert(std::string_view key, std::string_view value);
  // The entry inserted first under the key (cut to 52), or null.
  const Entry* find(std::string_view key) const;
  bool holds(std::string_view key) const { return find(key) != nullptr; }
  // Every entry in ascending key order, equal keys in insertion order.
  void walk(const std::function<void(const Entry&)>& visit) const;
  size_t size() const { return records_.size(); }

private:
  std::vector<Entry> records_;
  std::multimap<IndexKey, size_t, std::less<>> index_;
};

// The handles: a store is open when its handle holds one, absent otherwise.
using StoreHandle = std::unique_ptr<Store>;
extern StoreHandle bpluscarnet;
extern StoreHandle bpluscarnetancien;
extern StoreHandle bpluscarnetid;

// Creates the store empty when it is absent (creatcar); an open store keeps its entries.
void creatcar(StoreHandle& handle);
// Deletes the store's index and records and drops its handle; nothing when absent.
void fermecar(StoreHandle& handle);

// What the three inserts and lookups share: an absent store stores and finds nothing.
void inserenom_b(StoreHandle& handle, std::string_view key, std::string_view value);
bool present_b(const StoreHandle& handle, std::string_view key);

} // namespace vandrel1
