// Write faults made real, with rolvane-batch as a process: a read-only program
// directory (a read-only bind mount), a full file system (a small tmpfs), output
// names taken by folders. Each run is compared with the same job in a healthy
// folder: every file the job could not write is named in the output, every other
// file is exactly the healthy one, the closing line is the error line and the
// status 3, and every file that was there before is intact or replaced whole.
//
// The mounts are made in a mount namespace of the test's own child process (as
// root, or as root of a new user namespace); nothing outside sees them. Where
// neither is allowed, a read-only directory is made by running the program as the
// unprivileged user "nobody" (when root), and the other cases are skipped.
#include "batch_run.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>

using namespace batchtest;

namespace {

const fs::path kSamples = fs::path(ROLVANE_SOURCE_DIR) / "samples";
const std::string kErrorLine =
    "Des erreurs se sont produites : certains fichiers n'ont pas été créés.";
const std::string kCannotWrite = "Erreur : impossible d'écrire ";
const std::string kFiller = "zz-remplissage.bin";

using Files = std::map<std::string, std::string>; // name -> bytes

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void spit(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

Files filesOf(const fs::path& dir) {
    Files files;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.is_regular_file() && e.path().filename() != kFiller)
            files[e.path().filename().string()] = slurp(e.path());
    return files;
}

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The names of the "Erreur : impossible d'écrire NAME" lines, in lower case.
std::set<std::string> namedFailures(const std::string& out) {
    std::set<std::string> names;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(kCannotWrite, 0) == 0) names.insert(lower(line.substr(kCannotWrite.size())));
    return names;
}

// ---- A child process with mounts of its own ---------------------------------------

bool writeProcFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY);
    if (fd < 0) return false;
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

