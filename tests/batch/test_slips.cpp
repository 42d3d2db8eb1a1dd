// Login slips through rolvane-batch as a process, read back with pdftotext:
// each class's PDF holds its new accounts, logins with their passwords, in the
// order of its class file and nothing of another class; names keep their
// accents; accounts without a password get no slip.
#include "school_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

using namespace batchtest;

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>; // login, password

// The text of a PDF, or of its page `page` (from 1) when given.
std::string pdfText(const fs::path& pdf, long page = 0, const char* mode = "-raw") {
    std::vector<std::string> args = {mode, pdf.string(), "-"};
    if (page > 0)
        args.insert(args.begin(), {"-f", std::to_string(page), "-l", std::to_string(page)});
    const BatchRun r = runProgram("/usr/bin/pdftotext", args, pdf.parent_path());
    EXPECT_EQ(r.status, 0) << pdf;
    return r.out;
}

// How far from the top of the first page its first word starts, in points.
double firstWordTop(const fs::path& pdf) {
    const std::string boxes = pdfText(pdf, 1, "-bbox");
    const size_t at = boxes.find("yMin=\"");
    return at == std::string::npos ? -1 : std::stod(boxes.substr(at + 6));
}

long pages(const fs::path& pdf) {
    const BatchRun r = runProgram("/usr/bin/pdfinfo", {pdf.string()}, pdf.parent_path());
    const size_t at = r.out.find("Pages:");
    return at == std::string::npos ? -1 : std::stol(r.out.substr(at + 6));
}

// The logins and passwords of the slips, in their order.
Pairs slipsOf(const std::string& text) {
    Pairs pairs;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Identifiant : ", 0) == 0) pairs.emplace_back(line.substr(14), "");
        if (line.rfind("Mot de passe : ", 0) == 0) pairs.back().second = line.substr(15);
    }
    return pairs;
}

std::vector<std::string> fields(const std::string& line, char sep) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string f; std::getline(in, f, sep);)
        out.push_back(f);
    return out;
}

std::vector<std::string> linesOf(const std::string& bytes) {
    std::vector<std::string> out;
    std::istringstream in(bytes);
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        if (!l.empty() && l[0] != '#') out.push_back(l);
    }
    return out;
}

} // namespace

