// The school the update benchmarks run on: GEP tables, CSV files and SIECLE /
// STS-web exports of a given number of pupils (classes of 28) and teachers, with
// last year's EXPORT in each folder, two thirds of the pupils kept and as many
// departed.
//
// Names are drawn, always in the same sequence, from bench/names.txt: first names
// by their number of births, surnames by their number of bearers for the share of
// the population those surnames cover (about one person in six), the others from a
// pool of rarer surnames (spelt in syllables) as large as half the school; one
// person in twelve bears two surnames. About one pupil in a hundred is numbered as
// a namesake at 4,300 persons and three in a hundred at 43,000; names long enough
// to cut the login come as they come.
#pragma once

#include "accounts/login.h"
#include "text/text.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#ifndef ROLVANE_BENCH_NAMES
#define ROLVANE_BENCH_NAMES "bench/names.txt"
#endif

namespace benchschool {

namespace fs = std::filesystem;

inline const std::string kRne = "0590001A";

// A dBase III table of character fields (the values in code page 850).
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

// Windows-1252 text in code page 850, as GEP writes its tables.
inline std::string toOem(std::string text) {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        for (unsigned i = 0; i < 256; ++i)
            t[i] = static_cast<char>(i);
        for (unsigned i = 255; i >= 0x80; --i) {
            const std::string ansi = modvesk::OemToAnsi(std::string(1, static_cast<char>(i)));
            if (ansi != "?") t[static_cast<unsigned char>(ansi[0])] = static_cast<char>(i);
        }
        return t;
    }();
    for (char& c : text)
        c = table[static_cast<unsigned char>(c)];
    return text;
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

// A rarer surname: number i spelt in syllables, two at least (one number, one
// spelling).
inline std::string rareSurname(long i) {
    static const char* syl[] = {"BA", "LO", "MI", "RE", "TU", "NA", "PO", "DE", "SI", "CA",
                                "VO", "GU", "FE", "JA", "RO", "LE", "MA", "TI", "BO", "ZE"};
    std::string s;
    do {
        s += syl[i % 20];
        i /= 20;
    } while (i > 0 || s.size() < 4);
    return s;
}

inline std::string className(long c) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "K%04ld", c);
    return buf;
}

// Names with their counts, drawn by weight.
struct NameTable {
    std::vector<std::string> names; // Windows-1252
    std::vector<uint64_t> upTo;     // running total of the counts
    const std::string& draw(std::mt19937_64& random) const {
        const uint64_t r = random() % upTo.back();
        return names[static_cast<size_t>(std::upper_bound(upTo.begin(), upTo.end(), r) -
                                         upTo.begin())];
    }
};

struct Names {
    NameTable first, surnames;
};

inline const Names& names() {
    static const Names table = [] {
        Names n;
        std::ifstream in(ROLVANE_BENCH_NAMES);
        if (!in) throw std::runtime_error("cannot read " ROLVANE_BENCH_NAMES);
        NameTable* into = nullptr;
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '#') continue;
            if (line[0] == '[') {
                into = line == "[surnames]" ? &n.surnames : &n.first;
                continue;
            }
            const size_t blank = line.rfind(' ');
            into->names.push_back(modvesk::ansi(line.substr(0, blank)));
            const uint64_t last = into->upTo.empty() ? 0 : into->upTo.back();
            into->upTo.push_back(last + std::stoull(line.substr(blank + 1)));
        }
        return n;
    }();
    return table;
}

// A person of the school: surname and first name as the sources spell them.
struct Person {
    std::string surname, firstName;
};

class PersonDrawer {
  public:
    explicit PersonDrawer(long schoolSize) : pool_(std::max(1L, schoolSize / 2)) {}
    // One child in twelve born since 2006 bears the surnames of both parents.
    Person next() {
        Person p;
        p.surname = surname();
        if (random_() % 12 == 0) p.surname += "-" + surname();
        p.firstName = names().first.draw(random_);
        return p;
    }

  private:
    // The surnames of the table are borne by about one person in six.
    std::string surname() {
        if (random_() % 6 == 0) return names().surnames.draw(random_);
        return rareSurname(static_cast<long>(random_() % static_cast<uint64_t>(pool_)));
    }

    std::mt19937_64 random_{20260901};
    long pool_;
};

