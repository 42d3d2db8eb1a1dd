// The three update jobs as a technician runs them, one rolvane-batch process per
// school, against the I/O floor of the same data: bench_io_floor, a process that
// reads every source once and writes files of the sizes the job wrote, once each.
//
//   bench_whole_process [RUNS]      (RUNS counted runs of each command, at least 7)
//
// Each school (4,000 pupils + 300 teachers, and ten times as many) is generated
// once; the job runs once to learn what it writes, then the job and the floor take
// turns, RUNS times after one warm-up, the folder put back as generated before
// each job. Figures are the medians of the processes' wall time and of their own
// CPU time (user + system, from wait4), with the peak memory; job/floor is the
// median of the wall-time ratios taken run by run. rolvane-batch and
// bench_io_floor are looked for beside this program. Exit status 1 when a target
// is missed: gep-update and siecle-update at most 3 times their floor at both
// sizes, at most 10.5 times slower at the larger, under 48 MB at the larger;
// csv-update at most 3 times its floor at both sizes.
#include "school.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Process {
    double cpu = 0, wall = 0; // seconds
    long peakKb = 0;
    int status = -1;
};

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// Runs the program with its output thrown away; its times and peak memory.
Process spawn(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const double start = now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    Process p;
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) return p;
    p.wall = now() - start;
    p.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    p.peakKb = usage.ru_maxrss;
    p.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    return p;
}

// Whether two files hold the same bytes, read a block at a time: this process
// stays small, and so does the peak memory its children are charged with.
bool sameBytes(const fs::path& a, const fs::path& b) {
    std::error_code ea, eb;
    if (fs::file_size(a, ea) != fs::file_size(b, eb) || ea || eb) return false;
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    std::vector<char> bx(1 << 16), by(1 << 16);
    while (x && y) {
        x.read(bx.data(), static_cast<std::streamsize>(bx.size()));
        y.read(by.data(), static_cast<std::streamsize>(by.size()));
        if (x.gcount() != y.gcount() ||
            !std::equal(bx.begin(), bx.begin() + x.gcount(), by.begin()))
            return false;
    }
    return !x.bad() && !y.bad();
}

// A school's folder, with a copy of it as generated beside it to put it back
// before each run. The sources stay on disk, not in this process: the peak
// memory of a child counts the memory of this process at the fork.
struct School {
    fs::path dir, pristine;
    std::vector<std::string> sources;
};

School loadSchool(const fs::path& dir) {
    School school{dir, dir.string() + "-pristine", {}};
    fs::remove_all(school.pristine);
    fs::create_directories(school.pristine);
    for (const auto& e : fs::directory_iterator(dir)) {
        school.sources.push_back(e.path().filename().string());
        fs::copy_file(e.path(), school.pristine / e.path().filename());
    }
    return school;
}

bool isSource(const School& school, const std::string& name) {
    return std::find(school.sources.begin(), school.sources.end(), name) != school.sources.end();
}

void restore(const School& school) {
    for (const auto& e : fs::directory_iterator(school.dir))
        if (!isSource(school, e.path().filename().string())) fs::remove_all(e.path());
    for (const auto& name : school.sources)
        fs::copy_file(school.pristine / name, school.dir / name,
                      fs::copy_options::overwrite_existing);
}

