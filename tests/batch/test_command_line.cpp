// What every command-line tool answers: the usage and the version, on standard
// output with status 0, for rolvane-batch and for the window program rolvane.
#include "batch_run.h"

#include "rolvane_version.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace batchtest;

namespace {

// The window program is built beside rolvane-batch when the build has the window.
std::string windowProgram() {
    return (fs::path(ROLVANE_BATCH).parent_path() / "rolvane").string();
}

} // namespace

TEST(CommandLine, HelpPrintsTheUsageOnStandardOutput) {
    Folder f(false);
    const std::vector<std::vector<std::string>> asks = {
        {"--help"}, {"-h"}, {"help"}, {"gep-update", "--help"}, {"trainees", "--dir", ".", "-h"}};
    for (const auto& args : asks) {
        SCOPED_TRACE(args.back());
        const BatchRun r = runBatch(args, f.path());
        EXPECT_EQ(r.status, 0);
        EXPECT_TRUE(r.err.empty());
        EXPECT_EQ(r.out.rfind("Usage : rolvane-batch TÂCHE [options]\n", 0), 0u);
        for (const char* word : {"gep-create", "access-csv", "clean", "--export", "--version"})
            EXPECT_NE(r.out.find(word), std::string::npos) << word;
    }
    EXPECT_TRUE(fs::is_empty(f.path()));
}

TEST(CommandLine, WrongUsageSaysWhyAndWhereTheUsageIs) {
    Folder f(false);
    const std::string missing = (f.path() / "absent").string();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "aucune tâche n'est indiquée."},
        {{"gep-creat"}, "tâche inconnue : gep-creat."},
        {{"gep-create", "--verbose"}, "option inconnue : --verbose."},
        {{"gep-create", "--dir", missing}, "le dossier " + missing + " n'existe pas."}};
    for (const auto& [args, problem] : cases) {
        SCOPED_TRACE(problem);
        const BatchRun r = runBatch(args, f.path());
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(r.err, (std::vector<std::string>{
                             "rolvane-batch : " + problem,
                             "Essayez « rolvane-batch --help » pour en savoir plus."}));
    }
}

TEST(CommandLine, VersionIsTheProjectVersion) {
    Folder f(false);
    const BatchRun r = runBatch({"--version"}, f.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "rolvane-batch " ROLVANE_VERSION "\n");
    EXPECT_TRUE(r.err.empty());
    // A word that is not the first is a value or an unknown option, not a request.
    EXPECT_EQ(runBatch({"gep-create", "--version"}, f.path()).status, 2);
}

TEST(CommandLine, TheWindowProgramAnswersWithoutAWindow) {
    if (!fs::exists(windowProgram())) GTEST_SKIP() << "built without the window program";
    // No display at all: opening a window would fail.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        ::unsetenv(name);
    Folder f(false);
    const BatchRun version = runProgram(windowProgram(), {"--version"}, f.path());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "rolvane " ROLVANE_VERSION "\n");
    const BatchRun help = runProgram(windowProgram(), {"--help"}, f.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage : rolvane ", 0), 0u);
}
