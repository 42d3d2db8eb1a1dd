#include "jobs/job_steps.h"
#include "model/model.h"
#include "text/files.h"
#include "text/source_text.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace modvesk;

namespace {

class FilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "rolvane-files-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string read(const std::string& name) {
        std::string bytes;
        EXPECT_TRUE(ReadAll(dir / name, bytes));
        return bytes;
    }
    std::vector<std::string> onDisk() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path dir;
};

} // namespace

TEST_F(FilesTest, NamesMatchWithoutRegardToCase) {
    ASSERT_TRUE(WriteLine(false, dir / "ComptesAajouter.txt", "x"));
    ASSERT_TRUE(WriteLine(true, dir / "comptesaajouter.TXT", "y"));
    EXPECT_EQ(onDisk(), std::vector<std::string>{"ComptesAajouter.txt"});
    EXPECT_EQ(read("COMPTESAAJOUTER.txt"), "x\r\ny\r\n");
    EXPECT_TRUE(FileExists(dir / "comptesAajouter.txt"));
    EXPECT_EQ(resolveName(dir, "comptesAajouter.txt"), dir / "ComptesAajouter.txt");
    EXPECT_EQ(resolveName(dir, "new.txt"), dir / "new.txt");
    EXPECT_TRUE(DeleteFileIfExists(dir / "comptesAajouter.txt"));
    EXPECT_TRUE(onDisk().empty());
    EXPECT_TRUE(DeleteFileIfExists(dir / "absent.txt"));
}

TEST_F(FilesTest, AccentedNamesUseTheCodePageCaseTable) {
    ASSERT_TRUE(WriteBytes(dir / ansi("élèves.csv"), "a"));
    EXPECT_TRUE(FileExists(dir / ansi("ÉLÈVES.CSV")));
    EXPECT_EQ(resolvePath(dir / ansi("ÉlÈves.csv")), dir / ansi("élèves.csv"));
}

TEST_F(FilesTest, FileExistsFailsOnEmptyMissingAndFolders) {
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(dir / "none"));
    EXPECT_FALSE(FileExists(dir));
    fs::create_directory(dir / "sub");
    EXPECT_FALSE(FileExists(dir / "SUB"));
}

TEST_F(FilesTest, WriteFailuresAreReported) {
    EXPECT_FALSE(WriteLine(true, dir / "missing" / "a.txt", "x"));
    EXPECT_FALSE(WriteBytes(dir / "missing" / "a.txt", "x"));
    EXPECT_FALSE(ReplaceFileContents(dir / "missing" / "a.txt", "x"));
    std::string bytes;
    EXPECT_FALSE(ReadAll(dir / "missing.txt", bytes));
    EXPECT_FALSE(CopyFileOver(dir / "missing.txt", dir / "b.txt"));
}

TEST_F(FilesTest, ReplaceAndCopyKeepTheExistingSpelling) {
    ASSERT_TRUE(WriteBytes(dir / "ELEVES.CSV", "old"));
    ASSERT_TRUE(ReplaceFileContents(dir / "eleves.csv", "new\r\n"));
    EXPECT_EQ(onDisk(), std::vector<std::string>{"ELEVES.CSV"});
    EXPECT_EQ(read("ELEVES.CSV"), "new\r\n");
    ASSERT_TRUE(WriteBytes(dir / "F_ELE.DBF", "dbf"));
    ASSERT_TRUE(CopyFileOver(dir / "ELEVES.CSV", dir / "f_ele.dbf"));
    EXPECT_EQ(read("F_ELE.DBF"), "new\r\n");
    EXPECT_EQ(onDisk().size(), 2u);
}