TEST(Slips, EachClassInClassFileOrderAndNothingOfAnother) {
    Folder dir;
    ASSERT_EQ(runBatch({"gep-create", "--dir", dir.str(), "--rne1", "0590001a"}, dir.path()).status,
              0);
    const BatchRun r = runBatch({"slips", "--dir", dir.str(), "--all"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.out;
    const auto accounts = linesOf(dir.read("ComptesAajouter.txt"));
    std::vector<std::string> allPasswords;
    for (const char* cls : {"3a", "4a", "5a", "6a", "6b", "ulis"}) {
        SCOPED_TRACE(cls);
        const std::string group = cls[0] == 'u' ? cls : std::string("c") + cls;
        std::set<std::pair<std::string, std::string>> expected;
        for (const auto& line : accounts)
            if (fields(line, ';')[2] == group)
                expected.emplace(fields(line, ';')[4], fields(line, ';')[5]);
        std::vector<std::string> classFileOrder;
        for (const auto& line : linesOf(dir.read(std::string(cls) + ".TXT")))
            classFileOrder.push_back(fields(line, ',')[3]);

        const Pairs slips = slipsOf(pdfText(dir.path() / ("fiches-" + std::string(cls) + ".pdf")));
        EXPECT_EQ(std::set(slips.begin(), slips.end()), expected);
        std::vector<std::string> passwords;
        for (const auto& [login, password] : slips)
            passwords.push_back(password);
        EXPECT_EQ(passwords, classFileOrder);
        allPasswords.insert(allPasswords.end(), passwords.begin(), passwords.end());
    }
    const fs::path all = dir.path() / "fiches-toutes-classes.pdf";
    std::vector<std::string> passwords;
    for (const auto& [login, password] : slipsOf(pdfText(all)))
        passwords.push_back(password);
    EXPECT_EQ(passwords, allPasswords);
    // Each class from the top of a page of its own: its pages hold it alone.
    EXPECT_EQ(pages(all), 7); // 3A holds 9 slips, each other class 8 or fewer
    for (long p = 1; p <= pages(all); ++p) {
        std::set<std::string> classes;
        std::istringstream in(pdfText(all, p));
        for (std::string line; std::getline(in, line);)
            if (line.rfind("Classe : ", 0) == 0) classes.insert(line);
        EXPECT_EQ(classes.size(), 1u) << "page " << p;
    }
    EXPECT_FALSE(fs::exists(dir.path() / "fiches-profs.pdf"));
}

TEST(Slips, AccentsRneTeachersAndAccountsWithoutPassword) {
    Folder dir(false);
    const std::string header = "#Nom;Pr\xE9nom;...\r\n";
    put(dir.path() / "ComptesAajouter.txt",
        header + "LEF\xC8VRE;\xC9lodie;c3a;lefevre.elodie;lefevre.elodie;pw1;;;;;;\r\n"
                 "C\x8CUR;Zo\xE9;c3a;coeur.zoe;coeur.zoe;pw2;;;;;;\r\n"
                 "MARTIN;Jean;c3a;martin.jean;martin.jean;;;;;;;\r\n"
                 "PETIT;Lucas;c4b;petit.lucas;petit.lucas;pw4;;;;;;\r\n");
    put(dir.path() / "ComptesAmodifier.txt",
        header + "DURAND;Paul;c3a;durand.paul;durand.paul;;;;;;;\r\n");
    put(dir.path() / "ComptesProfsAajouter.txt",
        "ROUX;anne;profs;roux.anne;roux.anne;Jardin7;;;c3A;;;\r\n");

    const BatchRun one =
        runBatch({"slips", "--dir", dir.str(), "--class", "3A", "--rne1", "0123456a"}, dir.path());
    ASSERT_EQ(one.status, 0) << one.out;
    EXPECT_NE(one.out.find("fiches-3a.pdf (2 fiches)"), std::string::npos) << one.out;
    const std::string text = pdfText(dir.path() / "fiches-3a.pdf");
    EXPECT_EQ(text.substr(0, text.find("Identifiant")),
              "Établissement 0123456A\nÉlodie LEFÈVRE\nClasse : 3A\n");
    EXPECT_NE(text.find("Zoé CŒUR"), std::string::npos) << text;
    EXPECT_NE(text.find("Mot de passe à changer à la première connexion."), std::string::npos);
    for (const char* absent : {"MARTIN", "DURAND", "PETIT", "ROUX"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;
    EXPECT_FALSE(fs::exists(dir.path() / "fiches-4b.pdf"));

    ASSERT_EQ(runBatch({"slips", "--dir", dir.str(), "--teachers"}, dir.path()).status, 0);
    const std::string teachers = pdfText(dir.path() / "fiches-profs.pdf");
    EXPECT_EQ(slipsOf(teachers), (Pairs{{"roux.anne", "Jardin7"}}));
    EXPECT_NE(teachers.find("anne ROUX\nProfesseur\n"), std::string::npos) << teachers;
    EXPECT_EQ(teachers.find("Établissement"), std::string::npos);
    // Without the school's line, the name takes its place: no blank line above it.
    EXPECT_NEAR(firstWordTop(dir.path() / "fiches-profs.pdf"),
                firstWordTop(dir.path() / "fiches-3a.pdf"), 8.0);

    const BatchRun none = runBatch({"slips", "--dir", dir.str(), "--class", "5b"}, dir.path());
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.out.find("Aucun nouveau compte avec un mot de passe dans la classe 5b."),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir.path() / "fiches-5b.pdf"));
}

// Status 3 and the file named when a PDF cannot be written: because the folder
// holds something else under its name, or because the program finds no PDF
// module (a copy of it alone in a folder), which it says first.
TEST(Slips, AFileThatCannotBeWrittenOrAMissingModuleGivesStatus3) {
    Folder dir(false);
    put(dir.path() / "ComptesAajouter.txt", "A;b;c3a;a.b;a.b;pw;;;;;;\r\n");
    fs::create_directory(dir.path() / "fiches-3a.pdf");
    const BatchRun r = runBatch({"slips", "--dir", dir.str(), "--class", "3a"}, dir.path());
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.out.find("fiches-3a.pdf"), std::string::npos) << r.out;

    unsetenv("ROLVANE_LIBRARY_DIR");
    Folder alone(false);
    const fs::path copy = alone.path() / "rolvane-batch";
    fs::copy_file(ROLVANE_BATCH, copy);
    put(dir.path() / "ComptesProfsAajouter.txt",
        "ROUX;anne;profs;roux.anne;roux.anne;J7;;;;;;\r\n");
    const BatchRun m =
        runProgram(copy.string(), {"slips", "--dir", dir.str(), "--teachers"}, dir.path());
    EXPECT_EQ(m.status, 3);
    EXPECT_NE(m.out.find("Le module des fiches PDF est introuvable (rolvane-slips-pdf.so) : "
                         "aucune fiche ne peut être écrite.\nErreur : impossible d'écrire "
                         "fiches-profs.pdf"),
              std::string::npos)
        << m.out;
    EXPECT_FALSE(fs::exists(dir.path() / "fiches-profs.pdf"));
}

// A class whose name cannot name a file, or would give the name of another PDF,
// gets no PDF and counts as a file not written; the PDFs replace a symbolic link
// lying under their name instead of writing through it, and leave nothing else.
TEST(Slips, ClassesThatCannotNameTheirPdfAndLinksUnderItsName) {
    const struct {
        std::string group;
        int status;
        std::string line;
    } cases[] = {
        {"c4b", 0, "Fiches de connexion : fiches-4b.pdf (1 fiche)"},
        {"x/y", 3, "Erreur : impossible d'écrire fiches-x/y.pdf"},
        {"..", 3, "Erreur : impossible d'écrire fiches-...pdf"},
        {"", 3, "Erreur : impossible d'écrire fiches-.pdf"},
        {"toutes-classes", 3,
         "Classe ignorée (nom réservé à d'autres fiches) : toutes-classes\n"
         "Erreur : impossible d'écrire fiches-toutes-classes.pdf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.group);
        Folder dir(false), elsewhere(false);
        put(dir.path() / "ComptesAajouter.txt",
            "A;b;c3a;a.b;a.b;pw;;;;;;\r\nC;d;" + c.group + ";c.d;c.d;pw2;;;;;;\r\n");
        put(elsewhere.path() / "kept.pdf", "kept");
        fs::create_symlink(elsewhere.path() / "kept.pdf", dir.path() / "fiches-3a.pdf");
        const BatchRun r = runBatch({"slips", "--dir", dir.str(), "--all"}, dir.path());
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.out.find(c.line + "\n"), std::string::npos) << r.out;
        EXPECT_EQ(elsewhere.read("kept.pdf"), "kept");
        EXPECT_EQ(slipsOf(pdfText(dir.path() / "fiches-toutes-classes.pdf")).size(), 2u);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 3 + (c.status == 0));
    }
}

