#include "model/sorted_list.h"

#include "text/text.h"

#include <algorithm>
#include <array>

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

// Byte order of the lower-cased entries (bytes compared as unsigned values), and
// insertion order for equal ones.
template <typename Entry> bool keyLess(const Entry& a, const Entry& b) {
    if (a.high != b.high) return a.high < b.high;
    if (a.low != b.low) return a.low < b.low;
    const auto& low = lowerTable();
    const size_t n = std::min(a.entry.size(), b.entry.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = low[static_cast<unsigned char>(a.entry[i])];
        const unsigned char y = low[static_cast<unsigned char>(b.entry[i])];
        if (x != y) return x < y;
    }
    if (a.entry.size() != b.entry.size()) return a.entry.size() < b.entry.size();
    return a.order < b.order;
}

uint64_t headWord(const std::string& entry, size_t from) {
    const auto& low = lowerTable();
    uint64_t word = 0;
    for (size_t i = from; i < from + 8; ++i)
        word = (word << 8) | (i < entry.size() ? low[static_cast<unsigned char>(entry[i])] : 0u);
    return word;
}

} // namespace

void SortedList::add(const std::string& entry) {
    entries_.push_back(Entry{headWord(entry, 0), headWord(entry, 8), entries_.size(), entry});
}

void SortedList::add(std::string&& entry) {
    const uint64_t high = headWord(entry, 0), low = headWord(entry, 8);
    entries_.push_back(Entry{high, low, entries_.size(), std::move(entry)});
}

void SortedList::clear() {
    entries_.clear();
    settled_ = 0;
}

// Equal entries keep their insertion order: the comparison ends on it, and the
// merge puts the settled ones, added first, before the new ones.
void SortedList::settle() const {
    if (settled_ == entries_.size()) return;
    const auto middle = entries_.begin() + static_cast<std::ptrdiff_t>(settled_);
    std::sort(middle, entries_.end(), keyLess<Entry>);
    std::inplace_merge(entries_.begin(), middle, entries_.end(), keyLess<Entry>);
    settled_ = entries_.size();
}

std::vector<std::string> SortedList::items() const {
    std::vector<std::string> out;
    out.reserve(entries_.size());
    forEach([&out](const std::string& e) { out.push_back(e); });
    return out;
}

} // namespace modvesk
