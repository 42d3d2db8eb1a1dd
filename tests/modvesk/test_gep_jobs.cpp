// The GEP jobs end to end on the sample school (tables written by shapelib),
// through the job code with scripted dialogs.
#include "clients/vandrel_client.h"
#include "dbf_tables.h"
#include "jobs/jobs.h"
#include "session_fixture.h"
#include "text/files.h"
#include "text/text.h"

#include <gtest/gtest.h>

using namespace modvesk;
namespace fs = std::filesystem;
using testsupport::DialogCall;

namespace {

const fs::path kSamples = fs::path(ROLVANE_SOURCE_DIR) / "samples" / "gep";
const fs::path kExpected = fs::path(ROLVANE_SOURCE_DIR) / "tests" / "modvesk" / "data";

class GepJobs : public testsupport::SessionTest {
  protected:
    GepJobs() { openRegistry = false; }
    void SetUp() override {
        SessionTest::SetUp();
        for (const auto& e : fs::directory_iterator(kSamples))
            fs::copy_file(e.path(), dir / e.path().filename());
        s.win.txtrne1 = "0590001A";
    }
    std::string expected(const std::string& run, const std::string& name) const {
        std::string bytes;
        EXPECT_TRUE(ReadAll(kExpected / run / name, bytes)) << name;
        return bytes;
    }
    void expectFiles(const std::string& run, std::initializer_list<const char*> names) {
        for (const char* name : names)
            EXPECT_EQ(readFile(name), expected(run, name)) << name;
    }
    // The log lines without the times.
    std::vector<std::string> logLines() const {
        std::vector<std::string> lines;
        std::string text = s.win.Text1 + "\r\n";
        for (size_t from = 0, p; (p = text.find("\r\n", from)) != std::string::npos; from = p + 2) {
            std::string line = text.substr(from, p - from);
            if (!line.empty() && !(line.size() == 8 && line[2] == ':')) lines.push_back(line);
        }
        return lines;
    }
    void writePupils(const std::string& name, const std::vector<std::vector<std::string>>& rows) {
        writeFile(name, testsupport::dbfBytes(testsupport::pupilTable(rows)));
    }
};

} // namespace

TEST_F(GepJobs, CreationWritesEveryFileOfTheSampleSchool) {
    writeFile("doublons.txt", "last year\r\n");
    writeFile("CLASSES.TXT", "x");
    Genfich_M_Click(s);
    EXPECT_TRUE(ui.calls.empty()); // tables present, RNE given: nothing is asked
    expectFiles("gep-create", {"ComptesAajouter.txt", "ComptesProfsAajouter.txt", "GROUPES.TXT",
                               "doublons.txt", "troncatures.txt", "4a.TXT", "ulis.TXT"});
    EXPECT_FALSE(hasFile("CLASSES.TXT"));
    EXPECT_FALSE(hasFile("ComptesAmodifier.txt"));
    // The first pupil read is in his class file; the teacher who left and the one
    // in service elsewhere get no account.
    EXPECT_EQ(fileLines("6a.TXT")[0], "DUPONT,CATHERINE,c6a,030512");
    EXPECT_EQ(readFile("ComptesProfsAajouter.txt").find("FAURE"), std::string::npos);
    EXPECT_EQ(readFile("ComptesProfsAajouter.txt").find("PERRIN"), std::string::npos);
    EXPECT_EQ(logLines(), (std::vector<std::string>{
                              ansi("Conversion de la base GEP en cours........"),
                              ansi("Création du fichier des comptes........"),
                              ansi("Création des fichiers des comptes pour chaque classe........"),
                              ansi("Tous les fichiers textes ont été créés."), ansi("Bilan :"),
                              ansi("ComptesAajouter.txt : 36 comptes"),
                              ansi("ComptesProfsAajouter.txt : 6 comptes"),
                              ansi("doublons.txt : 1 homonyme numéroté"),
                              ansi("troncatures.txt : 2 logins de plus de 20 caractères")}));
    EXPECT_EQ(s.win.classes.items(),
              (std::vector<std::string>{"3A", "4A", "5A", "6A", "6B", "ULIS"}));
    EXPECT_TRUE(s.win.command3Enabled && s.win.save1Enabled && s.win.classesEnabled);
    EXPECT_TRUE(s.win.lstTri.empty());
    EXPECT_FALSE(s.job.endedEarly);
}

