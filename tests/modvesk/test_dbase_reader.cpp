#include "sources/dbase_reader.h"

#include "corpus.h"
#include "dbf_tables.h"
#include "scripted_dialogs.h"
#include "session_fixture.h"
#include "text/files.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace modvesk;
using testsupport::dbfBytes;
using testsupport::DbfLayout;

namespace {

class DbaseReader : public testsupport::SessionTest {
  protected:
    DbaseReader() { openRegistry = false; }

    // The records a loop hands over for the table written as `name`.
    std::vector<std::string> run(char loop, const std::string& name, const std::string& bytes,
                                 Family family = Pupils) {
        writeFile(name, bytes);
        TableLayout layout;
        std::vector<std::string> records;
        if (!prepareTable(s, name, family, layout)) return records;
        auto keep = [&](std::string& r) { records.push_back(r); };
        if (loop == 'A') recordLoopA(s, name, layout, keep);
        if (loop == 'B') recordLoopB(s, name, layout, keep);
        if (loop == 'C') recordLoopC(s, name, layout, keep);
        return records;
    }
    static DbfLayout table(long n, std::set<size_t> deleted = {}, bool endByte = true) {
        DbfLayout layout;
        layout.widths = {4, 6};
        for (long i = 0; i < n; ++i)
            layout.rows.push_back({"R" + std::to_string(i + 1), "NAME"});
        layout.deleted = std::move(deleted);
        layout.endByte = endByte;
        return layout;
    }
    static long named(const std::vector<std::string>& records) {
        long n = 0;
        for (const auto& r : records)
            n += Trim(r).empty() ? 0 : 1;
        return n;
    }
};

} // namespace

TEST_F(DbaseReader, HeaderLengthIsBytesNineAndTenLittleEndian) {
    const fs::path p = dir / "h.dbf";
    std::FILE* f = std::fopen(p.c_str(), "w+b");
    ASSERT_NE(f, nullptr);
    for (long h = 0; h <= 65535; ++h) {
        const unsigned char bytes[10] = {3,
                                         0,
                                         0,
                                         0,
                                         0,
                                         0,
                                         0,
                                         0,
                                         static_cast<unsigned char>(h & 0xFF),
                                         static_cast<unsigned char>(h >> 8)};
        std::rewind(f);
        ASSERT_EQ(std::fwrite(bytes, 1, 10, f), 10u);
        std::fflush(f);
        ASSERT_EQ(longueurEntete(p), h);
    }
    std::fclose(f);
    EXPECT_EQ(longueurEntete(dir / "absent.dbf"), 0);
}

TEST_F(DbaseReader, WidthsAreThoseOfTheDescriptorsBeforeTheTerminator) {
    DbfLayout written;
    written.widths = {8, 30, 30};
    writeFile("t.dbf", dbfBytes(written));
    const TableLayout layout = readLayout(dir / "t.dbf");
    EXPECT_EQ(layout.widths, (std::vector<long>{8, 30, 30}));
    EXPECT_EQ(layout.headerLength, 129);
    EXPECT_EQ(layout.recordLength, 69);
    EXPECT_EQ(layout.descriptorsEnd, 128);

    std::string tiny(64, '\0');
    tiny[48] = 12; // H = 0: the terminator cannot lie inside the header
    writeFile("tiny.dbf", tiny);
    EXPECT_EQ(readLayout(dir / "tiny.dbf").descriptorsEnd, -1);
    EXPECT_TRUE(readLayout(dir / "tiny.dbf").widths.empty());
}

TEST_F(DbaseReader, FieldTableEndsAreRunningSumsAndPupilsGoTo115) {
    FieldTable t(257);
    t[7][Pupils].width = 99; // left over from an earlier table
    fillFieldTable(t, Pupils, {6, 30, 25});
    EXPECT_EQ(t[2][Pupils].end, 36);
    EXPECT_EQ(t[3][Pupils].end, 61);
    EXPECT_EQ(t[7][Pupils].width, 0);
    EXPECT_EQ(t[115][Pupils].end, 61);
    fillFieldTable(t, Teachers, {1, 10});
    EXPECT_EQ(t[2][Teachers].end, 11);
    EXPECT_EQ(t[3][Teachers].end, 0);
    EXPECT_EQ(t[0][Teachers].end, 0);
}

