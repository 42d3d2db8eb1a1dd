#include "writers/import_writer.h"

#include "expected_files.h"
#include "session_fixture.h"
#include "text/text.h"

#include <gtest/gtest.h>

using namespace modvesk;
using testsupport::kImportHeader;
namespace fs = std::filesystem;

namespace {

class ImportWriter : public testsupport::SessionTest {
  protected:
    ImportWriter() { openRegistry = false; }
    void SetUp() override {
        SessionTest::SetUp();
        writeFile("f_ele.dbf", "x");
    }
    void write(long count = 3) { WriteImportFiles(s, count, "f_ele.dbf", "f_ind.dbf", false); }
    std::string header() const { return kImportHeader + "\r\n"; }
};

const std::string kPupilA =
    "ALPHA;ANNE;c3a;alpha.anne;alpha.anne;010203;;;;;;|ALPHA ANNE ; alpha.anne";
const std::string kPupilB = "BETA;BOB;c4b;beta.bob;beta.bob;040506;;;;;;|BETA BOB ; beta.bob";
const std::string kTeacher =
    "CARRE;c;profs;carre.c;carre.c;1234567;;;c3A;;;carre.c|CARRE c ; carre.c";

} // namespace

TEST_F(ImportWriter, HeaderIsExact) {
    EXPECT_EQ(importHeader(), kImportHeader);
}

TEST_F(ImportWriter, CreationWritesPupilsAfterTheHeaderInReverseOrderAndTeachersAlone) {
    s.win.LstTri2.add(kPupilB);
    s.win.LstTri2.add(kTeacher);
    s.win.LstTri2.add(kPupilA);
    write(3);
    EXPECT_EQ(s.job.lastPersonIndex, 2);
    EXPECT_EQ(readFile("ComptesAajouter.txt"),
              header() + importPart(kPupilB) + "\r\n" + importPart(kPupilA) + "\r\n\r\n");
    EXPECT_EQ(readFile("ComptesProfsAajouter.txt"), importPart(kTeacher) + "\r\n\r\n");
    EXPECT_FALSE(hasFile("ComptesAmodifier.txt"));
    EXPECT_TRUE(logSays("\r\nCréation du fichier des comptes........"));
}

TEST_F(ImportWriter, UpdateRoutesBothListsToFourFiles) {
    s.job.UpdateMode = true;
    s.win.lstTri.add(kPupilA);
    s.win.lstTri.add(kTeacher);
    s.win.LstTri2.add(kPupilB);
    s.win.LstTri2.add(ReplaceAll(kTeacher, "CARRE", "DORE"));
    write();
    EXPECT_EQ(readFile("ComptesAajouter.txt"), header() + importPart(kPupilA) + "\r\n\r\n");
    EXPECT_EQ(readFile("ComptesProfsAajouter.txt"), importPart(kTeacher) + "\r\n\r\n");
    EXPECT_EQ(readFile("ComptesAmodifier.txt"), header() + importPart(kPupilB) + "\r\n\r\n");
    EXPECT_EQ(readFile("ComptesProfsAmodifier.txt"),
              importPart(ReplaceAll(kTeacher, "CARRE", "DORE")) + "\r\n\r\n");
}

TEST_F(ImportWriter, EmptyListsGiveTheHeaderAloneAndNoTeacherFile) {
    s.job.UpdateMode = true;
    write(0);
    EXPECT_EQ(readFile("ComptesAajouter.txt"), header());
    EXPECT_EQ(readFile("ComptesAmodifier.txt"), header());
    EXPECT_FALSE(hasFile("ComptesProfsAajouter.txt"));
    EXPECT_FALSE(hasFile("ComptesProfsAmodifier.txt"));
    EXPECT_EQ(s.job.lastPersonIndex, -1);
}

// Only the group field, lower-case "profs", makes a teacher line: a pupil whose
// password or first name reads "profs" stays in the pupils' file.
TEST_F(ImportWriter, RoutingLooksAtTheGroupForLowerCaseProfsOnly) {
    const std::string upper = "GAMMA;GUY;PROFS;gamma.guy;gamma.guy;1;;;;;;";
    const std::string password = "EPSILON;EVE;c3a;epsilon.eve;epsilon.eve;profs;;;;;;";
    const std::string firstName = "ZETA;profs;c3a;zeta.profs;zeta.profs;2;;;;;;";
    const std::string pupilInProfs = "DELTA;DAN;profs;delta.dan;delta.dan;050505;;;;;;";
    // A group that only begins or ends like it, and a line that ends at the group.
    const std::string longer = "ETA;E;profsx;eta.e;eta.e;3;;;;;;";
    const std::string shorter = "THETA;T;rofs;theta.t;theta.t;4;;;;;;";
    const std::string cut = "IOTA;I;profs";
    for (const auto& line : {upper, password, firstName, pupilInProfs, longer, shorter, cut})
        s.win.LstTri2.add(line);
    write();
    EXPECT_EQ(readFile("ComptesAajouter.txt"), header() + firstName + "\r\n" + shorter + "\r\n" +
                                                   cut + "\r\n" + upper + "\r\n" + longer + "\r\n" +
                                                   password + "\r\n\r\n");
    EXPECT_EQ(readFile("ComptesProfsAajouter.txt"), pupilInProfs + "\r\n\r\n");
}

