// The private copy a dry run works on: what it copies, where the files the job
// reads and writes go, the paths it gives back, and that it leaves nothing.
#include "jobs/dry_run.h"
#include "sources/account_rows.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdlib.h>

namespace {

namespace fs = std::filesystem;

void put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct TempDir {
    fs::path path;
    TempDir() {
        std::string t = (fs::temp_directory_path() / "rolvane-test-XXXXXX").string();
        path = ::mkdtemp(t.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

} // namespace

TEST(DryRunFolder, CopiesFilesMapsPathsAndLeavesNothing) {
    TempDir dir, outside;
    put(dir.path / "EXPORT", "inside");
    put(dir.path / "ELEVES.CSV", "a;b");
    fs::create_directory(dir.path / "archives");
    put(outside.path / "EXPORT", "outside");
    fs::path root;
    {
        modvesk::DryRunFolder run(dir.path);
        root = run.folder().parent_path();
        EXPECT_EQ((fs::status(root).permissions() & fs::perms::all), fs::perms::owner_all);
        EXPECT_EQ(bytesOf(run.folder() / "ELEVES.CSV"), "a;b");
        EXPECT_FALSE(fs::exists(run.folder() / "archives")); // the jobs read no subfolder

        // A file of the folder is found in the copy; another one beside it, by
        // its own name, without taking the place of the copy's file of that name.
        EXPECT_EQ(run.input(dir.path / "EXPORT"), run.folder() / "EXPORT");
        const fs::path copied = run.input(outside.path / "EXPORT");
        EXPECT_NE(copied.parent_path(), run.folder());
        EXPECT_EQ(bytesOf(copied), "outside");
        EXPECT_EQ(bytesOf(run.folder() / "EXPORT"), "inside");
        EXPECT_FALSE(fs::exists(run.input(outside.path / "absent")));
        EXPECT_EQ(run.input(""), fs::path());
        EXPECT_EQ(run.output(dir.path / "ELEVES.CSV"), run.folder() / "ELEVES.CSV");
        const fs::path out = run.output(outside.path / "export.csv");
        EXPECT_EQ(out.filename(), "export.csv");
        EXPECT_NE(out.parent_path(), outside.path);

        EXPECT_EQ(run.originalPaths("lu : " + copied.string() + " ; " +
                                    (run.folder() / "x.txt").string()),
                  "lu : " + (outside.path / "EXPORT").string() + " ; " +
                      (dir.path / "x.txt").string());

        // What the job leaves (a read-only folder, the current folder inside) goes too.
        fs::create_directory(run.folder() / "ro");
        put(run.folder() / "ro" / "f", "x");
        fs::permissions(run.folder() / "ro", fs::perms::owner_read | fs::perms::owner_exec);
        fs::current_path(run.folder());
    }
    EXPECT_FALSE(fs::exists(root));
    EXPECT_EQ(fs::current_path(), dir.path);
    EXPECT_EQ(bytesOf(dir.path / "EXPORT"), "inside");
}

TEST(DryRunFolder, AFolderThatCannotBeReadIsRefused) {
    EXPECT_THROW(modvesk::DryRunFolder("/nonexistent/rolvane"), std::runtime_error);
}

TEST(AccountRows, NamesMatchWithoutRegardToCaseAndShortLinesGiveEmptyFields) {
    TempDir dir;
    put(dir.path / "ComptesAajouter.txt", "#h\r\nA;b;c3a;a.b;a.b;pw;;;;;;\r\n");
    put(dir.path / "comptesasupprimer.txt", "C;d;c4a;c.d\r\nE;f;c4a;e.f\r\n");
    const auto rows = modvesk::readAccountRows(dir.path);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].file, "comptesasupprimer.txt");
    EXPECT_EQ(rows[2].line, 2);
    EXPECT_EQ(rows[2].nouveauLogin, "");
    const auto counts = modvesk::countByAction(rows);
    EXPECT_EQ(counts[0], 1);
    EXPECT_EQ(counts[2], 2);
}
