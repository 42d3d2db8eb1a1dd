// The teacher tools: group responsibilities (profsresp) and deletion of teacher
// accounts (frcmptesprofs), on an EXPORT file, through the real library; and the
// two batch jobs that play those forms.
#include "accounts/remplit_liste.h"
#include "clients/vandrel_client.h"
#include "expected_files.h"
#include "jobs/jobs.h"
#include "jobs/teacher_tools.h"
#include "session_fixture.h"
#include "text/files.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

using modvesk::ansi;
using testsupport::kImportHeader;
using Strings = std::vector<std::string>;

TEST(RemplitListe, CutsAtBarsAndTrims) {
    EXPECT_EQ(modvesk::remplitListe(""), Strings{});
    EXPECT_EQ(modvesk::remplitListe("|"), Strings{});
    EXPECT_EQ(modvesk::remplitListe("  |  "), Strings{});
    EXPECT_EQ(modvesk::remplitListe(std::string(50000, ' ')), Strings{});
    EXPECT_EQ(modvesk::remplitListe("  a | b |c  "), (Strings{"a", "b", "c"}));
    EXPECT_EQ(modvesk::remplitListe("a||b"), (Strings{"a", "", "b"}));
    EXPECT_EQ(modvesk::remplitListe("a|"), Strings{"a"});
    EXPECT_EQ(modvesk::remplitListe("|a"), (Strings{"", "a"}));
    EXPECT_EQ(modvesk::remplitListe("DUPONT;Catherine"), Strings{"DUPONT;Catherine"});
}

const std::array<const char*, 5> kLines = {
    "DUPONT;Catherine;profs;c.dupont;c.dupont;;;;3A 4B;;;",
    "MARTIN;Paul;3A;p.martin;p.martin;;;;;;;",
    "LEROY;Anne;PROFS;a.leroy;a.leroy;;;;;;;",
    "BLANC;Marc;profs;m.blanc;m.blanc;;;;3A1;;;",
    "NOEL;Jo;4B;j.noel;j.noel;;;;;;;",
};

class TeacherTools : public testsupport::SessionTest {
  protected:
    TeacherTools() { openRegistry = false; }

    void SetUp() override {
        SessionTest::SetUp();
        std::string text = kImportHeader + "\r\n";
        for (const char* line : kLines)
            text += std::string(line) + "\r\n";
        writeFile("EXPORT", text);
        exportPath = (dir / "EXPORT").string();
    }

    // The profsresp form loaded on the EXPORT file.
    modvesk::ProfsRespForm loadedProfsResp() {
        ui.chooseFile(exportPath);
        modvesk::ProfsRespForm f;
        modvesk::profsresp_Form_Load(s, f);
        return f;
    }
    modvesk::FrCmptesProfsForm loadedFrCmptesProfs() {
        ui.chooseFile(exportPath);
        modvesk::FrCmptesProfsForm f;
        modvesk::frcmptesprofs_Form_Load(s, f);
        return f;
    }
    static void selectGroup(modvesk::ProfsRespForm& f, const std::string& group) {
        for (size_t i = 0; i < f.Listgroupes.size(); ++i)
            if (f.Listgroupes[i] == group) f.ListgroupesSelected[i] = true;
    }
    static void selectTeacher(modvesk::ProfsRespForm& f, const std::string& entry) {
        for (size_t i = 0; i < f.Listprofs.size(); ++i)
            if (f.Listprofs[i] == entry) f.ListprofsIndex = static_cast<int>(i);
    }

    std::string exportPath;
    const std::string respFile = "ComptesProfsResponsablesAModifier.txt";
    const std::string delFile = "ComptesProfsASupprimer.txt";
};

TEST_F(TeacherTools, MenuShowsTheNoticeThenTheFormThenRefreshesTheFiles) {
    long refreshBeforeForm = -1;
    ui.onForm = [&](modvesk::Form) { refreshBeforeForm = ui.refreshCalls; };
    modvesk::defrespgroupes_Click(s);
    ASSERT_EQ(ui.messageTexts(),
              Strings{ansi("Après modification des responsabilités de groupes un fichier "
                           "comptesProfsResponsablesAModifier.txt est créé dans le répertoire "
                           "d'installation.")});
    EXPECT_EQ(ui.formsShown, std::vector<modvesk::Form>{modvesk::Form::ProfsResp});
    EXPECT_EQ(refreshBeforeForm, 0);
    EXPECT_EQ(ui.refreshCalls, 1);
}

