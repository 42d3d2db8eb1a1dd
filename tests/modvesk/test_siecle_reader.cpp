// The SIECLE / STS-web reader on small documents, and the helpers of their jobs:
// codes, dates and staff passwords.
#include "accounts/builders.h"
#include "accounts/passwords.h"
#include "sources/siecle_reader.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <iconv.h>

using namespace modvesk;

namespace {

// One pupil, in the given encoding: the bytes of the names are given as they
// must lie in the file.
std::string pupilsFile(const std::string& encoding, const std::string& surname,
                       const std::string& firstName) {
    return "<?xml version=\"1.0\" encoding=\"" + encoding +
           "\"?>\n<BEE_ELEVES><PARAMETRES><UAJ>0590001A</UAJ></PARAMETRES><DONNEES><ELEVES>"
           "<ELEVE ELEVE_ID=\"7\" ELENOET=\"70\"><NOM_DE_FAMILLE>" +
           surname + "</NOM_DE_FAMILLE><NOM_USAGE/><PRENOM>" + firstName +
           "</PRENOM><DATE_NAISS>03/05/2014</DATE_NAISS><ADRESSE><LIGNE1>x</LIGNE1></ADRESSE>"
           "</ELEVE></ELEVES></DONNEES></BEE_ELEVES>\n";
}

SchoolXml parsed(const std::string& bytes) {
    SchoolXml xml;
    std::string reason;
    EXPECT_TRUE(ParseSchoolXml(bytes, xml, reason)) << reason;
    return xml;
}

// The bytes as the C library's iconv decodes them from ISO-8859-15 into UTF-8.
std::string iconvLatin9ToUtf8(std::string latin9) {
    const iconv_t cd = iconv_open("UTF-8", "ISO-8859-15");
    std::string utf8(latin9.size() * 3, '\0');
    char* in = latin9.data();
    char* out = utf8.data();
    size_t inLeft = latin9.size(), outLeft = utf8.size();
    EXPECT_NE(iconv(cd, &in, &inLeft, &out, &outLeft), static_cast<size_t>(-1));
    iconv_close(cd);
    utf8.resize(utf8.size() - outLeft);
    return utf8;
}

// A source of random bytes that counts from a start, for deterministic passwords.
unsigned char nextByte = 0;
void countingBytes(unsigned char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = nextByte++;
}

} // namespace

TEST(SiecleReader, EveryDeclaredEncodingGivesTheSameWindows1252Names) {
    // "CŒUR" / "Šárka": Œ is 0xBC and Š 0xA6 in ISO-8859-15, 0x8C and 0x8A in Windows-1252.
    const struct {
        const char* encoding;
        std::string surname, firstName;
    } files[] = {
        {"ISO-8859-15", "C\xBCUR", "\xA6\xE1rka"},
        {"UTF-8", "C\xC5\x92UR", "\xC5\xA0\xC3\xA1rka"},
        {"utf-8", "C\xC5\x92UR", "S\xCC\x8C\xC3\xA1rka"}, // Š decomposed
        {"windows-1252", "C\x8CUR", "\x8A\xE1rka"},
    };
    for (const auto& f : files) {
        const SchoolXml xml = parsed(pupilsFile(f.encoding, f.surname, f.firstName));
        ASSERT_EQ(xml.pupils.size(), 1u) << f.encoding;
        EXPECT_EQ(xml.pupils[0].birthName, "C\x8CUR") << f.encoding;
        EXPECT_EQ(xml.pupils[0].firstName, "\x8A\xE1rka") << f.encoding;
    }
    // A letter that Windows-1252 lacks becomes its plain letter.
    EXPECT_EQ(parsed(pupilsFile("UTF-8", "NGUY\xE1\xBB\x84N", "V\xC4\x83n")).pupils[0].firstName,
              "Van");
}

TEST(SiecleReader, Iso885915IsReadAsIconvDecodesIt) {
    // Every byte from 0x80 behind ASCII runs of every length up to 16, then more
    // euros than the parser decodes at once (three bytes each in UTF-8).
    std::string latin9;
    for (int b = 0x80; b <= 0xFF; ++b)
        latin9 += std::string(static_cast<size_t>(b % 17), 'a') + static_cast<char>(b);
    latin9 += std::string(100000, '\xA4') + "z";
    const SchoolXml ours = parsed(pupilsFile("ISO-8859-15", latin9, "x"));
    const SchoolXml iconvs = parsed(pupilsFile("UTF-8", iconvLatin9ToUtf8(latin9), "x"));
    ASSERT_EQ(ours.pupils.size(), 1u);
    ASSERT_EQ(iconvs.pupils.size(), 1u);
    EXPECT_EQ(ours.pupils[0].birthName, iconvs.pupils[0].birthName);
}

