#include "dbf_tables.h"

namespace testsupport {

namespace {

void put16(std::string& b, size_t at, long v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

} // namespace

std::string dbfBytes(const DbfLayout& layout) {
    const long n = static_cast<long>(layout.widths.size());
    const long h = 32 + 32 * n + 1 + layout.extraHeaderBytes;
    long r = 1;
    for (long w : layout.widths)
        r += w;
    std::string b(static_cast<size_t>(h), '\0');
    b[0] = 0x03;
    b[1] = 125, b[2] = 9, b[3] = 1;
    const long count = static_cast<long>(layout.rows.size());
    for (int i = 0; i < 4; ++i)
        b[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
    put16(b, 8, h);
    put16(b, 10, r);
    for (long k = 0; k < n; ++k) {
        const size_t d = 32 + 32 * static_cast<size_t>(k);
        const std::string name = "F" + std::to_string(k + 1);
        b.replace(d, name.size(), name);
        b[d + 11] = 'C';
        b[d + 16] = static_cast<char>(layout.widths[static_cast<size_t>(k)]);
    }
    b[32 + 32 * static_cast<size_t>(n)] = 0x0D;
    for (size_t i = 0; i < layout.rows.size(); ++i) {
        b += layout.deleted.count(i) ? '*' : ' ';
        for (size_t k = 0; k < layout.widths.size(); ++k) {
            std::string v = k < layout.rows[i].size() ? layout.rows[i][k] : "";
            v.resize(static_cast<size_t>(layout.widths[k]), ' ');
            b += v;
        }
    }
    if (layout.endByte) b += '\x1A';
    return b;
}

DbfLayout pupilTable(const std::vector<std::vector<std::string>>& pupils) {
    DbfLayout layout;
    layout.widths.assign(42, 3);
    layout.widths[0] = 6, layout.widths[1] = 30, layout.widths[2] = 25, layout.widths[4] = 8;
    layout.widths[39] = 8;
    for (const auto& p : pupils) {
        std::vector<std::string> row(42);
        row[0] = p.at(0), row[1] = p.at(1), row[2] = p.at(2), row[4] = p.at(3), row[39] = p.at(4);
        layout.rows.push_back(row);
    }
    return layout;
}

} // namespace testsupport