TEST_F(ImportWriter, B2iWritesPupilsToElevesAndLeavesTeachersOut) {
    s.job.b2i = true;
    s.win.LstTri2.add(kPupilA);
    s.win.LstTri2.add(kTeacher);
    write();
    EXPECT_EQ(readFile("eleves.txt"), header() + importPart(kPupilA) + "\r\n\r\n");
    EXPECT_FALSE(hasFile("ComptesAajouter.txt"));
    EXPECT_FALSE(hasFile("ComptesProfsAajouter.txt"));
}

TEST_F(ImportWriter, CommaFormGoesToElevesOrStagiairesAndProfs) {
    s.win.version3 = false;
    s.win.LstTri2.add("BETA,BOB,c4b,040506");
    s.win.LstTri2.add("ALPHA,ANNE,c3a,010203");
    s.win.LstTri2.add("CARRE,c,profs,1234567");
    s.win.LstTri2.add("DURAND,ANNE,c5a,profs");
    write();
    EXPECT_EQ(readFile("eleves.txt"), header() + "ALPHA,ANNE,c3a,010203\r\nBETA,BOB,c4b,040506\r\n"
                                                 "DURAND,ANNE,c5a,profs\r\n");
    EXPECT_EQ(readFile("PROFS.TXT"), "CARRE,c,profs,1234567\r\n");
    long count = 1;
    WriteImportFiles(s, count, "f_ele.dbf", "", true);
    EXPECT_EQ(readFile("stagiaires.txt"), readFile("eleves.txt"));
}

TEST_F(ImportWriter, NothingIsWrittenWithoutEitherSource) {
    fs::remove(dir / "f_ele.dbf");
    s.win.LstTri2.add(kPupilA);
    s.job.lastPersonIndex = 7;
    write(3);
    EXPECT_TRUE(fs::is_empty(dir));
    EXPECT_EQ(s.job.lastPersonIndex, 7);
    writeFile("F_IND.DBF", "x"); // the second source, in another case, is enough
    write(3);
    EXPECT_TRUE(hasFile("ComptesAajouter.txt"));
}

TEST_F(ImportWriter, AFileThatCannotBeWrittenIsRecorded) {
    fs::create_directory(dir / "ComptesAajouter.txt");
    s.win.LstTri2.add(kPupilA);
    s.win.LstTri2.add(kTeacher);
    write();
    ASSERT_EQ(s.job.writeErrors.size(), 1u);
    EXPECT_EQ(s.job.writeErrors[0], "ComptesAajouter.txt");
    EXPECT_TRUE(logSays("Erreur : impossible d'écrire ComptesAajouter.txt"));
    EXPECT_EQ(readFile("ComptesProfsAajouter.txt"), importPart(kTeacher) + "\r\n\r\n");
}

TEST_F(ImportWriter, AFileReportedUnderTwoSpellingsIsListedOnce) {
    // The folder matches names without regard to case: both spellings are one file.
    s.writeFailed("ComptesAajouter.txt");
    s.writeFailed("COMPTESAAJOUTER.TXT");
    s.writeFailed("ComptesProfsAajouter.txt");
    EXPECT_EQ(s.job.writeErrors,
              (std::vector<std::string>{"ComptesAajouter.txt", "ComptesProfsAajouter.txt"}));
    EXPECT_FALSE(logSays("COMPTESAAJOUTER.TXT"));
}

TEST_F(ImportWriter, ReverseOrderStaysLinearOnALargeList) {
    for (int i = 0; i < 50000; ++i)
        s.win.LstTri2.add("P" + std::to_string(100000 + i) + ";x;c1;a;a;1;;;;;;");
    write(50000);
    const auto lines = fileLines("ComptesAajouter.txt");
    ASSERT_EQ(lines.size(), 50002u);
    EXPECT_EQ(lines[1].substr(0, 7), "P149999");
    EXPECT_EQ(lines[50000].substr(0, 7), "P100000");
    EXPECT_EQ(lines[50001], "");
}
