// The component's Access methods on the real databases of the shared corpus,
// compared with what the mdbtools programs print for the same files.
#include "clients/component_client.h"
#include "corpus.h"
#include "text/text.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

using component::Component;
using component::ComponentError;
using modvesk::ansi;
using testsupport::corpusFile;
namespace fs = std::filesystem;

namespace {

const std::string kJet3 = "jahlborn-jackcess__testV1997.mdb";
const std::string kJet4 = "jahlborn-jackcess__fixedTextTestV2000.mdb";
const std::string kDeleted = "jahlborn-jackcess__delTestV2003.mdb";
const std::string kEmpty = "jahlborn-jackcess__adox_jet4.mdb";

std::string quoted(const std::string& s) {
    return "'" + s + "'";
}

// Standard output of a shell command.
std::string outputOf(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return {};
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i)
        out += (i ? separator : "") + parts[i];
    return out;
}

// What mdb-tables lists: the user tables, one a line.
std::vector<std::string> expectedTables(const std::string& file) {
    return linesOf(outputOf("mdb-tables -1 " + quoted(file)));
}

// The column names of a table as mdb-schema declares them ("\t[name]\t\tType").
std::vector<std::string> expectedColumns(const std::string& file, const std::string& table) {
    std::vector<std::string> names;
    for (const auto& line :
         linesOf(outputOf("mdb-schema -T " + quoted(table) + " " + quoted(file)))) {
        if (line.size() < 3 || line[0] != '\t' || line[1] != '[') continue;
        names.push_back(line.substr(2, line.find(']') - 2));
    }
    return names;
}

// The rows of a table as mdb-export prints them with the component's formats:
// ";" between fields, no quotes, dates as JJ/MM/AAAA, each row ended by CR LF.
std::vector<std::vector<std::string>> expectedRows(const std::string& file,
                                                   const std::string& table) {
    const std::string text = outputOf("mdb-export -H -Q -d ';' -D '%d/%m/%Y' -T '%d/%m/%Y' " +
                                      quoted(file) + " " + quoted(table));
    std::vector<std::vector<std::string>> rows;
    for (const auto& line : linesOf(text)) {
        std::vector<std::string> fields;
        size_t from = 0;
        for (size_t at; (at = line.find(';', from)) != std::string::npos; from = at + 1)
            fields.push_back(line.substr(from, at - from));
        fields.push_back(line.substr(from));
        rows.push_back(fields);
    }
    return rows;
}

std::string csvOf(const std::vector<std::vector<std::string>>& rows,
                  const std::vector<size_t>& pick) {
    std::string out;
    for (const auto& row : rows) {
        std::vector<std::string> chosen;
        for (size_t p : pick)
            chosen.push_back(row.at(p));
        out += joined(chosen, ";") + "\r\n";
    }
    return out;
}

std::string positionsText(const std::vector<size_t>& pick) {
    std::string out;
    for (size_t p : pick)
        out += " " + std::to_string(p);
    return out;
}

class AccessMethods : public ::testing::Test {
  protected:
    void SetUp() override {
        SKIP_WITHOUT_CORPUS(kJet3);
        if (outputOf("command -v mdb-export").empty()) GTEST_SKIP() << "mdbtools absent";
        comp = Component::create();
        ASSERT_NE(comp, nullptr);
    }
    std::string tables(const std::string& file) { return comp->call("catalogueTables", {file}); }
    std::string columns(const std::string& file, const std::string& table) {
        return comp->call("catalogueChamps", {file, table});
    }
    std::string rows(const std::string& file, const std::string& table, const std::string& pos) {
        return comp->call("lectureChamps", {file, table, pos});
    }
    // The French text of the ComponentError a call throws ("" when it does not throw).
    template <typename Call> std::string errorOf(Call call) {
        try {
            call();
        } catch (const ComponentError& e) {
            return e.what();
        }
        return {};
    }
    std::unique_ptr<Component> comp;
};

TEST_F(AccessMethods, TablesAsMdbToolsListThem) {
    for (const auto& name : {kJet3, kJet4, kDeleted, kEmpty}) {
        const std::string file = corpusFile(name);
        EXPECT_EQ(tables(file), joined(expectedTables(file), "|")) << name;
    }
    EXPECT_EQ(tables(corpusFile(kJet3)), "Table1|Table2|Table3|Table4");
    // A database without user tables lists nothing, not its system tables.
    EXPECT_EQ(tables(corpusFile(kEmpty)), "");
}

