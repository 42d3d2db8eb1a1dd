#include "sources/export_reader.h"

#include "clients/vandrel_client.h"
#include "session_fixture.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

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

namespace {

// The fields of one line cut the plain way: split at every ";", each trimmed.
ExportLine plainCut(std::string_view text) {
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t end = std::min(text.find(';', start), text.size());
        parts.push_back(TrimView(text.substr(start, end - start)));
        if (end == text.size()) break;
        start = end + 1;
    }
    const auto part = [&parts](size_t n) { return n <= parts.size() ? parts[n - 1] : ""; };
    ExportLine line{part(1), part(2), part(3), part(4), part(ExportLine::kIdentifierField)};
    line.fields =
        static_cast<int>(std::min<size_t>(parts.size(), ExportLine::kIdentifierField + 1));
    const size_t last = text.find_last_not_of(' ');
    line.trailingBlanks = static_cast<unsigned>(text.size() - (last == text.npos ? 0 : last + 1));
    return line;
}

} // namespace

// The lines of a whole text, cut in one walk over its bytes, are the lines
// NextLineView finds, each cut into the fields a plain split at ";" gives, for
// every line end, separators on either side of an eight- and a sixteen-byte
// boundary and bytes above 0x7F.
TEST(CutExportLine, AWholeTextIsCutAsItsLinesOneByOne) {
    const std::string wide = "  LONGUE ; valeur;c1 ;l.v ;a;b;c;d;e;f;g;h;i; id 7 ;x;y;z  ";
    // Lines of 0 to 40 bytes, a ";" every third byte and a blank every fifth,
    // each end of line in turn: ";" and line ends fall at every place of a block.
    std::string shifted;
    for (size_t n = 0; n <= 40; ++n) {
        for (size_t i = 0; i < n; ++i)
            shifted += i % 3 == 2 ? ';' : i % 5 == 4 ? ' ' : static_cast<char>('a' + i % 26);
        shifted += n % 3 == 0 ? "\r\n" : n % 3 == 1 ? "\n" : "\r";
    }
    const std::string texts[] = {
        "A;B;c1;a.b\r\nC;D\rE;F\nG;H;g;h\r\n",
        "\r\n\r\r\n\n;;;\n  \n" + wide + "\r" + wide,
        ansi("ÉLÈVE;ß;ÿ;é.x") + "\xBB;\x8B;\xBB\xBB.\x8D\n;\r;\n;;\r\n" + wide + " \r\n",
        "12345678;1234567;123456789;;;;;;;;;;;;;;;;\r\n1234567\r\n12345678\r\n123456789",
        shifted,
        shifted.substr(7),
    };
    for (const std::string& text : texts) {
        std::vector<ExportLine> expected;
        std::string_view line;
        for (size_t pos = 0; NextLineView(text, pos, line);)
            expected.push_back(plainCut(line));
        const std::vector<ExportLine> lines = CutExportLines(text);
        ASSERT_EQ(lines.size(), expected.size()) << text;
        for (size_t i = 0; i < lines.size(); ++i) {
            const ExportLine &a = lines[i], &b = expected[i];
            EXPECT_EQ(std::tie(a.surname, a.firstName, a.group, a.login, a.identifier, a.fields,
                               a.trailingBlanks),
                      std::tie(b.surname, b.firstName, b.group, b.login, b.identifier, b.fields,
                               b.trailingBlanks))
                << text << " line " << i;
        }
    }
}
