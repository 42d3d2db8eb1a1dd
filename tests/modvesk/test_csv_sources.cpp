// The CSV sources: whole-file reading, SCONET recognition and mending, and the
// conversion of ELEVES.CSV / PROFS.CSV into the import files.
#include "jobs/csv_conversion.h"
#include "writers/import_writer.h"

#include "clients/component_client.h"
#include "expected_files.h"
#include "jobs/jobs.h"
#include "session_fixture.h"
#include "text/files.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace modvesk;
using testsupport::kImportHeader;

namespace {

component::Component* sharedComponent() {
    static std::unique_ptr<component::Component> c = component::Component::create();
    return c.get();
}

class CsvSourcesTest : public testsupport::SessionTest {
  protected:
    void SetUp() override {
        SessionTest::SetUp();
        s.component = sharedComponent();
        ASSERT_NE(s.component, nullptr) << "libpythrolvane.so not found next to the test";
    }
    bool sconet(const std::string& bytes) {
        writeFile("X.CSV", bytes);
        return testSconet(s, dir / "X.CSV");
    }
};

} // namespace

TEST_F(CsvSourcesTest, LireFichierEndsEveryLineWithCrLf) {
    const std::pair<std::string, std::string> files[] = {
        {"un\rdeux\r\ntrois\nquatre", "un\r\ndeux\r\ntrois\r\nquatre\r\n"},
        {"un\r\n\r\ndeux\r\n", "un\r\n\r\ndeux\r\n"},
        {"un\r\ndeux", "un\r\ndeux\r\n"},
        {"un\r\r\ndeux\r\n", "un\r\n\r\ndeux\r\n"},
        {"\nun\r\n", "\r\nun\r\n"},
        {"un\r\n\n", "un\r\n\r\n"},
        {"un\r", "un\r\n"},
        {"", ""},
    };
    for (const auto& [bytes, text] : files) {
        writeFile("a.csv", bytes);
        EXPECT_EQ(lireFichier(s, dir / "a.csv"), text) << bytes;
    }
    EXPECT_EQ(lireFichier(s, dir / "missing.csv"), "");
}

TEST_F(CsvSourcesTest, PlainFilesAndNearMissesAreNotSconet) {
    const std::string plain = "Dupont;Catherine;3A;03/05/2009\r\nMartin;Paul;div.;01/01/2008\r\n";
    // Field 5 of the whole text is the second field of the second line.
    EXPECT_FALSE(sconet(plain));
    EXPECT_EQ(readFile("X.CSV"), plain); // left alone
    EXPECT_FALSE(sconet("NOM;PRENOM;NE(E) LE;SEXE;DIV\r\nDUPONT;C;03/05/2009;F;4A\r\n"));
    EXPECT_FALSE(sconet("NOM;PRENOM;NE(E) LE;SEXE;divisio\r\n"));
}

TEST_F(CsvSourcesTest, SconetTitlesInAnyCase) {
    EXPECT_TRUE(sconet("NOM;PRENOM;NE(E) LE;SEXE;Div.\r\n"));
    EXPECT_TRUE(sconet("NOM;PRENOM;NE(E) LE;SEXE; DIVISION \r\n"));
    // The field is cut at ";" only: it runs on into the next line.
    EXPECT_TRUE(sconet("NOM;PRENOM;NE(E) LE;SEXE;divisionnaire\r\nX;Y"));
}

TEST_F(CsvSourcesTest, SconetWithLfOnlyIsRewrittenWithCrLf) {
    EXPECT_TRUE(sconet("NOM;PRENOM;NE(E) LE;SEXE;DIV.\nDUPONT;CATHERINE;03/05/2009;F;4A"));
    // Each line, ended by LF or by nothing, is written back with CR LF; the write
    // adds one more CR LF.
    EXPECT_EQ(readFile("X.CSV"),
              "NOM;PRENOM;NE(E) LE;SEXE;DIV.\r\nDUPONT;CATHERINE;03/05/2009;F;4A\r\n\r\n");
}

TEST_F(CsvSourcesTest, SconetWithCrLfKeepsItsLinesAndGainsAnEmptyOne) {
    const std::string text =
        "NOM;PRENOM;NE(E) LE;SEXE;DIV.\r\nDUPONT;CATHERINE;03/05/2009;F;4A\r\n";
    EXPECT_TRUE(sconet(text));
    EXPECT_EQ(readFile("X.CSV"), text + "\r\n");
}

