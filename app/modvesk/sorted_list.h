// A sorted list box: entries in case-insensitive byte order after Windows-1252
// lower-casing, equal entries in insertion order, duplicates kept. It stands for
// the window's lists lstTri, LstTri2 and classes.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace modvesk {

class SortedList {
public:
    void add(const std::string& entry);
    void clear();
    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // The entries in list order (first to last).
    std::vector<std::string> items() const;

    template <class F> void forEach(F&& f) const {
        for (const auto& [key, bucket] : entries_)
            for (const auto& e : bucket) f(e);
    }

private:
    std::map<std::string, std::vector<std::string>> entries_; // lower-cased key -> entries
    size_t count_ = 0;
};

} // namespace modvesk