TEST(SiecleReader, PupilsWithTheirDivision) {
    const SchoolXml xml =
        parsed("<BEE_ELEVES><DONNEES><ELEVES>"
               "<ELEVE ELEVE_ID=\"1\" ELENOET=\"10\"><NOM_DE_FAMILLE>A</NOM_DE_FAMILLE>"
               "<NOM_USAGE>B</NOM_USAGE><PRENOM>C</PRENOM><DATE_NAISS>01/02/2013</DATE_NAISS>"
               "<DATE_SORTIE>15/03/2026</DATE_SORTIE></ELEVE>"
               "<ELEVE ELEVE_ID=\"2\"><NOM>OLD</NOM><PRENOM>D</PRENOM></ELEVE>"
               "<ELEVE ELEVE_ID=\"3\"><NOM_DE_FAMILLE>E</NOM_DE_FAMILLE></ELEVE>"
               "</ELEVES><STRUCTURES>"
               "<STRUCTURES_ELEVE ELEVE_ID=\"1\"><STRUCTURE><CODE_STRUCTURE>LAT</CODE_STRUCTURE>"
               "<TYPE_STRUCTURE>G</TYPE_STRUCTURE></STRUCTURE><STRUCTURE><CODE_STRUCTURE>4e 1"
               "</CODE_STRUCTURE><TYPE_STRUCTURE>D</TYPE_STRUCTURE></STRUCTURE><STRUCTURE>"
               "<CODE_STRUCTURE>4B</CODE_STRUCTURE><TYPE_STRUCTURE>D</TYPE_STRUCTURE></STRUCTURE>"
               "</STRUCTURES_ELEVE>"
               "<STRUCTURES_ELEVE ELEVE_ID=\" 2 \"><STRUCTURE><CODE_STRUCTURE>3A</CODE_STRUCTURE>"
               "<TYPE_STRUCTURE> d </TYPE_STRUCTURE></STRUCTURE></STRUCTURES_ELEVE>"
               "</STRUCTURES></DONNEES></BEE_ELEVES>");
    EXPECT_EQ(xml.kind, SchoolXmlKind::Pupils);
    ASSERT_EQ(xml.pupils.size(), 3u);
    const SieclePupil& p = xml.pupils[0];
    EXPECT_EQ(std::vector<std::string_view>({p.eleveId, p.elenoet, p.birthName, p.usageName,
                                             p.firstName, p.birthDate, p.leftOn, p.division}),
              std::vector<std::string_view>(
                  {"1", "10", "A", "B", "C", "01/02/2013", "15/03/2026", "4e 1"}));
    // Older files name the surname NOM; identifiers are matched trimmed.
    EXPECT_EQ(xml.pupils[1].birthName, "OLD");
    EXPECT_EQ(xml.pupils[1].elenoet, "");
    EXPECT_EQ(xml.pupils[1].division, "3A");
    EXPECT_EQ(xml.pupils[2].division, "");
}

TEST(SiecleReader, APupilsDivisionIsTheFirstFoundForHisIdInAnyOrder) {
    // Pupils' IDs, then each STRUCTURES_ELEVE as "ID:TYPE=CODE,...", then the
    // divisions the pupils get. In order of IDs, out of it, with repeated IDs.
    const struct {
        std::vector<std::string> pupils, owners, divisions;
    } cases[] = {
        {{"2", "9", "10", "11"},
         {"1:D=X", "9:G=G1,D=9A", "10:G=G2", "11:D=11A,D=11B", "12:D=Y"},
         {"", "9A", "", "11A"}},
        {{"11", "10", "9"}, {"9:D=9A", "11:D=11A"}, {"11A", "", "9A"}},
        {{"3", "5"}, {"5:D=5A", "3:D=3A"}, {"3A", "5A"}},
        {{"3", "4", "3"}, {"3:G=G1", "4:D=4A", "3:D=3A", "3:D=3B"}, {"3A", "4A", "3A"}},
        {{"4", "7"}, {"4:D=4A", "4:D=4B", "7:D=7A"}, {"4A", "7A"}},
    };
    for (const auto& c : cases) {
        std::string file = "<BEE_ELEVES><DONNEES><ELEVES>";
        for (const std::string& id : c.pupils)
            file += "<ELEVE ELEVE_ID=\"" + id + "\"/>";
        file += "</ELEVES><STRUCTURES>";
        for (const std::string& owner : c.owners) {
            file += "<STRUCTURES_ELEVE ELEVE_ID=\"" + owner.substr(0, owner.find(':')) + "\">";
            for (const std::string& s : SplitFields(owner.substr(owner.find(':') + 1), ','))
                file += "<STRUCTURE><CODE_STRUCTURE>" + s.substr(2) +
                        "</CODE_STRUCTURE><TYPE_STRUCTURE>" + s.substr(0, 1) +
                        "</TYPE_STRUCTURE></STRUCTURE>";
            file += "</STRUCTURES_ELEVE>";
        }
        const SchoolXml xml = parsed(file + "</STRUCTURES></DONNEES></BEE_ELEVES>");
        std::vector<std::string> divisions;
        for (size_t i = 0; i < xml.pupils.size(); ++i)
            divisions.emplace_back(xml.pupils[i].division);
        EXPECT_EQ(divisions, c.divisions) << c.owners[0];
    }
}

