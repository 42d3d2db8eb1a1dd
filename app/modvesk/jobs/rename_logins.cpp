// Renaming of every login of the server's EXPORT file between the two name orders:
// the two parts around the first dot change places, and the result is written as
// accounts to modify.
#include "jobs/rename_logins.h"

#include "clients/vandrel_client.h"
#include "jobs/jobs.h"
#include "sources/export_reader.h"
#include "text/files.h"
#include "text/source_text.h"
#include "text/text.h"

namespace modvesk {

namespace {

const char* const kOutput = "ComptesAmodifier.txt";

// Fields 1 to 11 of the slots, each followed by ";".
std::string joinSlots(const FieldSlots& f) {
    std::string line;
    for (long i = 1; i <= 11; ++i)
        line += f[static_cast<size_t>(i)] + ";";
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

namespace {

// Appends one line to the output per line of the EXPORT after its header.
void invertLines(Session& s, LineReader& in) {
    if (!in.isOpen()) return;
    std::string line, text;
    in.next(line); // the header line
    while (in.next(line)) {
        FieldSlots f = SplitFields(1, line, ";");
        const std::string inverted = invertedLogin(f[4]);
        if (!inverted.empty()) f[5] = inverted;
        text += joinSlots(f);
        text += CRLF;
    }
    if (text.empty()) return;
    s.job.bilan.accountFile(kOutput);
    if (!WriteBytes(s.file(kOutput), text, true)) s.writeFailed(kOutput);
}

} // namespace

void InvertLogins(Session& s, const std::string& exportPath) {
    LineReader in(exportPath);
    invertLines(s, in);
}

void Modifconnex_M_Click(Session& s) {
    const JobFiles reports = startJob(s);
    s.win.Text1.clear();
    s.ui->redraw();
    s.ui->message(
        ansi("Cette fonctionnalité permet de modifier le nom de connexion en inversant Nom.Prénom "
             "ou Prénom.Nom. Cette fonctionnalité inverse seulement la position du Nom par rapport "
             "au Prénom. Vous devez au préalable avoir généré le fichier EXPORT sur le serveur "
             "KWARTZ."));
    if (!s.ui->question(ansi("Avez-vous généré le fichier EXPORT correspondant à la base "
                             "actuelle des utilisateurs?"))) {
        s.endEarly();
        return;
    }
    rechercher_Click(s);
    const std::string exportPath = s.win.commonDialogFileName;
    if (exportPath.empty() || !FileExists(exportPath)) {
        s.endEarly();
        return;
    }
    if (!exportLooksRight(s, exportPath)) return;
    s.ui->attente(5);
    s.ui->refreshFileLists();
    s.ui->attente(5);
    s.ui->busy(true);
    // The EXPORT is read whole before the last run's outputs are deleted: it may
    // lie in the program's folder under one of their names.
    LineReader in(exportPath);
    s.sourceRead(resolvePath(exportPath).filename().string(), in);
    deleteLastRunOutputs(s);
    invertLines(s, in);
    s.ui->refreshFileLists();
    closeJob(s, ansi("Tous les fichiers textes ont été créés."), false);
    s.ui->busy(false);
    vandrel::raz();
    s.win.lstTri.clear();
}

} // namespace modvesk
