#include "gep_records.h"

namespace testsupport {

void setFieldWidths(modvesk::FieldTable& table, modvesk::Family family,
                    const std::vector<long>& widths) {
    if (table.size() < 257) table.resize(257);
    for (size_t k = 1; k < table.size(); ++k) {
        table[k][family].width = k <= widths.size() ? widths[k - 1] : 0;
        table[k][family].end = table[k - 1][family].end + table[k][family].width;
    }
}

std::string gepRecord(const modvesk::FieldTable& table, modvesk::Family family,
                      const std::map<long, std::string>& values) {
    std::string fields;
    for (size_t k = 1; k < table.size() && table[k][family].width > 0; ++k) {
        std::string v;
        if (auto it = values.find(static_cast<long>(k)); it != values.end()) v = it->second;
        v.resize(static_cast<size_t>(table[k][family].width), ' ');
        fields += v;
    }
    return family == modvesk::Pupils ? fields + " " : " " + fields;
}

} // namespace testsupport