TEST(SiecleReader, WhereOneElementIsReadOnlyTheFirstOfItsNameCounts) {
    // A second UAJ, ELEVES, PRENOM, TYPE_STRUCTURE, SERVICES or ENSEIGNANTS, and a
    // PRENOM below the pupil's own, are passed over; every ELEVE, STRUCTURE,
    // SERVICE and ENSEIGNANT is read.
    const SchoolXml pupils = parsed(
        "<BEE_ELEVES><PARAMETRES><UAJ>1</UAJ><UAJ>2</UAJ></PARAMETRES><DONNEES><ELEVES>"
        "<ELEVE ELEVE_ID=\"1\"><ADRESSE><PRENOM>C</PRENOM></ADRESSE><PRENOM>A</PRENOM>"
        "<PRENOM>B</PRENOM></ELEVE><ELEVE ELEVE_ID=\"2\"/></ELEVES><ELEVES><ELEVE/></ELEVES>"
        "<STRUCTURES><STRUCTURES_ELEVE ELEVE_ID=\"1\"><STRUCTURE><CODE_STRUCTURE>G1"
        "</CODE_STRUCTURE><TYPE_STRUCTURE>G</TYPE_STRUCTURE><TYPE_STRUCTURE>D</TYPE_STRUCTURE>"
        "</STRUCTURE><STRUCTURE><CODE_STRUCTURE>3A</CODE_STRUCTURE><TYPE_STRUCTURE>D"
        "</TYPE_STRUCTURE></STRUCTURE></STRUCTURES_ELEVE></STRUCTURES></DONNEES></BEE_ELEVES>");
    EXPECT_EQ(pupils.uaj, "1");
    ASSERT_EQ(pupils.pupils.size(), 2u);
    EXPECT_EQ(pupils.pupils[0].firstName, "A");
    EXPECT_EQ(pupils.pupils[0].division, "3A");
    const SchoolXml staff = parsed(
        "<STS_EDT><DONNEES><STRUCTURE><DIVISIONS><DIVISION CODE=\"6A\"><SERVICES><SERVICE>"
        "<ENSEIGNANTS><ENSEIGNANT ID=\"1\"/></ENSEIGNANTS><ENSEIGNANTS><ENSEIGNANT ID=\"2\"/>"
        "</ENSEIGNANTS></SERVICE><SERVICE><ENSEIGNANTS><ENSEIGNANT ID=\"3\"/></ENSEIGNANTS>"
        "</SERVICE></SERVICES><SERVICES><SERVICE><ENSEIGNANTS><ENSEIGNANT ID=\"4\"/>"
        "</ENSEIGNANTS></SERVICE></SERVICES></DIVISION></DIVISIONS></STRUCTURE></DONNEES>"
        "</STS_EDT>");
    ASSERT_EQ(staff.divisions.size(), 1u);
    EXPECT_EQ(staff.divisions[0].teachers, std::vector<std::string>({"1", "3"}));
}

TEST(SiecleReader, StaffAndTheirServicesInDocumentOrder) {
    const SchoolXml xml =
        parsed("<?xml version=\"1.0\" encoding=\"UTF-8\"?><STS_EDT><DONNEES><INDIVIDUS>"
               "<INDIVIDU ID=\"9\" TYPE=\"epp\"><NOM_USAGE>X</NOM_USAGE><NOM_PATRONYMIQUE>Y"
               "</NOM_PATRONYMIQUE><PRENOM>Z</PRENOM><DATE_NAISSANCE>1970-01-02</DATE_NAISSANCE>"
               "<FONCTION>ENS</FONCTION></INDIVIDU></INDIVIDUS><STRUCTURE><DIVISIONS>"
               "<DIVISION CODE=\"6A\"><SERVICES><SERVICE><ENSEIGNANTS><ENSEIGNANT ID=\"9\"/>"
               "<ENSEIGNANT ID=\"8\"/></ENSEIGNANTS></SERVICE><SERVICE><ENSEIGNANTS>"
               "<ENSEIGNANT ID=\"7\"/></ENSEIGNANTS></SERVICE></SERVICES></DIVISION>"
               "<DIVISION CODE=\"6B\"/></DIVISIONS><GROUPES><GROUPE CODE=\"LAT\">"
               "<DIVISIONS_APPARTENANCE><DIVISION_APPARTENANCE CODE=\"6B\"/>"
               "<DIVISION_APPARTENANCE CODE=\"6A\"/></DIVISIONS_APPARTENANCE><SERVICES><SERVICE>"
               "<ENSEIGNANTS><ENSEIGNANT ID=\"8\"/></ENSEIGNANTS></SERVICE></SERVICES></GROUPE>"
               "</GROUPES></STRUCTURE></DONNEES></STS_EDT>");
    EXPECT_EQ(xml.kind, SchoolXmlKind::Staff);
    ASSERT_EQ(xml.staff.size(), 1u);
    const StsPerson& p = xml.staff[0];
    EXPECT_EQ(std::vector<std::string>(
                  {p.id, p.type, p.usageName, p.birthName, p.firstName, p.birthDate, p.function}),
              std::vector<std::string>({"9", "epp", "X", "Y", "Z", "1970-01-02", "ENS"}));
    ASSERT_EQ(xml.divisions.size(), 2u);
    EXPECT_EQ(xml.divisions[0].code, "6A");
    EXPECT_EQ(xml.divisions[0].teachers, std::vector<std::string>({"9", "8", "7"}));
    EXPECT_TRUE(xml.divisions[1].teachers.empty());
    ASSERT_EQ(xml.groups.size(), 1u);
    EXPECT_EQ(xml.groups[0].divisions, std::vector<std::string>({"6B", "6A"}));
    EXPECT_EQ(xml.groups[0].teachers, std::vector<std::string>({"8"}));
}

