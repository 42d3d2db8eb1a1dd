#include "writers/slips.h"

#include "jobs/account_rows.h"
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

namespace {

std::vector<const Slip*> pointers(const std::vector<Slip>& slips) {
    std::vector<const Slip*> out;
    for (const auto& slip : slips)
        out.push_back(&slip);
    return out;
}

std::string rneOf(const Session& s) {
    const std::string rne = Upper(Trim(s.win.txtrne1));
    return rne.empty() ? Upper(Trim(s.win.txtrne2)) : rne;
}

// Writes one PDF of the program's folder and says so in the log box.
bool writeOne(Session& s, const FolderListing& folder, const std::string& name,
              const std::vector<const Slip*>& slips, std::vector<std::string>& written) {
    if (!writeSlipsPdf(folder.file(name), slips, rneOf(s))) {
        s.writeFailed(name);
        return false;
    }
    written.push_back(folder.file(name).filename().string()); // as it lies in the folder
    s.log(std::string(CRLF) + ansi("Fiches de connexion : ") + name + " (" +
          Str(static_cast<long>(slips.size())) + (slips.size() == 1 ? " fiche)" : " fiches)"));
    return true;
}

// Writes the PDF of one class, fiches-<classe>.pdf. A class whose name cannot name
// a file (a blank one included), or whose PDF would take the name of the PDF of
// every class or of the teachers, gets none: it counts as a file not written.
void writeClass(Session& s, const FolderListing& folder, const SlipGroup& group,
                const std::vector<const Slip*>& slips, std::vector<std::string>& written) {
    const std::string name = "fiches-" + group.name + ".pdf";
    const bool reserved = group.name == "toutes-classes" || group.name == "profs";
    if (!reserved && IsPlainFileName(group.name)) {
        writeOne(s, folder, name, slips, written);
        return;
    }
    s.log(std::string(CRLF) +
          ansi(reserved ? "Classe ignorée (nom réservé à d'autres fiches) : "
                        : "Classe ignorée (nom de fichier impossible) : ") +
          group.name);
    s.writeFailed(name);
}

void nothingToPrint(Session& s, const std::string& utf8Text) {
    s.log(std::string(CRLF) + ansi(utf8Text));
    s.endEarly();
}

} // namespace

std::vector<std::string> writeSlips(Session& s, SlipChoice choice, const std::string& className) {
    std::vector<std::string> written;
    const FolderListing folder(s.dir);
    s.log(std::string(CRLF) + ansi("Création des fiches de connexion........"));
    if (!slipspdf::available())
        s.log(std::string(CRLF) + ansi("Le module des fiches PDF est introuvable (") +
              slipspdf::kFileName + ansi(") : aucune fiche ne peut être écrite."));
    if (choice == SlipChoice::Teachers) {
        const SlipGroup teachers = teacherSlips(s.dir);
        if (teachers.slips.empty())
            nothingToPrint(s, "Aucun nouveau compte de professeur avec un mot de passe.");
        else
            writeOne(s, folder, "fiches-profs.pdf", pointers(teachers.slips), written);
        return written;
    }
    const std::vector<SlipGroup> classes = pupilSlips(s.dir);
    if (choice == SlipChoice::OneClass) {
        const std::string wanted = classOfGroup(className);
        const auto it = std::find_if(classes.begin(), classes.end(),
                                     [&](const SlipGroup& g) { return g.name == wanted; });
        if (it == classes.end())
            nothingToPrint(s, "Aucun nouveau compte avec un mot de passe dans la classe " +
                                  utf8(className) + ".");
        else
            writeClass(s, folder, *it, pointers(it->slips), written);
        return written;
    }
    if (classes.empty()) {
        nothingToPrint(s, "Aucun nouveau compte d'élève avec un mot de passe.");
        return written;
    }
    std::vector<const Slip*> all;
    for (const auto& group : classes) {
        const auto slips = pointers(group.slips);
        writeClass(s, folder, group, slips, written);
        all.insert(all.end(), slips.begin(), slips.end());
    }
    writeOne(s, folder, "fiches-toutes-classes.pdf", all, written);
    return written;
}

} // namespace modvesk
