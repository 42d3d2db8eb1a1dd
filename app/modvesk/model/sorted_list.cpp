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

} // namespace

// The key of an entry: its first 16 bytes lower-cased, zero-padded, as two numbers.
void SortedList::appendKeyOf(const std::string& entry) {
    const auto& low = lowerTable();
    unsigned char head[16] = {};
    const size_t n = std::min<size_t>(entry.size(), sizeof head);
    for (size_t i = 0; i < n; ++i)
        head[i] = low[static_cast<unsigned char>(entry[i])];
    keys_.push_back(Key{bigEndian(head), bigEndian(head + 8), keys_.size()});
}

// Byte order of the lower-cased entries (bytes compared as unsigned values), and
// insertion order for equal ones.
bool SortedList::less(const Key& a, const Key& b) const {
    if (a.high != b.high) return a.high < b.high;
    if (a.low != b.low) return a.low < b.low;
    const std::string& x = texts_[a.index];
    const std::string& y = texts_[b.index];
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

void SortedList::add(const std::string& entry) {
    appendKeyOf(entry);
    texts_.push_back(entry);
}

void SortedList::add(std::string&& entry) {
    appendKeyOf(entry);
    texts_.push_back(std::move(entry));
}

void SortedList::clear() {
    texts_.clear();
    keys_.clear();
    settled_ = 0;
}

// Equal entries keep their insertion order: the comparison ends on it, and the
// merge puts the settled ones, added first, before the new ones.
void SortedList::settle() const {
    if (settled_ == keys_.size()) return;
    const auto middle = keys_.begin() + static_cast<std::ptrdiff_t>(settled_);
    const auto byKey = [this](const Key& a, const Key& b) { return this->less(a, b); };
    std::sort(middle, keys_.end(), byKey);
    std::inplace_merge(keys_.begin(), middle, keys_.end(), byKey);
    settled_ = keys_.size();
}

std::vector<std::string> SortedList::items() const {
    std::vector<std::string> out;
    out.reserve(texts_.size());
    forEach([&out](const std::string& e) { out.push_back(e); });
    return out;
}

} // namespace modvesk
