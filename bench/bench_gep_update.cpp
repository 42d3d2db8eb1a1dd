// Cost of the GEP update job (miseAjour_M) from end to end: reading the EXPORT
// file and the GEP tables, building every account, writing the import files,
// the class list, the per-class files, GROUPES.TXT and comptesAsupprimer.txt.
// Runs it on a school of 4,000 pupils and 300 teachers, then on one ten times as
// large (40,000 + 3,000), each with an EXPORT of last year of the same size, and
// prints both times and their ratio: a job without a quadratic step stays under 12.
// The schools are written to /dev/shm when it exists: on a disk file system the
// creation of the thousand class files costs what the file system's inode
// allocator happens to cost that day, which is not the job's own work.
#include "jobs.h"
#include "model.h"
#include "text.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kRne = "0590001A";

// Answers the job's dialogs: every question Yes, the EXPORT dialog with the file.
class BenchDialogs : public modvesk::Dialogs {
public:
    std::string exportPath;
    void message(const std::string&, const std::string&, modvesk::Icon) override {}
    bool question(const std::string&, const std::string&, modvesk::Icon) override { return true; }
    std::string openFile(const std::string&, const std::string&, const std::string&) override {
        return exportPath;
    }
    void attente(long) override {}
};

// A dBase III table of character fields.
void writeTable(const fs::path& path, const std::vector<int>& widths,
                const std::vector<std::vector<std::string>>& rows) {
    const int n = static_cast<int>(widths.size());
    const int h = 32 + 32 * n + 1;
    int r = 1;
    for (int w : widths) r += w;
    std::string b(static_cast<size_t>(h), '\0');
    b[0] = 3;
    b[8] = static_cast<char>(h & 0xFF), b[9] = static_cast<char>(h >> 8);
    b[10] = static_cast<char>(r & 0xFF), b[11] = static_cast<char>(r >> 8);
    for (int k = 0; k < n; ++k) {
        b[32 + 32 * k] = 'F';
        b[32 + 32 * k + 11] = 'C';
        b[32 + 32 * k + 16] = static_cast<char>(widths[static_cast<size_t>(k)]);
    }
    b[32 + 32 * n] = 0x0D;
    std::ofstream out(path, std::ios::binary);
    out << b;
    for (const auto& row : rows) {
        std::string rec = " ";
        for (int k = 0; k < n; ++k) {
            std::string v = k < static_cast<int>(row.size()) ? row[static_cast<size_t>(k)] : "";
            v.resize(static_cast<size_t>(widths[static_cast<size_t>(k)]), ' ');
            rec += v;
        }
        out << rec;
    }
    out << '\x1A';
}

// Surname number i spelt in syllables; first names from a short list.
std::string surname(long i) {
    static const char* syl[] = {"BA", "LO", "MI", "RE", "TU", "NA", "PO", "DE", "SI", "CA",
                                "VO", "GU", "FE", "JA", "RO", "LE", "MA", "TI", "BO", "ZE"};
    std::string s;
    for (int k = 0; k < 4; ++k, i /= 20) s += syl[i % 20];
    return s;
}
const char* firstName(long i) {
    static const char* names[] = {"Lea", "Hugo", "Emma", "Louis", "Chloe", "Jules", "Ines", "Adam",
                                  "Manon", "Lucas", "Jade", "Tom", "Zoe", "Enzo", "Lina", "Theo"};
    return names[i % 16];
}
std::string className(long c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "K%04ld", c);
    return buf;
}

// A school of `pupils` pupils in classes of 28 and `teachers` teachers, with the
// EXPORT of last year: two thirds of the pupils kept, as many departed, the teachers.
void makeSchool(const fs::path& dir, long pupils, long teachers) {
    fs::create_directories(dir);
    const long classes = pupils / 28 + 1;
    std::vector<int> pupilWidths(42, 2);
    pupilWidths[0] = 8, pupilWidths[1] = 20, pupilWidths[2] = 15, pupilWidths[4] = 8;
    pupilWidths[39] = 6;
    std::vector<std::vector<std::string>> rows;
    std::string exportText = "#Nom;Prenom;groupe;login\r\n";
    for (long i = 0; i < pupils; ++i) {
        std::vector<std::string> row(42);
        const long person = i * 7919 % (pupils * 8); // spread, a few clashes
        row[0] = std::to_string(100000 + i), row[1] = surname(person / 16);
        row[2] = firstName(person), row[4] = "20100" + std::to_string(1 + i % 9) + "15";
        row[39] = className(i % classes);
        if (i % 3 != 0) {
            const std::string up = modvesk::Upper(row[2]);
            exportText += row[1] + ";" + up + ";" + modvesk::Lower(row[39]) + ";" +
                          modvesk::Lower(row[1] + "." + up) + ";x;;;;;;;\r\n";
        } else {
            exportText += "GONE" + surname(i) + ";ANNE;" + modvesk::Lower(row[39]) + ";gone" +
                          std::to_string(i) + ";x;;;;;;;\r\n";
        }
        rows.push_back(std::move(row));
    }
    writeTable(dir / "F_ELE.DBF", pupilWidths, rows);

    std::vector<std::vector<std::string>> staff, assignments;
    for (long t = 0; t < teachers; ++t) {
        const std::string id = std::to_string(5000000000L + t);
        staff.push_back({"E", id, "14E05" + std::to_string(1000000 + t), "PROF" + surname(t),
                         firstName(t + 3)});
        assignments.push_back({"1", "EN", id, kRne, "L0100", "20150901", t % 10 ? "20990831" : "20240831"});
        exportText += "PROF" + surname(t) + ";" + modvesk::Lower(firstName(t + 3)) + ";profs;old" +
                      std::to_string(t) + ";x;;;;;;;\r\n";
    }
    writeTable(dir / "F_IND.DBF", {1, 10, 12, 24, 15}, staff);
    writeTable(dir / "F_AFF.DBF", {6, 2, 10, 8, 6, 8, 8}, assignments);
    std::ofstream(dir / "EXPORT", std::ios::binary) << exportText;
}

double timeUpdate(const fs::path& dir) {
    BenchDialogs ui;
    ui.exportPath = (dir / "EXPORT").string();
    modvesk::Session s;
    s.dir = dir;
    s.ui = &ui;
    s.win.txtrne1 = kRne;
    const auto start = Clock::now();
    modvesk::miseAjour_M_Click(s);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (s.job.libraryMissing || !s.job.writeErrors.empty()) {
        std::fprintf(stderr, "the job failed in %s\n", dir.c_str());
        std::exit(1);
    }
    return seconds;
}

} // namespace

int main() {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path root = base / ("rolvane-bench-gep-" + std::to_string(::getpid()));
    makeSchool(root / "small", 4000, 300);
    makeSchool(root / "large", 40000, 3000);
    const double small = timeUpdate(root / "small");
    const double large = timeUpdate(root / "large");
    std::printf("gep-update   4,000 pupils +   300 teachers: %.3f s\n", small);
    std::printf("gep-update  40,000 pupils + 3,000 teachers: %.3f s\n", large);
    std::printf("ratio: %.2f (must stay under 12)\n", large / small);
    fs::remove_all(root, ec);
    return large / small < 12 ? 0 : 1;
}