TEST_F(CsvSourcesTest, SconetRowRebuiltFromFields1253) {
    EXPECT_EQ(sconetToPlainRow("DUPONT;CATHERINE;03/05/2009;F;4A"),
              "DUPONT;CATHERINE;4A;03/05/2009");
    EXPECT_EQ(sconetToPlainRow(" DUPONT ; CATHERINE"), "DUPONT;CATHERINE;;");
}

// A SCONET export as a spreadsheet leaves it: "=" signs, LF-only line ends.
TEST_F(CsvSourcesTest, SconetPupilFileConvertedEndToEnd) {
    writeFile("ELEVES.CSV", "NOM;PRENOM;NE(E) LE;SEXE;DIV.\n"
                            "DUPONT;CATHERINE;=\"03/05/2009\";F;=\"4A\"\n"
                            "LE GOFF;FRAN=" +
                                ansi("Ç") + "OIS;=23/09/2009;M;=3A\n");
    convertirBaseCSV(s);
    EXPECT_EQ(readFile("ELEVES.CSV").find('='), std::string::npos);
    const auto lines = fileLines("ELEVES.CSV");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "NOM;PRENOM;NE(E) LE;SEXE;DIV.");
    EXPECT_EQ(lines[1], "DUPONT;CATHERINE;\"03/05/2009\";F;\"4A\"");
    EXPECT_EQ(lines[2], "LE GOFF;FRAN" + ansi("Ç") + "OIS;23/09/2009;M;3A");
    // The title row names columns: it gives no account (no "nom.prenom" in "div.").
    EXPECT_EQ(readFile("ComptesAajouter.txt"),
              kImportHeader +
                  "\r\n"
                  "LEGOFF;FRANCOIS;c3a;legoff.francois;legoff.francois;23092009;;;;;;\r\n"
                  "DUPONT;CATHERINE;c4a;dupont.catherine;dupont.catherine;03052009;;;;;;\r\n"
                  "\r\n");
    EXPECT_TRUE(s.job.writeErrors.empty());
}

TEST_F(CsvSourcesTest, EqualSignsRemovedForGoodFromAPlainFile) {
    writeFile("ELEVES.CSV", "Du=pont;Cathe=rine;3A;=03/05/2009\r\n");
    convertirBaseCSV(s);
    EXPECT_EQ(readFile("ELEVES.CSV"), "Dupont;Catherine;3A;03/05/2009\r\n\r\n");
    EXPECT_EQ(s.win.LstTri2.items(),
              std::vector<std::string>{
                  "DUPONT;CATHERINE;c3a;dupont.catherine;dupont.catherine;03052009;;;;;;"});
}

TEST_F(CsvSourcesTest, TeacherFileFlagCarriesOverToThePupilFile) {
    writeFile("PROFS.CSV", "Martin;Paul;profs;secret;division\r\n");
    // Plain-looking pupils: their own check would fail, yet they are read as SCONET.
    writeFile("ELEVES.CSV", "DUPONT;CATHERINE;03/05/2009;F;4A\r\nDURAND;LEO;01/02/2008;M;5B\r\n");
    convertirBaseCSV(s);
    EXPECT_EQ(s.win.LstTri2.items(),
              (std::vector<std::string>{
                  "DUPONT;CATHERINE;c4a;dupont.catherine;dupont.catherine;03052009;;;;;;",
                  "DURAND;LEO;c5b;durand.leo;durand.leo;01022008;;;;;;",
                  "MARTIN;paul;profs;martin.paul;martin.paul;secret;;;;;;;;;;"}));
}

