// The SIECLE / STS-web jobs on the sample school through the job code, with a
// fixed random source so that the staff passwords are known.
#include "accounts/passwords.h"
#include "jobs/jobs.h"
#include "session_fixture.h"
#include "text/files.h"
#include "text/text.h"

#include <gtest/gtest.h>

using namespace modvesk;
namespace fs = std::filesystem;

namespace {

const fs::path kSamples = fs::path(ROLVANE_SOURCE_DIR) / "samples" / "siecle";
const fs::path kExpected = fs::path(ROLVANE_SOURCE_DIR) / "tests" / "modvesk" / "data";
const char* const kStaffFile = "sts_emp_0590001A_2026.xml";

unsigned char nextByte = 0;
void countingBytes(unsigned char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = nextByte++;
}

class SiecleJobs : public testsupport::SessionTest {
  protected:
    SiecleJobs() { openRegistry = false; }
    void SetUp() override {
        SessionTest::SetUp();
        for (const char* name : {"ElevesSansAdresses.xml", kStaffFile})
            fs::copy_file(kSamples / name, dir / name);
        saved_ = staffPasswordRandom;
        staffPasswordRandom = countingBytes;
        nextByte = 0;
    }
    void TearDown() override {
        staffPasswordRandom = saved_;
        SessionTest::TearDown();
    }
    void expectFiles(const std::string& run, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            std::string bytes;
            EXPECT_TRUE(ReadAll(kExpected / run / name, bytes)) << name;
            EXPECT_EQ(readFile(name), bytes) << name;
        }
    }

    // The account lines of a file: neither empty nor the header.
    long accounts(const std::string& name) const {
        long n = 0;
        for (const auto& line : fileLines(name))
            n += !line.empty() && line[0] != '#';
        return n;
    }

  private:
    RandomFill saved_ = nullptr;
};

} // namespace

TEST_F(SiecleJobs, CreationWritesEveryFileOfTheSampleSchool) {
    writeFile("doublons.txt", "last year\r\n");
    creercompteSIECLE_m_Click(s);
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_FALSE(s.job.endedEarly);
    expectFiles("siecle-create", {"ComptesAajouter.txt", "ComptesProfsAajouter.txt", "GROUPES.TXT",
                                  "doublons.txt", "troncatures.txt", "5e1.TXT"});
    EXPECT_FALSE(hasFile("ComptesAmodifier.txt"));
    EXPECT_NE(s.win.Text1.find(ansi("ElevesSansAdresses.xml : 3 élèves sans compte\r\n"
                                    "  élève 4421 : sorti le 15/03/2026\r\n"
                                    "  élève 4422 : inactif\r\n"
                                    "  élève 4423 : sans division")),
              std::string::npos)
        << s.win.Text1;
}

TEST_F(SiecleJobs, StaffOnlyWritesNoClassFileAndPupilsOnlyNoStaff) {
    fs::remove(dir / "ElevesSansAdresses.xml");
    creercompteSIECLE_m_Click(s);
    EXPECT_EQ(accounts("ComptesProfsAajouter.txt"), 12);
    EXPECT_EQ(fileLines("ComptesAajouter.txt").size(), 1u); // the header alone
    EXPECT_FALSE(hasFile("6a.TXT"));

    fs::copy_file(kSamples / "ElevesSansAdresses.xml", dir / "ElevesSansAdresses.xml");
    fs::remove(dir / kStaffFile);
    creercompteSIECLE_m_Click(s);
    EXPECT_FALSE(hasFile("ComptesProfsAajouter.txt"));
    EXPECT_EQ(accounts("ComptesAajouter.txt"), 60);
    EXPECT_TRUE(hasFile("6a.TXT"));
}

TEST_F(SiecleJobs, ChosenExportsAreCopiedIntoTheFolder) {
    fs::remove(dir / "ElevesSansAdresses.xml");
    fs::remove(dir / kStaffFile);
    ui.answer(true).chooseFile((kSamples / "ElevesSansAdresses.xml").string());
    ui.answer(false);
    creercompteSIECLE_m_Click(s);
    EXPECT_EQ(ui.questionTexts().size(), 2u);
    EXPECT_TRUE(hasFile("ElevesSansAdresses.xml"));
    EXPECT_EQ(accounts("ComptesAajouter.txt"), 60);
    EXPECT_FALSE(s.job.endedEarly);
}

