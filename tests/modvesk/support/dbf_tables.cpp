#include "dbf_tables.h"

namespace testsupport {

namespace {

void put16(std::string& b, size_t at, long v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

} // namespace

std::string dbfBytes(const DbfSpec& spec) {
    const long n = static_cast<long>(spec.widths.size());
    const long h = 32 + 32 * n + 1 + spec.extraHeaderBytes;
    long r = 1;
    for (long w : spec.widths) r += w;
    std::string b(static_cast<size_t>(h), '\0');
    b[0] = 0x03;
    b[1] = 125, b[2] = 9, b[3] = 1;
    const long count = static_cast<long>(spec.rows.size());
    for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
    put16(b, 8, h);
    put16(b, 10, r);
    for (long k = 0; k < n; ++k) {
        const size_t d = 32 + 32 * static_cast<size_t>(k);
        const std::string name = "F" + std::to_string(k + 1);
        b.replace(d, name.size(), name);
        b[d + 11] = 'C';
        b[d + 16] = static_cast<char>(spec.widths[static_cast<size_t>(k)]);
    }
    b[32 + 32 * static_cast<size_t>(n)] = 0x0D;
    for (size_t i = 0; i < spec.rows.size(); ++i) {
        b += spec.deleted.count(i) ? '*' : ' ';
        for (size_t k = 0; k < spec.widths.size(); ++k) {
            std::string v = k < spec.rows[i].size() ? spec.rows[i][k] : "";
            v.resize(static_cast<size_t>(spec.widths[k]), ' ');
            b += v;
        }
    }
    if (spec.endByte) b += '\x1A';
    return b;
}

DbfSpec pupilTable(const std::vector<std::vector<std::string>>& pupils) {
    DbfSpec spec;
    spec.widths.assign(42, 3);
    spec.widths[0] = 6, spec.widths[1] = 30, spec.widths[2] = 25, spec.widths[4] = 8;
    spec.widths[39] = 8;
    for (const auto& p : pupils) {
        std::vector<std::string> row(42);
        row[0] = p.at(0), row[1] = p.at(1), row[2] = p.at(2), row[4] = p.at(3), row[39] = p.at(4);
        spec.rows.push_back(row);
    }
    return spec;
}

} // namespace testsupport
