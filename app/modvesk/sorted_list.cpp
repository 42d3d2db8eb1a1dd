#include "sorted_list.h"

#include "text.h"

#include <algorithm>

namespace modvesk {

namespace {

// Byte order of the lower-cased keys (std::string compares bytes as unsigned values).
bool keyLess(const std::pair<std::string, std::string>& a,
             const std::pair<std::string, std::string>& b) {
    return a.first < b.first;
}

} // namespace

void SortedList::add(const std::string& entry) { entries_.emplace_back(Lower(entry), entry); }

void SortedList::clear() {
    entries_.clear();
    settled_ = 0;
}

// Stable sorting and merging keep equal entries in insertion order: the settled
// ones came first, and among the new ones each keeps its place.
void SortedList::settle() const {
    if (settled_ == entries_.size()) return;
    const auto middle = entries_.begin() + static_cast<std::ptrdiff_t>(settled_);
    std::stable_sort(middle, entries_.end(), keyLess);
    std::inplace_merge(entries_.begin(), middle, entries_.end(), keyLess);
    settled_ = entries_.size();
}

std::vector<std::string> SortedList::items() const {
    std::vector<std::string> out;
    out.reserve(entries_.size());
    forEach([&out](const std::string& e) { out.push_back(e); });
    return out;
}

} // namespace modvesk