// Twins born the same day share surname and password, and the second one built
// gets the numbered login: whichever comes first in the source, each slip bears
// its own holder's login.
TEST(Slips, TwinsOfOneBirthDateEachGetTheirOwnLogin) {
    const struct {
        std::vector<SieclePupil> pupils;
        std::string marie, marieAnne; // their logins
    } cases[] = {
        {{{"DUPONT", "Marie", "3A"}, {"DUPONT", "Marie Anne", "3A"}},
         "dupont.marie",
         "dupont.marie1"},
        {{{"DUPONT", "Marie Anne", "3A"}, {"DUPONT", "Marie", "3A"}},
         "dupont.marie1",
         "dupont.marie"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.marie);
        Folder f(false);
        put(f.path() / "ElevesSansAdresses.xml", siecleFile(c.pupils));
        ASSERT_EQ(runBatch({"siecle-create", "--dir", f.str()}, f.path()).status, 0);
        ASSERT_EQ(runBatch({"slips", "--dir", f.str(), "--class", "3a"}, f.path()).status, 0);
        // In the class file's order: MARIE ANNE, then MARIE.
        EXPECT_EQ(slipsOf(pdfText(f.path() / "fiches-3a.pdf")),
                  (Pairs{{c.marieAnne, "030514"}, {c.marie, "030514"}}));
    }
}

// The module exports its two functions and nothing else.
TEST(Slips, ThePdfModuleExportsOnlyItsInterface) {
    const auto names =
        testsupport::exportedFunctions(fs::path(ROLVANE_BIN_DIR) / "rolvane-slips-pdf.so");
    if (!names) GTEST_SKIP() << "nm is not installed";
    EXPECT_EQ(*names,
              (std::set<std::string>{"rolvane_slips_pdf_abi_version", "rolvane_slips_pdf_write"}));
}