TEST_F(GepJobs, UpdateKeepsLoginsAddsNewAccountsAndListsDepartures) {
    s.win.txtrne1 = " 0590001a ";
    s.win.version3 = false;
    ui.chooseFile((dir / "EXPORT").string());
    miseAjour_M_Click(s);
    EXPECT_EQ(ui.messageTexts(),
              (std::vector<std::string>{
                  ansi("NOTE TRES IMPORTANTE : Lors des mises à jour des comptes vous devez "
                       "IMPERATIVEMENT sélectionner le format de login (NOM.PRENOM ou "
                       "PRENOM.NOM) correspondant à celui en vigueur l'année précédente."),
                  ansi("Veuillez indiquer le chemin du fichier EXPORT.")}));
    expectFiles("gep-update",
                {"ComptesAajouter.txt", "ComptesAmodifier.txt", "ComptesProfsAajouter.txt",
                 "ComptesProfsAmodifier.txt", "comptesAsupprimer.txt"});
    // A pupil kept from another class keeps the server's login, no password, his new class.
    EXPECT_NE(readFile("ComptesAmodifier.txt").find("PETIT;LUCAS;c4a;petit.lucas;petit.lucas;;"),
              std::string::npos);
    EXPECT_TRUE(s.win.version3);
    EXPECT_TRUE(s.win.framemsjEnabled && s.win.rechercherEnabled);
    EXPECT_FALSE(s.job.UpdateMode);
    EXPECT_EQ(s.win.placeexport, (dir / "EXPORT").string());
    const auto lines = logLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], ansi("Traitement du fichier EXPORT....."));
    // The files in the order of their first write: the new accounts' file is
    // begun before the modified ones, the library's list of leavers comes last.
    const std::vector<std::string> end(lines.end() - 10, lines.end());
    EXPECT_EQ(end, (std::vector<std::string>{
                       ansi("Création du fichier des comptes à supprimer....."),
                       ansi("Tous les fichiers ont été créés."),
                       "Bilan :", "ComptesAajouter.txt : 31 comptes",
                       "ComptesProfsAajouter.txt : 4 comptes", "ComptesAmodifier.txt : 5 comptes",
                       "ComptesProfsAmodifier.txt : 2 comptes", "comptesAsupprimer.txt : 2 comptes",
                       ansi("doublons.txt : 1 homonyme numéroté"),
                       ansi("troncatures.txt : 2 logins de plus de 20 caractères")}));
}

TEST_F(GepJobs, CancelledExportDialogEndsTheUpdateBeforeAnyWrite) {
    miseAjour_M_Click(s);
    EXPECT_TRUE(s.job.endedEarly);
    EXPECT_TRUE(s.job.UpdateMode);
    EXPECT_FALSE(hasFile("ComptesAajouter.txt"));
}

TEST_F(GepJobs, B2iWritesOnlyThePupilSummary) {
    fs::remove(dir / "F_IND.DBF");
    s.win.txtrne1.clear();
    gep_b2i_m_Click(s);
    EXPECT_TRUE(ui.calls.empty());
    // The same pupils, in the same order, as the creation's ComptesAajouter.txt.
    EXPECT_EQ(readFile("eleves.txt"), expected("gep-create", "ComptesAajouter.txt"));
    for (const char* absent :
         {"ComptesAajouter.txt", "GROUPES.TXT", "6a.TXT", "ComptesProfsAajouter.txt"})
        EXPECT_FALSE(hasFile(absent)) << absent;
    EXPECT_TRUE(s.win.classes.empty());
    EXPECT_FALSE(s.job.b2i);
    // A second run starts from empty account lists: each pupil is written once.
    gep_b2i_m_Click(s);
    EXPECT_EQ(readFile("eleves.txt"), expected("gep-create", "ComptesAajouter.txt"));
}

TEST_F(GepJobs, NoToThePupilTableOfferEndsWithoutTouchingAnything) {
    fs::remove(dir / "F_ELE.DBF");
    writeFile("doublons.txt", "kept\r\n");
    ui.answer(false);
    Genfich_M_Click(s);
    ASSERT_EQ(ui.calls.size(), 1u);
    EXPECT_EQ(ui.calls[0].kind, DialogCall::Question);
    EXPECT_EQ(ui.calls[0].text,
              ansi("Le fichier 'F_ELE.DBF' n'est pas dans le répertoire de l'application. Voulez "
                   "vous le rechercher et le copier dans le répertoire de l'application?"));
    EXPECT_EQ(ui.calls[0].title, "GEP / KWARTZ");
    EXPECT_EQ(ui.calls[0].icon, Icon::Exclamation);
    EXPECT_EQ(readFile("doublons.txt"), "kept\r\n");
    EXPECT_TRUE(s.job.endedEarly);
}

