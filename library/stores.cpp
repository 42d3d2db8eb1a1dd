#include "stores.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace vandrel1 {

StoreHandle bpluscarnet;
StoreHandle bpluscarnetancien;
StoreHandle bpluscarnetid;

namespace {

// Wide nodes keep the tree to three levels for 100,000 entries.
constexpr int kLeafFanout = 64; // entries per leaf
constexpr int kFanout = 64;     // children per inner node

constexpr size_t kPrefixLength = sizeof(Store::Prefix);

std::string_view cut(std::string_view key) { return key.substr(0, std::min(key.size(), kKeyLength)); }

// The first 16 bytes, big-endian, zero-padded: integer order is byte order, and a
// key shorter than 16 bytes (keys hold no NUL) is the only one with a zero low
// byte. Sixteen bytes hold a surname and the start of a first name, so keys that
// share a surname are told apart without reading the entries.
Store::Prefix prefixOf(std::string_view cutKey) {
  Store::Prefix prefix = 0;
  for (size_t i = 0; i < kPrefixLength; ++i)
    prefix = (prefix << 8) | (i < cutKey.size() ? static_cast<unsigned char>(cutKey[i]) : 0u);
  return prefix;
}

// Room for `extra` more elements, growing geometrically (a plain reserve of
// size + 1 would reallocate at every insert).
template <typename Vector>
void makeRoom(Vector& vector, size_t extra) {
  const size_t needed = vector.size() + extra;
  if (needed > vector.capacity()) vector.reserve(std::max(needed, 2 * vector.capacity()));
}

} // namespace

struct Store::Probe {
  std::string_view key; // cut to 52
  Prefix prefix;
};

struct Store::Node {
  bool leaf;
  int count = 0; // entries of a leaf, separators of an inner node
};

struct Store::Leaf : Node {
  Leaf() : Node{true} {}
  Prefix prefix[kLeafFanout];
  uint32_t entry[kLeafFanout]; // place of the entry in the arena
  Leaf* next = nullptr;
};

// Separator i is the first entry of child i + 1; every entry of child i is not
// greater than it and every entry of child i + 1 not smaller.
struct Store::Inner : Node {
  Inner() : Node{false} {}
  Prefix prefix[kFanout - 1];
  uint32_t entry[kFanout - 1];
  Node* child[kFanout];
};

struct Store::Split {
  Prefix prefix;
  uint32_t entry;
  Node* right;
};

Store::Store() {
  prepareNodes();
  root_ = firstLeaf_ = takeLeaf();
}

Store::~Store() = default;

