// The plain XML reader against libxml2: each document it accepts, from memory or
// streamed in small blocks, reads as libxml2 reads it; the ones it gives up on
// (outside what it reads, or broken) go to libxml2 whole, reasons included.
#include "sources/siecle_reader_internal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

using namespace modvesk;

namespace {

// Every text read, in order, to compare two readings.
std::string summary(const SchoolXml& x) {
    std::string out = std::to_string(static_cast<int>(x.kind)) + '|' + x.uaj;
    for (size_t i = 0; i < x.pupils.size(); ++i) {
        const SieclePupil p = x.pupils[i];
        for (const std::string_view t : {p.eleveId, p.elenoet, p.birthName, p.usageName,
                                         p.firstName, p.birthDate, p.leftOn, p.division})
            out.append(1, '|').append(t);
    }
    for (const auto& p : x.staff)
        for (const std::string* t :
             {&p.id, &p.type, &p.usageName, &p.birthName, &p.firstName, &p.birthDate, &p.function})
            out += '|' + *t;
    for (const auto* list : {&x.divisions, &x.groups})
        for (const auto& c : *list) {
            out += '|' + c.code;
            for (const auto& d : c.divisions)
                out += ',' + d;
            for (const auto& t : c.teachers)
                out += ';' + t;
        }
    return out;
}

// A pupils' export under `declaration`: `name` is the surname's markup, `id`
// the attributes of ELEVE, `after` what follows the root element.
std::string pupils(const std::string& declaration, const std::string& name,
                   const std::string& id = "ELEVE_ID=\"1\"", const std::string& after = "\n") {
    return declaration +
           "<BEE_ELEVES>\r\n <PARAMETRES><UAJ>0590001A</UAJ></PARAMETRES>"
           "<DONNEES><ELEVES><ELEVE " +
           id + "><NOM_DE_FAMILLE>" + name +
           "</NOM_DE_FAMILLE><PRENOM>L\xC3\xA9o</PRENOM></ELEVE></ELEVES><STRUCTURES>"
           "<STRUCTURES_ELEVE ELEVE_ID=\"1\"><STRUCTURE><CODE_STRUCTURE>6A</CODE_STRUCTURE>"
           "<TYPE_STRUCTURE>D</TYPE_STRUCTURE></STRUCTURE></STRUCTURES_ELEVE></STRUCTURES>"
           "</DONNEES></BEE_ELEVES>" +
           after;
}

// Elements `depth` deep.
std::string nested(int depth) {
    std::string open, close;
    for (int i = 0; i < depth; ++i)
        open += "<D>", close += "</D>";
    return open + close;
}

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const std::string kLatin9 = "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>\n";

struct Case {
    std::string bytes;
    bool plain; // the plain reader reads it
};

const std::vector<Case> kCases = {
    // Declarations, byte order mark, encodings.
    {pupils("", "A"), true},
    {pupils("<?xml version='1.0'?>", "A"), true},
    {pupils("<?xml version = \"1.0\"\tencoding = 'utf-8'  standalone='yes' ?>", "A"), true},
    {pupils("\xEF\xBB\xBF" + kDecl, "A"), true},
    {pupils("\xEF\xBB\xBF", "A"), true},
    {pupils(kLatin9, "\xA4\xA6\xBC\xBD\xBE\xE9\x80\x9F\xFF\x7F"), true},
    {pupils("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>", "\xA4\xBC\xE9\x85"), true},
    {pupils("<?xml version=\"1.0\" encoding=\"windows-1252\"?>", "\x8C"), false},
    {pupils("\xEF\xBB\xBF" + kLatin9, "A"), false},
    {pupils("<?xml version=\"1.0\" encoding=\"UTF-\x18\"?>", "A"), false},
    {pupils("<?xml version=\"1.1\"?>", "A"), false},
    {pupils("<?xml encoding=\"UTF-8\"?>", "A"), false},
    {pupils("<?xml version=\"1.0\"encoding=\"UTF-8\"?>", "A"), false},
    {pupils(" " + kDecl, "A"), false},
    // Texts: references, line ends, sections, comments, instructions, nesting.
    {pupils(kDecl, "A&amp;B&lt;&gt;&apos;&quot;C"), true},
    {pupils(kDecl, "&#65;&#x42;&#xe9;&#x20AC;&#128512;&#0000013;&#9;"), true},
    {pupils(kLatin9, "a\r\nb\rc\n\r\r\nd \t"), true},
    {pupils(kDecl, "x]y]]z>]"), true},
    {pupils(kDecl, "A<![CDATA[<b>&amp;\r\n]]]]>B<![CDATA[]]>"), true},
    {pupils(kDecl, "A<!-- c - d <&> -->B<?pi data?>C<?pi?>"), true},
    {pupils(kDecl, "A<X a='1'>b<Y/></X >C"), true},
    {pupils(kDecl, "\xC5\x90\xE2\x82\xAC\xF0\x9F\x98\x80\xC2\x80\xEF\xBF\xBD"), true},
    {pupils(kDecl, "A]]>"), false},
    // Texts longer than 16 bytes, whatever ends their first run lying past 16 bytes.
    {pupils(kDecl, std::string(17, 'a') + "&amp;b"), true},
    {pupils(kDecl, std::string(20, 'a') + "\xC3\xA9" + std::string(20, 'b')), true},
    {pupils(kLatin9, std::string(18, 'a') + "\t\n\x7F" + std::string(18, 'b') + "]c\xE9"), true},
    {pupils(kDecl, std::string(300, 'x')), true},
    {pupils(kDecl, std::string(31, 'a') + "\x01"), false},
    {pupils(kDecl, std::string(40, 'a') + "]]>"), false},
    {pupils(kDecl, "&nbsp;"), false},
    {pupils(kDecl, "&#0;"), false},
    {pupils(kDecl, "&#xD800;"), false},
    {pupils(kDecl, "&#X41;"), false},
    {pupils(kDecl, "&#;"), false},
    {pupils(kDecl, "&#6a;"), false},
    {pupils(kDecl, "&amp"), false},
    {pupils(kDecl, "\x01"), false},
    {pupils(kLatin9, "\x0C"), false},
    {kLatin9 + "<BEE_ELEVES><X>\xE9\xA4\r\n</X></BEE_ELEVES>", true},
    {kLatin9 + "<BEE_ELEVES><X>\xE9\x01</X></BEE_ELEVES>", false},
    {kDecl + "<BEE_ELEVES><X>\xE9</X></BEE_ELEVES>", false},
    {pupils(kDecl, "\xE9t\xE9"), false},
    {pupils(kDecl, "\xC0\x80"), false},
    {pupils(kDecl, "\xED\xA0\x80"), false},
    {pupils(kDecl, "\xEF\xBF\xBE"), false},
    {pupils(kDecl, "\xF4\x90\x80\x80"), false},
    {pupils(kDecl, "\xC3"), false},
    {pupils(kDecl, "<!-- a -- b -->"), false},
    {pupils(kDecl, "<!--->-->"), false},
    {pupils(kDecl, "<?xml x?>"), false},
    {pupils(kDecl, "<?XmL x?>"), false},
    {pupils(kDecl, "<?p:i x?>"), false},
    {pupils(kDecl, "<?pi\x01?>"), false},
    {pupils(kDecl, "<!-- \xFF -->"), false},
    // Attributes.
    {pupils(kDecl, "A", "ELEVE_ID=\" 1\t2\r\n3\r4\n&#9;&#10;&#13;&lt;&quot;'>\" ELENOET='\"'"),
     true},
    {pupils(kDecl, "A", "\n ELEVE_ID = '1'\r\n  ELENOET=\"2\"  "), true},
    {pupils(kLatin9, "A", "ELEVE_ID=\"\xE9\xA4\" ELENOET=\"&amp;\""), true},
    {pupils(kDecl, "A", "ELEVE_ID=\"1\" ELEVE_ID=\"2\""), false},
    {pupils(kDecl, "A", "ELEVE_ID=\"1\"ELENOET=\"2\""), false},
    {pupils(kDecl, "A", "ELEVE_ID=\"<\""), false},
    {pupils(kDecl, "A", "ELEVE_ID=1"), false},
    {pupils(kDecl, "A", "ELEVE_ID"), false},
    {pupils(kDecl, "A", "ELEVE_ID=\"1\" xmlns=\"u\""), false},
    {pupils(kDecl, "A", "p:ELEVE_ID=\"1\" xmlns:p=\"u\""), false},
    {pupils(kDecl, "A", "ELEVE_ID=\"&bad;\""), false},
    // Elements of a short plain text, read in one go, and shapes near them read
    // by the general path.
    {pupils(kDecl, "a<X>b</X><Y></Y>\tc\n<Z>d\te\n</Z><X >f</X><X>g</X\t>"), true},
    {pupils(kDecl, "<X>" + std::string(300, 'b') + "</X><Y>c&amp;</Y><Z>\xC3\xA9</Z>"), true},
    {pupils(kDecl, "&#xe9;<X>b</X>c"), true},
    {pupils(kLatin9, "\xE9<X>b</X><![CDATA[c]]>d"), true},
    {pupils(kDecl, "<X>b</XY>"), false},
    {pupils(kDecl, "<XY>b</X>"), false},
    {pupils(kDecl, "<X>b]]></X>"), false},
    // Around the root element, and the document's shape.
    {pupils(kDecl, "A", "ELEVE_ID=\"1\"", "<!-- end -->\n<?pi x?>\r\n"), true},
    {kDecl + "<!-- c --><?pi?>\n<STS_EDT><PARAMETRES><UAJ CODE=\"U\"/></PARAMETRES><DONNEES>"
             "<INDIVIDUS><INDIVIDU ID='9' TYPE=\"epp\"><NOM_USAGE>X&#233;</NOM_USAGE>"
             "</INDIVIDU></INDIVIDUS><STRUCTURE><DIVISIONS><DIVISION CODE=\"6&amp;A\">"
             "<SERVICES><SERVICE><ENSEIGNANTS><ENSEIGNANT ID=\"9\"/></ENSEIGNANTS></SERVICE>"
             "</SERVICES></DIVISION></DIVISIONS></STRUCTURE></DONNEES></STS_EDT>",
     true},
    {kDecl + "<STS_EDT><PARAMETRES><UAJ>T</UAJ><UAJ CODE=\"U\"/></PARAMETRES><DONNEES><INDIVIDUS>"
             "<INDIVIDU ID='9'><NOM_USAGE>A</NOM_USAGE><NOM_USAGE>B</NOM_USAGE><X>y</X><PRENOM>C"
             "</PRENOM><FONCTION>ENS</FONCTION></INDIVIDU></INDIVIDUS></DONNEES></STS_EDT>",
     true},
    {"<BEE_ELEVES/>", true},
    {pupils(kDecl, "A", "ELEVE_ID=\"1\"", "x"), false},
    {pupils(kDecl, "A", "ELEVE_ID=\"1\"", "<BEE_ELEVES/>"), false},
    {pupils(kDecl, "A", "ELEVE_ID=\"1\"", "<![CDATA[x]]>"), false},
    {"x" + pupils("", "A"), false},
    {kDecl + "<!DOCTYPE BEE_ELEVES>" + pupils("", "A"), false},
    {pupils(kDecl, "A</NOM>"), false},
    {pupils(kDecl, "<NOM_DE_FAMILLX>b</NOM_DE_FAMILLE>"), false},
    {pupils(kDecl, "<ABCDE>b</ABCDX>"), false},
    {pupils(kDecl, "<\xC3\x89L>A</\xC3\x89L>"), false},
    {pupils(kDecl, "<a:b xmlns:a='u'/>"), false},
    {pupils(kDecl, "<Az_09-.zZaAyY_-.9q>x</Az_09-.zZaAyY_-.9q>"), true},
    {pupils(kDecl, "<ABCDEFGHIJKLMNOPQ:R xmlns:ABCDEFGHIJKLMNOPQ='u'/>"), false},
    {pupils(kDecl, "<ABCDEFGHIJKLMNOPQ\xC3\x89/>"), false},
    {std::string(pupils(kDecl, "A"), 0, 300), false},
    {kDecl, false},
    {"", false},
    {nested(201), false},
    {nested(200), true},
};

} // namespace

