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
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vandrel1 {
namespace {

constexpr size_t kResponsibleField = 8; // field 9, counted from 0

// The snapshot: the lines as handed over, never changed after memligneprof.
// Fields are separated by ";" and never hold one.
std::vector<std::string> donneesprofs;
// A line of the working copy: a line of the snapshot, maybe with another field 9.
struct LigneNv {
    size_t ligne = 0; // in donneesprofs
    bool modifiee = false;
    std::string responsables; // field 9 when modifiee
};
std::vector<LigneNv> donneesprofsnv; // the working copy

size_t nombreChamps(std::string_view line) {
    return static_cast<size_t>(std::count(line.begin(), line.end(), ';')) + 1;
}

// Where field i (from 0) starts: just after the i-th ";" (npos when there is none).
size_t debutChamp(std::string_view line, size_t i) {
    size_t start = 0;
    for (; i > 0 && start != std::string_view::npos; --i) {
        const size_t cut = line.find(';', start);
        start = cut == std::string_view::npos ? cut : cut + 1;
    }
    return start;
}

// Field i of a line; "" past its last field.
std::string_view champ(std::string_view line, size_t i) {
    const size_t start = debutChamp(line, i);
    if (start == std::string_view::npos) return {};
    return line.substr(start, line.find(';', start) - start);
}

std::string_view texte(const LigneNv& line) {
    return donneesprofs[line.ligne];
}

std::string_view responsables(const LigneNv& line) {
    return line.modifiee ? std::string_view(line.responsables)
                         : champ(texte(line), kResponsibleField);
}

// A line of at least 9 fields with its field 9 replaced.
std::string avecResponsables(std::string_view line, std::string_view value) {
    const size_t start = debutChamp(line, kResponsibleField);
    const size_t end = std::min(line.find(';', start), line.size());
    std::string changed;
    changed.reserve(line.size() + value.size());
    changed.append(line.substr(0, start)).append(value).append(line.substr(end));
    return changed;
}

// The line of the working copy as text (its fields joined by ";").
std::string texteNv(const LigneNv& line) {
    return line.modifiee ? avecResponsables(texte(line), line.responsables)
                         : std::string(texte(line));
}

bool estProfs(std::string_view group) {
    static const char kProfs[] = "PROFS";
    if (group.size() != 5) return false;
    for (size_t i = 0; i < 5; ++i)
        if (std::toupper(static_cast<unsigned char>(group[i])) != kProfs[i]) return false;
    return true;
}

bool estLeProf(std::string_view line, std::string_view surname, std::string_view firstName) {
    return champ(line, 0) == surname && champ(line, 1) == firstName;
}

// The first line of the working copy of that teacher with at least minFields fields.
std::vector<LigneNv>::iterator trouveProf(std::string_view surname, std::string_view firstName,
                                          size_t minFields) {
    for (auto line = donneesprofsnv.begin(); line != donneesprofsnv.end(); ++line)
        if (estLeProf(texte(*line), surname, firstName) && nombreChamps(texte(*line)) >= minFields)
            return line;
    return donneesprofsnv.end();
}

// Fields 1 to 8 of a line of at least 9 fields as one text: the line up to its
// 8th ";". Field 9 is the only one the working copy changes.
std::string_view huitPremiersChamps(std::string_view line) {
    return line.substr(0, debutChamp(line, kResponsibleField) - 1);
}

// Queues, for every line of the snapshot whose field 9 differs in the working
// copy, the snapshot's line carrying the working copy's field 9.
void queueLignesModifiees() {
    std::unordered_map<std::string_view, size_t> premiereLigneNv;
    premiereLigneNv.reserve(donneesprofsnv.size());
    for (size_t i = 0; i < donneesprofsnv.size(); ++i)
        if (nombreChamps(texte(donneesprofsnv[i])) > kResponsibleField)
            premiereLigneNv.emplace(huitPremiersChamps(texte(donneesprofsnv[i])), i);
    for (const std::string& before : donneesprofs) {
        if (nombreChamps(before) <= kResponsibleField) continue;
        const auto found = premiereLigneNv.find(huitPremiersChamps(before));
        if (found == premiereLigneNv.end()) continue;
        const std::string_view now = responsables(donneesprofsnv[found->second]);
        if (now == champ(before, kResponsibleField)) continue;
        ajouteCompteSorti('e', avecResponsables(before, now) + "\n");
    }
}

// The texts joined by "|".
std::string joints(const std::vector<std::string_view>& texts) {
    std::string joined;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) joined += '|';
        joined += texts[i];
    }
    return joined;
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
        const std::string_view text = arg(line);
        if (nombreChamps(text) < 3) return;
        // Room first, so that the line goes into both copies or into neither; the
        // room doubles when it runs out, so that a long EXPORT loads in linear time.
        if (donneesprofs.size() == donneesprofs.capacity())
            donneesprofs.reserve(std::max<size_t>(16, 2 * donneesprofs.size()));
        if (donneesprofsnv.size() == donneesprofsnv.capacity())
            donneesprofsnv.reserve(std::max<size_t>(16, 2 * donneesprofsnv.size()));
        donneesprofs.emplace_back(text);
        donneesprofsnv.push_back(LigneNv{donneesprofs.size() - 1, false, {}});
    });
}

VANDREL_API void VANDREL_CALL tableauProfs(char* buffer) {
    guarded([&] {
        std::vector<std::string_view> teachers;
        for (const LigneNv& line : donneesprofsnv)
            if (estProfs(champ(texte(line), 2)))
                teachers.push_back(texte(line).substr(0, debutChamp(texte(line), 2) - 1));
        if (!teachers.empty()) RecouvrePhysique(buffer, joints(teachers));
    });
}

// Each group once, where it occurs last.
VANDREL_API void VANDREL_CALL tableauGroupes(char* buffer) {
    guarded([&] {
        std::unordered_set<std::string_view> seen;
        std::vector<std::string_view> groups;
        for (size_t i = donneesprofs.size(); i-- > 0;)
            if (const std::string_view group = champ(donneesprofs[i], 2); seen.insert(group).second)
                groups.push_back(group);
        std::reverse(groups.begin(), groups.end());
        if (!groups.empty()) RecouvrePhysique(buffer, joints(groups));
    });
}

// With several lines for the same teacher, the field of the first one is given:
// the line that msjourbaseresp would change.
VANDREL_API void VANDREL_CALL retrouveDonneesProf(const char* surname, const char* firstName,
                                                  char* buffer) {
    guarded([&] {
        const auto line = trouveProf(arg(surname), arg(firstName), kResponsibleField + 1);
        if (line != donneesprofsnv.end()) RecouvrePhysique(buffer, responsables(*line));
    });
}

VANDREL_API void VANDREL_CALL msjourbaseresp(int32_t mode, const char* surname,
                                             const char* firstName, const char* value) {
    guarded([&] {
        if (mode == 1) {
            const auto line = trouveProf(arg(surname), arg(firstName), kResponsibleField + 1);
            if (line == donneesprofsnv.end()) return;
            LigneNv changed{line->ligne, true, std::string(arg(value))};
            // The erase leaves room for the push: the line is moved to the end, never lost.
            donneesprofsnv.erase(line);
            donneesprofsnv.push_back(std::move(changed));
        } else if (mode == 2) {
            const auto line = trouveProf(arg(surname), arg(firstName), 2);
            if (line == donneesprofsnv.end()) return;
            ajouteCompteSorti('p', texteNv(*line) + "\n");
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
