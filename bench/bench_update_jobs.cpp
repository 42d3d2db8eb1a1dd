// Cost of the two yearly update jobs from end to end, against the least any
// implementation must do with the same data.
//
// gep-update (miseAjour_M) reads the EXPORT file and the GEP tables, builds every
// account, writes the import files, the class list, the per-class files,
// GROUPES.TXT and comptesAsupprimer.txt; csv-update (msjcmptcsv_m) does the same
// from ELEVES.CSV and PROFS.CSV. Each runs on a school of 4,000 pupils and 300
// teachers and on one ten times as large (40,000 + 3,000), each with an EXPORT of
// last year of the same size: a job without a quadratic step stays under a ratio
// of 12.
//
// The I/O floor of a run reads every source file once and writes the files the
// job wrote (same names, same bytes) once, into an empty folder: the job's time
// over the floor's says how much the job costs beyond moving its bytes.
//
// Times are the CPU time of this thread (user and system: other programs on a
// busy machine do not count in it), the best of several rounds, each round on the
// school as it was generated. The schools are written to /dev/shm when it exists:
// on a disk file system the creation of the thousand class files costs what the
// file system's inode allocator happens to cost that day, which is not the job's
// own work.
#include "bench_dialogs.h"
#include "cpu_time.h"
#include "jobs/jobs.h"
#include "model/model.h"
#include "school.h"
#include "text/text.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using benchschool::kRne;
using benchschool::makeSchool;