TEST_F(SiecleJobs, TheBilanNamesEveryPersonLeftOutAndWhy) {
    writeFile("ElevesSansAdresses.xml",
              "<BEE_ELEVES><DONNEES><ELEVES>"
              "<ELEVE ELEVE_ID=\"1\"><NOM_DE_FAMILLE>A</NOM_DE_FAMILLE><PRENOM>B</PRENOM>"
              "<DATE_NAISS>2014-05-03</DATE_NAISS></ELEVE>"
              "<ELEVE ELEVE_ID=\"2\"><NOM_DE_FAMILLE>C</NOM_DE_FAMILLE><PRENOM> </PRENOM>"
              "<DATE_NAISS>03/05/2014</DATE_NAISS></ELEVE>"
              "<ELEVE ELEVE_ID=\"3\"><NOM_DE_FAMILLE>D</NOM_DE_FAMILLE><PRENOM>E</PRENOM>"
              "<DATE_NAISS>03/05/2014</DATE_NAISS></ELEVE>"
              "<ELEVE ELEVE_ID=\"4\"><NOM_DE_FAMILLE>F</NOM_DE_FAMILLE><PRENOM>G</PRENOM>"
              "<DATE_NAISS>03/05/2014</DATE_NAISS></ELEVE>"
              "</ELEVES><STRUCTURES>"
              "<STRUCTURES_ELEVE ELEVE_ID=\"1\"><STRUCTURE><CODE_STRUCTURE>6A</CODE_STRUCTURE>"
              "<TYPE_STRUCTURE>D</TYPE_STRUCTURE></STRUCTURE></STRUCTURES_ELEVE>"
              "<STRUCTURES_ELEVE ELEVE_ID=\"2\"><STRUCTURE><CODE_STRUCTURE>6A</CODE_STRUCTURE>"
              "<TYPE_STRUCTURE>D</TYPE_STRUCTURE></STRUCTURE></STRUCTURES_ELEVE>"
              "<STRUCTURES_ELEVE ELEVE_ID=\"3\"><STRUCTURE><CODE_STRUCTURE> inactifs "
              "</CODE_STRUCTURE><TYPE_STRUCTURE>D</TYPE_STRUCTURE></STRUCTURE></STRUCTURES_ELEVE>"
              "<STRUCTURES_ELEVE ELEVE_ID=\"4\"><STRUCTURE><CODE_STRUCTURE>6A</CODE_STRUCTURE>"
              "<TYPE_STRUCTURE>D</TYPE_STRUCTURE></STRUCTURE></STRUCTURES_ELEVE>"
              "</STRUCTURES></DONNEES></BEE_ELEVES>");
    writeFile(kStaffFile, "<STS_EDT><DONNEES><INDIVIDUS>"
                          "<INDIVIDU ID=\"9\"><NOM_USAGE> </NOM_USAGE><NOM_PATRONYMIQUE>H"
                          "</NOM_PATRONYMIQUE></INDIVIDU>"
                          "<INDIVIDU ID=\"8\"><NOM_PATRONYMIQUE>I</NOM_PATRONYMIQUE>"
                          "<PRENOM>Jean</PRENOM></INDIVIDU>"
                          "</INDIVIDUS></DONNEES></STS_EDT>");
    creercompteSIECLE_m_Click(s);
    EXPECT_EQ(accounts("ComptesAajouter.txt"), 1);
    EXPECT_EQ(accounts("ComptesProfsAajouter.txt"), 1);
    EXPECT_NE(s.win.Text1.find(ansi(std::string(kStaffFile) +
                                    " : 1 individu sans compte\r\n"
                                    "  individu 9 : prénom vide\r\n"
                                    "ElevesSansAdresses.xml : 3 élèves sans compte\r\n"
                                    "  élève 1 : date de naissance illisible\r\n"
                                    "  élève 2 : prénom vide\r\n"
                                    "  élève 3 : inactif")),
              std::string::npos)
        << s.win.Text1;
}
