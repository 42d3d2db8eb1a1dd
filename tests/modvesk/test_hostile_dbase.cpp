// Hostile GEP tables dropped into the program's directory: damaged headers,
// extreme field layouts, empty and random files, tables of other dBase
// dialects. The creation job always runs to its closing line, says in the log
// box and in its Bilan why a table was not read (and then ends with its error
// line), and never touches the tables themselves.
#include "corpus.h"
#include "dbf_tables.h"
#include "jobs/jobs.h"
#include "session_fixture.h"
#include "text/files.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace modvesk;
using testsupport::dbfBytes;
using testsupport::DbfLayout;
using testsupport::pupilTable;

namespace {

const fs::path kSamples = fs::path(ROLVANE_SOURCE_DIR) / "samples" / "gep";
const std::string kDone = "Tous les fichiers textes ont été créés.";
const std::string kNotDbase3 =
    "Table F_ELE.DBF ignorée : en-tête dBase non reconnu, aucun enregistrement n'a été lu.";
const std::string kError = "Des erreurs se sont produites : certains fichiers n'ont pas été créés.";
const std::string kTooMany =
    "Table F_ELE.DBF ignorée : plus de 256 champs, aucun enregistrement n'a été lu.";

std::string sampleBytes(const std::string& name) {
    std::string bytes;
    ReadAll(kSamples / name, bytes);
    return bytes;
}

std::string randomBytes(unsigned seed, size_t size) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

void put16(std::string& bytes, size_t at, unsigned value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
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

// A pupil table with `n` pupils of class 3A.
std::string pupils(long n) {
    std::vector<std::vector<std::string>> rows;
    for (long i = 0; i < n; ++i)
        rows.push_back({std::to_string(100 + i), letters(i), "PRENOM", "20100503", "3A"});
    return dbfBytes(pupilTable(rows));
}

class HostileDbase : public testsupport::SessionTest {
  protected:
    HostileDbase() { openRegistry = false; }

    // Runs the creation job on a directory that holds only F_ELE.DBF (the offer
    // to look for F_IND.DBF is answered No). Returns the pupil lines written.
    long createFrom(const std::string& bytes) {
        writeFile("F_ELE.DBF", bytes);
        ui.clear();
        s.win.Text1.clear();
        Genfich_M_Click(s);
        EXPECT_EQ(readFile("F_ELE.DBF"), bytes) << "the table itself is never touched";
        return accountLines();
    }
    long accountLines() const {
        const auto lines = fileLines("ComptesAajouter.txt");
        long n = 0;
        for (const auto& l : lines)
            n += !l.empty() && l[0] != '#';
        return n;
    }
    // The job reached its end and said so.
    void expectClosed() {
        EXPECT_FALSE(s.job.endedEarly);
        EXPECT_TRUE(s.job.writeErrors.empty());
        EXPECT_TRUE(logSays(kDone));
    }
    // The job reached its end, having refused the pupil table for `why`.
    void expectRefused(const std::string& why) {
        EXPECT_FALSE(s.job.endedEarly);
        EXPECT_TRUE(s.job.writeErrors.empty());
        EXPECT_EQ(s.job.bilan.refusedTables.size(), 1u);
        EXPECT_TRUE(logSays(why));
        EXPECT_TRUE(logSays(kError));
    }
    // The job reached its end: with its success line, or with its error line when
    // a table was refused.
    void expectEnded() {
        EXPECT_FALSE(s.job.endedEarly);
        EXPECT_TRUE(s.job.writeErrors.empty());
        EXPECT_TRUE(logSays(s.job.bilan.refusedTables.empty() ? kDone : kError));
    }
};

} // namespace

TEST_F(HostileDbase, DamagedHeadersAreRefusedWithALogLine) {
    const std::string sample = sampleBytes("F_ELE.DBF");
    ASSERT_FALSE(sample.empty());
    const long h = static_cast<unsigned char>(sample[8]) | static_cast<unsigned char>(sample[9])
                                                               << 8;
    struct Case {
        const char* what;
        std::function<std::string()> bytes;
    };
    const std::vector<Case> cases = {
        {"empty file", [] { return std::string(); }},
        {"header cut at 9 bytes", [&] { return sample.substr(0, 9); }},
        {"header cut at 40 bytes", [&] { return sample.substr(0, 40); }},
        {"header cut before its end", [&] { return sample.substr(0, static_cast<size_t>(h - 1)); }},
        {"header length 0",
         [&] {
             std::string b = sample;
             put16(b, 8, 0);
             return b;
         }},
        {"header length 65535",
         [&] {
             std::string b = sample;
             put16(b, 8, 65535);
             return b;
         }},
        {"descriptors that run past the end of the file",
         [&] {
             std::string b = pupils(1).substr(0, 32 + 32 * 5);
             put16(b, 8, 32 + 32 * 50 + 1);
             return b;
         }},
        {"header length inside the descriptors",
         [&] {
             std::string b = sample;
             put16(b, 8, 32 + 32 * 3 + 7);
             return b;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(createFrom(c.bytes()), 0);
        expectRefused(kNotDbase3);
    }
    // A header length past the descriptors' end: what lies between is skipped,
    // here the sample's records, and the blanks after it read as no pupil.
    std::string far = sample;
    put16(far, 8, 65535);
    far.resize(70000, ' ');
    EXPECT_EQ(createFrom(far), 0);
    expectClosed();
}

TEST_F(HostileDbase, ExtremeLayoutsAreReadOrRefusedWhole) {
    // 255-byte fields: every field the width a length byte can hold.
    DbfLayout wide =
        pupilTable({{"101", std::string(255, 'L'), std::string(255, 'P'), "20100503", "3A"},
                    {"102", "MARTIN", "LEA", "20100503", "3A"}});
    wide.widths.assign(42, 255);
    for (auto& row : wide.rows)
        row[39] = "3A";
    // A name of 255 letters is no person's: that record gets no account.
    EXPECT_EQ(createFrom(dbfBytes(wide)), 1);
    expectClosed();
    EXPECT_TRUE(logSays("enregistrement 1 : champ trop long"));

    // 256 fields fill the field table; 257 are refused.
    DbfLayout many = pupilTable({{"101", "MARTIN", "LEA", "20100503", "3A"}});
    many.widths.resize(256, 1);
    for (auto& row : many.rows)
        row.resize(256, "x");
    EXPECT_EQ(createFrom(dbfBytes(many)), 1);
    expectClosed();
    many.widths.push_back(1);
    for (auto& row : many.rows)
        row.push_back("x");
    EXPECT_EQ(createFrom(dbfBytes(many)), 0);
    expectRefused(kTooMany);
    DbfLayout thousand = many;
    thousand.widths.resize(1000, 1);
    for (auto& row : thousand.rows)
        row.resize(1000, "x");
    EXPECT_EQ(createFrom(dbfBytes(thousand)), 0);
    expectRefused(kTooMany);

    // A record length of 1: one field of width 0, a thousand one-byte records.
    DbfLayout one;
    one.widths = {0};
    one.rows.assign(1000, std::vector<std::string>{""});
    EXPECT_EQ(createFrom(dbfBytes(one)), 0);
    expectClosed();
}

TEST_F(HostileDbase, ZeroOneAndManyRecords) {
    for (long n : {0L, 1L, 2L, 3L, 700L}) {
        SCOPED_TRACE(n);
        for (bool endByte : {true, false}) {
            std::string bytes = pupils(n);
            if (!endByte) bytes.pop_back();
            EXPECT_EQ(createFrom(bytes), n);
            expectClosed();
        }
    }
}

TEST_F(HostileDbase, RandomBytesUnderEveryTableName) {
    for (const auto& e : fs::directory_iterator(kSamples))
        fs::copy_file(e.path(), dir / e.path().filename(), fs::copy_options::overwrite_existing);
    s.win.txtrne1 = "0590001A";
    for (const char* name : {"F_ELE.DBF", "F_IND.DBF", "F_AFF.DBF", "F_GPD.DBF", "F_MEN.DBF"}) {
        const std::string kept = sampleBytes(name);
        for (unsigned seed = 1; seed <= 12; ++seed) {
            const size_t size = seed * seed * 97 % 20000;
            SCOPED_TRACE(std::string(name) + " seed " + std::to_string(seed));
            std::string bytes = randomBytes(seed, size);
            if (seed % 3 == 0 && bytes.size() > 10) put16(bytes, 8, 33 + seed); // a small H
            writeFile(name, bytes);
            s.win.Text1.clear();
            Genfich_M_Click(s);
            expectEnded();
            EXPECT_EQ(readFile(name), bytes);
        }
        writeFile(name, kept);
    }
}

// A dBase II table (16-byte descriptors, no header length at bytes 9 and 10) is
// refused; a Visual FoxPro table (a back-link area after the descriptors) is read.
TEST_F(HostileDbase, OtherDialects) {
    std::string dbase2(8 + 16 * 3 + 1, '\0');
    dbase2[0] = 0x02;
    put16(dbase2, 1, 2);  // records
    put16(dbase2, 6, 40); // record length
    const char* names[] = {"NOM", "PRENOM", "CLASSE"};
    for (int k = 0; k < 3; ++k) {
        dbase2.replace(8 + 16 * k, std::string(names[k]).size(), names[k]);
        dbase2[8 + 16 * k + 11] = 'C';
        dbase2[8 + 16 * k + 12] = static_cast<char>(k == 2 ? 6 : 16);
    }
    dbase2[8 + 16 * 3] = 0x0D;
    dbase2 += " DUPONT          CATHERINE       3A    ";
    dbase2 += " MARTIN          LEA             3A    ";
    dbase2 += '\x1A';
    EXPECT_EQ(createFrom(dbase2), 0);
    expectRefused(kNotDbase3);

    const std::string foxpro = "infused-dbf__dbase_30.dbf";
    SKIP_WITHOUT_CORPUS(foxpro);
    std::string bytes;
    ASSERT_TRUE(ReadAll(testsupport::corpusFile(foxpro), bytes));
    createFrom(bytes);
    expectClosed();
    EXPECT_TRUE(s.job.bilan.refusedTables.empty());
}