TEST(PlainXmlReader, ReadsWhatLibxml2ReadsOrLeavesItToLibxml2) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.bytes);
        SchoolXml libxml, plain, streamed, parsed;
        std::string reason, parsedReason;
        const bool read = ParseSchoolXmlWithLibxml(c.bytes, libxml, reason);
        EXPECT_EQ(ScanSchoolXml(c.bytes, plain), c.plain);
        if (c.plain) {
            EXPECT_TRUE(read) << reason;
            EXPECT_EQ(summary(plain), summary(libxml));
        }
        // Streamed in blocks cut anywhere: the same, or given up when some markup
        // or text is longer than half a block.
        for (const size_t block : {24, 61, 4096}) {
            std::string bytes = c.bytes;
            std::vector<char> buffer(block);
            std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
            const bool whole = ScanSchoolXmlFile(file, buffer, streamed);
            std::fclose(file);
            if (block == 4096) {
                EXPECT_EQ(whole, c.plain);
            }
            if (whole) {
                EXPECT_EQ(summary(streamed), summary(libxml)) << block;
            }
        }
        EXPECT_EQ(ParseSchoolXml(c.bytes, parsed, parsedReason), read);
        EXPECT_EQ(parsedReason, c.plain ? "" : reason);
        EXPECT_EQ(summary(parsed), summary(libxml));
    }
}