TEST_F(GepJobs, YesToTheOffersCopiesTheChosenTables) {
    const fs::path elsewhere = dir / "elsewhere";
    fs::create_directory(elsewhere);
    fs::rename(dir / "F_ELE.DBF", elsewhere / "eleves.dbf");
    fs::rename(dir / "F_IND.DBF", elsewhere / "F_IND.DBF");
    ui.answer(true).answer(true);
    ui.chooseFile((elsewhere / "eleves.dbf").string())
        .chooseFile((elsewhere / "F_IND.DBF").string());
    Genfich_M_Click(s);
    const auto files = ui.of(DialogCall::OpenFile);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].title, "Fichier GEP (F_ELE.DBF)|F_ELE.DBF");
    EXPECT_EQ(files[1].title, "Fichier GEP (F_IND.DBF)|F_IND.DBF");
    EXPECT_EQ(files[0].text, "Recherche du fichier export");
    EXPECT_TRUE(fs::exists(dir / "F_ELE.DBF"));
    expectFiles("gep-create", {"ComptesAajouter.txt", "ComptesProfsAajouter.txt"});
}

TEST_F(GepJobs, NoToTheTeacherOfferGoesOnWithPupilsOnly) {
    fs::remove(dir / "F_IND.DBF");
    ui.answer(false);
    Genfich_M_Click(s);
    EXPECT_EQ(ui.questionTexts().size(), 1u);
    expectFiles("gep-create", {"ComptesAajouter.txt"});
    EXPECT_FALSE(hasFile("ComptesProfsAajouter.txt"));
    EXPECT_FALSE(s.job.endedEarly);
}

TEST_F(GepJobs, RneQuestions) {
    const std::string lost =
        ansi("Sans le N° RNE, le logiciel ne peut pas repérer dans la base GEP les noms des "
             "enseignants qui ont quitté l'établissement. Voulez vous poursuivre?");
    s.win.txtrne1 = "  ";
    ui.answer(false);
    Genfich_M_Click(s);
    EXPECT_EQ(ui.questionTexts(), std::vector<std::string>{lost});
    EXPECT_EQ(ui.calls[0].title, "");
    EXPECT_EQ(ui.calls[0].icon, Icon::None);
    EXPECT_TRUE(s.job.endedEarly);
    EXPECT_FALSE(hasFile("ComptesAajouter.txt"));

    // Two teacher tables, no RNE at all: Yes to both still ends the command.
    fs::copy_file(dir / "F_IND.DBF", dir / "F_IND2.DBF");
    ui.clear();
    ui.answer(true).answer(true);
    Genfich_M_Click(s);
    EXPECT_EQ(
        ui.questionTexts(),
        (std::vector<std::string>{
            lost, ansi("Rolvane a repéré 2 bases GEP différentes pour les professeurs. ") + lost}));
    EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{ansi(
                                     "Vous devez donner le N° RNE du premier établissement.")});
    EXPECT_TRUE(s.job.endedEarly);
    EXPECT_FALSE(hasFile("ComptesAajouter.txt"));
}

TEST_F(GepJobs, WithoutTheLibraryNothingIsDeletedOrWritten) {
    writeFile("doublons.txt", "kept\r\n");
    vandrel::reloadFrom((dir / "no-library-here").string());
    Genfich_M_Click(s);
    miseAjour_M_Click(s);
    vandrel::reloadFrom(ROLVANE_BIN_DIR);
    EXPECT_EQ(ui.messageTexts(),
              std::vector<std::string>(2, ansi("La bibliothèque vandrel1 est introuvable : aucun "
                                               "compte n'a été généré.")));
    EXPECT_EQ(readFile("doublons.txt"), "kept\r\n");
    EXPECT_FALSE(hasFile("ComptesAajouter.txt"));
    EXPECT_TRUE(s.job.libraryMissing);
}

