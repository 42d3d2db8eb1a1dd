#include "sources/export_reader.h"

#include "clients/vandrel_client.h"
#include "session_fixture.h"
#include "text/text.h"

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

// Fields are cut at ";" with the blanks around them left out (a last field keeps
// the blanks after it); missing fields are empty.
TEST_F(ExportReader, FieldsAreCutAtSemicolonsAndBlanksLeftOut) {
    struct Case {
        const char* line;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"  MARTIN  ;  lea ; c3a ;  martin.lea", "MARTIN LEA", "c3a martin.lea"},
        {"MARTIN;x;y;z", "MARTIN", "LEA"}, // the surname alone: its first line
        {"DURAND;;c2b;durand", "DURAND", "c2b durand"},
        {"PETIT;Jean", "PETIT", "JEAN"},
        {"  ;Anne;c1;x", "ANNE", "c1 x"},
        {"SEUL", "SEUL", ""},
        {"ROUX;Ines;c6;roux.ines;;;", "ROUX INES", "c6 roux.ines"},
    };
    std::string text = header;
    for (const Case& c : cases)
        text += std::string(c.line) + "\r\n";
    writeFile("EXPORT", text);
    LoadExport(s, (dir / "EXPORT").string(), false);
    for (const Case& c : cases)
        EXPECT_EQ(old(c.key), c.value) << c.line;
}

// The identifier is field 14, trimmed ("42" when the line has one); the count of
// fields stops one past it.
TEST(CutExportLine, CountsFieldsUpToOnePastTheIdentifier) {
    const std::string to13 = "A;B;c1;a.b;x;;;;;;;;"; // 13 fields, the last one empty
    const std::pair<std::string, int> cases[] = {{"A;B;c1;a.b;", 5},  {to13, 13},
                                                 {to13 + ";", 14},    {to13 + "; 42 ", 14},
                                                 {to13 + ";42;", 15}, {to13 + ";42;;;;", 15}};
    for (const auto& [text, fields] : cases) {
        const ExportLine line = CutExportLine(text);
        EXPECT_EQ(line.fields, fields) << text;
        EXPECT_EQ(line.identifier, text.find("42") == std::string::npos ? "" : "42") << text;
    }
}
