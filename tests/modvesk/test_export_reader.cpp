#include "export_reader.h"

#include "session_fixture.h"
#include "text.h"
#include "vandrel_client.h"

#include <gtest/gtest.h>

using namespace modvesk;

namespace {

class ExportReader : public testsupport::SessionTest {
protected:
    static std::string old(const std::string& key) {
        std::string buffer = vandrel::blanks(256);
        vandrel::presentancien(key, buffer);
        return vandrel::trimmed(buffer);
    }
    const std::string header = "#Nom;Prénom;groupe\r\n";
};

} // namespace

TEST_F(ExportReader, EachLineRegistersTheKeyAndTheSurname) {
    writeFile("EXPORT", header + "DUPONT;C;profs;c.dupont\r\n" +
                            " dupont ; Catherine ;c5a; dupont.catherine\r\n" +
                            ansi("LEFÈVRE;élodie;c4b;lefevre.elodie;x;y\r\n"));
    LoadExport(s, (dir / "EXPORT").string(), false);
    EXPECT_EQ(old("DUPONT C"), "profs c.dupont");
    EXPECT_EQ(old("DUPONT"), "C");
    EXPECT_EQ(old("DUPONT CATHERINE"), "c5a dupont.catherine");
    EXPECT_EQ(old(ansi("LEFÈVRE ÉLODIE")), "c4b lefevre.elodie");
    EXPECT_EQ(old("MARTIN LEA"), "n");
}

TEST_F(ExportReader, HeaderOnlyMissingFileAndReadOnlyRegisterNothing) {
    writeFile("EXPORT", "DUPONT;C;profs;c.dupont\r\n");
    LoadExport(s, (dir / "EXPORT").string(), false);
    EXPECT_EQ(old("DUPONT C"), "n");
    writeFile("EXPORT2", header + "DUPONT;C;profs;c.dupont\r\n");
    LoadExport(s, (dir / "EXPORT2").string(), true);
    EXPECT_EQ(old("DUPONT C"), "n");
    LoadExport(s, "", false);
    LoadExport(s, (dir / "absent").string(), false);
    EXPECT_EQ(old("DUPONT"), "n");
}