TEST_F(GepJobs, ButtonRunsTheWorkerWithTheRegistryOpen) {
    fs::remove(dir / "F_IND.DBF");
    writePupils("F_ELE.DBF", {{"1", "MARTIN", "Lea", "20100101", "6A"},
                              {"2", "MARTIN", "Lea", "20100202", "6B"}});
    Command1_Button(s);
    EXPECT_TRUE(ui.calls.empty());
    const auto lines = fileLines("ComptesAajouter.txt");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].substr(0, 11), "MARTIN;LEA;");
    EXPECT_EQ(lines[2].substr(0, 12), "MARTIN;LEA1;");
    EXPECT_EQ(readFile("doublons.txt"), "MARTIN LEA1  ->  MARTIN  LEA  c6b\r\n");
    EXPECT_TRUE(logSays("\r\nBilan :\r\nComptesAajouter.txt : 2 comptes\r\n"
                        "doublons.txt : 1 homonyme numéroté"));
}

TEST_F(GepJobs, ButtonWithoutThePupilTableSaysItReadNoSource) {
    for (const char* name : {"F_ELE.DBF", "F_IND.DBF"})
        fs::remove(dir / name);
    Command1_Button(s);
    EXPECT_TRUE(logSays("\r\nBilan :\r\nAucune source lue : F_ELE.DBF introuvable."));
}

TEST_F(GepJobs, SecondPupilTableIsCutWithItsOwnLayoutAndCountsOn) {
    fs::remove(dir / "F_IND.DBF");
    writePupils("F_ELE.DBF",
                {{"1", "ALPHA", "Anne", "20100101", "6A"}, {"2", "BETA", "Bob", "20100202", "6A"}});
    testsupport::DbfLayout second;
    second.widths.assign(40, 2);
    second.widths[1] = 12, second.widths[2] = 12, second.widths[4] = 8;
    std::vector<std::string> row(40);
    row[0] = "9", row[1] = "GAMMA", row[2] = "Guy", row[4] = "20090909", row[39] = "S1";
    second.rows = {row};
    writeFile("F_ELE2.DBF", testsupport::dbfBytes(second));
    Genfich_M_Click(s);
    EXPECT_EQ(readFile("s1.TXT"), "GAMMA,GUY,s1,090909\r\n");
    EXPECT_EQ(fileLines("6a.TXT").size(), 2u);
    EXPECT_EQ(s.job.lastPersonIndex, 2);
}

TEST_F(GepJobs, SecondRneIsUpperCasedByTheWorker) {
    // The update never passes through the creation command's upper-casing.
    const std::string aff = readFile("F_AFF.DBF");
    std::string aff2 = aff;
    for (size_t p; (p = aff2.find("0590002B")) != std::string::npos;)
        aff2.replace(p, 8, "0590009Z");
    for (size_t p; (p = aff2.find("0590001A")) != std::string::npos;)
        aff2.replace(p, 8, "0590009Z");
    writeFile("F_AFF.DBF", std::string());
    fs::remove(dir / "F_AFF.DBF");
    writeFile("F_AFF2.DBF", aff2);
    s.win.txtrne1 = "0590001A";
    s.win.txtrne2 = " 0590009z";
    ui.answer(true); // go on although F_AFF.DBF holds no teacher in service for 0590001A
    ui.chooseFile((dir / "EXPORT").string());
    miseAjour_M_Click(s);
    EXPECT_EQ(s.win.txtrne2, "0590009Z");
    // Every teacher assigned to the second school until 2099 is in service.
    EXPECT_NE(readFile("ComptesProfsAajouter.txt").find("PERRIN"), std::string::npos);
    EXPECT_EQ(readFile("ComptesProfsAajouter.txt").find("FAURE"), std::string::npos);
}

TEST_F(GepJobs, ClassWithAnImpossibleFileNameGetsNoFileButKeepsItsAccounts) {
    fs::remove(dir / "F_IND.DBF");
    writePupils("F_ELE.DBF", {{"1", "ALPHA", "Anne", "20100101", "../X"},
                              {"2", "BETA", "Bob", "20100202", "6A"}});
    Genfich_M_Click(s);
    EXPECT_TRUE(logSays("Classe ignorée (nom de fichier impossible) : ../x"));
    EXPECT_FALSE(fs::exists(dir.parent_path() / "x.TXT"));
    EXPECT_NE(readFile("ComptesAajouter.txt").find("ALPHA;ANNE;../x;"), std::string::npos);
    EXPECT_EQ(readFile("GROUPES.TXT"), "../X\r\nc6A\r\n");
    EXPECT_TRUE(hasFile("6a.TXT"));
}
