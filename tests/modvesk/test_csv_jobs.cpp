// The CSV account jobs: the source-file step, creation, the update against an
// EXPORT file and the library check.
#include "clients/component_client.h"
#include "clients/vandrel_client.h"
#include "expected_files.h"
#include "jobs/jobs.h"
#include "session_fixture.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace modvesk;
using testsupport::DialogCall;
using testsupport::kImportHeader;
namespace fs = std::filesystem;

namespace {

const std::string kPupilQuestion =
    ansi("Le fichier 'ELEVES.CSV' n'est pas dans le répertoire de l'application. Voulez vous le "
         "rechercher et le copier dans le répertoire de l'application?");
const std::string kTeacherQuestion =
    ansi("Le fichier des professeurs 'PROFS.CSV' n'est pas dans le répertoire de l'application. "
         "Voulez vous le rechercher et le copier dans le répertoire de l'application?");
const std::string kNote =
    ansi("NOTE TRES IMPORTANTE : Lors des mises à jour des comptes vous devez IMPERATIVEMENT "
         "sélectionner le format de login (NOM.PRENOM ou PRENOM.NOM) correspondant à celui en "
         "vigueur l'année précédente.");
const std::string kDone = "\r\nTous les fichiers textes ont été créés.\r\n";

const std::string kPupils = ansi("Dupont;Catherine;3A;03/05/2009\r\n"
                                 "Le Goff;François;3A;23/09/2009\r\n"
                                 "Martin;Paul;4B;01/02/2008\r\n");
const std::string kTeachers = ansi("Bérard;Sébastien;profs;Soleil\r\nRoux;Anne;profs;Jardin\r\n");

class CsvJobsTest : public testsupport::SessionTest {
  protected:
    void SetUp() override {
        SessionTest::SetUp();
        static std::unique_ptr<component::Component> c = component::Component::create();
        s.component = c.get();
    }
    // An EXPORT file of last year, outside the program's directory.
    std::string exportFile(const std::string& lines) {
        const fs::path p = elsewhere.path() / "EXPORT";
        std::ofstream(p, std::ios::binary) << kImportHeader << "\r\n" << lines;
        return p.string();
    }
    testsupport::TempDir elsewhere;
};

} // namespace

TEST_F(CsvJobsTest, CreationWithBothFilesAsksNothing) {
    writeFile("ELEVES.CSV", kPupils);
    writeFile("PROFS.CSV", kTeachers);
    writeFile("doublons.txt", "old\r\n");
    creercompteCSV_m_Click(s);
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_EQ(readFile("ComptesAajouter.txt"),
              kImportHeader +
                  "\r\n"
                  "MARTIN;PAUL;c4b;martin.paul;martin.paul;01022008;;;;;;\r\n"
                  "LEGOFF;FRANCOIS;c3a;legoff.francois;legoff.francois;23092009;;;;;;\r\n"
                  "DUPONT;CATHERINE;c3a;dupont.catherine;dupont.catherine;03052009;;;;;;\r\n\r\n");
    EXPECT_EQ(readFile("ComptesProfsAajouter.txt"),
              "ROUX;anne;profs;roux.anne;roux.anne;jardin;;;;;;;;;;\r\n"
              "BERARD;sebastien;profs;berard.sebastien;berard.sebastien;soleil;;;;;;;;;;\r\n\r\n");
    EXPECT_FALSE(hasFile("doublons.txt"));
    EXPECT_TRUE(logSays(kDone));
    EXPECT_TRUE(s.win.lstTri.empty());
    EXPECT_FALSE(s.job.UpdateMode);
    EXPECT_FALSE(s.job.endedEarly);
}

TEST_F(CsvJobsTest, MissingPupilFileDeclinedRunsWithTheTeachers) {
    writeFile("PROFS.CSV", kTeachers);
    ui.answer(false);
    creercompteCSV_m_Click(s);
    const auto questions = ui.of(DialogCall::Question);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].text, kPupilQuestion);
    EXPECT_EQ(questions[0].title, "GEP / KWARTZ");
    EXPECT_EQ(questions[0].icon, Icon::Exclamation);
    EXPECT_EQ(readFile("ComptesAajouter.txt"), kImportHeader + "\r\n");
    EXPECT_NE(readFile("ComptesProfsAajouter.txt").find("ROUX;anne;profs"), std::string::npos);
    EXPECT_FALSE(s.job.endedEarly);
}

