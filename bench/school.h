// The school the update benchmarks run on: GEP tables and CSV files of a given
// number of pupils (classes of 28) and teachers, with last year's EXPORT in each
// folder, two thirds of the pupils kept and as many departed. Many names clash
// or are cut, as in a district's largest schools.
#pragma once

#include "text/text.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace benchschool {

namespace fs = std::filesystem;

inline const std::string kRne = "0590001A";

// A dBase III table of character fields.
inline void writeTable(const fs::path& path, const std::vector<int>& widths,
                       const std::vector<std::vector<std::string>>& rows) {
    const int n = static_cast<int>(widths.size());
    const int h = 32 + 32 * n + 1;
    int r = 1;
    for (int w : widths)
        r += w;
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

// A distinct name of letters for number i ("NOMA", "NOMB", …, "NOMAB", …): digits
// would be kept too, but letters look like the data.
inline std::string letterName(long i) {
    std::string s = "NOM";
    do {
        s += static_cast<char>('A' + i % 26);
        i /= 26;
    } while (i > 0);
    return s;
}

// Surname number i spelt in syllables; first names from a short list.
inline std::string surname(long i) {
    static const char* syl[] = {"BA", "LO", "MI", "RE", "TU", "NA", "PO", "DE", "SI", "CA",
                                "VO", "GU", "FE", "JA", "RO", "LE", "MA", "TI", "BO", "ZE"};
    std::string s;
    for (int k = 0; k < 4; ++k, i /= 20)
        s += syl[i % 20];
    return s;
}
inline const char* firstName(long i) {
    static const char* names[] = {"Lea",  "Hugo", "Emma",  "Louis", "Chloe", "Jules",
                                  "Ines", "Adam", "Manon", "Lucas", "Jade",  "Tom",
                                  "Zoe",  "Enzo", "Lina",  "Theo"};
    return names[i % 16];
}
inline std::string className(long c) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "K%04ld", c);
    return buf;
}

// A school of `pupils` pupils in classes of 28 and `teachers` teachers, as GEP
// tables (gep/) and as CSV files (csv/), with the EXPORT of last year in each:
// two thirds of the pupils kept, as many departed, the teachers.
inline void makeSchool(const fs::path& dir, long pupils, long teachers) {
    fs::create_directories(dir / "gep");
    fs::create_directories(dir / "csv");
    const long classes = pupils / 28 + 1;
    std::vector<int> pupilWidths(42, 2);
    pupilWidths[0] = 8, pupilWidths[1] = 20, pupilWidths[2] = 15, pupilWidths[4] = 8;
    pupilWidths[39] = 6;
    std::vector<std::vector<std::string>> rows;
    std::string exportText = "#Nom;Prenom;groupe;login\r\n";
    std::string pupilCsv, teacherCsv;
    for (long i = 0; i < pupils; ++i) {
        std::vector<std::string> row(42);
        // Names spread over the alphabet; every fifth pupil is the namesake of the
        // one before (a numbered login, a line of doublons.txt), and one name in
        // seven has a surname long enough to cut the login (troncatures.txt).
        const long person = (i % 5 == 4 ? i - 1 : i) * 7919 % (pupils * 8);
        row[0] = std::to_string(100000 + i), row[1] = surname(person / 16);
        if (person % 7 == 3) row[1] += "DELAMONTAGNE";
        row[2] = firstName(person), row[4] = "20100" + std::to_string(1 + i % 9) + "15";
        row[39] = className(i % classes);
        pupilCsv += row[1] + ";" + row[2] + ";" + row[39] + ";15/0" + std::to_string(1 + i % 9) +
                    "/2010\r\n";
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
    writeTable(dir / "gep" / "F_ELE.DBF", pupilWidths, rows);

    std::vector<std::vector<std::string>> staff, assignments;
    for (long t = 0; t < teachers; ++t) {
        const std::string id = std::to_string(5000000000L + t);
        staff.push_back({"E", id, "14E05" + std::to_string(1000000 + t), "PROF" + surname(t),
                         firstName(t + 3)});
        assignments.push_back(
            {"1", "EN", id, kRne, "L0100", "20150901", t % 10 ? "20990831" : "20240831"});
        teacherCsv +=
            "PROF" + surname(t) + ";" + firstName(t + 3) + ";profs;pw" + std::to_string(t) + "\r\n";
        exportText += "PROF" + surname(t) + ";" + modvesk::Lower(firstName(t + 3)) + ";profs;old" +
                      std::to_string(t) + ";x;;;;;;;\r\n";
    }
    writeTable(dir / "gep" / "F_IND.DBF", {1, 10, 12, 24, 15}, staff);
    writeTable(dir / "gep" / "F_AFF.DBF", {6, 2, 10, 8, 6, 8, 8}, assignments);
    std::ofstream(dir / "gep" / "EXPORT", std::ios::binary) << exportText;
    std::ofstream(dir / "csv" / "ELEVES.CSV", std::ios::binary) << pupilCsv;
    std::ofstream(dir / "csv" / "PROFS.CSV", std::ios::binary) << teacherCsv;
    std::ofstream(dir / "csv" / "EXPORT", std::ios::binary) << exportText;
}

} // namespace benchschool