TEST_F(TeacherTools, ProfsRespLoadAsksForExportAndFillsBothLists) {
    s.job.UpdateMode = false;
    s.win.version3 = false;
    auto f = loadedProfsResp();
    EXPECT_TRUE(s.job.UpdateMode);
    EXPECT_TRUE(s.win.version3);
    EXPECT_EQ(s.win.placeexport, exportPath);
    EXPECT_EQ(ui.messageTexts(), Strings{"Veuillez indiquer le chemin du fichier EXPORT."});
    const auto dialogs = ui.of(testsupport::DialogCall::OpenFile);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, "Fichier export(export)|export");
    EXPECT_EQ(f.Listprofs, (Strings{"DUPONT;Catherine", "LEROY;Anne", "BLANC;Marc"}));
    // Distinct groups of the file; of two equal ones the later is kept.
    EXPECT_EQ(f.Listgroupes, (Strings{"3A", "PROFS", "profs", "4B"}));
    EXPECT_EQ(f.ListgroupesSelected.size(), f.Listgroupes.size());
}

TEST_F(TeacherTools, CancelledExportLeavesEmptyListsAndEmptiesPlaceexport) {
    s.win.placeexport = "/ancien/EXPORT";
    modvesk::ProfsRespForm f;
    modvesk::profsresp_Form_Load(s, f);
    EXPECT_TRUE(f.Listprofs.empty());
    EXPECT_TRUE(f.Listgroupes.empty());
    EXPECT_EQ(s.win.placeexport, "");
    EXPECT_TRUE(s.job.endedEarly);
    EXPECT_TRUE(s.job.UpdateMode);

    modvesk::FrCmptesProfsForm g;
    modvesk::frcmptesprofs_Form_Load(s, g);
    EXPECT_TRUE(g.Listprofs.empty());
}

TEST_F(TeacherTools, MissingExportFileIsRefusedAndUnloadsTheForm) {
    ui.chooseFile((dir / "absent").string());
    modvesk::ProfsRespForm f;
    modvesk::profsresp_Form_Load(s, f);
    EXPECT_TRUE(f.Listprofs.empty());
    EXPECT_TRUE(f.unloaded);
    EXPECT_TRUE(s.job.endedEarly);
    EXPECT_EQ(ui.messageTexts().size(), 2u); // the notice, then the refusal
}

TEST_F(TeacherTools, ClickOnTeacherShowsHisResponsibleGroups) {
    auto f = loadedProfsResp();
    selectTeacher(f, "DUPONT;Catherine");
    modvesk::profsresp_Listprofs_Click(s, f);
    EXPECT_EQ(f.Textassoc, "3A 4B");
    selectTeacher(f, "LEROY;Anne");
    modvesk::profsresp_Listprofs_Click(s, f);
    EXPECT_EQ(f.Textassoc, "");
}

TEST_F(TeacherTools, AssocierPutsNewGroupsInFrontAndSendsTheTextUntrimmed) {
    auto f = loadedProfsResp();
    selectTeacher(f, "LEROY;Anne");
    modvesk::profsresp_Listprofs_Click(s, f);
    selectGroup(f, "3A");
    selectGroup(f, "4B");
    modvesk::profsresp_Command1_Click(s, f);
    EXPECT_EQ(f.Textassoc, "4B 3A ");
    modvesk::profsresp_Command2_Click(s, f);
    EXPECT_TRUE(f.unloaded);
    EXPECT_EQ(readFile(respFile), "LEROY;Anne;PROFS;a.leroy;a.leroy;;;;4B 3A ;;;\r\n");
}

