#include "model/sorted_list.h"

#include "text/text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace modvesk {

namespace {

// The Windows-1252 lower case of every byte.
const std::array<unsigned char, 256>& lowerTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c)
            t[c] = static_cast<unsigned char>(lowerChar(static_cast<char>(c)));
        return t;
    }();
    return table;
}

// Eight bytes read as a big-endian number.
uint64_t bigEndian(const unsigned char* bytes) {
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    return word;
}

// Eight ASCII bytes lower-cased at once: 0x20 is added to each byte from 'A' to
// 'Z' (a byte b has its high bit set in b + 0x3F when b >= 'A', in b + 0x25
// when b > 'Z'; neither sum carries into the next byte).
uint64_t lowerAscii(uint64_t word) {
    constexpr uint64_t kOnes = 0x0101010101010101ULL, kHigh = 0x8080808080808080ULL;
    const uint64_t upper = (word + kOnes * 0x3F) & ~(word + kOnes * 0x25) & kHigh;
    return word | (upper >> 2);
}

} // namespace

// The key of an entry: its first 16 bytes lower-cased, zero-padded, as two numbers.
// A head of ASCII bytes (the usual one) is lower-cased eight bytes at a time.
SortedList::Key SortedList::keyOf(std::string_view entry, size_t index) {
    unsigned char head[16] = {};
    const size_t n = std::min<size_t>(entry.size(), sizeof head);
    if (n != 0) std::memcpy(head, entry.data(), n); // an empty entry may hold no address
    uint64_t words[2];
    std::memcpy(words, head, sizeof head);
    if (((words[0] | words[1]) & 0x8080808080808080ULL) == 0) {
        for (uint64_t& w : words)
            w = lowerAscii(w);
        std::memcpy(head, words, sizeof head);
    } else {
        const auto& low = lowerTable();
        for (size_t i = 0; i < n; ++i)
            head[i] = low[head[i]];
    }
    return Key{bigEndian(head), bigEndian(head + 8), index};
}

// Entries with equal heads: byte order of the lower-cased entries (bytes compared
// as unsigned values), and insertion order for equal ones.
bool SortedList::tieLess(const Key& a, const Key& b, std::string_view x, std::string_view y) {
    const auto& low = lowerTable();
    const size_t n = std::min(x.size(), y.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char cx = low[static_cast<unsigned char>(x[i])];
        const unsigned char cy = low[static_cast<unsigned char>(y[i])];
        if (cx != cy) return cx < cy;
    }
    if (x.size() != y.size()) return x.size() < y.size();
    return a.index < b.index;
}

char* SortedList::room(size_t size) {
    constexpr size_t kBlock = 1 << 16;
    if (size > room_) {
        const size_t block = std::max(kBlock, size);
        blocks_.emplace_back(new char[block]);
        next_ = blocks_.back().get();
        room_ = block;
    }
    char* const at = next_;
    next_ += size;
    room_ -= size;
    return at;
}

void SortedList::filed(const char* at, size_t size) {
    const std::string_view entry(at, size);
    keys_.push_back(keyOf(entry, keys_.size()));
    texts_.push_back(entry);
}

void SortedList::add(std::string_view entry) {
    char* const at = room(entry.size());
    entry.copy(at, entry.size());
    filed(at, entry.size());
}

void SortedList::addJoined(std::initializer_list<std::string_view> fields,
                           std::initializer_list<std::string_view> tail) {
    size_t size = fields.size() - 1;
    for (const auto f : fields)
        size += f.size();
    for (const auto t : tail)
        size += t.size();
    char* const start = room(size);
    char* at = start;
    for (auto f = fields.begin(); f != fields.end(); ++f) {
        if (f != fields.begin()) *at++ = ';';
        at += f->copy(at, f->size());
    }
    for (const auto t : tail)
        at += t.copy(at, t.size());
    filed(start, size);
}

void SortedList::clear() {
    texts_.clear();
    keys_.clear();
    blocks_.clear();
    next_ = nullptr;
    room_ = 0;
    settled_ = 0;
}

// Puts the keys in list order. A long run is first dealt by its first two bytes
// (a counting pass, which keeps the keys' order), so that the comparisons only
// sort the keys of each pair of first bytes: a district's list of 40,000 entries
// falls into a few hundred short runs.
void SortedList::sortKeys(std::vector<Key>::iterator first, std::vector<Key>::iterator last,
                          const auto& textAt) {
    const auto byKey = [&textAt](const Key& a, const Key& b) { return less(a, b, textAt); };
    const size_t n = static_cast<size_t>(last - first);
    // Below it, the 256 kB of counts would cost more than they save.
    constexpr size_t kDealtFrom = 8192;
    if (n < kDealtFrom) {
        std::sort(first, last, byKey);
        return;
    }
    constexpr unsigned kShift = 48; // the first two bytes of the head
    std::vector<uint32_t> starts((size_t{1} << 16) + 1, 0);
    for (auto k = first; k != last; ++k)
        ++starts[(k->high >> kShift) + 1];
    for (size_t b = 1; b < starts.size(); ++b)
        starts[b] += starts[b - 1];
    std::vector<Key> dealt(n);
    std::vector<uint32_t> at(starts.begin(), starts.end() - 1);
    for (auto k = first; k != last; ++k)
        dealt[at[k->high >> kShift]++] = *k;
    for (size_t b = 0; b + 1 < starts.size(); ++b)
        if (starts[b + 1] - starts[b] > 1)
            std::sort(dealt.begin() + starts[b], dealt.begin() + starts[b + 1], byKey);
    std::copy(dealt.begin(), dealt.end(), first);
}

// Equal entries keep their insertion order: the comparison ends on it, and the
// merge puts the settled ones, added first, before the new ones.
void SortedList::settle() const {
    if (settled_ == keys_.size()) return;
    const auto middle = keys_.begin() + static_cast<std::ptrdiff_t>(settled_);
    const auto textAt = [this](size_t i) { return texts_[i]; };
    sortKeys(middle, keys_.end(), textAt);
    std::inplace_merge(keys_.begin(), middle, keys_.end(),
                       [&textAt](const Key& a, const Key& b) { return less(a, b, textAt); });
    settled_ = keys_.size();
}

void SortedList::sortEntries(std::vector<std::string_view>& entries) {
    std::vector<Key> keys;
    keys.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        keys.push_back(keyOf(entries[i], i));
    sortKeys(keys.begin(), keys.end(), [&entries](size_t i) { return entries[i]; });
    std::vector<std::string_view> sorted;
    sorted.reserve(entries.size());
    for (const Key& k : keys)
        sorted.push_back(entries[k.index]);
    entries.swap(sorted);
}

std::vector<std::string> SortedList::items() const {
    std::vector<std::string> out;
    out.reserve(texts_.size());
    forEach([&out](std::string_view e) { out.emplace_back(e); });
    return out;
}

} // namespace modvesk
