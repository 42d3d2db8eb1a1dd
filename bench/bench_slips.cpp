// Login slips for 4,000 and 40,000 new pupils, 32 to a class: reading the
// account and class files, ordering the slips, and writing one PDF per class
// and the PDF of all classes. Each size runs in a child process of its own, so
// that its peak memory is its own. The PDF grows with the slips and nothing may
// scan every slip per slip: ten times the pupils should take about ten times as
// long (ratio under 12), and the peak memory should grow far less than tenfold.
#include "cpu_time.h"
#include "jobs/slips_job.h"
#include "model/model.h"
#include "school.h"
#include "text/text.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

class NoDialogs : public modvesk::Dialogs {
  public:
    void message(const std::string&, const std::string&, modvesk::Icon) override {}
    bool question(const std::string&, const std::string&, modvesk::Icon) override { return false; }
    std::string openFile(const std::string&, const std::string&, const std::string&) override {
        return "";
    }
    void attente(long) override {}
};

// ComptesAajouter.txt and the class files of `count` pupils.
void writeFolder(const fs::path& dir, long count) {
    std::ofstream accounts(dir / "ComptesAajouter.txt", std::ios::binary);
    accounts << "#Nom;Pr\xE9nom;groupe d'affectation;...\r\n";
    std::map<std::string, std::string> classFiles;
    for (long i = 0; i < count; ++i) {
        const std::string cls = std::to_string(3 + i % 4) + "e" + std::to_string(i / 128);
        const std::string surname = benchschool::letterName(i), first = "\xC9LODIE";
        const std::string login = modvesk::Lower(surname) + ".elodie";
        const std::string password = std::to_string(10000000 + i * 7919 % 89999999);
        accounts << surname << ';' << first << ";c" << cls << ';' << login << ';' << login << ';'
                 << password << ";;;;;;;;\r\n";
        classFiles[cls] += surname + "," + first + ",c" + cls + "," + password + "\r\n";
    }
    for (const auto& [cls, text] : classFiles)
        std::ofstream(dir / (cls + ".TXT")) << text;
}

// Child: builds the folder, then times writing every slip.
int measure(long count) {
    const fs::path dir =
        fs::temp_directory_path() / ("rolvane-bench-slips-" + std::to_string(getpid()));
    fs::create_directories(dir);
    writeFolder(dir, count);
    NoDialogs dialogs;
    modvesk::Session s;
    s.dir = dir;
    s.ui = &dialogs;
    s.win.txtrne1 = "0123456A";
    const double start = cpuSeconds();
    const auto written = modvesk::writeSlips(s, modvesk::SlipChoice::AllClasses);
    const double seconds = cpuSeconds() - start;
    const auto size = fs::file_size(dir / "fiches-toutes-classes.pdf");
    fs::remove_all(dir);
    std::printf("%.4f %zu %ju\n", seconds, written.size(), static_cast<uintmax_t>(size));
    return written.empty() || !s.job.writeErrors.empty() ? 1 : 0;
}

struct Figures {
    double seconds = 0;
    long peakKb = 0;
};

Figures inChild(long count) {
    int out[2];
    if (pipe(out) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        const int status = measure(count);
        std::fflush(stdout);
        std::_Exit(status);
    }
    close(out[1]);
    char buf[128] = {};
    const ssize_t n = read(out[0], buf, sizeof buf - 1);
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (n <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return {std::strtod(buf, nullptr), usage.ru_maxrss};
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) return measure(std::atol(argv[1])); // one size, in this process
    Figures small, large;
    for (int round = 0; round < 3; ++round) { // the best of three, sizes taking turns
        const Figures s = inChild(4000), l = inChild(40000);
        if (s.peakKb == 0 || l.peakKb == 0) {
            std::fprintf(stderr, "bench_slips: a run failed\n");
            return 1;
        }
        if (round == 0 || s.seconds < small.seconds) small = s;
        if (round == 0 || l.seconds < large.seconds) large = l;
    }
    const double ratio = large.seconds / small.seconds;
    std::printf("slips, 4,000 pupils:  %.4f s CPU, peak %ld kB\n", small.seconds, small.peakKb);
    std::printf("slips, 40,000 pupils: %.4f s CPU, peak %ld kB\n", large.seconds, large.peakKb);
    std::printf("time ratio: %.2f (must be under 12); memory ratio: %.2f\n", ratio,
                static_cast<double>(large.peakKb) / static_cast<double>(small.peakKb));
    return ratio < 12 ? 0 : 1;
}