TEST_F(AccessMethods, ColumnsInTheirOrder) {
    for (const auto& name : {kJet3, kJet4, kDeleted}) {
        const std::string file = corpusFile(name);
        for (const auto& table : expectedTables(file)) {
            const auto expected = expectedColumns(file, table);
            ASSERT_FALSE(expected.empty()) << name << " " << table;
            EXPECT_EQ(columns(file, table), joined(expected, "|")) << name << " " << table;
        }
    }
    EXPECT_EQ(columns(corpusFile(kJet3), "Table1"), "A|B|C|D|E|F|G|H|I");
    // Access names ignore case.
    EXPECT_EQ(columns(corpusFile(kJet4), "USERS"), columns(corpusFile(kJet4), "users"));
}

TEST_F(AccessMethods, EveryRowAsMdbExportPrintsIt) {
    for (const auto& name : {kJet3, kJet4, kDeleted}) {
        const std::string file = corpusFile(name);
        for (const auto& table : expectedTables(file)) {
            std::vector<size_t> all(expectedColumns(file, table).size());
            for (size_t i = 0; i < all.size(); ++i)
                all[i] = i;
            EXPECT_EQ(rows(file, table, positionsText(all)), csvOf(expectedRows(file, table), all))
                << name << " " << table;
        }
    }
}

TEST_F(AccessMethods, ValuesInTheComponentsFormats) {
    // JET3: text, whole numbers, double, date JJ/MM/AAAA, currency, yes/no as 1/0.
    EXPECT_EQ(rows(corpusFile(kJet3), "Table1", " 0 1 2 3 4 5 6 7 8"),
              "a;b;0;0;0;0;12/12/1981;0.0000;0\r\n"
              "abcdefg;hijklmnop;2;222;333333333;444.555;21/09/1974;3.5000;1\r\n");
    // JET4 (compressed Unicode text) comes back in Windows-1252 the same way.
    EXPECT_EQ(rows(corpusFile(kJet4), "users", " 1 4 9"),
              "CORE USER;Core User;05/11/2009\r\nadmin;Admin User;22/10/2009\r\n");
    // A table after row deletions gives only the rows that remain.
    EXPECT_EQ(rows(corpusFile(kDeleted), "Table", " 0 1"), "z;y\r\nv;u\r\n");
    // A table without rows gives an empty text.
    EXPECT_EQ(rows(corpusFile(kJet3), "Table2", " 0 88"), "");
}

TEST_F(AccessMethods, FieldsInTheOrderChosenAndTwice) {
    const std::string file = corpusFile(kJet4);
    const std::vector<size_t> pick = {4, 1, 4, 0};
    EXPECT_EQ(rows(file, "users", positionsText(pick)), csvOf(expectedRows(file, "users"), pick));
    EXPECT_EQ(rows(corpusFile(kDeleted), "Table", " 1 0 1"), "y;z;y\r\nu;v;u\r\n");
    // Extra blanks between the numbers do no harm.
    EXPECT_EQ(rows(corpusFile(kDeleted), "Table", "  1   0 "), "y;z\r\nu;v\r\n");
}

TEST_F(AccessMethods, NoFieldChosenGivesAnEmptyText) {
    EXPECT_EQ(rows(corpusFile(kJet4), "users", ""), "");
    // The file and the table are still checked.
    EXPECT_EQ(errorOf([&] { rows(corpusFile(kJet4), "absente", ""); }),
              ansi("Table inconnue dans la base Access : absente"));
}

TEST_F(AccessMethods, ClearErrorsForBadTablesAndPositions) {
    const std::string file = corpusFile(kJet4);
    EXPECT_EQ(errorOf([&] { columns(file, "eleves"); }),
              ansi("Table inconnue dans la base Access : eleves"));
    EXPECT_EQ(errorOf([&] { rows(file, "MSysObjects", " 0"); }),
              ansi("Table inconnue dans la base Access : MSysObjects"));
    EXPECT_EQ(errorOf([&] { rows(file, "users", " 0 10"); }),
              ansi("Position de champ hors limites : 10 (la table users a 10 champs)."));
    EXPECT_EQ(errorOf([&] { rows(file, "users", " 0 -1"); }),
              ansi("Position de champ incorrecte : « -1 »."));
    EXPECT_EQ(errorOf([&] { rows(file, "users", " 0 1a"); }),
              ansi("Position de champ incorrecte : « 1a »."));
    // The component still reads the file after those failures.
    EXPECT_EQ(tables(file), "users");
}