TEST_F(FilesTest, LineReaderEndsLinesAtCrLfCrOrLf) {
    std::string text = "a\r\nb\rc\nd\r\n\r\n";
    text += std::string(70000, 'x') + "\r"; // a line across the reader's buffer
    text += "\nlast";
    ASSERT_TRUE(WriteBytes(dir / "in.txt", text));
    LineReader r(dir / "IN.TXT");
    ASSERT_TRUE(r.isOpen());
    std::vector<std::string> lines;
    std::string line;
    while (r.next(line))
        lines.push_back(line);
    std::vector<std::string> want = {"a", "b", "c", "d", "", std::string(70000, 'x'), "last"};
    EXPECT_EQ(lines, want);
    LineReader none(dir / "none.txt");
    EXPECT_FALSE(none.isOpen());
    EXPECT_FALSE(none.next(line));

    // Read a block at a time, the same bytes in order; nothing from a folder.
    std::string blocks;
    EXPECT_TRUE(ReadInBlocks(dir / "IN.txt", [&](std::string_view b) { blocks += b; }));
    EXPECT_EQ(blocks, text);
    EXPECT_FALSE(ReadInBlocks(dir, [](std::string_view) {}));
    EXPECT_FALSE(ReadInBlocks(dir / "none.txt", [](std::string_view) {}));
}

// The lines of a source handed on ended by CR LF, whether the text was written so
// (handed on as it is) or not: each line end at every place of the first three
// sixteen-byte blocks.
TEST_F(FilesTest, LinesAreHandedOnEndedByCrLf) {
    for (size_t lead = 0; lead < 40; ++lead)
        for (const char* tail : {"\r\n", "\n", "\r", "\r\r\n", "\n\r\n", "x\r\n\r\n", "\r\nx"}) {
            const std::string text = std::string(lead, 'a') + tail + "z\r\n";
            ASSERT_TRUE(WriteBytes(dir / "in.txt", text));
            std::string want;
            std::string_view line;
            for (size_t pos = 0; NextLineView(text, pos, line);)
                want.append(line).append("\r\n");
            LineReader r(dir / "in.txt");
            EXPECT_EQ(r.restAsCrlfLines(), want) << testing::PrintToString(text);
        }
}

TEST_F(FilesTest, ListFilesMatchesPatternsWithoutRegardToCase) {
    for (const char* n : {"b.TXT", "a.txt", "F_ELE.DBF", "eleves.csv", "x.doc"})
        ASSERT_TRUE(WriteBytes(dir / n, ""));
    fs::create_directory(dir / "dir.txt");
    EXPECT_EQ(ListFiles(dir, "*.txt"), (std::vector<std::string>{"a.txt", "b.TXT"}));
    EXPECT_EQ(ListFiles(dir, "*.dbf;*.csv"), (std::vector<std::string>{"eleves.csv", "F_ELE.DBF"}));
    EXPECT_EQ(ListFiles(dir, "?.*"), (std::vector<std::string>{"a.txt", "b.TXT", "x.doc"}));
}

TEST(Files, PlainFileNames) {
    EXPECT_TRUE(IsPlainFileName("3a.TXT"));
    EXPECT_FALSE(IsPlainFileName(""));
    EXPECT_FALSE(IsPlainFileName("."));
    EXPECT_FALSE(IsPlainFileName(std::string("\0\0.TXT", 6)));
    EXPECT_FALSE(IsPlainFileName(".."));
    EXPECT_FALSE(IsPlainFileName("a/b"));
    EXPECT_FALSE(IsPlainFileName("a\\b"));
    EXPECT_FALSE(IsPlainFileName("c:x"));
}

// ---- Files written a line at a time ---------------------------------------------

