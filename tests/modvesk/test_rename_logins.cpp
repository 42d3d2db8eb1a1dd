// Renaming of the logins of an EXPORT file between Nom.Prénom and Prénom.Nom.
#include "jobs/rename_logins.h"
#include "writers/import_writer.h"

#include "jobs/jobs.h"
#include "session_fixture.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace modvesk;
using Items = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

const std::string kIntro =
    ansi("Cette fonctionnalité permet de modifier le nom de connexion en inversant Nom.Prénom ou "
         "Prénom.Nom. Cette fonctionnalité inverse seulement la position du Nom par rapport au "
         "Prénom. Vous devez au préalable avoir généré le fichier EXPORT sur le serveur KWARTZ.");
const std::string kQuestion =
    ansi("Avez-vous généré le fichier EXPORT correspondant à la base actuelle des utilisateurs?");

class RenameLoginsTest : public testsupport::SessionTest {
  protected:
    std::string exportFile(const std::string& bytes) {
        const fs::path p = elsewhere.path() / "export";
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    testsupport::TempDir elsewhere;
};

} // namespace

TEST(SplitFields, FillsTheSlotsFromStartToTen) {
    const FieldSlots f = SplitFields(1, " A ; b;c;d;e;f;g;h;i;j;k;l", ";");
    EXPECT_EQ(f[0], "");
    EXPECT_EQ(f[1], "A");
    EXPECT_EQ(f[2], "b");
    EXPECT_EQ(f[10], "j");
    for (size_t i = 11; i < f.size(); ++i)
        EXPECT_EQ(f[i], "") << i;
    const FieldSlots shortLine = SplitFields(1, "x;y", ";");
    EXPECT_EQ(shortLine[2], "y");
    EXPECT_EQ(shortLine[3], "");
    EXPECT_EQ(SplitFields(3, "x;y", ";")[3], "x");
    EXPECT_EQ(SplitFields(3, "x;y", ";")[1], "");
}

TEST(InvertedLogin, CutsAtTheFirstDot) {
    EXPECT_EQ(invertedLogin("dupont.catherine"), "catherine.dupont");
    EXPECT_EQ(invertedLogin("c.dupont"), "dupont.c");
    EXPECT_EQ(invertedLogin("jean.pierre.martin"), "pierre.martin.jean");
    EXPECT_EQ(invertedLogin("dupont."), ".dupont");
    EXPECT_EQ(invertedLogin("administrateur"), "");
}

TEST_F(RenameLoginsTest, EveryLineGivesElevenFieldsWithoutHeader) {
    const std::string path =
        exportFile("#Nom;Prénom;groupe;login actuel;nouveau login\r\n"
                   "DUPONT;CATHERINE;c3a;dupont.catherine;dupont.catherine;pw;;;g;m;l;p;x\r\n"
                   "MARTIN;JEAN;c4b;jean.pierre.martin\r\n"
                   "ADMIN;;admin;administrateur;ancien\r\n");
    writeFile("ComptesAmodifier.txt", "before\r\n");
    InvertLogins(s, path);
    EXPECT_EQ(readFile("ComptesAmodifier.txt"),
              "before\r\n"
              "DUPONT;CATHERINE;c3a;dupont.catherine;catherine.dupont;pw;;;g;m;;\r\n"
              "MARTIN;JEAN;c4b;jean.pierre.martin;pierre.martin.jean;;;;;;;\r\n"
              "ADMIN;;admin;administrateur;ancien;;;;;;;\r\n");
}

TEST_F(RenameLoginsTest, NoToTheQuestionTouchesNothing) {
    writeFile("doublons.txt", "old\r\n");
    s.win.Text1 = "avant";
    ui.answer(false);
    Modifconnex_M_Click(s);
    EXPECT_EQ(ui.messageTexts(), Items{kIntro});
    EXPECT_EQ(ui.questionTexts(), Items{kQuestion});
    EXPECT_TRUE(ui.of(testsupport::DialogCall::OpenFile).empty());
    EXPECT_EQ(readFile("doublons.txt"), "old\r\n");
    EXPECT_EQ(s.win.Text1, "");
    EXPECT_TRUE(s.job.endedEarly);
}

TEST_F(RenameLoginsTest, MissingExportStopsBeforeAnyDeletion) {
    writeFile("doublons.txt", "old\r\n");
    ui.answer(true).chooseFile((elsewhere.path() / "absent").string());
    Modifconnex_M_Click(s);
    EXPECT_EQ(readFile("doublons.txt"), "old\r\n");
    EXPECT_FALSE(hasFile("ComptesAmodifier.txt"));
    EXPECT_TRUE(s.job.endedEarly);
}

TEST_F(RenameLoginsTest, TheWholeCommand) {
    for (const auto& name : lastRunOutputs())
        writeFile(name, "old\r\n");
    s.win.lstTri.add("x");
    ui.answer(true).chooseFile(exportFile("#header\r\nROUX;A;profs;a.roux;a.roux;;;;;;;\r\n"));
    Modifconnex_M_Click(s);
    for (const auto& name : lastRunOutputs()) {
        if (Lower(name) == "comptesamodifier.txt") continue;
        EXPECT_FALSE(hasFile(name)) << name;
    }
    EXPECT_EQ(readFile("ComptesAmodifier.txt"), "ROUX;A;profs;a.roux;roux.a;;;;;;;\r\n");
    EXPECT_EQ(s.win.Text1, ansi("\r\nTous les fichiers textes ont été créés.\r\nBilan :\r\n"
                                "ComptesAmodifier.txt : 1 compte"));
    EXPECT_EQ(ui.busyCalls, (std::vector<bool>{true, false}));
    EXPECT_TRUE(s.win.lstTri.empty());
    EXPECT_FALSE(s.job.endedEarly);
}

TEST_F(RenameLoginsTest, UnwritableOutputEndsWithTheErrorLine) {
    // A folder that holds a file: the deletion of the last run cannot remove it.
    fs::create_directory(dir / "ComptesAmodifier.txt");
    writeFile("ComptesAmodifier.txt/x", "");
    ui.answer(true).chooseFile(exportFile("#header\r\nROUX;A;profs;a.roux\r\n"));
    Modifconnex_M_Click(s);
    EXPECT_EQ(s.job.writeErrors, Items{"ComptesAmodifier.txt"});
    EXPECT_EQ(s.win.Text1,
              ansi("\r\nErreur : impossible d'écrire ComptesAmodifier.txt\r\nDes erreurs se sont "
                   "produites : certains fichiers n'ont pas été créés.\r\nBilan :\r\n"
                   "Fichier non écrit : ComptesAmodifier.txt"));
}
