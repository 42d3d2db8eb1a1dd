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

constexpr size_t kPrefixLength = sizeof(Store::Prefix);
constexpr size_t kHeader = 2 * sizeof(uint32_t); // key length, value length

std::string_view cut(std::string_view key) {
    return key.substr(0, std::min(key.size(), kKeyLength));
}

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
template <typename Vector> void makeRoom(Vector& vector, size_t extra) {
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
    // A longer key is cut to its first 52 characters when it is stored: a walk
    // hands out the cut key.
    key = cut(key);
    // An entry's place in the arena is a 32-bit number: the arena stays under 4 GiB.
    constexpr size_t kMax = std::numeric_limits<uint32_t>::max();
    const size_t place = arena_.size();
    if (key.size() + value.size() + kHeader > kMax - place) throw std::length_error("store full");
    // Everything that can fail happens before the store changes.
    lookup_.reserveOne();
    makeRoom(arena_, kHeader + key.size() + value.size());
    const uint32_t lengths[2] = {static_cast<uint32_t>(key.size()),
                                 static_cast<uint32_t>(value.size())};
    // The entry is written in place after one growth of the arena, not by three appends.
    arena_.append(kHeader + key.size() + value.size(), '\0');
    char* at = arena_.data() + place;
    std::memcpy(at, lengths, kHeader);
    if (!key.empty()) std::memcpy(at + kHeader, key.data(), key.size());
    if (!value.empty()) std::memcpy(at + kHeader + key.size(), value.data(), value.size());
    ++size_;
    // The lookup index keeps the first entry of a key: later equal keys are only in the arena.
    const uint32_t entry = static_cast<uint32_t>(place);
    const std::string_view cutKey = cut(key);
    const uint32_t hash = KeyIndex::hashOf(cutKey);
    const auto keyOf = [this](uint32_t e) { return cut(this->key(e)); };
    if (lookup_.find(cutKey, hash, keyOf) == KeyIndex::kNone) lookup_.add(hash, entry);
}

// Key order of two entries (keys cut to 52, unsigned bytes), and for equal keys
// the order of their places in the arena, which is their insertion order: a plain
// sort is then as stable as a stable one.
bool Store::keyLess(const Ordered& a, const Ordered& b) const {
    if (a.high != b.high) return a.high < b.high;
    if (a.low != b.low) return a.low < b.low;
    if ((a.low & 0xFF) != 0) { // both 16 bytes or longer: the rest decides
        const int rest = cut(key(a.entry))
                             .substr(kPrefixLength)
                             .compare(cut(key(b.entry)).substr(kPrefixLength));
        if (rest != 0) return rest < 0;
    }
    return a.entry < b.entry;
}

uint32_t Store::nextEntry(uint32_t entry) const {
    return entry + static_cast<uint32_t>(kHeader + lengthAt(arena_, entry) +
                                         lengthAt(arena_, entry + sizeof(uint32_t)));
}

Store::Ordered Store::orderedOf(uint32_t entry) const {
    const Prefix prefix = prefixOf(cut(key(entry)));
    return {static_cast<uint64_t>(prefix >> 64), static_cast<uint64_t>(prefix), entry};
}

void Store::sortByKey(std::vector<Ordered>& order) const {
    std::sort(order.begin(), order.end(),
              [this](const Ordered& a, const Ordered& b) { return keyLess(a, b); });
}

void creatcar(StoreHandle& handle) {
    if (!handle) handle = std::make_unique<Store>();
}

void fermecar(StoreHandle& handle) {
    handle.reset();
}

void inserenom_b(StoreHandle& handle, std::string_view key, std::string_view value) {
    if (handle) handle->insert(key, value);
}

bool present_b(const StoreHandle& handle, std::string_view key) {
    return handle && handle->holds(key);
}

} // namespace vandrel1