namespace {
constexpr size_t kHeader = 2 * sizeof(uint32_t); // key length, value length
uint32_t lengthAt(const std::string& arena, size_t at) {
  uint32_t length;
  std::memcpy(&length, arena.data() + at, sizeof length);
  return length;
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

// <0, 0, >0 as the probe sorts before, with, or after the entry.
int Store::compare(const Probe& probe, Prefix prefix, uint32_t entry) const {
  if (probe.prefix != prefix) return probe.prefix < prefix ? -1 : 1;
  if ((prefix & 0xFF) == 0) return 0; // both shorter than 16 bytes: the same key
  const int rest = probe.key.substr(kPrefixLength).compare(cut(key(entry)).substr(kPrefixLength));
  return rest < 0 ? -1 : rest > 0 ? 1 : 0;
}

// The first slot whose entry sorts after the probe (AfterEqual) or not before it.
template <bool AfterEqual>
int Store::position(const Probe& probe, const Prefix* prefixes, const uint32_t* entries,
                    int count) const {
  int low = 0, high = count;
  while (low < high) {
    const int middle = (low + high) / 2;
    const int order = compare(probe, prefixes[middle], entries[middle]);
    if (AfterEqual ? order >= 0 : order > 0)
      low = middle + 1;
    else
      high = middle;
  }
  return low;
}

std::optional<std::string_view> Store::firstValue(std::string_view key) const {
  const std::string_view wanted = cut(key);
  const uint32_t entry = lookup_.find(wanted, KeyIndex::hashOf(wanted),
                                      [this](uint32_t e) { return cut(this->key(e)); });
  if (entry == KeyIndex::kNone) return std::nullopt;
  return value(entry);
}

// Entries lie in the arena in insertion order, so a walk in key order reads them
// at random: while one leaf's entries are visited, the next leaf's are fetched,
// and the reads from memory overlap instead of following one another.
void Store::walk(const std::function<void(std::string_view, std::string_view)>& visit) const {
  for (const Leaf* leaf = firstLeaf_; leaf; leaf = leaf->next) {
    if (const Leaf* next = leaf->next)
      for (int i = 0; i < next->count; ++i) __builtin_prefetch(arena_.data() + next->entry[i]);
    for (int i = 0; i < leaf->count; ++i) visit(key(leaf->entry[i]), value(leaf->entry[i]));
  }
}

void Store::insert(std::string_view key, std::string_view value) {
  // An entry's place in the arena is a 32-bit number: the arena stays under 4 GiB.
  constexpr size_t kMax = std::numeric_limits<uint32_t>::max();
  const size_t place = arena_.size();
  if (key.size() + value.size() + kHeader > kMax - place) throw std::length_error("store full");
  // Everything that can fail happens before the index changes.
  prepareNodes();
  lookup_.reserveOne();
  const uint32_t lengths[2] = {static_cast<uint32_t>(key.size()),
                               static_cast<uint32_t>(value.size())};
  makeRoom(arena_, kHeader + key.size() + value.size());
  arena_.append(reinterpret_cast<const char*>(lengths), kHeader).append(key).append(value);
  const uint32_t entry = static_cast<uint32_t>(place);
  ++size_;
  const Probe probe{cut(key), prefixOf(cut(key))};
  // The lookup index keeps the first entry of a key: later equal keys are only in the tree.
  const uint32_t hash = KeyIndex::hashOf(probe.key);
  const auto keyOf = [this](uint32_t e) { return cut(this->key(e)); };
  if (lookup_.find(probe.key, hash, keyOf) == KeyIndex::kNone) lookup_.add(hash, entry);
  if (const auto split = insertInto(root_, probe, entry)) {
    Inner* root = takeInner();
    root->prefix[0] = split->prefix;
    root->entry[0] = split->entry;
    root->child[0] = root_;
    root->child[1] = split->right;
    root->count = 1;
    root_ = root;
    ++height_;
  }
}

std::optional<Store::Split> Store::insertInto(Node* node, const Probe& probe,
                                              uint32_t entry) noexcept {
  return node->leaf ? insertIntoLeaf(static_cast<Leaf*>(node), probe, entry)
                    : insertIntoInner(static_cast<Inner*>(node), probe, entry);
}

// A new entry goes after the entries with an equal key: insertion order is kept.
std::optional<Store::Split> Store::insertIntoLeaf(Leaf* leaf, const Probe& probe,
                                                  uint32_t entry) noexcept {
  int slot = position<true>(probe, leaf->prefix, leaf->entry, leaf->count);
  Leaf* target = leaf;
  Leaf* right = nullptr;
  if (leaf->count == kLeafFanout) {
    right = takeLeaf();
    constexpr int half = kLeafFanout / 2;
    std::copy(leaf->prefix + half, leaf->prefix + kLeafFanout, right->prefix);
    std::copy(leaf->entry + half, leaf->entry + kLeafFanout, right->entry);
    right->count = kLeafFanout - half;
    leaf->count = half;
    right->next = leaf->next;
    leaf->next = right;
    if (slot > half) {
      target = right;
      slot -= half;
    }
  }
  std::copy_backward(target->prefix + slot, target->prefix + target->count,
                     target->prefix + target->count + 1);
  std::copy_backward(target->entry + slot, target->entry + target->count,
                     target->entry + target->count + 1);
  target->prefix[slot] = probe.prefix;
  target->entry[slot] = entry;
  ++target->count;
  if (!right) return std::nullopt;
  return Split{right->prefix[0], right->entry[0], right};
}

std::optional<Store::Split> Store::insertIntoInner(Inner* inner, const Probe& probe,
                                                   uint32_t entry) noexcept {
  const int slot = position<true>(probe, inner->prefix, inner->entry, inner->count);
  const auto below = insertInto(inner->child[slot], probe, entry);
  if (!below) return std::nullopt;
  // Lay the node out with the new separator, then keep it or cut it in two.
  Prefix prefixes[kFanout];
  uint32_t entries[kFanout];
  Node* children[kFanout + 1];
  const int n = inner->count;
  std::copy(inner->prefix, inner->prefix + slot, prefixes);
  std::copy(inner->entry, inner->entry + slot, entries);
  std::copy(inner->child, inner->child + slot + 1, children);
  prefixes[slot] = below->prefix;
  entries[slot] = below->entry;
  children[slot + 1] = below->right;
  std::copy(inner->prefix + slot, inner->prefix + n, prefixes + slot + 1);
  std::copy(inner->entry + slot, inner->entry + n, entries + slot + 1);
  std::copy(inner->child + slot + 1, inner->child + n + 1, children + slot + 2);
  const int total = n + 1;
  if (total <= kFanout - 1) {
    std::copy(prefixes, prefixes + total, inner->prefix);
    std::copy(entries, entries + total, inner->entry);
    std::copy(children, children + total + 1, inner->child);
    inner->count = total;
    return std::nullopt;
  }
  // The middle separator moves up; the left half stays, the right half moves out.
  const int middle = total / 2;
  Inner* right = takeInner();
  std::copy(prefixes, prefixes + middle, inner->prefix);
  std::copy(entries, entries + middle, inner->entry);
  std::copy(children, children + middle + 1, inner->child);
  inner->count = middle;
  std::copy(prefixes + middle + 1, prefixes + total, right->prefix);
  std::copy(entries + middle + 1, entries + total, right->entry);
  std::copy(children + middle + 1, children + total + 1, right->child);
  right->count = total - middle - 1;
  return Split{prefixes[middle], entries[middle], right};
}

// An insert splits at most one leaf and one inner node per level above it, and may
// add a root: that many spare nodes, and room to own them, are made ready first.
void Store::prepareNodes() {
  while (spareLeaves_.size() < 1) spareLeaves_.push_back(std::make_unique<Leaf>());
  while (spareInners_.size() < static_cast<size_t>(height_))
    spareInners_.push_back(std::make_unique<Inner>());
  makeRoom(leaves_, spareLeaves_.size());
  makeRoom(inners_, spareInners_.size());
}

Store::Leaf* Store::takeLeaf() noexcept {
  leaves_.push_back(std::move(spareLeaves_.back()));
  spareLeaves_.pop_back();
  return leaves_.back().get();
}

Store::Inner* Store::takeInner() noexcept {
  inners_.push_back(std::move(spareInners_.back()));
  spareInners_.pop_back();
  return inners_.back().get();
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