// Enters a mount namespace of its own; "" on success, else why not.
std::string enterPrivateMounts() {
    if (::unshare(CLONE_NEWNS) != 0) {
        const uid_t uid = ::geteuid();
        const gid_t gid = ::getegid();
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return std::string("no mount namespace: ") + std::strerror(errno);
        writeProcFile("/proc/self/setgroups", "deny");
        if (!writeProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !writeProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
            return "no user namespace mapping";
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return std::string("mounts cannot be made private: ") + std::strerror(errno);
    return "";
}

// Covers `dir` by a read-only bind mount of itself.
std::string makeReadOnly(const fs::path& dir) {
    if (::mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        ::mount(nullptr, dir.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        return std::string("read-only bind mount refused: ") + std::strerror(errno);
    return "";
}

// Covers `dir` by a tmpfs holding its files, filled up but for `room` bytes.
std::string makeFull(const fs::path& dir, size_t room) {
    const Files files = filesOf(dir);
    if (::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=1m,mode=0755") != 0)
        return std::string("tmpfs refused: ") + std::strerror(errno);
    for (const auto& [name, bytes] : files)
        spit(dir / name, bytes);
    const int fd = ::open((dir / kFiller).c_str(), O_WRONLY | O_CREAT, 0644);
    const std::string block(4096, 'f');
    off_t size = 0;
    for (ssize_t n; (n = ::write(fd, block.data(), block.size())) > 0;)
        size += n;
    const bool full = errno == ENOSPC;
    const off_t keep = size > static_cast<off_t>(room) ? size - static_cast<off_t>(room) : 0;
    const bool left = ::ftruncate(fd, keep) == 0;
    ::close(fd);
    return full && left ? "" : "the tmpfs could not be filled";
}

enum class Fault { ReadOnly, Full };

struct FaultRun {
    std::string skipped; // why the fault could not be made
    BatchRun run;
    Files after; // the folder's files when the program ended
};

// Runs the program as the user "nobody" on a folder it may read but not write
// (only when root).
std::string runAsNobody(const fs::path& dir) {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || !nobody) return "neither mounts nor another user are possible";
    fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
    if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
        return "cannot become nobody";
    return "";
}

// The child's part: makes the fault, runs the program, and leaves its status,
// output and the folder's files in `io`.
[[noreturn]] void faultChild(const std::vector<std::string>& args, const fs::path& dir, Fault fault,
                             size_t room, const fs::path& io) {
    std::string why = enterPrivateMounts();
    if (why.empty())
        why = fault == Fault::ReadOnly ? makeReadOnly(dir) : makeFull(dir, room);
    else if (fault == Fault::ReadOnly)
        why = runAsNobody(dir);
    if (!why.empty()) {
        spit(io / "skipped", why);
        ::_exit(0);
    }
    const BatchRun r = runBatch(args, dir);
    spit(io / "status", std::to_string(r.status));
    spit(io / "out", r.out);
    std::string err;
    for (const auto& line : r.err)
        err += line + "\n";
    spit(io / "err", err);
    fs::create_directory(io / "files");
    for (const auto& [name, bytes] : filesOf(dir))
        spit(io / "files" / name, bytes);
    ::_exit(0);
}

FaultRun runWithFault(const std::vector<std::string>& args, const fs::path& dir, Fault fault,
                      size_t room = 0) {
    Folder io(false);
    fs::permissions(io.path(), fs::perms::all); // writable by "nobody" too
    std::cout.flush();
    const pid_t pid = ::fork();
    if (pid == 0) faultChild(args, dir, fault, room, io.path());
    int status = 0;
    ::waitpid(pid, &status, 0);
    FaultRun f;
    if (fs::exists(io.path() / "skipped")) {
        f.skipped = slurp(io.path() / "skipped");
        return f;
    }
    f.run.status = std::stoi(slurp(io.path() / "status"));
    f.run.out = slurp(io.path() / "out");
    std::istringstream err(slurp(io.path() / "err"));
    for (std::string line; std::getline(err, line);)
        f.run.err.push_back(line);
    f.after = filesOf(io.path() / "files");
    return f;
}

// ---- The jobs ----------------------------------------------------------------------

struct Job {
    const char* name;
    std::vector<std::pair<std::string, std::string>> sources; // sample path, name in the folder
    std::function<std::vector<std::string>(const fs::path&)> args;
};

const std::vector<Job>& jobs() {
    static const std::vector<Job> all = {
        {"gep-create",
         {{"gep/F_ELE.DBF", "F_ELE.DBF"},
          {"gep/F_IND.DBF", "F_IND.DBF"},
          {"gep/F_AFF.DBF", "F_AFF.DBF"},
          {"gep/F_GPD.DBF", "F_GPD.DBF"},
          {"gep/F_MEN.DBF", "F_MEN.DBF"}},
         [](const fs::path& d) {
             return std::vector<std::string>{"gep-create", "--dir", d.string(), "--rne1",
                                             "0590001A"};
         }},
        {"gep-update",
         {{"gep/F_ELE.DBF", "F_ELE.DBF"},
          {"gep/F_IND.DBF", "F_IND.DBF"},
          {"gep/F_AFF.DBF", "F_AFF.DBF"},
          {"gep/EXPORT", "EXPORT"}},
         [](const fs::path& d) {
             return std::vector<std::string>{
                 "gep-update",           "--dir", d.string(), "--rne1", "0590001A", "--export",
                 (d / "EXPORT").string()};
         }},
        {"csv-create (SCONET)",
         {{"sconet/ELEVES.CSV", "ELEVES.CSV"}},
         [](const fs::path& d) {
             return std::vector<std::string>{"csv-create", "--dir", d.string()};
         }},
        {"csv-update",
         {{"csv/ELEVES.CSV", "ELEVES.CSV"},
          {"csv/PROFS.CSV", "PROFS.CSV"},
          {"csv/EXPORT", "EXPORT"}},
         [](const fs::path& d) {
             return std::vector<std::string>{"csv-update", "--dir", d.string(), "--export",
                                             (d / "EXPORT").string()};
         }},
    };
    return all;
}

void placeSources(const Job& job, const fs::path& dir) {
    for (const auto& [sample, name] : job.sources)
        fs::copy_file(kSamples / sample, dir / name);
}

struct Reference {
    BatchRun run;
    Files before, after;
};

Reference healthyRun(const Job& job) {
    Folder f(false);
    placeSources(job, f.path());
    Reference ref;
    ref.before = filesOf(f.path());
    ref.run = runBatch(job.args(f.path()), f.path());
    ref.after = filesOf(f.path());
    return ref;
}

// The fault run against the healthy one.
void expectHandled(const Reference& ref, const FaultRun& f) {
    ASSERT_EQ(ref.run.status, 0) << ref.run.out;
    const std::set<std::string> failed = namedFailures(f.run.out);
    for (const auto& line : f.run.err)
        EXPECT_EQ(line.find("AddressSanitizer"), std::string::npos);
    if (failed.empty()) {
        EXPECT_EQ(f.run.status, 0) << f.run.out;
        EXPECT_EQ(f.after, ref.after);
        return;
    }
    EXPECT_EQ(f.run.status, 3) << f.run.out;
    EXPECT_NE(f.run.out.find("\n" + kErrorLine + "\n"), std::string::npos) << f.run.out;
    EXPECT_EQ(f.run.out.find("Tous les fichiers"), std::string::npos) << f.run.out;
    for (const auto& [name, bytes] : ref.after) {
        SCOPED_TRACE(name);
        const auto found = f.after.find(name);
        if (ref.before.count(name)) {
            // A source: intact, or replaced whole by its mended form.
            ASSERT_NE(found, f.after.end());
            EXPECT_TRUE(found->second == ref.before.at(name) || found->second == bytes);
        } else if (!failed.count(lower(name))) {
            // An output not named as failed is exactly the healthy one.
            ASSERT_NE(found, f.after.end()) << f.run.out;
            EXPECT_EQ(found->second, bytes);
        }
    }
    for (const auto& [name, bytes] : f.after) {
        EXPECT_TRUE(ref.after.count(name)) << "stray file " << name;
    }
}

// Every output of the fault run is whole (the healthy run's bytes) or absent,
// and the Bilan counts the accounts of whole files only.
void expectWholeOrAbsent(const Reference& ref, const FaultRun& f) {
    for (const auto& [name, bytes] : f.after) {
        if (!ref.before.count(name) && ref.after.count(name)) {
            EXPECT_EQ(bytes, ref.after.at(name)) << name << " is cut";
        }
    }
    const std::regex counted("(\\S+) : \\d+ comptes?");
    std::istringstream lines(f.run.out);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (!std::regex_match(line, m, counted)) continue;
        EXPECT_TRUE(f.after.count(m[1]) && ref.after.count(m[1]) &&
                    f.after.at(m[1]) == ref.after.at(m[1]))
            << line;
    }
}

} // namespace

TEST(WriteFaults, ReadOnlyProgramDirectory) {
    for (const Job& job : jobs()) {
        SCOPED_TRACE(job.name);
        const Reference ref = healthyRun(job);
        Folder f(false);
        placeSources(job, f.path());
        const FaultRun run = runWithFault(job.args(f.path()), f.path(), Fault::ReadOnly);
        if (!run.skipped.empty()) GTEST_SKIP() << run.skipped;
        EXPECT_FALSE(namedFailures(run.run.out).empty()) << run.run.out;
        EXPECT_EQ(run.after, ref.before); // nothing changed, nothing lost
        expectHandled(ref, run);
    }
}

// From a file system with no room at all to one with room for some of the files.
TEST(WriteFaults, FullFileSystem) {
    for (const Job& job : jobs()) {
        const Reference ref = healthyRun(job);
        for (size_t room : {0u, 4096u, 8192u, 16384u, 32768u, 65536u}) {
            SCOPED_TRACE(std::string(job.name) + ", room " + std::to_string(room));
            Folder f(false);
            placeSources(job, f.path());
            const FaultRun run = runWithFault(job.args(f.path()), f.path(), Fault::Full, room);
            if (!run.skipped.empty()) GTEST_SKIP() << run.skipped;
            if (room == 0) {
                EXPECT_EQ(run.run.status, 3);
            }
            expectHandled(ref, run);
            expectWholeOrAbsent(ref, run);
        }
    }
}

// The SCONET file is mended through a temporary file: on a full disk it stays whole.
TEST(WriteFaults, ElevesCsvIsNeverCutShort) {
    const Job& job = jobs()[2];
    Folder f(false);
    placeSources(job, f.path());
    const std::string before = f.read("ELEVES.CSV");
    const FaultRun run = runWithFault(job.args(f.path()), f.path(), Fault::Full, 0);
    if (!run.skipped.empty()) GTEST_SKIP() << run.skipped;
    EXPECT_EQ(run.after.at("ELEVES.CSV"), before);
    EXPECT_NE(run.run.out.find(kCannotWrite + "ELEVES.CSV\n"), std::string::npos) << run.run.out;
    EXPECT_EQ(run.run.status, 3);
}

// Output names taken by folders (each with a file inside, so that the job cannot
// delete them as old outputs).
TEST(WriteFaults, OutputNamesTakenByFolders) {
    struct Case {
        size_t job;
        const char* folder;
    };
    for (const Case& c : {Case{0, "ComptesAajouter.txt"}, Case{0, "GROUPES.TXT"}, Case{0, "6a.TXT"},
                          Case{0, "doublons.txt"}, Case{1, "comptesAsupprimer.txt"},
                          Case{1, "ComptesAmodifier.txt"}, Case{3, "comptesAsupprimer.txt"},
                          Case{3, "ComptesProfsAmodifier.txt"}}) {
        const Job& job = jobs()[c.job];
        SCOPED_TRACE(std::string(job.name) + ", " + c.folder);
        const Reference ref = healthyRun(job);
        Folder f(false);
        placeSources(job, f.path());
        fs::create_directories(f.path() / c.folder / "dedans");
        const BatchRun r = runBatch(job.args(f.path()), f.path());
        FaultRun run{"", r, filesOf(f.path())};
        EXPECT_EQ(namedFailures(r.out), std::set<std::string>{lower(c.folder)}) << r.out;
        expectHandled(ref, run);
        EXPECT_TRUE(fs::exists(f.path() / c.folder / "dedans"));
    }
}

// Slips on a disk without room for them all: a PDF is announced only when it is
// there whole, and the others are named as not written.
TEST(WriteFaults, SlipsAnnouncedOnlyWhenWhole) {
    const std::string announced = "Fiches de connexion : ";
    for (size_t room : {0u, 16384u, 65536u}) {
        SCOPED_TRACE("room " + std::to_string(room));
        Folder f(false);
        placeSources(jobs()[0], f.path());
        ASSERT_EQ(runBatch(jobs()[0].args(f.path()), f.path()).status, 0);
        const FaultRun run =
            runWithFault({"slips", "--dir", f.str(), "--all"}, f.path(), Fault::Full, room);
        if (!run.skipped.empty()) GTEST_SKIP() << run.skipped;
        EXPECT_EQ(run.run.status, 3) << run.run.out;
        std::set<std::string> pdfs;
        for (const auto& [name, bytes] : run.after)
            if (name.ends_with(".pdf")) {
                pdfs.insert(name);
                EXPECT_TRUE(bytes.ends_with("%%EOF\n")) << name;
            }
        std::set<std::string> said;
        std::istringstream lines(run.run.out);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(announced, 0) == 0)
                said.insert(line.substr(announced.size(), line.find(" (") - announced.size()));
        EXPECT_EQ(said, pdfs) << run.run.out;
        EXPECT_FALSE(namedFailures(run.run.out).empty());
    }
}