// The files of a folder with what tells a rewritten file from an untouched one.
struct FileMark {
    ino_t inode;
    timespec modified;
};
std::map<std::string, FileMark> marks(const fs::path& dir) {
    std::map<std::string, FileMark> out;
    for (const auto& e : fs::directory_iterator(dir)) {
        struct stat st {};
        if (::stat(e.path().c_str(), &st) == 0)
            out[e.path().filename().string()] = {st.st_ino, st.st_mtim};
    }
    return out;
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// One school's sources, kept in memory to put the folder back before each round.
struct School {
    fs::path dir;
    std::map<std::string, std::string> sources;
    std::vector<std::string> outputs; // names of the files the job wrote
    std::vector<std::string> outputBytes;
};

School loadSchool(const fs::path& dir) {
    School school{dir, {}, {}, {}};
    for (const auto& e : fs::directory_iterator(dir))
        school.sources[e.path().filename().string()] = readAll(e.path());
    return school;
}

void restore(const School& school) {
    for (const auto& e : fs::directory_iterator(school.dir))
        if (!school.sources.count(e.path().filename().string())) fs::remove_all(e.path());
    for (const auto& [name, bytes] : school.sources)
        std::ofstream(school.dir / name, std::ios::binary | std::ios::trunc) << bytes;
}

enum class Job { Gep, Csv };

// Runs the job once on the school as generated; its CPU time.
double runJob(School& school, Job job) {
    restore(school);
    const auto before = marks(school.dir);
    BenchDialogs ui;
    ui.exportPath = (school.dir / "EXPORT").string();
    modvesk::Session s;
    s.dir = school.dir;
    s.ui = &ui;
    s.win.txtrne1 = kRne;
    const double start = cpuSeconds();
    if (job == Job::Gep)
        modvesk::miseAjour_M_Click(s);
    else
        modvesk::msjcmptcsv_m_Click(s);
    const double seconds = cpuSeconds() - start;
    if (s.job.libraryMissing || !s.job.writeErrors.empty() || s.job.endedEarly) {
        std::fprintf(stderr, "the job failed in %s\n", school.dir.c_str());
        std::exit(1);
    }
    // What the job wrote: new files and files whose inode or time changed.
    school.outputs.clear();
    school.outputBytes.clear();
    for (const auto& [name, mark] : marks(school.dir)) {
        const auto old = before.find(name);
        if (old != before.end() && old->second.inode == mark.inode &&
            old->second.modified.tv_sec == mark.modified.tv_sec &&
            old->second.modified.tv_nsec == mark.modified.tv_nsec)
            continue;
        school.outputs.push_back(name);
        school.outputBytes.push_back(readAll(school.dir / name));
    }
    return seconds;
}

// Reads every source once and writes every output once, with plain system calls.
double runFloor(const School& school) {
    const fs::path out = school.dir.string() + "-floor";
    fs::remove_all(out);
    fs::create_directories(out);
    std::vector<char> buffer(1 << 16);
    const double start = cpuSeconds();
    long long total = 0;
    for (const auto& [name, bytes] : school.sources) {
        const int fd = ::open((school.dir / name).c_str(), O_RDONLY);
        for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
            total += n;
        if (fd >= 0) ::close(fd);
    }
    for (size_t i = 0; i < school.outputs.size(); ++i) {
        const int fd =
            ::open((out / school.outputs[i]).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const std::string& bytes = school.outputBytes[i];
        if (fd < 0 ||
            ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
            std::fprintf(stderr, "cannot write the floor's files in %s\n", out.c_str());
            std::exit(1);
        }
        ::close(fd);
    }
    const double seconds = cpuSeconds() - start;
    fs::remove_all(out);
    if (total <= 0) std::exit(1);
    return seconds;
}

template <typename Run> double best(int rounds, Run run) {
    double t = run();
    for (int i = 1; i < rounds; ++i)
        t = std::min(t, run());
    return t;
}

// One measurement in a process of its own: the school of that size is made, the
// job runs `rounds` times on it, then the floor; prints "job floor" (seconds).
int measure(const fs::path& root, Job job, long pupils, long teachers, int rounds) {
    makeSchool(root, pupils, teachers);
    School school = loadSchool(root / (job == Job::Gep ? "gep" : "csv"));
    const double jobTime = best(rounds, [&] { return runJob(school, job); });
    const double floorTime = best(rounds, [&] { return runFloor(school); });
    std::printf("%.6f %.6f\n", jobTime, floorTime);
    return 0;
}

// Runs one measurement in a new process (this program, given its arguments).
bool measured(Job job, long pupils, long teachers, double& jobTime, double& floorTime) {
    static const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string command = "'" + self + "' " + std::string(job == Job::Gep ? "gep" : "csv") +
                                " " + std::to_string(pupils) + " " + std::to_string(teachers);
    FILE* child = ::popen(command.c_str(), "r");
    if (!child) return false;
    double j = 0, f = 0;
    const bool read = std::fscanf(child, "%lf %lf", &j, &f) == 2;
    if (::pclose(child) != 0 || !read) return false;
    jobTime = std::min(jobTime, j);
    floorTime = std::min(floorTime, f);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::error_code ec;
    const fs::path base =
        fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path root = base / ("rolvane-bench-jobs-" + std::to_string(::getpid()));
    // As in bench_builders: freed memory stays in the process, so that the rounds
    // after the first do not pay the kernel for zeroing fresh pages.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);

    // bench_update_jobs gep|csv PUPILS TEACHERS: one job at one size, in this
    // process (also for profiling).
    if (argc == 4) {
        const int status = measure(root, std::string(argv[1]) == "csv" ? Job::Csv : Job::Gep,
                                   std::atol(argv[2]), std::atol(argv[3]), 5);
        fs::remove_all(root, ec);
        return status;
    }
    // Every measurement runs in a fresh process, as a job does in rolvane-batch, and
    // the two sizes take turns, so that a machine that slows down or speeds up
    // weighs on both alike; the fastest of the processes' best rounds counts.
    constexpr int kProcesses = 3;
    bool within = true;
    std::printf("%-12s %-32s %9s %11s %10s\n", "job", "school", "job CPU", "I/O floor",
                "job/floor");
    for (const Job job : {Job::Gep, Job::Csv}) {
        const char* shown = job == Job::Gep ? "gep-update" : "csv-update";
        double jobTime[2] = {1e18, 1e18}, floorTime[2] = {1e18, 1e18};
        for (int process = 0; process < kProcesses; ++process)
            for (int size = 0; size < 2; ++size)
                if (!measured(job, size ? 40000 : 4000, size ? 3000 : 300, jobTime[size],
                              floorTime[size])) {
                    std::fprintf(stderr, "a measurement of %s failed\n", shown);
                    return 1;
                }
        for (int size = 0; size < 2; ++size)
            std::printf("%-12s %-32s %7.3f s %9.4f s %10.1f\n", shown,
                        size ? "40,000 pupils + 3,000 teachers" : "4,000 pupils + 300 teachers",
                        jobTime[size], floorTime[size], jobTime[size] / floorTime[size]);
        const double ratio = jobTime[1] / jobTime[0];
        std::printf("%-12s ratio 43,000 / 4,300 persons: %.2f (must be under 12)\n", shown, ratio);
        within = within && ratio < 12;
    }
    return within ? 0 : 1;
}
