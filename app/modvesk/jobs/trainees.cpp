// The trainee job: a list of names copied in as STAGIAIRES.CSV, the group form
// saisiegroupes, and one account per name in the group typed there.
#include "jobs/trainees.h"

#include "accounts/builders.h"
#include "accounts/login.h"
#include "accounts/passwords.h"
#include "clients/vandrel_client.h"
#include "jobs/csv_conversion.h"
#include "jobs/jobs.h"
#include "sources/export_reader.h"
#include "text/files.h"
#include "text/source_text.h"
#include "text/text.h"
#include "writers/import_writer.h"

#include <algorithm>

namespace modvesk {

namespace {

// The first-name part: the first word of the first name, cut so that surname and
// first-name part hold at most LoginMax characters (one letter when abbreviated).
std::string traineeFirstPart(LoginFormat format, const std::string& surname,
                             const std::string& firstWord) {
    long length = 1;
    if (format != LoginFormat::Abrev)
        length = std::max(1L, LoginMax - static_cast<long>(surname.size()));
    return Left(firstWord, length);
}

// The 16 fields of a trainee's account line.
std::string traineeLine(const Session& s, const std::string& surname, const std::string& firstPart,
                        const std::string& group, const std::string& login,
                        const std::string& password) {
    return surname + ";" + firstPart + ";" + group + ";" + login + ";" + login + ";" + password +
           ";intranet privatespace;;" + s.job.respStage + ";;;;;;;";
}

} // namespace

BuildOutcome BuildTrainee(Session& s, std::string& line, long& index) {
    FoldRecord(line, RecordKind::CsvPupil);
    std::string surname = Upper(BlankSeparators(NthField(1, line, ";")));
    std::string firstName = Upper(BlankSeparators(NthField(2, line, ";")));
    std::string group = s.job.groupeStage;
    ReplaceChars(group, " _-", "");
    ReplaceChars(surname, " _-", "");
    ReplaceChars(firstName, "_-", "");
    std::string reason;
    if (surname.empty())
        reason = ansi("nom vide");
    else if (firstName.empty())
        reason = ansi("prénom vide");
    // A group typed with blanks, dashes and underscores only is empty once cleaned.
    else if (group.empty())
        reason = ansi("groupe vide");
    else if (TooLong({surname, firstName}))
        reason = ansi("champ trop long");
    if (!reason.empty()) return BuildOutcome::none(std::move(reason));

    const std::string cls = group;
    group = GroupOfClass(group);
    NoteClass(s, group);

    std::string rest = firstName;
    const std::string firstWord = FirstField(rest, " ");
    const std::string firstPart = traineeFirstPart(s.win.loginFormat, surname, firstWord);
    const std::string login = LoginFor(s.win.loginFormat, surname, firstPart);
    const std::string password = InitialPassword(s, true, kTraineePassword);
    s.job.setPerson(index, {surname, password, firstName, cls});

    vandrel::inserenom(surname + " " + firstPart);
    s.win.LstTri2.add(traineeLine(s, surname, firstPart, group, login, password));
    ++index;
    ReportTruncation(s, surname, firstPart, group);
    return BuildOutcome::made();
}

// The two texts typed in the form go into every trainee's line: their separators
// and control characters become blanks, as those of a source's values do.
bool saisiegroupes_Command1_Click(Session& s, const std::string& text2, const std::string& text1) {
    s.job.groupeStage = Trim(BlankSeparators(text2));
    if (s.job.groupeStage.empty()) {
        s.ui->message(ansi("Vous devez donner un nom de groupe Kwartz"));
        return false;
    }
    s.job.respStage = Trim(BlankSeparators(text1));
    return true;
}

void creercomptesCSVstage(Session& s) {
    beginConversion(s);

    long index = 0;
    const fs::path list = s.file("STAGIAIRES.CSV");
    if (FileExists(list)) {
        LineReader in(list);
        const std::string name = list.filename().string();
        s.sourceRead(name, in);
        std::string line;
        for (long number = 1; in.next(line); ++number) {
            const bool blank = TrimView(line).empty();
            const BuildOutcome built = BuildTrainee(s, line, index);
            if (built.refused() && !blank)
                s.job.bilan.rowWithoutAccount(name, false, number, built.reason);
        }
    }
    WriteImportFiles(s, index, "STAGIAIRES.CSV", "PROFS.CSV", true);
    endWorker(s, ClassSteps::List);
}

void stage_m_Click(Session& s) {
    const JobFiles reports = startJob(s);
    if (!requireLibrary(s)) return;
    s.job.UpdateMode = false;
    s.ui->message(ansi("Veuillez sélectionner le fichier .txt contenant la liste des noms "
                       "(sous le format nom1;prénom1 <à la ligne> nom2.prénom2 <à la "
                       "ligne>....."));
    const std::string chosen = s.ui->openFile(Session::dialogTitle, "Fichier TXT (*.TXT)|*.TXT");
    s.win.commonDialogFileName = chosen;
    if (Trim(chosen).empty()) {
        s.endEarly();
        return;
    }
    copySourceFile(s, chosen, "STAGIAIRES.CSV");
    // The form fills these; closed without a group name, it leaves them empty.
    s.job.groupeStage.clear();
    s.job.respStage.clear();
    s.ui->showForm(Form::SaisieGroupes);
    if (s.job.groupeStage.empty()) {
        // Without a group no trainee gets an account: nothing is deleted or written.
        s.endEarly();
        s.logLine(ansi("Aucun nom de groupe : aucun compte de stagiaire n'a été créé."));
        return;
    }

    s.win.Text1.clear();
    s.win.framemsjEnabled = true;
    s.win.rechercherEnabled = true;
    version3_Click(s);
    s.ui->redraw();
    {
        const vandrel::Registry registry = vandrel::Registry::open();
        s.win.Text1 = currentTime() + std::string(CRLF) + s.win.Text1 + std::string(CRLF) +
                      ansi("Traitement du fichier EXPORT.....");
        s.ui->redraw();
        s.job.UpdateMode = false;
        // The trainee list itself, read to its end; nothing is registered.
        LoadExport(s, s.win.commonDialogFileName, true);
        creercomptesCSVstage(s);
    }
    finishCreation(s);
}

} // namespace modvesk