TEST(SiecleReader, RefusedDocumentsSayWhyInFrench) {
    const struct {
        std::string bytes, reason;
    } cases[] = {
        {"<?xml version=\"1.0\" encoding=\"FOO-BAR\"?><BEE_ELEVES/>",
         ansi("déclare un codage inconnu (FOO-BAR)")},
        {"<BEE_ELEVES>\n<DONNEES>\n</BEE_ELEVES>",
         ansi("n'est pas un fichier XML bien formé (ligne 3)")},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<BEE_ELEVES>\xE9</BEE_ELEVES>",
         ansi("n'est pas un fichier XML bien formé (ligne 2)")},
        {"", ansi("n'est pas un fichier XML bien formé (ligne 1)")},
    };
    for (const auto& c : cases) {
        SchoolXml xml;
        std::string reason;
        EXPECT_FALSE(ParseSchoolXml(c.bytes, xml, reason)) << c.bytes;
        EXPECT_EQ(reason, c.reason) << c.bytes;
    }
    SchoolXml xml;
    std::string reason;
    EXPECT_FALSE(ReadSchoolXml("/nonexistent/ElevesSansAdresses.xml", xml, reason));
    EXPECT_EQ(reason, ansi("ne peut pas être lu"));
    // Another well-formed document is no source, and no fault.
    EXPECT_TRUE(ParseSchoolXml("<OTHER><DONNEES/></OTHER>", xml, reason));
    EXPECT_EQ(xml.kind, SchoolXmlKind::Other);
}

TEST(SiecleJobHelpers, CodesAndDates) {
    for (const auto& [code, clean] : std::vector<std::pair<std::string, std::string>>{
             {"4e 1", "4E1"}, {" 3_a-b ", "3AB"}, {"6\xE8me", "6EME"}, {"", ""}})
        EXPECT_EQ(CleanStructureCode(code), clean) << code;
    for (const auto& [date, out] :
         std::vector<std::pair<std::string, std::string>>{{"03/05/2014", "20140503"},
                                                          {" 29/02/2012 ", "20120229"},
                                                          {"3/5/2014", ""},
                                                          {"2014-05-03", ""},
                                                          {"ab/cd/efgh", ""},
                                                          {"", ""}})
        EXPECT_EQ(SiecleDate(date), out) << date;
}

TEST(SiecleJobHelpers, StaffPasswordsAvoidLookAlikesWithoutBias) {
    const RandomFill saved = staffPasswordRandom;
    staffPasswordRandom = countingBytes;
    // Bytes 0..7 pick the first letters; bytes from 224 on (past the last whole
    // multiple of the 56 letters) are drawn again.
    nextByte = 0;
    EXPECT_EQ(NewStaffPassword(), "abcdefgh");
    nextByte = 216;
    EXPECT_EQ(NewStaffPassword(), "23456789"); // 216..223, then 224..231 skipped
    nextByte = 220;
    EXPECT_EQ(NewStaffPassword(), "6789abcd"); // 220..223, 224..255 skipped, 0..3
    staffPasswordRandom = saved;

    // The system's source: eight characters, none of the look-alikes.
    for (int i = 0; i < 200; ++i) {
        const std::string p = NewStaffPassword();
        ASSERT_EQ(p.size(), 8u);
        EXPECT_EQ(p.find_first_of("0O1lIo"), std::string::npos) << p;
        for (char c : p)
            EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << p;
    }
}
