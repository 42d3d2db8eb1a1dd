// Renaming of every login of the server's EXPORT file between the two name orders:
// the two parts around the first dot change places, and the result is written as
// accounts to modify.
#include "rename_logins.h"

#include "files.h"
#include "jobs.h"
#include "text.h"
#include "vandrel_client.h"

namespace modvesk {

namespace {

const char* const kOutput = "ComptesAmodifier.txt";

// Fields 1 to 11 of the slots, each followed by ";".
std::string joinSlots(const FieldSlots& f) {
    std::string line;
    for (long i = 1; i <= 11; ++i) line += f[static_cast<size_t>(i)] + ";";
    return line;
}

} // namespace

FieldSlots SplitFields(long start, std::string line, const std::string& separator) {
    FieldSlots slots{};
    for (long i = start < 0 ? 0 : start; i <= 10; ++i) {
        slots[static_cast<size_t>(i)] = FirstField(line, separator);
        line = RestAfter(line, separator);
    }
    return slots;
}

std::string invertedLogin(const std::string& login) {
    const long p = InStr(login, ".");
    if (p == 0) return "";
    return Mid(login, p + 1) + "." + Left(login, p - 1);
}

void InvertLogins(Session& s, const std::string& exportPath) {
    LineReader in(exportPath);
    if (!in.isOpen()) return;
    const fs::path out = s.file(kOutput);
    std::string line;
    in.next(line); // the header line
    while (in.next(line)) {
        FieldSlots f = SplitFields(1, line, ";");
        const std::string inverted = invertedLogin(f[4]);
        if (!inverted.empty()) f[5] = inverted;
        if (!WriteLine(true, out, joinSlots(f))) s.writeFailed(kOutput);
    }
}

void Modifconnex_M_Click(Session& s) {
    startJob(s);
    s.win.Text1.clear();
    s.ui->redraw();
    s.ui->message(ansi(
        "Cette fonctionnalité permet de modifier le nom de connexion en inversant Nom.Prénom "
        "ou Prénom.Nom. Cette fonctionnalité inverse seulement la position du Nom par rapport "
        "au Prénom. Vous devez au préalable avoir généré le fichier EXPORT sur le serveur "
        "KWARTZ."));
    if (!s.ui->question(ansi("Avez-vous généré le fichier EXPORT correspondant à la base "
                             "actuelle des utilisateurs?"))) {
        s.job.endedEarly = true;
        return;
    }
    rechercher_Click(s);
    const std::string exportPath = s.win.commonDialogFileName;
    if (exportPath.empty() || !FileExists(exportPath)) {
        s.job.endedEarly = true;
        return;
    }
    s.ui->attente(5);
    s.ui->refreshFileLists();
    s.ui->attente(5);
    s.ui->busy(true);
    deleteLastRunOutputs(s);
    InvertLogins(s, exportPath);
    s.ui->refreshFileLists();
    s.log(std::string(CRLF) + closingLine(s, ansi("Tous les fichiers textes ont été créés.")));
    s.ui->busy(false);
    vandrel::raz();
    s.win.lstTri.clear();
}

} // namespace modvesk