// The floor's manifest: every source, then every file the job left new or changed.
void writeManifest(const School& school, const fs::path& manifest) {
    std::ofstream out(manifest);
    for (const auto& name : school.sources)
        out << "in " << name << "\n";
    for (const auto& e : fs::directory_iterator(school.dir)) {
        const std::string name = e.path().filename().string();
        if (!isSource(school, name) || !sameBytes(e.path(), school.pristine / name))
            out << "out " << fs::file_size(e.path()) << " " << name << "\n";
    }
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// `ratio` is the median of the wall-time ratios job / floor taken run by run: a
// job and its floor run one after the other, so a drift of the machine's speed
// weighs on both alike.
struct Figures {
    double jobCpu, floorCpu, jobWall, floorWall, peakMb, ratio;
    bool ok;
};

// The job and its floor in turns on one school.
Figures measure(const fs::path& bin, const School& school, const std::string& job, int runs) {
    const std::string dir = school.dir.string();
    std::vector<std::string> jobArgs = {
        (bin / "rolvane-batch").string(), job, "--dir", dir, "--export", dir + "/EXPORT"};
    if (job != "csv-update") jobArgs.insert(jobArgs.end(), {"--rne1", benchschool::kRne});
    const fs::path manifest = dir + ".manifest", floorDir = dir + "-floor";
    restore(school);
    bool ok = spawn(jobArgs).status == 0;
    writeManifest(school, manifest);
    const std::vector<std::string> floorArgs = {(bin / "bench_io_floor").string(),
                                                manifest.string(), dir, floorDir.string()};
    std::vector<double> jobCpu, floorCpu, jobWall, floorWall, ratios;
    long peakKb = 0;
    for (int i = 0; i <= runs; ++i) { // the first turn is the warm-up
        restore(school);
        const Process j = spawn(jobArgs);
        fs::remove_all(floorDir);
        fs::create_directories(floorDir);
        const Process f = spawn(floorArgs);
        ok = ok && j.status == 0 && f.status == 0;
        if (i == 0) continue;
        jobCpu.push_back(j.cpu), jobWall.push_back(j.wall);
        floorCpu.push_back(f.cpu), floorWall.push_back(f.wall);
        ratios.push_back(f.wall > 0 ? j.wall / f.wall : 0);
        peakKb = std::max(peakKb, j.peakKb);
    }
    fs::remove_all(floorDir);
    fs::remove_all(school.pristine);
    return {median(jobCpu),
            median(floorCpu),
            median(jobWall),
            median(floorWall),
            peakKb / 1024.0,
            median(ratios),
            ok};
}

} // namespace

int main(int argc, char** argv) {
    const int runs = std::max(7, argc > 1 ? std::atoi(argv[1]) : 7);
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    std::error_code ec;
    const fs::path base =
        fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path root = base / ("rolvane-bench-process-" + std::to_string(::getpid()));
    const long pupils[2] = {4000, 40000}, teachers[2] = {300, 3000};
    const char* shown[2] = {"4,300", "43,000"};
    const char* jobs[3] = {"gep-update", "siecle-update", "csv-update"};
    const char* folders[3] = {"gep", "siecle", "csv"};

    std::printf("medians of %d runs; CPU = user + system of the whole process; job/floor of "
                "the wall times\n",
                runs);
    std::printf("%-14s %-8s %9s %10s %9s %10s %9s %9s\n", "job", "persons", "job wall",
                "floor wall", "job/floor", "job CPU", "floor CPU", "peak");
    bool failed = false;
    Figures f[3][2];
    for (int size = 0; size < 2; ++size) {
        fs::remove_all(root, ec);
        benchschool::makeSchool(root, pupils[size], teachers[size]);
        malloc_trim(0); // the school made, this process is small again before it forks
        for (int j = 0; j < 3; ++j) {
            const School school = loadSchool(root / folders[j]);
            f[j][size] = measure(bin, school, jobs[j], runs);
            const Figures& x = f[j][size];
            failed = failed || !x.ok;
            std::printf("%-14s %-8s %7.3f s %8.4f s %9.2f %8.3f s %7.4f s %6.1f MB\n", jobs[j],
                        shown[size], x.jobWall, x.floorWall, x.ratio, x.jobCpu, x.floorCpu,
                        x.peakMb);
        }
    }
    fs::remove_all(root, ec);
    bool within = true;
    for (int j = 0; j < 3; ++j) {
        const double growth = f[j][1].jobWall / f[j][0].jobWall;
        std::printf("%s: 43,000 / 4,300 persons, wall %.2f, CPU %.2f\n", jobs[j], growth,
                    f[j][1].jobCpu / f[j][0].jobCpu);
        within = within && f[j][0].ratio <= 3 && f[j][1].ratio <= 3;
        if (j < 2) within = within && growth <= 10.5 && f[j][1].peakMb < 48;
    }
    std::printf("targets (job/floor <= 3 at both sizes; gep-update and siecle-update: growth "
                "<= 10.5, peak < 48 MB at 43,000): %s\n",
                within ? "met" : "missed");
    if (failed) std::printf("a run ended with a non-zero status\n");
    return within && !failed ? 0 : 1;
}