TEST_F(CsvJobsTest, FilesLookedForAndCopiedCancelEndsTheJob) {
    const fs::path chosen = elsewhere.path() / "liste.csv";
    std::ofstream(chosen, std::ios::binary) << kPupils;
    writeFile("doublons.txt", "old\r\n");
    ui.answer(true).answer(true).chooseFile(chosen.string()); // the second dialog is cancelled
    creercompteCSV_m_Click(s);
    EXPECT_EQ(ui.questionTexts(), (std::vector<std::string>{kPupilQuestion, kTeacherQuestion}));
    const auto dialogs = ui.of(DialogCall::OpenFile);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].title, "Fichier CSV (ELEVES.CSV)|ELEVES.CSV");
    EXPECT_EQ(dialogs[1].title, "Fichier CSV (PROFS.CSV)|PROFS.CSV");
    EXPECT_EQ(readFile("ELEVES.CSV"), kPupils);     // the copy stays
    EXPECT_EQ(readFile("doublons.txt"), "old\r\n"); // nothing else happened
    EXPECT_FALSE(hasFile("ComptesAajouter.txt"));
    EXPECT_TRUE(s.job.endedEarly);
}

TEST_F(CsvJobsTest, UpdateWithTheExportDialogCancelledStopsBeforeTheRegistry) {
    writeFile("ELEVES.CSV", kPupils);
    writeFile("PROFS.CSV", kTeachers);
    writeFile("doublons.txt", "old\r\n");
    s.win.Text1 = "avant";
    msjcmptcsv_m_Click(s);
    EXPECT_EQ(
        ui.messageTexts(),
        (std::vector<std::string>{kNote, ansi("Veuillez indiquer le chemin du fichier EXPORT.")}));
    EXPECT_EQ(s.win.Text1, "");
    EXPECT_TRUE(hasFile("doublons.txt"));
    EXPECT_TRUE(s.job.endedEarly);
    EXPECT_TRUE(s.win.framemsjEnabled && s.win.rechercherEnabled && s.win.version3);
}

TEST_F(CsvJobsTest, UpdateSortsKnownAndNewAccountsAndListsThoseWhoLeft) {
    writeFile("ELEVES.CSV", kPupils);
    writeFile("PROFS.CSV", kTeachers);
    writeFile("comptesAsupprimer.txt", "STALE\r\n");
    ui.chooseFile(exportFile("DUPONT;CATHERINE;c3a;dupont.catherine;dupont.catherine;;;;;;;\r\n"
                             "LEGOFF;FRANCOIS;c4b;legoff.francois;legoff.francois;;;;;;;\r\n"
                             "PETIT;LUCAS;c3a;petit.lucas;petit.lucas;;;;;;;\r\n"
                             "DURAND;ZOE;c6a;durand.zoe;durand.zoe;;;;;;;\r\n"
                             "BERARD;SEBASTIEN;profs;berard.sebastien;;;;;;;;\r\n"));
    msjcmptcsv_m_Click(s);
    EXPECT_EQ(readFile("ComptesAajouter.txt"),
              kImportHeader + "\r\nMARTIN;PAUL;c4b;martin.paul;martin.paul;01022008;;;;;;\r\n\r\n");
    EXPECT_EQ(readFile("ComptesAmodifier.txt"),
              kImportHeader +
                  "\r\n"
                  "LEGOFF;FRANCOIS;c3a;legoff.francois;legoff.francois;;;;;;;\r\n"
                  "DUPONT;CATHERINE;c3a;dupont.catherine;dupont.catherine;;;;;;;\r\n\r\n");
    EXPECT_EQ(readFile("ComptesProfsAajouter.txt"),
              "ROUX;anne;profs;roux.anne;roux.anne;jardin;;;;;;;;;;\r\n\r\n");
    EXPECT_EQ(readFile("ComptesProfsAmodifier.txt"),
              "BERARD;sebastien;profs;berard.sebastien;berard.sebastien;;;;;;;;;;;\r\n\r\n");
    // Only the classes met this time; the old file was deleted first.
    EXPECT_EQ(readFile("comptesAsupprimer.txt"), "PETIT;LUCAS;c3a;petit.lucas\r\n");
    EXPECT_TRUE(logSays("\r\nCréation du fichier des comptes à supprimer.....\r\n"));
    EXPECT_TRUE(logSays(kDone));
    EXPECT_TRUE(s.job.UpdateMode);
    EXPECT_EQ(ui.of(DialogCall::OpenFile)[0].title, "Fichier export(export)|export");
}

