#include "output_queue.h"

#include "routines.h"

#include <utility>
#include <vector>

namespace vandrel1 {

namespace {
struct Record {
    char kind;
    std::string text;
};
std::vector<Record> comptessortis;
} // namespace

void videComptesSortis() {
    comptessortis.clear();
}

void ajouteCompteSorti(char kind, std::string text) {
    comptessortis.push_back(Record{kind, std::move(text)});
}

void ecritComptesSortis(char kind, const std::string& fileName) {
    // A single record (the usual case) is written from its own text, without a copy.
    const Record* only = nullptr;
    size_t count = 0;
    for (const Record& record : comptessortis)
        if (record.kind == kind && ++count == 1) only = &record;
    if (count == 0) return;
    if (count == 1) {
        ec(1, fileName, only->text);
        return;
    }
    std::string texts;
    for (const Record& record : comptessortis)
        if (record.kind == kind) texts += record.text;
    ec(1, fileName, texts);
}

} // namespace vandrel1
