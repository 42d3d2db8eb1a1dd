// Teacher lines: the snapshot and the working copy of the EXPORT lines, the lists
// of teachers and groups, the responsible groups (field 9) of a teacher, and the
// two files of changed and deleted lines.
#include "teacher_lines.h"

#include "vandrel1.h"

#include "output_queue.h"
#include "routines.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <unordered_map>
#include <vector>

namespace vandrel1 {
namespace {

using Line = StringList;                // the fields of one line, cut at every ";"
constexpr size_t kResponsibleField = 8; // field 9, counted from 0

std::vector<Line> donneesprofs;   // snapshot, never changed after memligneprof
std::vector<Line> donneesprofsnv; // working copy

bool estProfs(const std::string& group) {
    static const char kProfs[] = "PROFS";
    if (group.size() != 5) return false;
    for (size_t i = 0; i < 5; ++i)
        if (std::toupper(static_cast<unsigned char>(group[i])) != kProfs[i]) return false;
    return true;
}

bool estLeProf(const Line& line, std::string_view surname, std::string_view firstName) {
    return line.size() >= 2 && line[0] == surname && line[1] == firstName;
}

// The first line of the working copy of that teacher with at least minFields fields.
std::vector<Line>::iterator trouveProf(std::string_view surname, std::string_view firstName,
                                       size_t minFields) {
    for (auto line = donneesprofsnv.begin(); line != donneesprofsnv.end(); ++line)
        if (line->size() >= minFields && estLeProf(*line, surname, firstName)) return line;
    return donneesprofsnv.end();
}

// Fields 1 to 8 of a line as one text (fields never hold ";").
std::string huitPremiersChamps(const Line& line) {
    return long_concat(Line(line.begin(), line.begin() + kResponsibleField), ";");
}

// Queues, for every line of the snapshot whose field 9 differs in the working
// copy, the snapshot's line carrying the working copy's field 9.
void queueLignesModifiees() {
    std::unordered_map<std::string, size_t> premiereLigneNv;
    for (size_t i = 0; i < donneesprofsnv.size(); ++i)
        if (donneesprofsnv[i].size() > kResponsibleField)
            premiereLigneNv.emplace(huitPremiersChamps(donneesprofsnv[i]), i);
    for (const Line& before : donneesprofs) {
        if (before.size() <= kResponsibleField) continue;
        const auto found = premiereLigneNv.find(huitPremiersChamps(before));
        if (found == premiereLigneNv.end()) continue;
        const std::string& now = donneesprofsnv[found->second][kResponsibleField];
        if (now == before[kResponsibleField]) continue;
        Line changed = before;
        changed[kResponsibleField] = now;
        ajouteCompteSorti('e', long_concat(changed, ";") + "\n");
    }
}

} // namespace

void videLignesProfs() {
    donneesprofs.clear();
    donneesprofsnv.clear();
}

} // namespace vandrel1

using namespace vandrel1;

extern "C" {

VANDREL_API void VANDREL_CALL memligneprof(const char* line) {
    guarded([&] {
        Line fields = chaine_list(arg(line), ";");
        if (fields.size() < 3) return;
        // Room first, so that the line goes into both copies or into neither; the
        // room doubles when it runs out, so that a long EXPORT loads in linear time.
        for (auto* copy : {&donneesprofs, &donneesprofsnv})
            if (copy->size() == copy->capacity())
                copy->reserve(std::max<size_t>(16, 2 * copy->size()));
        donneesprofs.push_back(fields);
        donneesprofsnv.push_back(std::move(fields));
    });
}

VANDREL_API void VANDREL_CALL tableauProfs(char* buffer) {
    guarded([&] {
        StringList teachers;
        for (const Line& line : donneesprofsnv)
            if (estProfs(line[2])) teachers.push_back(line[0] + ";" + line[1]);
        if (!teachers.empty()) RecouvrePhysique(buffer, long_concat(teachers, "|"));
    });
}

VANDREL_API void VANDREL_CALL tableauGroupes(char* buffer) {
    guarded([&] {
        StringList groups;
        for (const Line& line : donneesprofs)
            groups.push_back(line[2]);
        if (!groups.empty()) RecouvrePhysique(buffer, long_concat(ote_rep(groups), "|"));
    });
}

// With several lines for the same teacher, the field of the first one is given:
// the line that msjourbaseresp would change.
VANDREL_API void VANDREL_CALL retrouveDonneesProf(const char* surname, const char* firstName,
                                                  char* buffer) {
    guarded([&] {
        const auto line = trouveProf(arg(surname), arg(firstName), kResponsibleField + 1);
        if (line != donneesprofsnv.end()) RecouvrePhysique(buffer, (*line)[kResponsibleField]);
    });
}

VANDREL_API void VANDREL_CALL msjourbaseresp(int32_t mode, const char* surname,
                                             const char* firstName, const char* value) {
    guarded([&] {
        if (mode == 1) {
            const auto line = trouveProf(arg(surname), arg(firstName), kResponsibleField + 1);
            if (line == donneesprofsnv.end()) return;
            Line changed = *line;
            changed[kResponsibleField] = std::string(arg(value));
            // The erase leaves room for the push: the line is moved to the end, never lost.
            donneesprofsnv.erase(line);
            donneesprofsnv.push_back(std::move(changed));
        } else if (mode == 2) {
            const auto line = trouveProf(arg(surname), arg(firstName), 2);
            if (line == donneesprofsnv.end()) return;
            ajouteCompteSorti('p', long_concat(*line, ";") + "\n");
            donneesprofsnv.erase(line);
        }
    });
}

VANDREL_API void VANDREL_CALL msjourbasekwartz(int32_t mode) {
    guarded([&] {
        if (mode == 1) {
            videComptesSortis();
            queueLignesModifiees();
            ecritComptesSortis('e', "ComptesProfsResponsablesAModifier.txt");
        } else if (mode == 2) {
            ecritComptesSortis('p', "ComptesProfsASupprimer.txt");
        }
    });
    // Every call ends with an empty queue, even when writing failed.
    guarded([] { videComptesSortis(); });
}

} // extern "C"