// Last year's accounts as the program made them: its name key, numbered when it
// was taken already, and the login of that key.
class LastYear {
  public:
    // "SURNAME;FIRSTPART;group;login" of a pupil.
    std::string pupilLine(const Person& p, const std::string& group) {
        std::string surname = p.surname, first = p.firstName;
        modvesk::FoldRecord(surname, modvesk::RecordKind::GepPupil);
        modvesk::FoldRecord(first, modvesk::RecordKind::GepPupil);
        surname = modvesk::CleanPupilSurname(surname);
        std::string_view rest;
        first = modvesk::FirstWord(modvesk::CleanPupilFirstName(first), rest);
        std::string part =
            modvesk::Left(first, std::max(1L, 19 - static_cast<long>(surname.size())));
        const long taken = taken_[surname + " " + part]++;
        if (taken > 0) part += std::to_string(taken);
        return surname + ";" + part + ";" + group + ";" +
               modvesk::LoginFor(modvesk::LoginFormat::NomDabord, surname, part) + ";x;;;;;;;\r\n";
    }

  private:
    std::map<std::string, long> taken_;
};

// The SIECLE pupils' export (ISO-8859-15, whose letters of the names drawn are the
// Windows-1252 ones) and the STS-web staff export (UTF-8) of the school.
struct SiecleFiles {
    std::string pupils, structures, staff, divisions;
    void addPupil(long i, const Person& p, const std::string& date, const std::string& cls) {
        const std::string id = std::to_string(200000 + i);
        pupils += "      <ELEVE ELEVE_ID=\"" + id + "\" ELENOET=\"" + std::to_string(100000 + i) +
                  "\">\r\n        <ID_NATIONAL>0" + id + "AB</ID_NATIONAL>\r\n" +
                  "        <NOM_DE_FAMILLE>" + p.surname + "</NOM_DE_FAMILLE>\r\n" +
                  "        <NOM_USAGE></NOM_USAGE>\r\n        <PRENOM>" + p.firstName +
                  "</PRENOM>\r\n        <DATE_NAISS>" + date + "</DATE_NAISS>\r\n" +
                  "        <CODE_SEXE>" + std::to_string(1 + i % 2) +
                  "</CODE_SEXE>\r\n        <CODE_PAYS>100</CODE_PAYS>\r\n      </ELEVE>\r\n";
        structures += "      <STRUCTURES_ELEVE ELEVE_ID=\"" + id + "\">\r\n" +
                      "        <STRUCTURE>\r\n          <CODE_STRUCTURE>" + cls +
                      "</CODE_STRUCTURE>\r\n          <TYPE_STRUCTURE>D</TYPE_STRUCTURE>\r\n" +
                      "        </STRUCTURE>\r\n      </STRUCTURES_ELEVE>\r\n";
    }
    void addTeacher(const std::string& id, const Person& p) {
        staff += "      <INDIVIDU ID=\"" + id + "\" TYPE=\"epp\">\r\n        <NOM_USAGE>" +
                 modvesk::utf8(p.surname) + "</NOM_USAGE>\r\n        <NOM_PATRONYMIQUE>" +
                 modvesk::utf8(p.surname) + "</NOM_PATRONYMIQUE>\r\n        <PRENOM>" +
                 modvesk::utf8(p.firstName) + "</PRENOM>\r\n" +
                 "        <FONCTION>ENS</FONCTION>\r\n      </INDIVIDU>\r\n";
    }
    // A division with the services of three teachers.
    void addDivision(const std::string& cls, const std::vector<std::string>& teachers) {
        divisions += "        <DIVISION CODE=\"" + cls + "\">\r\n          <SERVICES>\r\n";
        for (const auto& id : teachers)
            divisions += "            <SERVICE CODE_MATIERE=\"030201\">\r\n              "
                         "<ENSEIGNANTS><ENSEIGNANT ID=\"" +
                         id + "\" TYPE=\"epp\"/></ENSEIGNANTS>\r\n            </SERVICE>\r\n";
        divisions += "          </SERVICES>\r\n        </DIVISION>\r\n";
    }
    void write(const fs::path& dir) const {
        std::ofstream(dir / "ElevesSansAdresses.xml", std::ios::binary)
            << "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>\r\n<BEE_ELEVES "
               "VERSION=\"3.1\">\r\n"
               "  <PARAMETRES>\r\n    <UAJ>"
            << kRne << "</UAJ>\r\n  </PARAMETRES>\r\n  <DONNEES>\r\n    <ELEVES>\r\n"
            << pupils << "    </ELEVES>\r\n    <STRUCTURES>\r\n"
            << structures << "    </STRUCTURES>\r\n  </DONNEES>\r\n</BEE_ELEVES>\r\n";
        std::ofstream(dir / ("sts_emp_" + kRne + "_2026.xml"), std::ios::binary)
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<STS_EDT>\r\n  <PARAMETRES>\r\n"
               "    <UAJ CODE=\""
            << kRne << "\"/>\r\n  </PARAMETRES>\r\n  <DONNEES>\r\n    <INDIVIDUS>\r\n"
            << staff << "    </INDIVIDUS>\r\n    <STRUCTURE>\r\n      <DIVISIONS>\r\n"
            << divisions
            << "      </DIVISIONS>\r\n    </STRUCTURE>\r\n  </DONNEES>\r\n</STS_EDT>\r\n";
    }
};

