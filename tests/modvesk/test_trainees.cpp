// Trainee accounts: the group form, the builder and the whole job.
#include "jobs/trainees.h"

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
using Items = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

const std::string kRefusal = ansi("Vous devez donner un nom de groupe Kwartz");

class TraineesTest : public testsupport::SessionTest {
  protected:
    void build(std::string line) { BuildTrainee(s, line, index); }
    long index = 0;
};

} // namespace

TEST_F(TraineesTest, GroupFormRefusesAnEmptyGroup) {
    s.job.groupeStage = "avant";
    s.job.respStage = "resp";
    EXPECT_FALSE(saisiegroupes_Command1_Click(s, "   ", "c3a"));
    EXPECT_EQ(ui.messageTexts(), Items{kRefusal});
    EXPECT_EQ(s.job.groupeStage, ""); // set even when refused
    EXPECT_EQ(s.job.respStage, "resp");
    EXPECT_TRUE(saisiegroupes_Command1_Click(s, " Stage 1 ", "  c3a   c4b "));
    EXPECT_EQ(s.job.groupeStage, "Stage 1");
    EXPECT_EQ(s.job.respStage, "c3a   c4b");
}

TEST_F(TraineesTest, OneTraineeWithADigitGroupAbbreviated) {
    s.win.loginFormat = LoginFormat::Abrev;
    s.job.groupeStage = "3 A";
    s.job.respStage = "c3a   c4b";
    build("Dupont;Catherine");
    EXPECT_EQ(s.win.LstTri2.items(),
              Items{"DUPONT;C;c3A;c.dupont;c.dupont;a;intranet privatespace;;c3a   c4b;;;;;;;"});
    EXPECT_EQ(index, 1);
    EXPECT_EQ(s.job.classList.text(), "c3A ");
    const Person p = s.job.personAt(0);
    EXPECT_EQ(p.text, "3A");
    EXPECT_EQ(p.password, "a");
    EXPECT_EQ(vandrel::present("DUPONT C"), vandrel::kTrue);
}

TEST_F(TraineesTest, FoldedNamesAndTheThreeFormats) {
    s.job.groupeStage = "stage";
    build(ansi("Le Fèvre;Jean-Noël Pierre;ignoré"));
    s.win.loginFormat = LoginFormat::Entier;
    build(ansi("O'Brien;Hélène"));
    EXPECT_EQ(
        s.win.LstTri2.items(),
        (Items{
            "LEFEVRE;JEANNOEL;stage;lefevre.jeannoel;lefevre.jeannoel;a;intranet "
            "privatespace;;;;;;;;;",
            "OBRIEN;HELENE;stage;helene.obrien;helene.obrien;a;intranet privatespace;;;;;;;;;"}));
    EXPECT_EQ(s.job.classList.text(), "stage ");
}

TEST_F(TraineesTest, IdenticalLinesGiveIdenticalAccountsWithoutNumbering) {
    s.job.groupeStage = "stage";
    build("Dupont;Catherine");
    build("Dupont;Catherine");
    const std::string line =
        "DUPONT;CATHERINE;stage;dupont.catherine;dupont.catherine;a;intranet privatespace;;;;;;;;;";
    EXPECT_EQ(s.win.LstTri2.items(), (Items{line, line}));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(hasFile("doublons.txt"));
}

TEST_F(TraineesTest, LinesWithoutTwoNamesOrWithoutGroupGiveNothing) {
    s.job.groupeStage = "stage";
    build("Durand");
    build("Garcia.Lucas");
    build(";Lucas");
    s.job.groupeStage = " - ";
    build("Dupont;Catherine");
    EXPECT_TRUE(s.win.LstTri2.empty());
    EXPECT_EQ(index, 0);
    EXPECT_EQ(s.job.classList.text(), "");
}

