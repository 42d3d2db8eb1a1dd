// Hostile CSV, SCONET and EXPORT files: binary bytes, NUL bytes, a line of 10 MB
// without an end, UTF-8 with and without a byte-order mark, 100,000 rows, a SCONET
// file without its class column, EXPORT lines of every width. The jobs run to
// their closing line, ELEVES.CSV is only ever replaced whole, and an update never
// runs on an EXPORT file it cannot read.
#include "clients/component_client.h"
#include "clients/vandrel_client.h"
#include "expected_files.h"
#include "jobs/jobs.h"
#include "session_fixture.h"
#include "sources/export_reader.h"
#include "text/files.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <random>

using namespace modvesk;
using testsupport::kImportHeader;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

const std::string kDone = "Tous les fichiers textes ont été créés.";

std::string randomBytes(unsigned seed, size_t size) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// What the conversion leaves in ELEVES.CSV for a file that is not SCONET: every
// "=" deleted, every line (ended by CR LF, CR, LF or the end of the file) ended
// by CR LF, and one more CR LF.
std::string rewritten(const std::string& bytes) {
    std::string out, line;
    bool any = false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            out += line + "\r\n";
            line.clear();
            any = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            if (c != '=') line += c;
            any = true;
        }
    }
    if (any) out += line + "\r\n";
    return out + "\r\n";
}

// A surname of letters only, one for each number.
std::string letters(long i) {
    std::string name = "NOM";
    do {
        name += static_cast<char>('A' + i % 26);
        i /= 26;
    } while (i > 0);
    return name;
}

class HostileCsv : public testsupport::SessionTest {
  protected:
    HostileCsv() { openRegistry = false; }
    void SetUp() override {
        SessionTest::SetUp();
        static std::unique_ptr<component::Component> c = component::Component::create();
        s.component = c.get();
        ASSERT_NE(s.component, nullptr);
    }
    // Runs the creation job on ELEVES.CSV alone (the offer to look for PROFS.CSV
    // is answered No) and returns the number of pupil accounts written.
    long create(const std::string& eleves) {
        writeFile("ELEVES.CSV", eleves);
        ui.clear();
        creercompteCSV_m_Click(s);
        return accounts("ComptesAajouter.txt");
    }
    long accounts(const std::string& name) const {
        long n = 0;
        for (const auto& l : fileLines(name))
            n += !l.empty() && l[0] != '#';
        return n;
    }
    void expectClosed() {
        EXPECT_FALSE(s.job.endedEarly);
        EXPECT_TRUE(s.job.writeErrors.empty());
        EXPECT_TRUE(logSays(kDone));
    }
    std::string exportFile(const std::string& lines) {
        const fs::path p = elsewhere.path() / "EXPORT";
        EXPECT_TRUE(WriteBytes(p, kImportHeader + "\r\n" + lines));
        return p.string();
    }
    // The value registered for a key of last year's accounts ("n" when none).
    static std::string old(const std::string& key, size_t buffer = 256) {
        std::string b = vandrel::blanks(static_cast<long>(buffer));
        vandrel::presentancien(key, b);
        return vandrel::trimmed(b);
    }
    testsupport::TempDir elsewhere;
};

} // namespace

TEST_F(HostileCsv, BinaryBytesNamedElevesCsv) {
    for (unsigned seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE(seed);
        std::string bytes = randomBytes(seed, 1000 + seed * 4000);
        // Make sure every troublesome byte is there.
        bytes += std::string("\0=;\r\n\x1A\xFF", 7);
        create(bytes);
        expectClosed();
        EXPECT_EQ(readFile("ELEVES.CSV"), rewritten(bytes));
    }
}

