// The teacher tools through rolvane-batch as a process: an EXPORT that is no
// regular file stops them before their work, and a teacher absent from the list
// ends the job with status 1 once the others are done.
#include "batch_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

using namespace batchtest;

namespace {

const fs::path kExport = fs::path(ROLVANE_SOURCE_DIR) / "samples" / "csv" / "EXPORT";

bool hasLine(const BatchRun& run, const std::string& line) {
    return std::find(run.err.begin(), run.err.end(), line) != run.err.end();
}

} // namespace

TEST(TeacherTools, AnExportThatIsNoRegularFileStopsThem) {
    Folder dir(false);
    fs::create_directory(dir.path() / "dossier");
    ASSERT_EQ(mkfifo((dir.path() / "tube").c_str(), 0600), 0);
    for (const std::string job : {"responsibles", "delete-teachers"})
        for (const std::string& path :
             {(dir.path() / "absent").string(), (dir.path() / "dossier").string(),
              (dir.path() / "tube").string(), std::string("/dev/null")}) {
            SCOPED_TRACE(job + " " + path);
            const BatchRun run = runBatch({job, "--dir", dir.str(), "--export", path, "--set",
                                           "BERARD;SEBASTIEN=c3a", "--teacher", "ROUX;A"},
                                          dir.path());
            EXPECT_EQ(run.status, 1);
            EXPECT_TRUE(hasLine(run, "[message] Le fichier EXPORT est introuvable ou illisible : " +
                                         path + ". La mise à jour n'a pas été faite."));
            EXPECT_FALSE(fs::exists(dir.path() / "ComptesProfsASupprimer.txt"));
            EXPECT_FALSE(fs::exists(dir.path() / "ComptesProfsResponsablesAModifier.txt"));
        }
}

TEST(TeacherTools, ATeacherAbsentFromTheListEndsWithStatusOneAfterTheOthers) {
    const struct {
        std::string job, option, known, absent, written;
    } cases[] = {
        {"responsibles", "--set", "BERARD;SEBASTIEN=c3a c4b", "NOBODY;Anne=c3a",
         "ComptesProfsResponsablesAModifier.txt"},
        {"delete-teachers", "--teacher", "ROUX;A", "NOBODY;Anne", "ComptesProfsASupprimer.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.job);
        Folder dir(false);
        const BatchRun run = runBatch({c.job, "--dir", dir.str(), "--export", kExport.string(),
                                       c.option, c.absent, c.option, c.known},
                                      dir.path());
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(hasLine(run, "Professeur absent de la liste du fichier EXPORT : NOBODY;Anne"));
        EXPECT_NE(dir.read(c.written).find(c.known.substr(0, 4)), std::string::npos);
    }
}

// A school's whole teacher list is offered, however long: 3,000 teachers take more
// than the fixed answer room the list once had, which left every one of them out.
TEST(TeacherTools, AllTeachersOfALongExportAreListed) {
    Folder dir(false);
    std::string text = "#Nom;Prénom;groupe d'affectation\r\n";
    for (int i = 0; i < 3000; ++i)
        text += "PROFESSEURNUMERO" + std::to_string(i) + ";ANNE;profs;a" + std::to_string(i) +
                ";a" + std::to_string(i) + ";;;;;;;\r\n";
    put(dir.path() / "EXPORT", text);
    const BatchRun run =
        runBatch({"delete-teachers", "--dir", dir.str(), "--export",
                  (dir.path() / "EXPORT").string(), "--teacher", "PROFESSEURNUMERO2999;ANNE"},
                 dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(dir.read("ComptesProfsASupprimer.txt").find("PROFESSEURNUMERO2999;ANNE"),
              std::string::npos);
}
