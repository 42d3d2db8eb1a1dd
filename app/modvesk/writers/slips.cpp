#include "writers/slips.h"

#include "accounts/login.h"
#include "sources/account_rows.h"
#include "text/files.h"
#include "text/text.h"

#include "clients/slips_pdf_client.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace modvesk {

namespace {

bool isTeacher(const AccountRow& row) {
    return row.groupe == "profs";
}

Slip slipOf(const AccountRow& row, const std::string& firstName) {
    return Slip{firstName + " " + row.nom,
                row.groupe == "profs" ? "profs" : ClassOfGroup(row.groupe), row.nouveauLogin,
                row.motDePasse};
}

// Letters only, lower case: a class file's full first name and an account's
// first-name part are compared so.
std::string letters(const std::string& text) {
    std::string out;
    for (char c : Lower(text))
        if (c != ' ' && c != '-' && c != '\'' && c != '.') out += c;
    return out;
}

// The accounts whose first-name part the last job numbered to tell namesakes
// apart, from its doublons.txt ("DUPONT MARIE1  ->  DUPONT  MARIE ANNE  c3a"):
// the name key ("dupont marie1") mapped to the person it went to
// ("dupont  marie anne  c3a"), both in lower case.
using NumberedKeys = std::unordered_map<std::string, std::string>;

NumberedKeys numberedKeys(const FolderListing& dir) {
    NumberedKeys keys;
    std::string bytes;
    if (!ReadAll(dir.file("doublons.txt"), bytes)) return keys;
    forEachLine(bytes, [&](const std::string& line) {
        const size_t arrow = line.find("  ->  ");
        if (arrow != std::string::npos)
            keys.emplace(Lower(line.substr(0, arrow)), Lower(line.substr(arrow + 6)));
    });
    return keys;
}

// How well an account fits a class file line: 3 when its numbered key went to
// that very person; 2 when its key was not numbered and its first-name part
// starts the person's first name; 1 when its key was not numbered; 0 when it was
// numbered for somebody else. Twins of the same birth date share surname and
// password, and their first-name parts, taken from the first word, differ only
// by the number one of them got.
int fitOf(const NumberedKeys& numbered, const AccountRow& row, const std::string& person,
          const std::string& first) {
    const auto owner = numbered.find(Lower(row.nom + " " + row.prenom));
    if (owner != numbered.end()) return owner->second == person ? 3 : 0;
    return letters(first).rfind(letters(row.prenom), 0) == 0 ? 2 : 1;
}

// The class file's lines ("SURNAME,First name,group,password") matched with the
// accounts of the class, in the file's order; the accounts it does not list follow.
// Each line takes the unused account of its surname and password that fits it
// best, the first one among equals.
std::vector<Slip> inClassFileOrder(const FolderListing& dir, const NumberedKeys& numbered,
                                   const std::string& cls,
                                   const std::vector<const AccountRow*>& rows) {
    std::vector<Slip> slips;
    std::vector<bool> used(rows.size(), false);
    std::string bytes;
    if (IsPlainFileName(cls) && ReadAll(dir.file(cls + ".TXT"), bytes)) {
        forEachLine(bytes, [&](const std::string& line) {
            const std::string surname = NthField(1, line, ",");
            const std::string first = NthField(2, line, ",");
            const std::string password = NthField(4, line, ",");
            const std::string person =
                Lower(surname + "  " + first + "  " + NthField(3, line, ","));
            long found = -1;
            int best = -1;
            for (size_t i = 0; i < rows.size(); ++i) {
                if (used[i] || rows[i]->nom != surname || rows[i]->motDePasse != password) continue;
                const int fit = fitOf(numbered, *rows[i], person, first);
                if (fit <= best) continue;
                found = static_cast<long>(i);
                best = fit;
            }
            if (found < 0) return;
            used[static_cast<size_t>(found)] = true;
            slips.push_back(slipOf(*rows[static_cast<size_t>(found)], first));
        });
    }
    for (size_t i = 0; i < rows.size(); ++i)
        if (!used[i]) slips.push_back(slipOf(*rows[i], rows[i]->prenom));
    return slips;
}

std::vector<AccountRow> newAccountsWithPassword(const fs::path& dir) {
    std::vector<AccountRow> rows = readAccountRows(dir);
    std::erase_if(rows, [](const AccountRow& r) {
        return r.action != AccountAction::Creation || TrimView(r.motDePasse).empty();
    });
    return rows;
}

} // namespace

std::vector<SlipGroup> pupilSlips(const fs::path& dir) {
    const std::vector<AccountRow> rows = newAccountsWithPassword(dir);
    // Classes in the order of the class list: without regard to case.
    std::map<std::string, std::vector<const AccountRow*>> byClass;
    for (const auto& row : rows)
        if (!isTeacher(row)) byClass[ClassOfGroup(row.groupe)].push_back(&row);
    const FolderListing listing(dir);
    const NumberedKeys numbered = numberedKeys(listing);
    std::vector<SlipGroup> groups;
    for (const auto& [cls, members] : byClass)
        groups.push_back(SlipGroup{cls, inClassFileOrder(listing, numbered, cls, members)});
    return groups;
}

SlipGroup teacherSlips(const fs::path& dir) {
    SlipGroup group{"profs", {}};
    for (const auto& row : newAccountsWithPassword(dir))
        if (isTeacher(row)) group.slips.push_back(slipOf(row, row.prenom));
    return group;
}

bool writeSlipsPdf(const fs::path& path, const std::vector<const Slip*>& slips,
                   const std::string& rne) {
    std::vector<slipspdf::SlipLines> lines;
    lines.reserve(slips.size());
    for (size_t i = 0; i < slips.size(); ++i) {
        const Slip* slip = slips[i];
        lines.push_back(
            {utf8(slip->name),
             slip->group == "profs" ? "Professeur" : "Classe : " + utf8(Upper(slip->group)),
             utf8(slip->login), utf8(slip->password), i > 0 && slip->group != slips[i - 1]->group});
    }
    return WriteThroughTemporary(
        path, [&](const fs::path& temp) { return slipspdf::write(temp, lines, utf8(rne)); },
        FileMode::Private);
}

} // namespace modvesk
