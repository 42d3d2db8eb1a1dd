// dBase III tables built byte by byte, for the reader's edge cases: deleted
// records, a missing end-of-file byte, extra header bytes, many fields.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace testsupport {

struct DbfLayout {
    std::vector<long> widths;                   // one character field per width
    std::vector<std::vector<std::string>> rows; // field values, padded or cut to width
    std::set<size_t> deleted;                   // rows marked "*"
    bool endByte = true;                        // the final 0x1A
    long extraHeaderBytes = 0;                  // bytes between the 0x0D and the records
};

// The bytes of the table.
std::string dbfBytes(const DbfLayout& layout);

// A pupil table with 40 fields (identifier 1, surname 2, first name 3, date 5,
// class 40) and one row per (identifier, surname, first name, date, class).
DbfLayout pupilTable(const std::vector<std::vector<std::string>>& pupils);

} // namespace testsupport