// NUL bytes pass as they are; a UTF-8 file, with or without its byte order mark,
// is read and written back in Windows-1252.
TEST_F(HostileCsv, NulBytesAndUtf8ByteOrderMarks) {
    const std::string rows = "DU\0PONT;CATH\0ERINE;3A;03/05/2009\r\n"s
                             "Martin;L\xC3\xA9"
                             "a;4B;01/02/2008\r\n"s; // UTF-8 "Léa"
    const std::string& withNul = rows;
    ASSERT_EQ(withNul.find('\0'), 2u);
    for (const std::string& bom : {std::string(), std::string("\xEF\xBB\xBF")}) {
        SCOPED_TRACE(bom.empty() ? "no byte-order mark" : "byte-order mark");
        const std::string bytes = bom + withNul;
        EXPECT_EQ(create(bytes), 2);
        expectClosed();
        EXPECT_EQ(readFile("ELEVES.CSV"), "DU\0PONT;CATH\0ERINE;3A;03/05/2009\r\n"s
                                          "Martin;L\xE9"
                                          "a;4B;01/02/2008\r\n\r\n"s);
        EXPECT_NE(readFile("ComptesAajouter.txt").find("MARTIN;LEA;"), std::string::npos);
        EXPECT_TRUE(logSays("ELEVES.CSV lu comme texte UTF-8."));
    }
}

TEST_F(HostileCsv, ALineOfTenMegabytesWithoutEnd) {
    const std::string huge(10 << 20, 'x');
    EXPECT_EQ(create("Dupont;Catherine;3A;03/05/2009\r\nMartin;Paul;3A;01/02/2008;" + huge), 2);
    expectClosed();
    EXPECT_EQ(create("Dupont;Catherine;3A;03/05/2009\r\n" + huge), 1);
    expectClosed();
    EXPECT_EQ(readFile("ELEVES.CSV").size(), 32u + huge.size() + 4);
    // The same line as a surname is no person's name: that row gets no account.
    EXPECT_EQ(create("Dupont;Catherine;3A;03/05/2009\r\nM" + huge + ";Paul;3A;01/02/2008"), 1);
    expectClosed();
    EXPECT_TRUE(logSays("ligne 2 : champ trop long"));
}

TEST_F(HostileCsv, AHundredThousandRows) {
    std::string rows;
    for (long i = 0; i < 100000; ++i)
        rows += letters(i) + ";Prenom;" + (i % 2 ? "3A" : "4B") + ";03/05/2009\r\n";
    EXPECT_EQ(create(rows), 100000);
    expectClosed();
    EXPECT_EQ(s.win.classes.items(), (std::vector<std::string>{"3A", "4B"}));
}

// Rows that give no account are listed in the Bilan, so that a file of the wrong
// shape does not end with an empty import file and only the success line.
TEST_F(HostileCsv, SconetWithoutItsClassColumn) {
    const std::string noClass = "NOM;PRENOM;NE(E) LE;SEXE;DIV.\r\n"
                                "DUPONT;CATHERINE;=\"03/05/2009\";F\r\n"
                                "MARTIN;PAUL;=\"01/02/2008\";M\r\n";
    EXPECT_EQ(create(noClass), 0);
    expectClosed();
    EXPECT_TRUE(logSays("\r\nELEVES.CSV : 2 lignes sans compte\r\n"
                        "  ligne 2 : classe vide\r\n  ligne 3 : classe vide"));
    // Written back twice: once without its "=", once as a SCONET file.
    EXPECT_EQ(readFile("ELEVES.CSV"), rewritten(rewritten(noClass)));

    // Without its title the file is a plain one: the birth date is taken as the
    // class and the sex as the date, which is what the file says.
    EXPECT_EQ(create("NOM;PRENOM;NE(E) LE;SEXE\r\nDUPONT;CATHERINE;03/05/2009;F\r\n"), 2);
    expectClosed();

    // A well-formed file says nothing of the kind.
    EXPECT_EQ(create("DUPONT;CATHERINE;3A;03/05/2009\r\n\r\n  \r\n"), 1);
    EXPECT_FALSE(logSays("sans compte"));
}

