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

std::string_view cut(std::string_view key) {
    return key.substr(0, std::min(key.size(), kKeyLength));
}

// The first 16 bytes, big-endian, zero-padded: integer order is byte order, and a
// key shorter than 16 bytes (keys hold no NUL) is the only one with a zero low
// byte. Sixteen bytes hold a surname and the start of a first name, so most keys
// are put in order without reading their other bytes.
uint64_t bigEndian(const unsigned char* b) { // compilers make this one load and a byte swap
    return uint64_t{b[0]} << 56 | uint64_t{b[1]} << 48 | uint64_t{b[2]} << 40 |
           uint64_t{b[3]} << 32 | uint64_t{b[4]} << 24 | uint64_t{b[5]} << 16 |
           uint64_t{b[6]} << 8 | uint64_t{b[7]};
}

Store::Prefix prefixOf(std::string_view cutKey) {
    unsigned char bytes[kPrefixLength] = {};
    std::memcpy(bytes, cutKey.data(), std::min(cutKey.size(), kPrefixLength));
    return Store::Prefix{bigEndian(bytes)} << 64 | bigEndian(bytes + 8);
}

constexpr size_t kFirstBlock = 16 * 1024;

} // namespace

uint32_t Store::hashOf(std::string_view key) {
    return KeyIndex::hashOf(cut(key));
}

std::optional<std::string_view> Store::firstValue(std::string_view key, uint32_t hash) const {
    const std::string_view wanted = cut(key);
    if (waitingCount_ != 0) {
        // The slot looked at is fetched while the waiting entries go in.
        lookup_.prefetch(hash);
        registerWaiting();
    }
    const uint32_t entry = lookup_.find(wanted, hash, [this](uint32_t e) { return this->key(e); });
    if (entry == KeyIndex::kNone) return std::nullopt;
    return value(entry);
}

// A new block, twice the size of the last one up to kBlockSize, or just the
// entry's size for a larger entry.
void Store::addBlock(size_t size) {
    if (blocks_.size() == kMaxBlocks) throw std::length_error("store full");
    const size_t grown =
        blocks_.empty() ? kFirstBlock : std::min(2 * blocks_.back().capacity, kBlockSize);
    Block block;
    block.capacity = std::max(grown, size);
    block.bytes.reset(new char[block.capacity]);
    blocks_.push_back(std::move(block));
}

void Store::insert(std::string_view key, std::string_view value) {
    // A longer key is cut to its first 52 characters when it is stored: a walk
    // hands out the cut key.
    key = cut(key);
    if (value.size() > std::numeric_limits<uint32_t>::max() - kHeader - kKeyLength)
        throw std::length_error("value too long");
    // Everything that can fail happens before the store changes.
    if (waitingCount_ == kWaiting) registerWaiting();
    lookup_.reserveOne(waitingCount_ + 1);
    uint32_t entry;
    char* const start = place(kHeader + key.size() + value.size(), entry);
    const uint32_t valueLength = static_cast<uint32_t>(value.size());
    std::memcpy(start, &valueLength, sizeof valueLength);
    start[sizeof valueLength] = static_cast<char>(key.size());
    if (!key.empty()) std::memcpy(start + kHeader, key.data(), key.size());
    if (!value.empty()) std::memcpy(start + kHeader + key.size(), value.data(), value.size());
    ++size_;
    const uint32_t hash = KeyIndex::hashOf(key);
    // The slot the entry goes to is fetched now, well before it is registered:
    // a name noted for one pupil is registered when the next one is looked up.
    lookup_.prefetch(hash);
    waiting_[waitingCount_++] = {hash, entry};
}

// The lookup index keeps the first entry of a key: later equal keys are only in
// the blocks. The waiting entries are registered in the order of their inserts.
void Store::registerWaiting() const noexcept {
    for (size_t i = 0; i < waitingCount_; ++i)
        lookup_.prefetch(waiting_[i].first);
    for (size_t i = 0; i < waitingCount_; ++i) {
        const auto [hash, entry] = waiting_[i];
        lookup_.addFirst(key(entry), hash, entry, [this](uint32_t e) { return this->key(e); });
    }
    waitingCount_ = 0;
}

// Key order of two entries (keys cut to 52, unsigned bytes), and for equal keys
// the order of their names, which is their insertion order: a plain
// sort is then as stable as a stable one.
bool Store::keyLess(const Ordered& a, const Ordered& b) const {
    if (a.high != b.high) return a.high < b.high;
    if (a.low != b.low) return a.low < b.low;
    if ((a.low & 0xFF) != 0) { // both 16 bytes or longer: the rest decides
        const int rest =
            key(a.entry).substr(kPrefixLength).compare(key(b.entry).substr(kPrefixLength));
        if (rest != 0) return rest < 0;
    }
    return a.entry < b.entry;
}

Store::Ordered Store::orderedOf(uint32_t entry) const {
    const Prefix prefix = prefixOf(key(entry));
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