TEST_F(CsvJobsTest, PupilHeldByATeacherAccountIsNotCreated) {
    writeFile("ELEVES.CSV", ansi("Dupont;Catherine;3A;03/05/2009\r\n"));
    writeFile("PROFS.CSV", "");
    ui.chooseFile(exportFile("DUPONT;CATHERINE;profs;dupont.catherine;;;;;;;;\r\n"));
    msjcmptcsv_m_Click(s);
    EXPECT_EQ(ui.messageTexts().back(),
              ansi("Le compte élève DUPONT CATHERINE n'est pas créé car il existe un compte "
                   "professeur sous le même identifiant."));
    EXPECT_EQ(readFile("ComptesAajouter.txt"), kImportHeader + "\r\n");
    EXPECT_EQ(readFile("ComptesAmodifier.txt"), kImportHeader + "\r\n");
}

// Two jobs in one session, as the window runs them: the update that comes second
// lists as gone only the pupils of its own classes.
TEST_F(CsvJobsTest, ClassListStartsEmptyAtEachJob) {
    writeFile("PROFS.CSV", "");
    const std::string exportPath =
        exportFile("PETIT;LUCAS;c3a;petit.lucas;;;;;;;;\r\nDURAND;ZOE;c5c;durand.zoe;;;;;;;;\r\n");
    for (const auto first : {creercompteCSV_m_Click, msjcmptcsv_m_Click}) {
        writeFile("ELEVES.CSV", "Dupont;Catherine;3A;03/05/2009\r\n");
        if (first == msjcmptcsv_m_Click) ui.chooseFile(exportPath);
        first(s);
        EXPECT_EQ(s.job.classList.text(), "c3a ");
        writeFile("ELEVES.CSV", "Martin;Paul;5C;01/02/2008\r\n");
        ui.chooseFile(exportPath);
        msjcmptcsv_m_Click(s);
        EXPECT_EQ(s.job.classList.text(), "c5c ");
        EXPECT_EQ(readFile("comptesAsupprimer.txt"), "DURAND;ZOE;c5c;durand.zoe\r\n");
    }
}

TEST_F(CsvJobsTest, WithoutTheLibraryNothingIsDeletedOrWritten) {
    writeFile("doublons.txt", "old\r\n");
    vandrel::reloadFrom(elsewhere.path().string());
    creercompteCSV_m_Click(s);
    vandrel::reloadFrom(ROLVANE_BIN_DIR);
    const std::string text =
        ansi("La bibliothèque vandrel1 est introuvable : aucun compte n'a été généré.");
    EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{text});
    EXPECT_TRUE(ui.questionTexts().empty());
    EXPECT_EQ(readFile("doublons.txt"), "old\r\n");
    EXPECT_TRUE(s.job.libraryMissing);
}

TEST_F(CsvJobsTest, SconetWithoutTheComponentEndsWithTheErrorLine) {
    s.component = nullptr;
    writeFile("ELEVES.CSV", "NOM;PRENOM;NE(E) LE;SEXE;DIV.\nDUPONT;CATHERINE;=03/05/2009;F;=4A\n");
    writeFile("PROFS.CSV", "");
    creercompteCSV_m_Click(s);
    EXPECT_TRUE(logSays(utf8(component::absentMessage())));
    EXPECT_TRUE(logSays("\r\nDes erreurs se sont produites : certains fichiers n'ont "
                        "pas été créés.\r\n"));
    EXPECT_FALSE(logSays(kDone));
}