TEST_F(TeacherTools, AGroupInsideALongerOneIsNotAdded) {
    auto f = loadedProfsResp();
    selectTeacher(f, "BLANC;Marc");
    modvesk::profsresp_Listprofs_Click(s, f);
    ASSERT_EQ(f.Textassoc, "3A1");
    selectGroup(f, "3A");
    selectGroup(f, "4B");
    modvesk::profsresp_Command1_Click(s, f);
    EXPECT_EQ(f.Textassoc, "4B 3A1");
}

TEST_F(TeacherTools, HandEditedTextIsSentAsTyped) {
    auto f = loadedProfsResp();
    selectTeacher(f, "DUPONT;Catherine");
    modvesk::profsresp_Listprofs_Click(s, f);
    f.Textassoc = "  5C   6D ";
    modvesk::profsresp_Command1_Click(s, f);
    EXPECT_EQ(f.Textassoc, "  5C   6D ");
    modvesk::profsresp_Command2_Click(s, f);
    EXPECT_EQ(readFile(respFile), "DUPONT;Catherine;profs;c.dupont;c.dupont;;;;  5C   6D ;;;\r\n");
}

TEST_F(TeacherTools, AnnulerAfterAssocierWritesNothing) {
    auto f = loadedProfsResp();
    for (const char* teacher : {"DUPONT;Catherine", "LEROY;Anne"}) {
        selectTeacher(f, teacher);
        modvesk::profsresp_Listprofs_Click(s, f);
        selectGroup(f, "4B");
        modvesk::profsresp_Command1_Click(s, f);
    }
    modvesk::profsresp_Command3_Click(s, f);
    EXPECT_TRUE(f.unloaded);
    EXPECT_FALSE(hasFile(respFile));
}

TEST_F(TeacherTools, ValiderWritesIntoTheProgramDirectoryWhateverTheCurrentOne) {
    auto f = loadedProfsResp();
    selectTeacher(f, "LEROY;Anne");
    f.Textassoc = "3A";
    modvesk::profsresp_Command1_Click(s, f);
    testsupport::TempDir elsewhere;
    std::filesystem::current_path(elsewhere.path());
    modvesk::profsresp_Command2_Click(s, f);
    EXPECT_EQ(std::filesystem::current_path(), elsewhere.path());
    std::filesystem::current_path(dir);
    EXPECT_TRUE(hasFile(respFile));
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
}

TEST_F(TeacherTools, DeletionFormLeavesUpdateModeAndListsTeachers) {
    s.job.UpdateMode = false;
    s.win.version3 = false;
    auto f = loadedFrCmptesProfs();
    EXPECT_FALSE(s.job.UpdateMode);
    EXPECT_TRUE(s.win.version3);
    EXPECT_EQ(f.Listprofs, (Strings{"DUPONT;Catherine", "LEROY;Anne", "BLANC;Marc"}));
    EXPECT_EQ(f.ListprofsSelected, std::vector<bool>(3, false));

    modvesk::supcpteProfs_m_Click(s);
    EXPECT_EQ(ui.formsShown, std::vector<modvesk::Form>{modvesk::Form::FrCmptesProfs});
    EXPECT_EQ(ui.refreshCalls, 0);
}

TEST_F(TeacherTools, OkWithNothingSelectedWritesNoFile) {
    auto f = loadedFrCmptesProfs();
    modvesk::frcmptesprofs_Command4_Click(s, f);
    EXPECT_TRUE(f.unloaded);
    EXPECT_FALSE(hasFile(delFile));
}

TEST_F(TeacherTools, TwoSelectedTeachersGiveTwoLinesInListOrder) {
    auto f = loadedFrCmptesProfs();
    f.ListprofsSelected = {false, true, true};
    modvesk::frcmptesprofs_Command4_Click(s, f);
    EXPECT_EQ(readFile(delFile), "LEROY;Anne;PROFS;a.leroy;a.leroy;;;;;;;\r\nBLANC;Marc;profs;m."
                                 "blanc;m.blanc;;;;3A1;;;\r\n");
}