// The bytes of a job's reports are those of one WriteLine per line, whether the
// lines go through one open file or not, and whatever the spelling of the name.
TEST_F(FilesTest, LineFilesWriteTheBytesOfOneWriteLinePerLine) {
    const std::vector<std::pair<std::string, std::string>> lines = {
        {"doublons.txt", "DUPONT C1  ->  DUPONT  CLAUDE  c6a"},
        {"troncatures.txt", "A -> troncature ->  a.b  c6a"},
        {"DOUBLONS.TXT", ""},
        {"doublons.txt", std::string(70000, 'x')}, // more than the buffer holds
        {"Doublons.txt", ansi("CŒUR a1  ->  CŒUR  agnès  ")},
    };
    ASSERT_TRUE(WriteLine(false, dir / "Troncatures.TXT", "before")); // kept, appended to
    const fs::path expected = dir / "expected";
    fs::create_directory(expected);
    ASSERT_TRUE(WriteLine(false, expected / "Troncatures.TXT", "before"));
    LineFiles files;
    for (const auto& [name, text] : lines) {
        EXPECT_TRUE(files.append(dir, name, text));
        ASSERT_TRUE(WriteLine(true, expected / name, text));
    }
    EXPECT_TRUE(files.close().empty());
    EXPECT_TRUE(files.empty());
    EXPECT_EQ(read("doublons.txt"), read("expected/doublons.txt"));
    EXPECT_EQ(read("Troncatures.TXT"), read("expected/Troncatures.TXT"));
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"Troncatures.TXT", "doublons.txt", "expected"}));
    // After close, the next line opens the file again and goes on at its end.
    EXPECT_TRUE(files.append(dir, "doublons.txt", "again"));
    EXPECT_TRUE(files.close().empty());
    EXPECT_EQ(read("doublons.txt"), read("expected/doublons.txt") + "again\r\n");
}

// A file that cannot be opened refuses every line; one whose writes fail (a full
// device) is named when it is closed, and takes no further line once a write failed.
TEST_F(FilesTest, LineFilesReportWhatCouldNotBeWritten) {
    fs::create_directory(dir / "doublons.txt");
    LineFiles files;
    EXPECT_FALSE(files.append(dir, "doublons.txt", "a"));
    EXPECT_FALSE(files.append(dir, "DOUBLONS.txt", "b"));
    EXPECT_TRUE(files.append(dir, "troncatures.txt", "c"));
    EXPECT_EQ(files.close(), std::vector<std::string>{"doublons.txt"});
    EXPECT_EQ(read("troncatures.txt"), "c\r\n");

    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    EXPECT_TRUE(files.append("/dev", "full", "buffered")); // nothing written yet
    EXPECT_EQ(files.close(), std::vector<std::string>{"full"});
    EXPECT_TRUE(files.append("/dev", "full", "short"));
    EXPECT_FALSE(files.append("/dev", "full", std::string(70000, 'x'))); // the buffer is written
    EXPECT_FALSE(files.append("/dev", "full", "after"));
    EXPECT_EQ(files.close(), std::vector<std::string>{"full"});
}

// A job's reports are written out when the job ends, by whatever path; one that
// could not be written makes the job's closing line the error line.
TEST_F(FilesTest, JobReportsAreWrittenOutWhenTheJobEnds) {
    Session s;
    s.dir = dir;
    {
        const JobFiles reports = startJob(s);
        EXPECT_TRUE(s.appendLine("doublons.txt", "a"));
        EXPECT_TRUE(s.appendLine("DOUBLONS.TXT", "b"));
    } // the job returns early
    EXPECT_EQ(read("doublons.txt"), "a\r\nb\r\n");
    EXPECT_TRUE(s.job.writeErrors.empty());

    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    s.dir = "/dev";
    const JobFiles reports = startJob(s);
    EXPECT_TRUE(s.appendLine("full", "x")); // still in the buffer
    closeJob(s, "Tous les fichiers ont \xe9t\xe9 cr\xe9\xe9s.", false);
    EXPECT_EQ(s.job.writeErrors, std::vector<std::string>{"full"});
    EXPECT_NE(s.win.Text1.find(ansi("Erreur : impossible d'écrire full\r\nDes erreurs se sont "
                                    "produites : certains fichiers n'ont pas été créés.")),
              std::string::npos)
        << s.win.Text1;
}
