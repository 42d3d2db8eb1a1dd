#include "writers/slips.h"

#include "sources/account_rows.h"
#include "text/files.h"
#include "text/text.h"

#include "clients/slips_pdf_client.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace modvesk {

std::string classOfGroup(const std::string& group) {
    const std::string cls = Lower(Trim(group));
    if (cls.size() > 1 && cls[0] == 'c' && StartsWithDigit(cls.substr(1))) return cls.substr(1);
    return cls;
}

namespace {

bool isTeacher(const AccountRow& row) {
    return row.groupe == "profs";
}

Slip slipOf(const AccountRow& row, const std::string& firstName) {
    return Slip{firstName + " " + row.nom,
                row.groupe == "profs" ? "profs" : classOfGroup(row.groupe), row.nouveauLogin,
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

// The class file's lines ("SURNAME,First name,group,password") matched with the
// accounts of the class, in the file's order; the accounts it does not list follow.
std::vector<Slip> inClassFileOrder(const FolderListing& dir, const std::string& cls,
                                   const std::vector<const AccountRow*>& rows) {
    std::vector<Slip> slips;
    std::vector<bool> used(rows.size(), false);
    std::string bytes;
    if (IsPlainFileName(cls) && ReadAll(dir.file(cls + ".TXT"), bytes)) {
        forEachLine(bytes, [&](const std::string& line) {
            const std::string surname = NthField(1, line, ",");
            const std::string first = NthField(2, line, ",");
            const std::string password = NthField(4, line, ",");
            long found = -1;
            for (size_t i = 0; i < rows.size(); ++i) {
                if (used[i] || rows[i]->nom != surname || rows[i]->motDePasse != password) continue;
                const bool sameFirst = letters(first).rfind(letters(rows[i]->prenom), 0) == 0;
                if (found < 0 || sameFirst) found = static_cast<long>(i);
                if (sameFirst) break;
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
        return r.action != AccountAction::Creation || Trim(r.motDePasse).empty();
    });
    return rows;
}

} // namespace

std::vector<SlipGroup> pupilSlips(const fs::path& dir) {
    const std::vector<AccountRow> rows = newAccountsWithPassword(dir);
    // Classes in the order of the class list: without regard to case.
    std::map<std::string, std::vector<const AccountRow*>> byClass;
    for (const auto& row : rows)
        if (!isTeacher(row)) byClass[classOfGroup(row.groupe)].push_back(&row);
    const FolderListing listing(dir);
    std::vector<SlipGroup> groups;
    for (const auto& [cls, members] : byClass)
        groups.push_back(SlipGroup{cls, inClassFileOrder(listing, cls, members)});
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
