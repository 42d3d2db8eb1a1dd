// The teacher tools' load of the server's EXPORT file, as the administrator waits
// for it: the form of the group responsibilities and the form of the deletion
// of teacher accounts, each on an EXPORT of 10,000 and of 100,000 lines (one
// line in fifty a teacher). The load reads the file, hands every line to the
// library and lists its teachers and groups, so its time should grow with the
// number of lines: the ratio between the sizes should stay near 10.
//
// Times are the CPU time of this thread, the best of several rounds.
#include "bench_dialogs.h"
#include "cpu_time.h"

#include "jobs/teacher_tools.h"
#include "model/model.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kRounds = 3;

// An EXPORT of `lines` account lines after its header: pupils in 400 classes,
// and every fiftieth line a teacher responsible for two of those classes.
void writeExport(const fs::path& path, long lines) {
    std::ofstream out(path, std::ios::binary);
    out << "#Nom;Pr\xE9nom;groupe d'affectation;login actuel;nouveau login;mot de passe;droits;"
           "groupes invit\xE9s;groupes responsable;serveur mail externe; login mail externe; mot "
           "de passe mail externe\r\n";
    for (long i = 0; i < lines; ++i) {
        const std::string n = std::to_string(i);
        const bool teacher = i % 50 == 0;
        const std::string group = teacher ? "profs" : "c" + std::to_string(i % 400) + "a";
        const std::string login = "nom" + n + ".prenom" + n;
        const std::string responsible =
            teacher ? "c" + std::to_string(i % 400) + "a c" + std::to_string((i + 1) % 400) + "a"
                    : "";
        out << "NOM" << n << ";PRENOM" << n << ";" << group << ";" << login << ";" << login
            << ";;;;" << responsible << ";;;\r\n";
    }
}

// The best CPU time of the form load over the rounds, and the size of its lists.
template <typename Form, typename Load>
double timedLoad(const fs::path& dir, const fs::path& exportFile, Load load, size_t& teachers) {
    double best = 1e18;
    for (int round = 0; round < kRounds; ++round) {
        BenchDialogs ui;
        ui.exportPath = exportFile.string();
        modvesk::Session s;
        s.dir = dir;
        s.ui = &ui;
        Form form;
        const double start = cpuSeconds();
        load(s, form);
        best = std::min(best, cpuSeconds() - start);
        teachers = form.Listprofs.size();
        if (form.unloaded || s.job.endedEarly) {
            std::fprintf(stderr, "the form did not load %s\n", exportFile.c_str());
            std::exit(1);
        }
    }
    return best;
}

} // namespace

int main() {
    const fs::path dir =
        fs::temp_directory_path() / ("bench_teacher_tools." + std::to_string(getpid()));
    fs::create_directories(dir);
    const long sizes[] = {10000, 100000};
    for (const long lines : sizes)
        writeExport(dir / ("EXPORT" + std::to_string(lines)), lines);

    struct Tool {
        const char* name;
        double (*run)(const fs::path&, const fs::path&, size_t&);
    };
    const Tool tools[] = {
        {"responsibles (profsresp)",
         [](const fs::path& d, const fs::path& e, size_t& n) {
             return timedLoad<modvesk::ProfsRespForm>(d, e, modvesk::profsresp_Form_Load, n);
         }},
        {"delete-teachers (frcmptesprofs)", [](const fs::path& d, const fs::path& e, size_t& n) {
             return timedLoad<modvesk::FrCmptesProfsForm>(d, e, modvesk::frcmptesprofs_Form_Load,
                                                          n);
         }}};
    for (const Tool& tool : tools) {
        double seconds[2] = {};
        for (int i = 0; i < 2; ++i) {
            size_t teachers = 0;
            seconds[i] = tool.run(dir, dir / ("EXPORT" + std::to_string(sizes[i])), teachers);
            std::printf("%-32s %7ld lines: %8.1f ms (%zu teachers listed)\n", tool.name, sizes[i],
                        seconds[i] * 1e3, teachers);
        }
        std::printf("%-32s 100,000 / 10,000 lines: %.1f (linear: about 10)\n", tool.name,
                    seconds[1] / std::max(seconds[0], 1e-9));
    }
    fs::remove_all(dir);
    return 0;
}
