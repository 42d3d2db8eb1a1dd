#include "sorted_list.h"

#include "text.h"

namespace modvesk {

// The map keeps the keys in byte order (std::string compares bytes as unsigned
// values); each bucket keeps its equal entries in insertion order.
void SortedList::add(const std::string& entry) {
    entries_[Lower(entry)].push_back(entry);
    ++count_;
}

void SortedList::clear() {
    entries_.clear();
    count_ = 0;
}

std::vector<std::string> SortedList::items() const {
    std::vector<std::string> out;
    out.reserve(count_);
    forEach([&out](const std::string& e) { out.push_back(e); });
    return out;
}

} // namespace modvesk