TEST_F(DbaseReader, PupilLoopHandsExactlyEveryRecord) {
    for (long n = 1; n <= 6; ++n) {
        for (bool endByte : {true, false}) {
            SCOPED_TRACE("records " + std::to_string(n) + (endByte ? " with" : " without") +
                         " the end byte");
            const auto records = run('B', "F_ELE.DBF", dbfBytes(table(n, {}, endByte)));
            EXPECT_EQ(named(records), n);
            if (n >= 2) {
                EXPECT_EQ(static_cast<long>(records.size()), n);
            }
            // A pupil record is the fields then the next deletion byte; the last one
            // without end byte is padded with a blank.
            EXPECT_EQ(records[static_cast<size_t>(n - 1)],
                      "R" + std::to_string(n) + "  NAME  " + (endByte ? "\x1A" : " "));
        }
    }
}

TEST_F(DbaseReader, DeletedRecordsAreHandedOverLikeTheOthers) {
    const auto b = run('B', "F_ELE.DBF", dbfBytes(table(4, {1, 3})));
    EXPECT_EQ(b.size(), 4u);
    EXPECT_EQ(b[0], "R1  NAME  *"); // the next record's deletion mark ends this one
    const auto a = run('A', "F_IND.DBF", dbfBytes(table(4, {1, 3})), Teachers);
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(a[1], "*R2  NAME  ");
}

TEST_F(DbaseReader, LoopAStopsAtTheEndAndDropsATruncatedRecord) {
    std::string bytes = dbfBytes(table(3));
    EXPECT_EQ(run('A', "F_AFF.DBF", bytes, Assignments).size(), 3u);
    bytes.resize(bytes.size() - 5); // the end byte and 4 bytes of the last record
    const auto a = run('A', "F_AFF.DBF", bytes, Assignments);
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[1], " R2  NAME  ");
}

TEST_F(DbaseReader, LoopCHandsEveryRecordThenOneWithoutName) {
    const auto c = run('C', "F_ELE2.DBF", dbfBytes(table(3)));
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(named(c), 3);
    EXPECT_EQ(Trim(c[3]), "");
    const auto noEnd = run('C', "F_ELE2.DBF", dbfBytes(table(3, {}, false)));
    ASSERT_EQ(noEnd.size(), 3u);
    EXPECT_EQ(noEnd[2], "R3  NAME   ");
}

TEST_F(DbaseReader, RecordsAreConvertedFromCodePage850Once) {
    DbfLayout layout;
    layout.widths = {12};
    layout.rows = {{"\x90LODIE \x82\x8A"}, {"GAR\x80ON"}}; // ÉLODIE éè, GARÇON in CP850
    const auto b = run('B', "F_ELE.DBF", dbfBytes(layout));
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0], ansi("ÉLODIE éè    "));
    EXPECT_EQ(b[1], ansi("GARÇON      \x1A"));
}

TEST_F(DbaseReader, TwoHundredFiftySixFieldsFillEveryRow) {
    DbfLayout layout;
    layout.widths.assign(256, 1);
    layout.widths[255] = 7;
    layout.rows = {std::vector<std::string>(256, "x"), std::vector<std::string>(256, "y")};
    const auto a = run('A', "F_MEN.DBF", dbfBytes(layout), GroupLinks);
    EXPECT_EQ(a.size(), 2u);
    EXPECT_EQ(s.job.fieldTable[256][GroupLinks].width, 7);
    EXPECT_EQ(s.job.fieldTable[256][GroupLinks].end, 262);
}