TEST_F(CsvSourcesTest, IndexStartsAgainForThePupils) {
    writeFile("PROFS.CSV", "Martin;Paul;profs;a1\r\nRoux;Anne;profs;b2\r\nPetit;Luc;profs;c3\r\n");
    writeFile("ELEVES.CSV", "Dupont;Catherine;3A;03/05/2009\r\nDurand;Leo;3A;01/02/2008\r\n");
    convertirBaseCSV(s);
    EXPECT_EQ(s.job.lastPersonIndex, 1); // two pupils, counted from 0 again
    EXPECT_EQ(s.job.personAt(0).surname, "DUPONT");
    EXPECT_EQ(s.job.personAt(2).surname, "PETIT"); // the third teacher is still there
    EXPECT_GE(s.job.persons.size(), 4001u);
    EXPECT_EQ(s.win.classes.items(), std::vector<std::string>{"3A"});
    EXPECT_TRUE(s.win.save1Enabled && s.win.classesEnabled && s.win.command3Enabled);
}

TEST_F(CsvSourcesTest, WithoutSourcesTheLastRunIsStillCleared) {
    for (const auto& name : lastRunOutputs())
        writeFile(Upper(name), "old");
    s.win.classes.add("vieille");
    convertirBaseCSV(s);
    for (const auto& name : lastRunOutputs())
        EXPECT_FALSE(hasFile(name)) << name;
    EXPECT_TRUE(s.win.classes.empty());
    EXPECT_EQ(s.job.lastPersonIndex, -1); // nothing written, nothing counted
    EXPECT_TRUE(logSays("\r\nConversion de la base CSV en cours........"));
}

TEST_F(CsvSourcesTest, RepeatedRunsConvertTheSame) {
    writeFile("ELEVES.CSV", "NOM;PRENOM;NE(E) LE;SEXE;DIV.\nDUPONT;CATHERINE;=03/05/2009;F;=4A\n");
    creercompteCSV_m_Click(s);
    const std::string first = readFile("ComptesAajouter.txt");
    EXPECT_NE(first.find("dupont.catherine;03052009"), std::string::npos);
    creercompteCSV_m_Click(s);
    creercompteCSV_m_Click(s);
    EXPECT_EQ(readFile("ComptesAajouter.txt"), first);
    EXPECT_EQ(ui.questionTexts().size(), 3u); // PROFS.CSV missing, each run asks for it
}

// A rewrite that cannot be made leaves the source as it was and is reported.
TEST_F(CsvSourcesTest, FailedRewriteLeavesTheSourceWhole) {
    const std::string original = "Du=pont;Catherine;3A;03/05/2009\r\n";
    writeFile("ELEVES.CSV", original);
    // Entries named like the temporary files the rewrite would use make it fail.
    for (int n = 0; n < 400; ++n)
        fs::create_directory(
            dir / ("ELEVES.CSV.tmp" + std::to_string(::getpid()) + "-" + std::to_string(n)));
    convertirBaseCSV(s);
    EXPECT_EQ(readFile("ELEVES.CSV"), original);
    EXPECT_EQ(s.job.writeErrors, std::vector<std::string>{"ELEVES.CSV"});
    EXPECT_TRUE(logSays("\r\nErreur : impossible d'écrire ELEVES.CSV"));
    EXPECT_EQ(closingLine(s, "ok"),
              ansi("Des erreurs se sont produites : certains fichiers n'ont pas été créés."));
}

TEST_F(CsvSourcesTest, WithoutTheComponentTheReplacementsAreSkippedAndSaid) {
    s.component = nullptr;
    writeFile("ELEVES.CSV", "NOM;PRENOM;NE(E) LE;SEXE;DIV.\nDUPONT;CATHERINE;=03/05/2009;F;=4A\n");
    convertirBaseCSV(s);
    const std::string said = std::string(CRLF) + component::absentMessage();
    const size_t at = s.win.Text1.find(said);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(s.win.Text1.find(said, at + 1), std::string::npos); // said once
    EXPECT_NE(readFile("ELEVES.CSV").find('='), std::string::npos);
    EXPECT_EQ(s.job.writeErrors, std::vector<std::string>{"ELEVES.CSV"});
}

TEST_F(CsvSourcesTest, WithoutTheComponentAPlainFileNeedsNoReplacement) {
    s.component = nullptr;
    writeFile("ELEVES.CSV", "Dupont;Catherine;3A;03/05/2009\r\n");
    convertirBaseCSV(s);
    EXPECT_FALSE(logSays(utf8(component::absentMessage())));
    EXPECT_TRUE(s.job.writeErrors.empty());
    EXPECT_EQ(s.win.LstTri2.size(), 1u);
}
