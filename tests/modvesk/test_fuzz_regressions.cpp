// Inputs found by the fuzz targets of fuzz/ that once broke a job, kept as cases.
#include "accounts/login.h"
#include "jobs/jobs.h"

#include "clients/vandrel_client.h"
#include "session_fixture.h"

#include <gtest/gtest.h>

using namespace modvesk;
using testsupport::SessionTest;

namespace {

class FuzzRegressions : public SessionTest {
  protected:
    LoginParts build(const std::string& surname, const std::string& firstName) {
        LoginParts lp = BuildLogin(s, PersonKind::Pupil, surname, firstName, "c3a");
        vandrel::inserenom(lp.nameKey);
        return lp;
    }
};

} // namespace

// The registry compares keys on their first 52 characters: two pupils whose
// surnames share their first 51 characters once made the clash numbering count for ever.
TEST_F(FuzzRegressions, clashOfSurnamesLongerThanTheRegistrySeesEnds) {
    const std::string surname(55, 'L');
    EXPECT_EQ(build(surname, "ANNE").clashNumber, 0);
    const LoginParts second = build(surname, "ANNE");
    EXPECT_EQ(second.clashNumber, 1);
    EXPECT_EQ(second.login, std::string(55, 'l') + ".a1");
    EXPECT_EQ(build(surname + "X", "BRUNO").clashNumber, 1);
    EXPECT_EQ(fileLines("doublons.txt").size(), 2u);

    // Where the number still lies within the 52 characters, it counts on as usual.
    const std::string shorter(48, 'M');
    build(shorter, "ANNE");
    build(shorter, "ANNE");
    EXPECT_EQ(build(shorter, "ANNE").clashNumber, 2);
}

// A CSV file with NUL bytes in its names: the registry sees each key only up to
// its first NUL, and the job once hung numbering the second such pupil.
TEST_F(FuzzRegressions, csvFileWithNulBytesInNamesIsConverted) {
    const std::string row = std::string("\0\0\0\0\0NO\nDUPONT;Cla5de;15/03/E;DIVIQI", 36);
    writeFile("ELEVES.CSV", "XE;DIVIQI\r" + row + "\r" + row + "\r" + row + ";12010;M;3A\r\n");
    convertirBaseCSV(s);
    EXPECT_TRUE(hasFile("ComptesAajouter.txt"));
    EXPECT_EQ(fileLines("doublons.txt").size(), 2u);
}
