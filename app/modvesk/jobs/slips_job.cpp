#include "jobs/slips_job.h"

#include "clients/slips_pdf_client.h"
#include "text/files.h"
#include "text/text.h"

#include <algorithm>

namespace modvesk {

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
