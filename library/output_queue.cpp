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
    std::string texts;
    bool any = false;
    for (const Record& record : comptessortis) {
        if (record.kind != kind) continue;
        any = true;
        texts += record.text;
    }
    if (any) ec(1, fileName, texts);
}

} // namespace vandrel1
