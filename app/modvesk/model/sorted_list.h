// A sorted list box: entries in case-insensitive byte order after Windows-1252
// lower-casing, equal entries in insertion order, duplicates kept. It stands for
// the window's lists lstTri, LstTri2 and classes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace modvesk {

class SortedList {
  public:
    void add(const std::string& entry);
    void add(std::string&& entry);
    void clear();
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // The entries in list order (first to last).
    std::vector<std::string> items() const;

    template <class F> void forEach(F&& f) const {
        settle();
        for (const auto& e : entries_)
            f(e.entry);
    }
    // The entries from last to first.
    template <class F> void forEachBackward(F&& f) const {
        settle();
        for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
            f(it->entry);
    }

  private:
    // Entries are appended as they come and put in order when the list is next
    // read: adding costs no search and no shifting, reading sorts only the new ones.
    void settle() const;
    // An entry with the first 16 bytes of its lower-cased form as two numbers
    // (big-endian, zero-padded): most comparisons of a sort end there, and the
    // lower-cased form is not kept, only compared byte by byte on a tie.
    struct Entry {
        uint64_t high, low; // the head
        size_t order;       // place in insertion order, for equal entries
        std::string entry;
    };
    mutable std::vector<Entry> entries_;
    mutable size_t settled_ = 0; // entries_[0, settled_) are in list order
};

} // namespace modvesk