TEST_F(TraineesTest, LongNamesAreReportedWithTheTraineeGroup) {
    s.job.groupeStage = "2nde";
    build("Vanderstraeten-Delacroix;Marie");
    EXPECT_EQ(readFile("troncatures.txt"),
              "VANDERSTRAETENDELACROIX M -> troncature ->  M.VANDERSTRAETENDEL  c2nde\r\n");
    // The login itself is not shortened.
    EXPECT_EQ(s.win.LstTri2.items(),
              Items{"VANDERSTRAETENDELACROIX;M;c2nde;vanderstraetendelacroix.m;"
                    "vanderstraetendelacroix.m;a;intranet privatespace;;;;;;;;;"});
}

TEST_F(TraineesTest, TheWholeJob) {
    testsupport::TempDir elsewhere;
    const fs::path list = elsewhere.path() / "liste.txt";
    std::ofstream(list, std::ios::binary)
        << ansi("Dupont;Catherine\r\nLefèvre;Élodie\r\nDurand\r\n");
    writeFile("doublons.txt", "old\r\n");
    s.win.loginFormat = LoginFormat::Abrev;
    ui.chooseFile(list.string());
    ui.onForm = [&](Form form) {
        ASSERT_EQ(form, Form::SaisieGroupes);
        saisiegroupes_Command1_Click(s, "3 A", "c3a c4b");
    };
    stage_m_Click(s);
    EXPECT_EQ(ui.messageTexts(),
              Items{ansi("Veuillez sélectionner le fichier .txt contenant la liste des noms (sous "
                         "le format nom1;prénom1 <à la ligne> nom2.prénom2 <à la ligne>.....")});
    EXPECT_EQ(ui.of(DialogCall::OpenFile)[0].title, "Fichier TXT (*.TXT)|*.TXT");
    EXPECT_EQ(ui.formsShown, std::vector<Form>{Form::SaisieGroupes});
    EXPECT_EQ(readFile("STAGIAIRES.CSV"), ansi("Dupont;Catherine\r\nLefèvre;Élodie\r\nDurand\r\n"));
    EXPECT_EQ(readFile("ComptesAajouter.txt"),
              kImportHeader +
                  "\r\n"
                  "LEFEVRE;E;c3A;e.lefevre;e.lefevre;a;intranet privatespace;;c3a c4b;;;;;;;\r\n"
                  "DUPONT;C;c3A;c.dupont;c.dupont;a;intranet privatespace;;c3a c4b;;;;;;;\r\n\r\n");
    EXPECT_FALSE(hasFile("doublons.txt"));
    EXPECT_FALSE(hasFile("ComptesProfsAajouter.txt"));
    EXPECT_TRUE(logSays("\r\nTous les fichiers textes ont été créés.\r\n"));
    EXPECT_EQ(s.win.classes.items(), Items{"3A"});
    EXPECT_FALSE(s.job.endedEarly);
}

// Without a group name the job ends before it deletes or writes anything, the
// form closed by OK with an empty name or by its frame, after an earlier run.
TEST_F(TraineesTest, FormClosedWithoutAGroupWritesNoAccount) {
    testsupport::TempDir elsewhere;
    const fs::path list = elsewhere.path() / "liste.txt";
    std::ofstream(list, std::ios::binary) << "Dupont;Catherine\r\n";
    s.job.groupeStage = "STAGE"; // left by an earlier run
    for (const bool okClicked : {true, false}) {
        writeFile("doublons.txt", "old\r\n");
        ui.chooseFile(list.string());
        ui.onForm = [&](Form) {
            if (okClicked) saisiegroupes_Command1_Click(s, "", "c3a");
        };
        stage_m_Click(s);
        if (okClicked) {
            EXPECT_EQ(ui.messageTexts().back(), kRefusal);
        }
        EXPECT_FALSE(hasFile("ComptesAajouter.txt"));
        EXPECT_EQ(readFile("doublons.txt"), "old\r\n");
        EXPECT_TRUE(s.job.endedEarly);
        EXPECT_TRUE(logSays("Aucun nom de groupe"));
    }
}

TEST_F(TraineesTest, CancelledListEndsTheJob) {
    writeFile("doublons.txt", "old\r\n");
    stage_m_Click(s);
    EXPECT_TRUE(s.job.endedEarly);
    EXPECT_TRUE(ui.formsShown.empty());
    EXPECT_TRUE(hasFile("doublons.txt"));
}
