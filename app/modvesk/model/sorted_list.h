// A sorted list box: entries in case-insensitive byte order after Windows-1252
// lower-casing, equal entries in insertion order, duplicates kept. It stands for
// the window's lists lstTri, LstTri2 and classes.
#pragma once

#include "text/text.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace modvesk {

class SortedList {
  public:
    void add(std::string_view entry);
    // Adds the entry made of the fields (at least one) joined by ";", then the
    // pieces of the tail as they are: written straight where the list keeps it.
    void addJoined(std::initializer_list<std::string_view> fields,
                   std::initializer_list<std::string_view> tail = {});
    void clear();
    size_t size() const { return texts_.size(); }
    bool empty() const { return texts_.empty(); }
    // The entries in list order (first to last).
    std::vector<std::string> items() const;
    // Puts `entries` in the order a list would give them, had they been added in
    // their current order.
    static void sortEntries(std::vector<std::string_view>& entries);

    // `f` sees each entry as a view that lasts until the list is cleared.
    template <class F> void forEach(F&& f) const {
        settle();
        walk(keys_.begin(), f);
    }
    // The entries from last to first.
    template <class F> void forEachBackward(F&& f) const {
        settle();
        walk(keys_.rbegin(), f);
    }

  private:
    // Entries are appended as they come and put in order when the list is next
    // read: adding costs no search and no shifting, reading sorts only the new ones.
    void settle() const;
    // The texts stay where they were added; the sort moves only small keys: the
    // first 16 bytes of an entry's lower-cased form as two numbers (big-endian,
    // zero-padded), where most comparisons end, and the entry's place in insertion
    // order, which also orders equal entries. The lower-cased form is not kept,
    // only compared byte by byte on a tie.
    struct Key {
        uint64_t high, low; // the head
        size_t index;       // in texts_
    };
    static Key keyOf(std::string_view entry, size_t index);
    // Keys first (most comparisons end there), then the entries themselves.
    static bool less(const Key& a, const Key& b, const auto& textAt) {
        if (a.high != b.high) return a.high < b.high;
        if (a.low != b.low) return a.low < b.low;
        return tieLess(a, b, textAt(a.index), textAt(b.index));
    }
    // Visits the entries from `first` on, in that order. The texts lie in
    // insertion order, so a walk in list order reads them at random: the view of
    // an entry a little ahead, then its text, are fetched while one is visited,
    // and the reads from memory overlap instead of following one another.
    template <class It, class F> void walk(It first, F& f) const {
        constexpr size_t kViewAhead = 16, kTextAhead = 8;
        const size_t n = keys_.size();
        for (size_t i = 0; i < n; ++i) {
            if (i + kViewAhead < n) __builtin_prefetch(&texts_[first[i + kViewAhead].index]);
            if (i + kTextAhead < n) {
                const std::string_view ahead = texts_[first[i + kTextAhead].index];
                PrefetchBytes(ahead.data(), ahead.size());
            }
            f(texts_[first[i].index]);
        }
    }
    static bool tieLess(const Key& a, const Key& b, std::string_view x, std::string_view y);
    static void sortKeys(std::vector<Key>::iterator first, std::vector<Key>::iterator last,
                         const auto& textAt);
    // Room for an entry's text of `size` bytes in the blocks. The texts lie end to
    // end in blocks that never move: an entry costs a copy, not an allocation of
    // its own.
    char* room(size_t size);
    // Files the entry whose text was written at `at`.
    void filed(const char* at, size_t size);
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* next_ = nullptr;                // where the next text goes in the last block
    size_t room_ = 0;                     // bytes left after it
    std::vector<std::string_view> texts_; // in insertion order
    mutable std::vector<Key> keys_;       // in list order once settled
    mutable size_t settled_ = 0;          // keys_[0, settled_) are in list order
};

} // namespace modvesk