TEST_F(HostileCsv, ExportLinesOfEveryWidth) {
    vandrel::creationCarnet();
    std::string wide = "WIDE;W;g1;wide.w";
    for (int i = 4; i < 200; ++i)
        wide += ";f" + std::to_string(i);
    const std::string surname50(50, 'S');
    const std::string value300 = "3A " + std::string(297, 'l');
    const std::string file = exportFile("\r\n"            // 0 fields
                                        "SEUL\r\n"        // 1 field
                                        "TROIS;T;3B\r\n"  // 3 fields
                                        + wide + "\r\n" + // 200 fields
                                        surname50 + ";A;4C;long.key\r\n" + "LONGUE;VALEUR;3A;" +
                                        std::string(297, 'l') + "\r\n");
    LoadExport(s, file, false);
    EXPECT_EQ(old("SEUL"), "");
    EXPECT_EQ(old("TROIS T"), "3B");
    EXPECT_EQ(old("WIDE W"), "g1 wide.w");
    // The key of 52 characters, and a longer one that agrees with it.
    EXPECT_EQ(old(surname50 + " A"), "4C long.key");
    EXPECT_EQ(old(surname50 + " AB"), "4C long.key");
    EXPECT_EQ(old(surname50 + " B"), "n");
    EXPECT_EQ(old("LONGUE VALEUR", 1024), value300);
    vandrel::fermercarnet();
}

// A pupil whose account on the server has a value too long for the first answer
// buffer keeps that account: he is not taken for a new pupil nor given an empty login.
TEST_F(HostileCsv, UpdateWithALongServerValue) {
    const std::string login(297, 'l');
    writeFile("PROFS.CSV", "");
    writeFile("ELEVES.CSV", "Longue;Valeur;3A;03/05/2009\r\nNeuf;Paul;3A;01/02/2008\r\n");
    ui.chooseFile(exportFile("LONGUE;VALEUR;c3a;" + login + "\r\n"));
    msjcmptcsv_m_Click(s);
    expectClosed();
    EXPECT_EQ(readFile("ComptesAmodifier.txt"),
              kImportHeader + "\r\nLONGUE;VALEUR;c3a;" + login + ";" + login + ";;;;;;;\r\n\r\n");
    EXPECT_EQ(accounts("ComptesAajouter.txt"), 1);
}

// An empty EXPORT lists no account of the server: the update stops rather than
// count everyone new.
TEST_F(HostileCsv, UpdateOnAnEmptyExportStops) {
    writeFile("PROFS.CSV", "");
    writeFile("ELEVES.CSV", "Dupont;Catherine;3A;03/05/2009\r\n");
    const fs::path empty = elsewhere.path() / "EXPORT";
    ASSERT_TRUE(WriteBytes(empty, ""));
    ui.chooseFile(empty.string());
    msjcmptcsv_m_Click(s);
    EXPECT_TRUE(s.job.endedEarly);
    EXPECT_EQ(accounts("ComptesAajouter.txt"), 0);
}

// An update against an EXPORT path that is a folder (or no file at all) would
// take every pupil for a new one: it stops before anything is deleted.
TEST_F(HostileCsv, UpdateOnAFolderNamedAsExportStops) {
    writeFile("PROFS.CSV", "");
    writeFile("ELEVES.CSV", "Dupont;Catherine;3A;03/05/2009\r\n");
    writeFile("ComptesAajouter.txt", "last year\r\n");
    for (const fs::path& wrong : {elsewhere.path(), elsewhere.path() / "absent"}) {
        SCOPED_TRACE(wrong.string());
        ui.clear();
        ui.chooseFile(wrong.string());
        msjcmptcsv_m_Click(s);
        const std::string said =
            "Le fichier EXPORT est introuvable ou illisible : " + wrong.string() +
            ". La mise à jour n'a pas été faite.";
        EXPECT_EQ(ui.messageTexts().back(), ansi(said));
        EXPECT_TRUE(logSays(said));
        EXPECT_TRUE(s.job.endedEarly);
        EXPECT_EQ(readFile("ComptesAajouter.txt"), "last year\r\n");
    }
}