TEST_F(TeacherTools, DeletionFileThatCannotBeWrittenIsReported) {
    auto f = loadedFrCmptesProfs();
    f.ListprofsSelected = {true, false, false};
    std::filesystem::create_directory(dir / delFile);
    modvesk::frcmptesprofs_Command4_Click(s, f);
    ASSERT_EQ(s.job.writeErrors, std::vector<std::string>{delFile});
    EXPECT_TRUE(logSays("Erreur : impossible d'écrire " + delFile));
}

TEST_F(TeacherTools, QuitterWritesNothingAndLeavesTheLinesInTheLibrary) {
    auto f = loadedFrCmptesProfs();
    f.ListprofsSelected = {true, true, true};
    modvesk::frcmptesprofs_quitter_m_Click(s, f);
    EXPECT_TRUE(f.unloaded);
    EXPECT_FALSE(hasFile(delFile));
    std::string buffer = vandrel::blanks(50000);
    vandrel::tableauProfs(buffer);
    EXPECT_EQ(vandrel::trimmed(buffer), "DUPONT;Catherine|LEROY;Anne|BLANC;Marc");
}

TEST_F(TeacherTools, WithoutTheLibraryNoFormOpens) {
    testsupport::TempDir empty;
    vandrel::reloadFrom(empty.path().string());
    modvesk::defrespgroupes_Click(s);
    modvesk::supcpteProfs_m_Click(s);
    vandrel::reloadFrom(ROLVANE_BIN_DIR);
    EXPECT_TRUE(ui.formsShown.empty());
    EXPECT_TRUE(s.job.libraryMissing);
    const std::string missing =
        ansi("La bibliothèque vandrel1 est introuvable : aucun compte n'a été généré.");
    EXPECT_EQ(ui.messageTexts(), (Strings{missing, missing}));
}

// ---- the batch jobs ----------------------------------------------------------

struct BatchRun {
    int status = -1;
    std::string err;
};

bool haveBatch() {
    return std::filesystem::exists(std::filesystem::path(ROLVANE_BIN_DIR) / "rolvane-batch");
}

BatchRun runBatch(const std::string& args, const std::filesystem::path& errFile) {
    const std::string command = std::string(ROLVANE_BIN_DIR) + "/rolvane-batch " + args + " 2>" +
                                errFile.string() + " >/dev/null";
    BatchRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    modvesk::ReadAll(errFile, run.err);
    return run;
}

TEST_F(TeacherTools, BatchResponsiblesSetsGroupsAndEndsWithOneForUnknownTeachers) {
    if (!haveBatch()) GTEST_SKIP() << "rolvane-batch is not built";
    testsupport::TempDir out;
    const BatchRun run = runBatch("responsibles --dir " + out.path().string() + " --export " +
                                      exportPath + " --set 'LEROY;Anne=5C 6D' --set 'NOBODY;X=1A'",
                                  dir / "err");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Professeur absent de la liste du fichier EXPORT : NOBODY;X"),
              std::string::npos);
    std::string bytes;
    modvesk::ReadAll(out.path() / respFile, bytes);
    EXPECT_EQ(bytes, "LEROY;Anne;PROFS;a.leroy;a.leroy;;;;5C 6D;;;\r\n");
}

TEST_F(TeacherTools, BatchDeleteTeachersWritesTheirLinesInListOrder) {
    if (!haveBatch()) GTEST_SKIP() << "rolvane-batch is not built";
    testsupport::TempDir out;
    const BatchRun run =
        runBatch("delete-teachers --dir " + out.path().string() + " --export " + exportPath +
                     " --teacher 'BLANC;Marc' --teacher 'DUPONT;Catherine'",
                 dir / "err");
    EXPECT_EQ(run.status, 0);
    std::string bytes;
    modvesk::ReadAll(out.path() / delFile, bytes);
    EXPECT_EQ(bytes, std::string(kLines[0]) + "\r\n" + kLines[3] + "\r\n");
}

TEST_F(TeacherTools, BatchWithoutExportIsWrongUsage) {
    if (!haveBatch()) GTEST_SKIP() << "rolvane-batch is not built";
    testsupport::TempDir out;
    EXPECT_EQ(runBatch("delete-teachers --dir " + out.path().string(), dir / "err").status, 2);
}

} // namespace
