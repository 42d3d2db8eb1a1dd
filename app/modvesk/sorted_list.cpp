#include "sorted_list.h"

#include "text.h"

#include <algorithm>

namespace modvesk {

namespace {

// Byte order of the lower-cased keys (std::string compares bytes as unsigned values).
template <typename Entry>
bool keyLess(const Entry& a, const Entry& b) {
    if (a.head != b.head) return a.head < b.head;
    return a.key < b.key;
}

uint64_t headOf(const std::string& key) {
    uint64_t head = 0;
    for (size_t i = 0; i < 8; ++i)
        head = (head << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return head;
}

} // namespace

void SortedList::add(const std::string& entry) {
    std::string key = Lower(entry);
    const uint64_t head = headOf(key);
    entries_.push_back(Entry{head, std::move(key), entry});
}

void SortedList::clear() {
    entries_.clear();
    settled_ = 0;
}

// Stable sorting and merging keep equal entries in insertion order: the settled
// ones came first, and among the new ones each keeps its place.
void SortedList::settle() const {
    if (settled_ == entries_.size()) return;
    const auto middle = entries_.begin() + static_cast<std::ptrdiff_t>(settled_);
    std::stable_sort(middle, entries_.end(), keyLess<Entry>);
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