// A school of `pupils` pupils in classes of 28 and `teachers` teachers, as GEP
// tables (gep/), as CSV files (csv/) and as SIECLE / STS-web exports (siecle/),
// with the EXPORT of last year in each: two thirds of the pupils kept, as many
// departed, the teachers.
inline void makeSchool(const fs::path& dir, long pupils, long teachers) {
    for (const char* kind : {"gep", "csv", "siecle"})
        fs::create_directories(dir / kind);
    const long classes = pupils / 28 + 1;
    std::vector<int> pupilWidths(42, 2);
    pupilWidths[0] = 8, pupilWidths[1] = 20, pupilWidths[2] = 15, pupilWidths[4] = 8;
    pupilWidths[39] = 6;
    std::vector<std::vector<std::string>> rows;
    std::string exportText = "#Nom;Prenom;groupe;login\r\n";
    std::string pupilCsv, teacherCsv;
    PersonDrawer drawer(pupils + teachers);
    LastYear lastYear;
    SiecleFiles siecle;
    for (long i = 0; i < pupils; ++i) {
        std::vector<std::string> row(42);
        const Person p = drawer.next();
        const std::string day = "0" + std::to_string(1 + i % 9);
        row[0] = std::to_string(100000 + i), row[1] = toOem(p.surname);
        row[2] = toOem(p.firstName), row[4] = "2010" + day + "15";
        row[39] = className(i % classes);
        pupilCsv += p.surname + ";" + p.firstName + ";" + row[39] + ";15/" + day + "/2010\r\n";
        siecle.addPupil(i, p, "15/" + day + "/2010", row[39]);
        if (i % 3 != 0)
            exportText += lastYear.pupilLine(p, modvesk::Lower(row[39]));
        else
            exportText += "GONE" + rareSurname(i) + ";ANNE;" + modvesk::Lower(row[39]) + ";gone" +
                          std::to_string(i) + ";x;;;;;;;\r\n";
        rows.push_back(std::move(row));
    }
    writeTable(dir / "gep" / "F_ELE.DBF", pupilWidths, rows);

    std::vector<std::vector<std::string>> staff, assignments;
    std::vector<std::string> ids;
    for (long t = 0; t < teachers; ++t) {
        const std::string id = std::to_string(5000000000L + t);
        const Person p = drawer.next();
        ids.push_back(id);
        staff.push_back(
            {"E", id, "14E05" + std::to_string(1000000 + t), toOem(p.surname), toOem(p.firstName)});
        assignments.push_back(
            {"1", "EN", id, kRne, "L0100", "20150901", t % 10 ? "20990831" : "20240831"});
        siecle.addTeacher(id, p);
        teacherCsv += p.surname + ";" + p.firstName + ";profs;pw" + std::to_string(t) + "\r\n";
        std::string surname = p.surname, first = p.firstName;
        modvesk::FoldRecord(surname, modvesk::RecordKind::GepTeacher);
        modvesk::FoldRecord(first, modvesk::RecordKind::GepTeacher);
        exportText += modvesk::CleanTeacherSurname(surname) + ";" +
                      modvesk::CleanTeacherFirstName(first) + ";profs;old" + std::to_string(t) +
                      ";x;;;;;;;\r\n";
    }
    for (long c = 0; c < classes && !ids.empty(); ++c)
        siecle.addDivision(className(c), {ids[static_cast<size_t>(c) % ids.size()],
                                          ids[static_cast<size_t>(c * 7 + 1) % ids.size()],
                                          ids[static_cast<size_t>(c * 13 + 2) % ids.size()]});
    writeTable(dir / "gep" / "F_IND.DBF", {1, 10, 12, 24, 15}, staff);
    writeTable(dir / "gep" / "F_AFF.DBF", {6, 2, 10, 8, 6, 8, 8}, assignments);
    siecle.write(dir / "siecle");
    for (const char* kind : {"gep", "csv", "siecle"})
        std::ofstream(dir / kind / "EXPORT", std::ios::binary) << exportText;
    std::ofstream(dir / "csv" / "ELEVES.CSV", std::ios::binary) << pupilCsv;
    std::ofstream(dir / "csv" / "PROFS.CSV", std::ios::binary) << teacherCsv;
}

} // namespace benchschool
