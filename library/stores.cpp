#include "stores.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <stdexcept>

namespace vandrel1 {

StoreHandle bpluscarnet;
StoreHandle bpluscarnetancien;
StoreHandle bpluscarnetid;

namespace {

constexpr size_t kPrefixLength = sizeof(Store::Prefix);
constexpr size_t kHeader = 2 * sizeof(uint32_t); // key length, value length

std::string_view cut(std::string_view key) { return key.substr(0, std::min(key.size(), kKeyLength)); }

// The first 16 bytes, big-endian, zero-padded: integer order is byte order, and a
// key shorter than 16 bytes (keys hold no NUL) is the only one with a zero low
// byte. Sixteen bytes hold a surname and the start of a first name, so most keys
// are put in order without reading their other bytes.
Store::Prefix prefixOf(std::string_view cutKey) {
  Store::Prefix prefix = 0;
  for (size_t i = 0; i < kPrefixLength; ++i)
    prefix = (prefix << 8) | (i < cutKey.size() ? static_cast<unsigned char>(cutKey[i]) : 0u);
  return prefix;
}

uint32_t lengthAt(const std::string& arena, size_t at) {
  uint32_t length;
  std::memcpy(&length, arena.data() + at, sizeof length);
  return length;
}

// Room for `extra` more elements, growing geometrically (a plain reserve of
// size + 1 would reallocate at every insert).
template <typename Vector>
void makeRoom(Vector& vector, size_t extra) {
  const size_t needed = vector.size() + extra;
  if (needed > vector.capacity()) vector.reserve(std::max(needed, 2 * vector.capacity()));
}

} // namespace

std::string_view Store::key(uint32_t entry) const {
  return std::string_view(arena_).substr(entry + kHeader, lengthAt(arena_, entry));
}

std::string_view Store::value(uint32_t entry) const {
  const uint32_t keyLength = lengthAt(arena_, entry);
  return std::string_view(arena_).substr(entry + kHeader + keyLength,
                                         lengthAt(arena_, entry + sizeof(uint32_t)));
}

std::optional<std::string_view> Store::firstValue(std::string_view key) const {
  const std::string_view wanted = cut(key);
  const uint32_t entry = lookup_.find(wanted, KeyIndex::hashOf(wanted),
                                      [this](uint32_t e) { return cut(this->key(e)); });
  if (entry == KeyIndex::kNone) return std::nullopt;
  return value(entry);
}

void Store::insert(std::string_view key, std::string_view value) {
  // An entry's place in the arena is a 32-bit number: the arena stays under 4 GiB.
  constexpr size_t kMax = std::numeric_limits<uint32_t>::max();
  const size_t place = arena_.size();
  if (key.size() + value.size() + kHeader > kMax - place) throw std::length_error("store full");
  // Everything that can fail happens before the store changes.
  lookup_.reserveOne();
  makeRoom(arena_, kHeader + key.size() + value.size());
  const uint32_t lengths[2] = {static_cast<uint32_t>(key.size()),
                               static_cast<uint32_t>(value.size())};
  arena_.append(reinterpret_cast<const char*>(lengths), kHeader).append(key).append(value);
  ++size_;
  // The lookup index keeps the first entry of a key: later equal keys are only in the arena.
  const uint32_t entry = static_cast<uint32_t>(place);
  const std::string_view cutKey = cut(key);
  const uint32_t hash = KeyIndex::hashOf(cutKey);
  const auto keyOf = [this](uint32_t e) { return cut(this->key(e)); };
  if (lookup_.find(cutKey, hash, keyOf) == KeyIndex::kNone) lookup_.add(hash, entry);
}

// Key order of two entries (keys cut to 52, unsigned bytes).
bool Store::keyLess(const Ordered& a, const Ordered& b) const {
  if (a.prefix != b.prefix) return a.prefix < b.prefix;
  if ((a.prefix & 0xFF) == 0) return false; // both shorter than 16 bytes: the same key
  return cut(key(a.entry)).substr(kPrefixLength) < cut(key(b.entry)).substr(kPrefixLength);
}

// Puts the entries added since the last walk into the key order. They are sorted
// stably (the arena holds them in insertion order) and merged after the equal
// keys already ordered, which were inserted before them.
void Store::settleOrder() const {
  if (ordered_ == arena_.size()) return;
  std::vector<Ordered> fresh;
  for (size_t at = ordered_; at < arena_.size();) {
    const uint32_t entry = static_cast<uint32_t>(at);
    fresh.push_back({prefixOf(cut(key(entry))), entry});
    at += kHeader + lengthAt(arena_, at) + lengthAt(arena_, at + sizeof(uint32_t));
  }
  const auto less = [this](const Ordered& a, const Ordered& b) { return keyLess(a, b); };
  std::stable_sort(fresh.begin(), fresh.end(), less);
  std::vector<Ordered> merged;
  merged.reserve(order_.size() + fresh.size());
  std::merge(order_.begin(), order_.end(), fresh.begin(), fresh.end(), std::back_inserter(merged),
             less);
  order_.swap(merged);
  ordered_ = arena_.size();
}

// Entries lie in the arena in insertion order, so a walk in key order reads them
// at random: entries a little ahead are fetched while one is visited, and the
// reads from memory overlap instead of following one another.
void Store::walk(const std::function<void(std::string_view, std::string_view)>& visit) const {
  settleOrder();
  constexpr size_t kAhead = 16;
  for (size_t i = 0; i < order_.size(); ++i) {
    if (i + kAhead < order_.size()) __builtin_prefetch(arena_.data() + order_[i + kAhead].entry);
    visit(key(order_[i].entry), value(order_[i].entry));
  }
}

void creatcar(StoreHandle& handle) {
  if (!handle) handle = std::make_unique<Store>();
}

void fermecar(StoreHandle& handle) { handle.reset(); }

void inserenom_b(StoreHandle& handle, std::string_view key, std::string_view value) {
  if (handle) handle->insert(key, value);
}

bool present_b(const StoreHandle& handle, std::string_view key) {
  return handle && handle->holds(key);
}

} // namespace vandrel1
