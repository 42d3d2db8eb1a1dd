// Before and after the server, through rolvane-batch as a process: every job
// that writes run with --dry-run leaves --dir byte for byte as it was and prints
// the Bilan and the accounts of a real run; "show" lists the accounts the Bilan
// counts; "slips" prints one slip per new account, class by class.
#include "batch_run.h"
#include "corpus.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

using namespace batchtest;

namespace {

const fs::path kSamples = fs::path(ROLVANE_SOURCE_DIR) / "samples";
using Files = std::map<std::string, std::string>;

Files filesOf(const fs::path& dir) {
    Files files;
    for (const auto& e : fs::directory_iterator(dir)) {
        std::ifstream in(e.path(), std::ios::binary);
        files[e.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

void copyFiles(const fs::path& from, const fs::path& to) {
    for (const auto& [name, bytes] : filesOf(from))
        put(to / name, bytes);
}

// The Bilan block of a log: from its "Bilan :" line to the next empty line.
std::string bilanOf(const std::string& out) {
    const size_t at = out.find("\nBilan :\n");
    if (at == std::string::npos) return "";
    // It ends at a blank line, or at the line a dry run adds to the log.
    const size_t end = std::min(out.find("\n\n", at + 1), out.find("\nSimulation : ", at));
    return out.substr(at + 1, end == std::string::npos ? std::string::npos : end - at);
}

// TMPDIR of the programs this test starts, set while it lives (open to "nobody").
class PrivateTmp {
  public:
    PrivateTmp() {
        fs::permissions(folder_.path(), fs::perms::all);
        setenv("TMPDIR", folder_.str().c_str(), 1);
    }
    ~PrivateTmp() { unsetenv("TMPDIR"); }
    bool empty() const { return fs::is_empty(folder_.path()); }

  private:
    Folder folder_{false};
};

struct WritingJob {
    std::string name;
    std::vector<std::string> sources; // under samples/
    std::vector<std::string> args;    // "@X" is samples/X (outside --dir)
};

const std::vector<WritingJob> kWritingJobs = {
    {"gep-create",
     {"gep/F_ELE.DBF", "gep/F_IND.DBF", "gep/F_AFF.DBF", "gep/F_MEN.DBF", "gep/F_GPD.DBF"},
     {"--rne1", "0590001a"}},
    {"gep-b2i", {"gep/F_ELE.DBF"}, {}},
    {"gep-update",
     {"gep/F_ELE.DBF", "gep/F_IND.DBF", "gep/F_AFF.DBF"},
     {"--export", "@gep/EXPORT"}},
    {"csv-create", {"csv/ELEVES.CSV", "csv/PROFS.CSV"}, {}},
    {"csv-create", {"sconet/ELEVES.CSV"}, {}}, // rewritten in place by a real run
    {"csv-update", {"csv/ELEVES.CSV", "csv/PROFS.CSV"}, {"--export", "@csv/EXPORT"}},
    {"trainees",
     {},
     {"--list", "@csv/stagiaires.txt", "--group", "Stage 1", "--responsible", "c3a c4b"}},
    {"rename-logins", {"csv/EXPORT"}, {"--export", "EXPORT", "--yes"}},
    {"responsibles", {}, {"--export", "@csv/EXPORT", "--set", "BERARD;SEBASTIEN=c3a c4b"}},
    {"delete-teachers", {}, {"--export", "@csv/EXPORT", "--teacher", "ROUX;A"}},
    {"clean", {"csv/stagiaires.txt"}, {"--yes"}},
};

std::vector<std::string> argsFor(const WritingJob& job, const Folder& dir, bool dryRun) {
    std::vector<std::string> args = {job.name, "--dir", dir.str()};
    for (const auto& a : job.args)
        args.push_back(a.rfind('@', 0) == 0 ? (kSamples / a.substr(1)).string()
                       : a == "EXPORT"      ? (dir.path() / a).string()
                                            : a);
    if (dryRun) args.push_back("--dry-run");
    return args;
}

} // namespace

TEST(DryRun, EveryWritingJobLeavesTheFolderAndPrintsWhatARealRunDoes) {
    const Files samplesBefore = filesOf(kSamples / "csv");
    for (const auto& job : kWritingJobs) {
        SCOPED_TRACE(job.name + (job.sources.empty() ? "" : " " + job.sources[0]));
        Folder dir(false), real(false);
        for (const auto& src : job.sources)
            fs::copy_file(kSamples / src, dir.path() / fs::path(src).filename());
        copyFiles(dir.path(), real.path());
        const Files before = filesOf(dir.path());
        BatchRun dry;
        {
            const PrivateTmp tmp;
            dry = runBatch(argsFor(job, dir, true), dir.path());
            EXPECT_TRUE(tmp.empty()) << "the private copy was left behind";
        }
        EXPECT_EQ(filesOf(dir.path()), before);

        const BatchRun done = runBatch(argsFor(job, real, false), real.path());
        EXPECT_EQ(dry.status, done.status);
        EXPECT_EQ(bilanOf(dry.out), bilanOf(done.out));
        EXPECT_NE(filesOf(real.path()), before) << "the real run wrote nothing to compare with";
        // The accounts printed are those the real run left.
        const BatchRun shown = runBatch({"show", "--dir", real.str()}, real.path());
        const std::string tail =
            "\n" + shown.out + "\nSimulation : rien n'a été écrit dans " + dir.str() + ".\n";
        // The log ends saying so too, before the accounts.
        EXPECT_NE(
            dry.out.find("Simulation : rien n'a été écrit dans " + dir.str() + ".\n\nComptes : "),
            std::string::npos);
        ASSERT_GE(dry.out.size(), tail.size());
        EXPECT_EQ(dry.out.substr(dry.out.size() - tail.size()), tail);
        EXPECT_EQ(dry.out.find("rolvane-simulation"), std::string::npos) << dry.out;
    }
    EXPECT_EQ(filesOf(kSamples / "csv"), samplesBefore);
}

TEST(DryRun, ReadOnlyJobsAndUsageAreUnchanged) {
    Folder dir(false);
    const BatchRun show = runBatch({"show", "--dir", dir.str(), "--dry-run"}, dir.path());
    EXPECT_EQ(show.status, 0);
    EXPECT_EQ(show.out.find("Simulation"), std::string::npos);
    const BatchRun help = runBatch({"--help"}, dir.path());
    for (const char* word : {"--dry-run", "show", "slips", "--teachers"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    EXPECT_EQ(runBatch({"show", "--dir", dir.str(), "--format", "xml"}, dir.path()).status, 2);
    EXPECT_EQ(runBatch({"gep-create", "--dir", dir.str(), "--format", "csv"}, dir.path()).status,
              2);
}

namespace {

// "FILE : N comptes" lines of a Bilan, by file.
std::map<std::string, long> bilanCounts(const std::string& bilan) {
    std::map<std::string, long> counts;
    std::istringstream in(bilan);
    for (std::string line; std::getline(in, line);) {
        const size_t at = line.find(" : ");
        if (at != std::string::npos && line.find(" compte") != std::string::npos)
            counts[line.substr(0, at)] = std::stol(line.substr(at + 3));
    }
    return counts;
}

// The CSV rows of "show" by their file column (the last but one).
std::map<std::string, long> shownCounts(const std::string& csv) {
    std::map<std::string, long> counts;
    std::istringstream in(csv);
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        const size_t last = line.rfind(','), before = line.rfind(',', last - 1);
        ++counts[line.substr(before + 1, last - before - 1)];
    }
    return counts;
}

} // namespace

TEST(Show, RowsPerFileEqualTheBilanOfEachJob) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> runs = {
        {"gep-create", {"--rne1", "0590001a"}},
        {"gep-update", {"--export", (kSamples / "gep" / "EXPORT").string()}},
    };
    for (const auto& [job, extra] : runs) {
        SCOPED_TRACE(job);
        Folder dir;
        std::vector<std::string> args = {job, "--dir", dir.str()};
        args.insert(args.end(), extra.begin(), extra.end());
        const BatchRun r = runBatch(args, dir.path());
        const BatchRun shown =
            runBatch({"show", "--dir", dir.str(), "--format", "csv"}, dir.path());
        ASSERT_EQ(shown.status, 0);
        const auto counts = bilanCounts(bilanOf(r.out));
        EXPECT_FALSE(counts.empty()) << r.out;
        EXPECT_EQ(shownCounts(shown.out), counts);
    }
}

TEST(Show, CsvAndTableOfHandWrittenFiles) {
    Folder dir(false);
    const std::string header = "#Nom;Pr\xE9nom;groupe;...\r\n";
    // Another spelling of the name, an empty line, a field holding "," and '"'.
    put(dir.path() / "comptesaajouter.txt",
        header + "L\xC9VY;\xC9lodie;c3a;levy.elodie;levy.elodie;12,\"x;;;;;;;;;\r\n\r\n");
    put(dir.path() / "comptesAsupprimer.txt", "COLIN;MAXIME;c4a;colin.maxime\r\n");
    put(dir.path() / "ComptesProfsAmodifier.txt",
        "ROUX;anne;profs;roux.anne;roux.annesophie;;;;c5A c3A;;;roux.annesophie;;;;\r\n");
    const BatchRun csv = runBatch({"show", "--dir", dir.str(), "--format", "csv"}, dir.path());
    EXPECT_EQ(
        csv.out,
        "action,nom,prénom,groupe,ancien login,nouveau login,mot de passe,groupes "
        "responsables,fichier,ligne\r\n"
        "création,LÉVY,Élodie,c3a,levy.elodie,levy.elodie,\"12,\"\"x\",,comptesaajouter.txt,2\r\n"
        "modification,ROUX,anne,profs,roux.anne,roux.annesophie,,c5A c3A,"
        "ComptesProfsAmodifier.txt,1\r\n"
        "suppression,COLIN,MAXIME,c4a,colin.maxime,,,,comptesAsupprimer.txt,1\r\n");
    const BatchRun table = runBatch({"show", "--dir", dir.str()}, dir.path());
    EXPECT_EQ(table.out.substr(0, table.out.find('\n')),
              "Comptes : création : 1, modification : 1, suppression : 1, responsabilités : 0");
    // Columns line up by characters, not bytes: "LÉVY" and "COLIN" end at one column.
    EXPECT_NE(table.out.find("création      LÉVY   Élodie"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("suppression   COLIN  MAXIME"), std::string::npos) << table.out;
}

TEST(DryRun, MessagesNameTheFilesTheUserGave) {
    Folder dir;
    const std::string missing = (dir.path().parent_path() / "nulle-part" / "EXPORT").string();
    const BatchRun dry =
        runBatch({"gep-update", "--dir", dir.str(), "--export", missing, "--dry-run"}, dir.path());
    const BatchRun real =
        runBatch({"gep-update", "--dir", dir.str(), "--export", missing}, dir.path());
    EXPECT_EQ(dry.status, 1);
    EXPECT_EQ(dry.err, real.err);
    const std::string said = dry.out + (dry.err.empty() ? "" : dry.err.back());
    EXPECT_NE(said.find(missing), std::string::npos) << said;
    EXPECT_EQ(said.find("rolvane-simulation"), std::string::npos) << said;
}

TEST(DryRun, TheAccessExportWritesNeitherInTheFolderNorBesideIt) {
    const std::string mdb = testsupport::corpusFile("jahlborn-jackcess__fixedTextTestV2000.mdb");
    SKIP_WITHOUT_CORPUS(mdb);
    Folder dir(false), elsewhere(false);
    const BatchRun r = runBatch({"access-csv", "--dir", dir.str(), "--mdb", mdb, "--table", "USERS",
                                 "--fields", "c_user_login,c_user_name,c_flag_,d_stamp_", "--out",
                                 (elsewhere.path() / "x.csv").string(), "--accounts", "--dry-run"},
                                dir.path());
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(fs::is_empty(dir.path()));
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
    EXPECT_NE(r.out.find("Comptes : création : 2,"), std::string::npos) << r.out;
}

TEST(DryRun, ACopyThatCannotBeMadeWholeStopsBeforeTheJobAndLeavesNothing) {
    for (const bool inFolder : {true, false}) {
        Folder dir(false), outside(false);
        const fs::path secret = (inFolder ? dir : outside).path() / "EXPORT";
        fs::copy_file(kSamples / "csv" / "EXPORT", secret);
        fs::permissions(secret, fs::perms::none);
        for (const Folder* f : {&dir, &outside})
            fs::permissions(f->path(), fs::perms::others_read | fs::perms::others_exec,
                            fs::perm_options::add);
        const PrivateTmp tmp;
        const BatchRun r = runBatchAsUser({"rename-logins", "--dir", dir.str(), "--export",
                                           secret.string(), "--yes", "--dry-run"},
                                          dir.path());
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, std::vector<std::string>{"rolvane-batch : impossible de copier " +
                                                  secret.string() +
                                                  " pour la simulation (accès refusé) : la "
                                                  "simulation n'a pas été faite."});
        EXPECT_TRUE(tmp.empty());
    }
}

TEST(DryRun, AStoppedRunLeavesNoCopyAndEndsByItsSignal) {
    Folder dir(false);
    std::string pupils;
    for (int i = 0; i < 40000; ++i)
        pupils += "NOM" + std::to_string(i) + ";Prenom;c3a;01/01/2008\r\n";
    put(dir.path() / "ELEVES.CSV", pupils);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        const PrivateTmp tmp;
        // Stopped once the job runs: in the copy, its current folder.
        const auto stopInJob = [sig](pid_t pid) {
            const fs::path cwd = "/proc/" + std::to_string(pid) + "/cwd";
            std::error_code ec;
            for (int i = 0; i < 50000 && fs::read_symlink(cwd, ec).filename() != "dossier"; ++i)
                ::usleep(200);
            ::kill(pid, sig);
        };
        const BatchRun r = runProgram(
            ROLVANE_BATCH, {"csv-create", "--dir", dir.str(), "--dry-run"}, dir.path(), stopInJob);
        EXPECT_EQ(r.signal, sig);
        EXPECT_TRUE(tmp.empty()) << "the private copy was left behind";
    }
}

TEST(DryRun, AFailedAllocationAfterTheJobEndsWithFourAndLeavesNoCopy) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit";
#endif
    Folder dir(false);
    std::string rows;
    for (int i = 0; i < 400000; ++i)
        rows += "N;P;c3a;a.b" + std::to_string(i) + ";a.b;pw;;;;;;\r\n";
    put(dir.path() / "ComptesAajouter.txt", rows);
    const PrivateTmp tmp;
    // The table of its accounts does not fit in 256 MB of address space.
    rlimit all{};
    ::getrlimit(RLIMIT_AS, &all);
    const rlimit limited{256 << 20, all.rlim_max};
    ::setrlimit(RLIMIT_AS, &limited);
    const BatchRun r = runBatch({"clean", "--dir", dir.str(), "--dry-run"}, dir.path());
    ::setrlimit(RLIMIT_AS, &all);
    EXPECT_EQ(r.status, 4);
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.back(), "rolvane-batch : erreur inattendue (std::bad_alloc) après la tâche "
                            "clean : son résultat n'a pas été affiché en entier.");
    EXPECT_TRUE(tmp.empty()) << "the private copy was left behind";
}

TEST(Show, TheTableCutsWideCellsAndTheCsvKeepsThemWhole) {
    Folder dir(false);
    const std::string huge(1 << 20, 'x');
    std::string lines = "A;b;c3a;" + huge + ";x;pw\r\n";
    for (int i = 0; i < 100; ++i)
        lines += "C;d;c4a;c.d;c.d;pw\r\n";
    put(dir.path() / "ComptesAajouter.txt", lines);
    const BatchRun table = runBatch({"show", "--dir", dir.str()}, dir.path());
    EXPECT_NE(table.out.find("  " + huge.substr(0, 59) + "…  x  "), std::string::npos);
    EXPECT_LT(table.out.size(), 103u * 10 * 64) << "lines of 10 cells of at most 60 characters";
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(table.maxRssKb, 32 * 1024);
#endif
    const BatchRun csv = runBatch({"show", "--dir", dir.str(), "--format", "csv"}, dir.path());
    EXPECT_NE(csv.out.find(",c3a," + huge + ",x,pw,"), std::string::npos);
}
