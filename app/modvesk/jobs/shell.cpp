// Commands of the main window that do no account work: the help text, the
// clean-up of the directory, the choice of the EXPORT file and the server option.
#include "jobs/shell.h"

#include "jobs/jobs.h"

#include "text/files.h"
#include "text/text.h"

namespace modvesk {

std::string startupHelpText() {
    const std::string p1 =
        "Rolvane peut traiter un fichier généré par SCONET si  l'entête  est "
        "NOM;PRENOM;NE(E) LE;SEXE;DIV. Ce fichier doit avoir pour nom ELEVES.CSV ; il doit "
        "être copié dans le répertoire d'installation de ROLVANE.";
    const std::string p2 =
        "La création des comptes peut également se faire SANS SCONET à partir d'un fichier "
        "ELEVES.CSV et d'un fichier PROFS.CSV dont la structure doit être : "
        "'nom;prénom;groupe;JJ/MM/AAAA' pour les élèves et 'nom;prénom;groupe profs;mot de "
        "passe' pour les professeurs.";
    const std::string p3 =
        "Avec GEP, vous devez copier dans le répertoire de ROLVANE les fichiers de la base "
        "GEP : F_ELE.DBF, F_IND.DBF, F_AFF.DBF, F_MEN, F_GPD. (Les 2 derniers fichiers, "
        "facultatifs, servent à déclarer les groupes dont sont responsables les professeurs.) "
        "Si vous souhaitez générer la base des comptes élèves uniquement (usage B2I par "
        "exemple), le fichier F_ELE.DBF suffit. Pour un deuxième établissement (SEGPA par "
        "ex), il suffira de copier les fichiers issus de la base GEP du deuxième établissement "
        "en les renommant F_ELE2.DBF, F_IND2.DBF...............";
    const std::string sep = "\r\n\r\n";
    return ansi(p1) + sep + ansi(p2) + sep + ansi(p3);
}

void Actualiser_M_Click(Session& s) {
    const JobFiles reports = startJob(s);
    const bool yes = s.ui->question(
        ansi("Cette commande supprime tous les fichiers .TXT. Voulez vous continuer?"), kJobTitle,
        Icon::Warning);
    // The files that could not be deleted count as files not written (batch status 3).
    if (yes) {
        for (const auto& name : ListFiles(s.dir, "*.txt"))
            if (!DeleteFileIfExists(s.dir / name)) s.job.writeErrors.push_back(name);
    } else {
        s.endEarly();
    }
    s.win.classes.clear();
    s.ui->refreshFileLists();
    s.win.Text1.clear();
    for (const auto& name : s.job.writeErrors) {
        if (!s.win.Text1.empty()) s.win.Text1 += CRLF;
        s.win.Text1 += fileText("Impossible de supprimer ", name);
    }
    s.ui->redraw();
}

// Shows the notice and the open-file dialog for the EXPORT file; returns the name
// the dialog gave ("" when cancelled) and keeps it as the dialog's file name.
static std::string askExportFile(Session& s) {
    s.ui->message(ansi("Veuillez indiquer le chemin du fichier EXPORT."));
    std::string name = s.ui->openFile(Session::dialogTitle, "Fichier export(export)|export");
    s.win.commonDialogFileName = name;
    return name;
}

void rechercher_Click(Session& s) {
    const std::string name = askExportFile(s);
    if (!name.empty()) s.win.placeexport = name;
    s.ui->redraw();
}

void choisitExport(Session& s) {
    s.win.placeexport = askExportFile(s);
    s.ui->redraw();
}

void version3_Click(Session& s) {
    s.win.version3 = true;
    s.win.miseAjourEnabled = true;
}

} // namespace modvesk