class BrokenFiles : public AccessMethods {
  protected:
    void SetUp() override {
        AccessMethods::SetUp();
        if (IsSkipped()) return;
        // A damaged file must not hold a test for the whole default wait.
        ::setenv("ROLVANE_COMPONENT_TIMEOUT", "10", 1);
        comp = Component::create();
        ASSERT_NE(comp, nullptr);
        char pattern[] = "/tmp/rolvane-component-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        if (!dir.empty()) fs::remove_all(dir);
    }
    // A copy of the first `size` bytes of a corpus file.
    std::string truncatedCopy(const std::string& name, size_t size) {
        std::ifstream in(corpusFile(name), std::ios::binary);
        std::string data(size, '\0');
        in.read(data.data(), static_cast<std::streamsize>(size));
        const std::string path =
            (fs::path(dir) / ("coupe-" + std::to_string(size) + ".mdb")).string();
        std::ofstream(path, std::ios::binary)
            .write(data.data(), static_cast<std::streamsize>(size));
        return path;
    }
    std::string dir;
};

TEST_F(BrokenFiles, MissingFile) {
    const std::string path = dir + "/absente.mdb";
    for (const std::string method : {"catalogueTables", "catalogueChamps", "lectureChamps"}) {
        std::vector<std::string> args = {path, "users", " 0"};
        args.resize(method == "catalogueTables" ? 1 : method == "catalogueChamps" ? 2 : 3);
        EXPECT_EQ(errorOf([&] { comp->call(method, args); }), "Base Access introuvable : " + path)
            << method;
    }
    EXPECT_EQ(errorOf([&] { tables(dir); }), "Base Access introuvable : " + dir);
}

TEST_F(BrokenFiles, TextFileNamedMdb) {
    const std::string path = dir + "/eleves.mdb";
    std::ofstream(path, std::ios::binary) << "NOM;PRENOM;CLASSE\r\nDUPONT;Jean;3A\r\n";
    EXPECT_EQ(errorOf([&] { tables(path); }), "Base Access illisible : " + path);
    EXPECT_EQ(errorOf([&] { rows(path, "users", " 0"); }), "Base Access illisible : " + path);
}

// Every call on a cut copy either fails with a French text or gives exactly the
// answer of the whole file: never a shorter list or fewer rows.
TEST_F(BrokenFiles, TruncatedDatabasesGiveAnErrorOrTheWholeAnswer) {
    size_t incomplete = 0;
    for (const auto& [name, table] :
         {std::pair{kJet4, std::string("users")}, std::pair{kDeleted, std::string("Table")}}) {
        const std::string file = corpusFile(name);
        const std::string whole[3] = {tables(file), columns(file, table),
                                      rows(file, table, " 1 0")};
        const auto size = fs::file_size(file);
        std::vector<size_t> cuts = {100, 4096 + 100, size / 2 + 1};
        for (size_t cut = 4096; cut < size; cut += 4096)
            cuts.push_back(cut);
        for (size_t cut : cuts) {
            const std::string path = truncatedCopy(name, cut);
            for (int call = 0; call < 3; ++call) {
                std::string answer, error;
                try {
                    answer = call == 0   ? tables(path)
                             : call == 1 ? columns(path, table)
                                         : rows(path, table, " 1 0");
                } catch (const ComponentError& e) {
                    error = e.what();
                }
                if (error.empty()) {
                    EXPECT_EQ(answer, whole[call])
                        << name << " cut at " << cut << ", call " << call;
                } else if (error.find(ansi("incomplète")) != std::string::npos) {
                    ++incomplete;
                }
            }
        }
    }
    // Some cuts keep the table's definition and lose its rows: that is reported.
    EXPECT_GT(incomplete, 0u);
    // A file that is not made of whole pages is refused at once.
    const std::string odd = truncatedCopy(kJet4, 4096 + 100);
    EXPECT_EQ(errorOf([&] { tables(odd); }),
              ansi("Base Access illisible (fichier tronqué) : ") + odd);
}

// libmdb loops, allocating without end, on this cut of the JET3 file; the reading
// child is stopped and the program goes on.
TEST_F(BrokenFiles, AReaderThatRunsAwayIsStopped) {
    const std::string path = truncatedCopy(kJet3, 46 * 2048);
    const std::string error = errorOf([&] { tables(path); });
    EXPECT_EQ(error.rfind(ansi("La lecture de la base Access a "), 0), 0u) << error;
    EXPECT_EQ(tables(corpusFile(kJet3)), "Table1|Table2|Table3|Table4");
}

} // namespace