TEST_F(DbaseReader, MoreThan256FieldsOrAForeignHeaderAreRefusedWithALogLine) {
    DbfLayout wide;
    wide.widths.assign(257, 1);
    wide.rows = {std::vector<std::string>(257, "x")};
    EXPECT_TRUE(run('A', "F_MEN.DBF", dbfBytes(wide), GroupLinks).empty());
    EXPECT_EQ(s.job.fieldTable[1][GroupLinks].width, 0);
    EXPECT_TRUE(logSays("Table F_MEN.DBF ignorée : plus de 256 champs, aucun "
                        "enregistrement n'a été lu."));

    // The descriptors end at the first 0x0D on a 32-byte boundary: a back-link
    // area after it is skipped, whatever it holds, and the records read whole.
    DbfLayout extra = table(3);
    extra.extraHeaderBytes = 263;
    std::string bytes = dbfBytes(extra);
    bytes[32 + 64 + 1 + 16 + 32] = 9; // a stray byte where a third width would lie
    const auto read = run('B', "F_ELE.DBF", bytes);
    EXPECT_EQ(named(read), 3);
    EXPECT_EQ(s.job.fieldTable[2][Pupils].end, 10);
    EXPECT_EQ(s.job.fieldTable[3][Pupils].width, 0);

    // No terminator on any boundary inside the header: refused, in the log and the Bilan.
    bytes = dbfBytes(table(2));
    bytes[32 + 64] = 'X';
    s.job.bilan.clear();
    EXPECT_TRUE(run('B', "F_ELE.DBF", bytes).empty());
    EXPECT_TRUE(logSays("Table F_ELE.DBF ignorée : en-tête dBase non reconnu, "
                        "aucun enregistrement n'a été lu."));
    ASSERT_EQ(s.job.bilan.refusedTables.size(), 1u);
    EXPECT_EQ(s.job.bilan.refusedTables[0].reason, ansi("en-tête dBase non reconnu"));
    EXPECT_TRUE(s.job.failed());

    EXPECT_TRUE(run('A', "F_IND.DBF", std::string(20, '\0'), Teachers).empty());
}

TEST_F(DbaseReader, SampleTablesWrittenByShapelibAreReadWhole) {
    const fs::path sample = fs::path(ROLVANE_SOURCE_DIR) / "samples" / "gep" / "F_ELE.DBF";
    std::string bytes;
    ASSERT_TRUE(ReadAll(sample, bytes));
    const auto records = run('B', "F_ELE.DBF", bytes);
    ASSERT_EQ(records.size(), 36u);
    auto field = [&](const std::string& r, long k) {
        const FieldCell& c = s.job.fieldTable[k][Pupils];
        return Trim(Mid(r, s.job.fieldTable[k - 1][Pupils].end + 1, c.width));
    };
    EXPECT_EQ(field(records[0], 1), "000101");
    EXPECT_EQ(field(records[0], 2), "DUPONT");
    EXPECT_EQ(field(records[0], 5), "20120503");
    EXPECT_EQ(field(records[0], 40), "6A");
    EXPECT_EQ(field(records[5], 2), ansi("BÉRANGER"));
    EXPECT_EQ(field(records[5], 3), ansi("Élodie"));
    EXPECT_EQ(field(records[35], 1), "000136");
}

TEST_F(DbaseReader, CorpusTablesOfOtherWriters) {
    SKIP_WITHOUT_CORPUS("");
    using testsupport::corpusFile;
    struct Case {
        const char* file;
        size_t records;
    };
    for (const Case& c :
         {Case{"olemb-dbfread__people.dbf", 3}, Case{"infused-dbf__dbase_03.dbf", 14},
          Case{"GeospatialPython-pyshp__blockgroups.dbf", 663},
          Case{"OSGeo-shapelib__3dpoints.dbf", 22}, Case{"yortus-DBFFile__PYACFL.DBF", 45},
          Case{"GeospatialPython-pyshp__corrupt_too_long.dbf", 10}}) {
        SCOPED_TRACE(c.file);
        std::string bytes;
        ASSERT_TRUE(ReadAll(corpusFile(c.file), bytes));
        EXPECT_EQ(run('A', "F_AFF.DBF", bytes, Assignments).size(), c.records);
        EXPECT_EQ(run('B', "F_ELE.DBF", bytes).size(), c.records);
    }
    // A Visual FoxPro table: its back-link area lies between the descriptors and
    // the records.
    std::string bytes;
    ASSERT_TRUE(ReadAll(corpusFile("infused-dbf__dbase_30.dbf"), bytes));
    EXPECT_EQ(run('A', "F_AFF.DBF", bytes, Assignments).size(), 34u);
    EXPECT_EQ(s.job.fieldTable[1][Assignments].width, 15);
    // A table of no field at all is read, and gives nothing to cut.
    ASSERT_TRUE(ReadAll(corpusFile("infused-dbf__polygon.dbf"), bytes));
    run('A', "F_AFF.DBF", bytes, Assignments);
    EXPECT_EQ(s.job.fieldTable[1][Assignments].width, 0);
    EXPECT_TRUE(s.job.bilan.refusedTables.empty());
}
