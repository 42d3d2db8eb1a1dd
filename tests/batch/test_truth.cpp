// The sources a school has in hand today, through rolvane-batch as a process:
// lists saved with LF or CR line ends or as UTF-8, EXPORT files saved the same
// way, padded and broken GEP table headers, a trainee form left without a group,
// an EXPORT lying in the folder under an output's name; and the "Bilan" block
// that ends the log of every account job.
#include "batch_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>

using namespace batchtest;
using Lines = std::vector<std::string>;

namespace {

const fs::path kSamples = fs::path(ROLVANE_SOURCE_DIR) / "samples";
const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeader =
    "#Nom;Pr\xE9nom;groupe d'affectation;login actuel;nouveau login;mot de passe;droits;"
    "groupes invit\xE9s;groupes responsable;serveur mail externe; login mail externe; mot de "
    "passe mail externe\r\n";
const std::string kFailed =
    "\nDes erreurs se sont produites : certains fichiers n'ont pas été créés.\n";

long occurrences(const std::string& text, const std::string& part) {
    long n = 0;
    for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1))
        ++n;
    return n;
}

// Windows-1252 text whose only non-ASCII letters lie in U+00A0..U+00FF, as UTF-8.
std::string utf8(const std::string& ansi) {
    std::string out;
    for (unsigned char c : ansi) {
        if (c < 0x80)
            out += static_cast<char>(c);
        else
            out += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    }
    return out;
}

// A text of CR LF lines with its line ends changed to `end`.
std::string endingWith(const std::string& text, const std::string& end) {
    std::string out;
    for (size_t from = 0, p; (p = text.find("\r\n", from)) != std::string::npos; from = p + 2)
        out += text.substr(from, p - from) + end;
    return out;
}

// The logins (4th field) of an account file's account lines, sorted.
Lines logins(const std::string& bytes) {
    Lines found;
    for (size_t from = 0, p; (p = bytes.find("\r\n", from)) != std::string::npos; from = p + 2) {
        const std::string line = bytes.substr(from, p - from);
        if (line.empty() || line[0] == '#') continue;
        size_t at = 0;
        for (int k = 0; k < 3; ++k)
            at = line.find(';', at) + 1;
        found.push_back(line.substr(at, line.find(';', at) - at));
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Every file of a folder, by name.
std::map<std::string, std::string> filesOf(const Folder& f) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(f.path()))
        files[e.path().filename().string()] = bytesOf(e.path());
    return files;
}

// The names of the files that differ between two folders' contents.
Lines differing(const std::map<std::string, std::string>& a,
                const std::map<std::string, std::string>& b) {
    Lines names;
    for (const auto& [name, bytes] : a)
        if (!b.count(name) || b.at(name) != bytes) names.push_back(name);
    for (const auto& [name, bytes] : b)
        if (!a.count(name)) names.push_back(name);
    return names;
}

// The Bilan block at the end of standard output, from its "Bilan :" line.
std::string bilanOf(const BatchRun& r) {
    const size_t at = r.out.rfind("\nBilan :\n");
    return at == std::string::npos ? "" : r.out.substr(at + 1);
}

} // namespace

// The same pupil list saved five ways gives the same accounts and the same
// Windows-1252 rewrite; only UTF-8 is said to be UTF-8.
TEST(Truth, PupilListsSavedAsTheyAreToday) {
    const std::string crlf =
        "Lef\xE8vre;\xC9lodie;3A;12/11/2009\r\nM\xFCller;Fran\xE7ois;3A;01/02/2008\r\n"
        "B\xE9rard;Ga\xEBlle;4B;03/03/2009\r\nLe Goff;No\xEBl;4B;25/12/2009\r\n";
    struct Saved {
        const char* what;
        std::string bytes;
        bool isUtf8;
    };
    const std::vector<Saved> ways = {{"Windows-1252, CR LF", crlf, false},
                                     {"Windows-1252, LF", endingWith(crlf, "\n"), false},
                                     {"Windows-1252, CR", endingWith(crlf, "\r"), false},
                                     {"UTF-8, LF", utf8(endingWith(crlf, "\n")), true},
                                     {"UTF-8 with BOM, CR LF", kBom + utf8(crlf), true}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        Folder f(false);
        put(f.path() / "ELEVES.CSV", way.bytes);
        const BatchRun r = runBatch({"csv-create", "--dir", f.str()}, f.path());
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(f.read("ComptesAajouter.txt"),
                  kHeader + "MULLER;FRANCOIS;c3a;muller.francois;muller.francois;01022008;;;;;;\r\n"
                            "LEGOFF;NOEL;c4b;legoff.noel;legoff.noel;25122009;;;;;;\r\n"
                            "LEFEVRE;ELODIE;c3a;lefevre.elodie;lefevre.elodie;12112009;;;;;;\r\n"
                            "BERARD;GAELLE;c4b;berard.gaelle;berard.gaelle;03032009;;;;;;\r\n\r\n");
        EXPECT_EQ(f.read("ELEVES.CSV"), crlf + "\r\n");
        EXPECT_EQ(occurrences(r.out, "\nELEVES.CSV lu comme texte UTF-8.\n"), way.isUtf8 ? 1 : 0);
        EXPECT_EQ(occurrences(r.out, "UTF-8"), way.isUtf8 ? 1 : 0);
        EXPECT_EQ(bilanOf(r), "Bilan :\nComptesAajouter.txt : 4 comptes\n");
    }
}

// Names beyond Windows-1252 in each text source, with and without BOM, become
// plain-letter logins.
TEST(Truth, NamesBeyondWindows1252GivePlainLetterLogins) {
    const std::vector<std::pair<std::string, std::string>> names = {{"Wiśniewski", "Łukasz"},
                                                                    {"Çelik", "Şükrü"},
                                                                    {"Nguyễn", "Thị Ánh"},
                                                                    {"Brontë-Dupré", "Zoë"}};
    const Lines expected = {"brontedupre.zoe", "celik.sukru", "nguyen.thi", "wisniewski.lukasz"};
    struct Source {
        std::string file, tail, accounts;
        Lines logged;
    };
    const std::vector<Source> sources = {
        {"ELEVES.CSV", ";3A;03/05/2009", "ComptesAajouter.txt", {"ELEVES.CSV"}},
        {"PROFS.CSV", ";profs;secret", "ComptesProfsAajouter.txt", {"PROFS.CSV"}},
        {"liste.txt", "", "ComptesAajouter.txt", {"liste.txt", "STAGIAIRES.CSV"}}};
    for (const auto& src : sources)
        for (const std::string bom : {"", kBom.c_str()}) {
            SCOPED_TRACE(src.file + (bom.empty() ? "" : " with BOM"));
            Folder f(false), elsewhere(false);
            std::string text = bom;
            for (const auto& [surname, first] : names)
                text += surname + ";" + first + src.tail + "\n";
            Lines args = {"csv-create", "--dir", f.str()};
            if (src.file == "liste.txt") {
                put(elsewhere.path() / src.file, text);
                args = {
                    "trainees", "--dir",  f.str(), "--list", (elsewhere.path() / src.file).string(),
                    "--group",  "Stage 1"};
            } else {
                put(f.path() / src.file, text);
            }
            const BatchRun r = runBatch(args, f.path());
            EXPECT_EQ(r.status, 0) << r.out;
            EXPECT_EQ(logins(f.read(src.accounts)), expected);
            EXPECT_FALSE(fs::exists(f.path() / "doublons.txt"));
            for (const auto& name : src.logged)
                EXPECT_EQ(occurrences(r.out, "\n" + name + " lu comme texte UTF-8.\n"), 1) << r.out;
            EXPECT_NE(bilanOf(r).find("\n" + src.accounts + " : 4 comptes\n"), std::string::npos);
            if (src.file == "ELEVES.CSV") { // written back in Windows-1252
                EXPECT_EQ(f.read("ELEVES.CSV"), "Wisniewski;Lukasz;3A;03/05/2009\r\n"
                                                "\xC7\x65lik;S\xFCkr\xFC;3A;03/05/2009\r\n"
                                                "Nguyen;Thi \xC1\x6Eh;3A;03/05/2009\r\n"
                                                "Bront\xEB-Dupr\xE9;Zo\xEB;3A;03/05/2009\r\n\r\n");
            }
        }
}

namespace {

// Windows-1252 text whose only non-ASCII letters lie in U+00A0..U+00FF as UTF-16
// behind its byte order mark; "\xFF\xFF" in the text stands for a lone surrogate.
std::string utf16(const std::string& ansi, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (size_t i = 0; i < ansi.size(); ++i) {
        std::string unit = {ansi[i], '\0'};
        if (ansi.compare(i, 2, "\xFF\xFF") == 0) unit = {'\0', '\xD8'}, ++i;
        out += bigEndian ? std::string{unit[1], unit[0]} : unit;
    }
    return out;
}

} // namespace

// The pupil list behind a byte order mark gives the accounts of its plain
// Windows-1252 copy and is never damaged: rewritten in Windows-1252 when every
// character was read, left byte for byte as it was when one came out as "?".
TEST(Truth, PupilListsBehindAByteOrderMark) {
    const std::string ansi = "Lef\xE8vre;\xC9lodie;3A;12/11/2009\r\nM\xFCller;Fran\xE7ois;3A;01/"
                             "02/2008;";
    struct Saved {
        const char* what;
        std::string bytes, logged;
        bool kept;
    };
    const std::string asUtf8 = "\nELEVES.CSV lu comme texte UTF-8.\n";
    const std::vector<Saved> ways = {
        {"Windows-1252", ansi, "", false},
        {"Windows-1252 behind the UTF-8 mark", kBom + ansi,
         "\nELEVES.CSV lu comme texte Windows-1252 malgré sa marque UTF-8.\n", false},
        {"UTF-16 LE", utf16(ansi, false), asUtf8, false},
        {"UTF-16 BE", utf16(ansi, true), asUtf8, false},
        {"UTF-16 BE, a lone surrogate", utf16(ansi + "\xFF\xFF", true), asUtf8, true},
        {"UTF-8, a snowman", kBom + utf8(ansi) + "\xE2\x98\x83", asUtf8, true}};
    std::string accounts;
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        Folder f(false);
        put(f.path() / "ELEVES.CSV", way.bytes);
        const BatchRun r = runBatch({"csv-create", "--dir", f.str()}, f.path());
        EXPECT_EQ(r.status, 0);
        if (accounts.empty()) accounts = f.read("ComptesAajouter.txt");
        EXPECT_EQ(f.read("ComptesAajouter.txt"), accounts);
        EXPECT_EQ(f.read("ELEVES.CSV"), way.kept ? way.bytes : ansi + "\r\n\r\n");
        EXPECT_EQ(occurrences(r.out, "lu comme texte"), way.logged.empty() ? 0 : 1);
        if (!way.logged.empty()) {
            EXPECT_EQ(occurrences(r.out, way.logged), 1) << r.out;
        }
        EXPECT_EQ(bilanOf(r), "Bilan :\nComptesAajouter.txt : 2 comptes\n" +
                                  std::string(way.kept ? "ELEVES.CSV non réécrit : un caractère "
                                                         "n'a pas pu être lu en Windows-1252.\n"
                                                       : ""));
    }
}

// An EXPORT saved with LF or CR line ends or as UTF-8 gives the same update as
// the server's own CR LF file: the known accounts kept, the leavers listed.
TEST(Truth, UpdatesAgainstExportFilesSavedToday) {
    struct Update {
        std::string job, sources, leavers, modified;
    };
    const std::vector<Update> updates = {
        {"gep-update", "gep",
         "COLIN;MAXIME;c4a;colin.maxime\r\nLEBLANC;JULIE;c3a;leblanc.julie\r\n",
         "ComptesAmodifier.txt : 5 comptes"},
        {"csv-update", "csv", "PETIT;LUCAS;c3a;petit.lucas\r\n",
         "ComptesAmodifier.txt : 2 comptes"}};
    for (const auto& u : updates) {
        const std::string server = bytesOf(kSamples / u.sources / "EXPORT");
        const std::string lf = endingWith(server, "\n"), cr = endingWith(server, "\r");
        std::map<std::string, std::string> reference;
        for (const auto& [what, bytes] : std::vector<std::pair<std::string, std::string>>{
                 {"CR LF", server},
                 {"LF", lf},
                 {"CR", cr},
                 {"UTF-8 with BOM, LF", kBom + utf8(lf)}}) {
            SCOPED_TRACE(u.job + ", EXPORT " + what);
            Folder f(false), elsewhere(false);
            for (const auto& e : fs::directory_iterator(kSamples / u.sources))
                if (e.path().filename() != "EXPORT")
                    fs::copy_file(e.path(), f.path() / e.path().filename());
            put(elsewhere.path() / "EXPORT", bytes);
            const BatchRun r = runBatch({u.job, "--dir", f.str(), "--rne1", "0590001A", "--export",
                                         (elsewhere.path() / "EXPORT").string()},
                                        f.path());
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(f.read("comptesAsupprimer.txt"), u.leavers);
            EXPECT_NE(bilanOf(r).find("\n" + u.modified + "\n"), std::string::npos) << r.out;
            EXPECT_EQ(occurrences(r.out, "\nEXPORT lu comme texte UTF-8.\n"),
                      bytes.rfind(kBom, 0) == 0 ? 1 : 0);
            if (reference.empty())
                reference = filesOf(f);
            else
                EXPECT_EQ(differing(filesOf(f), reference), Lines{});
        }
    }
}

namespace {

// The sample pupil table (written by dbfcreate and dbfadd) with `edit` applied to
// its bytes and its header length.
void editTable(const Folder& f, void (*edit)(std::string& bytes, size_t& headerLength)) {
    const fs::path table = f.path() / "F_ELE.DBF";
    std::string b = bytesOf(table);
    size_t h = static_cast<unsigned char>(b[8]) | static_cast<unsigned char>(b[9]) << 8;
    edit(b, h);
    b[8] = static_cast<char>(h & 0xFF);
    b[9] = static_cast<char>(h >> 8);
    put(table, b);
}

} // namespace

// Padding between the end of the field descriptors and the records does not
// change what the job makes of the table: every pupil gets an account.
TEST(Truth, PaddedPupilTables) {
    Folder plain;
    const std::string table = plain.read("F_ELE.DBF");
    const long records =
        static_cast<unsigned char>(table[4]) + 256L * static_cast<unsigned char>(table[5]);
    ASSERT_EQ(
        runBatch({"gep-create", "--dir", plain.str(), "--rne1", "0590001A"}, plain.path()).status,
        0);
    const auto reference = filesOf(plain);
    using Edit = void (*)(std::string&, size_t&);
    const std::vector<std::pair<const char*, Edit>> edits = {
        {"0x0D then zero bytes", [](std::string& b, size_t& h) { b.insert(h, 31, '\0'), h += 31; }},
        {"a Visual FoxPro back-link area",
         [](std::string& b, size_t& h) { b.insert(h, 263, '\0'), h += 263; }},
        {"0x0A as the end", [](std::string& b, size_t& h) { b[h - 1] = '\x0A'; }}};
    for (const auto& [what, edit] : edits) {
        SCOPED_TRACE(what);
        Folder f;
        editTable(f, edit);
        const BatchRun r =
            runBatch({"gep-create", "--dir", f.str(), "--rne1", "0590001A"}, f.path());
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(
            bilanOf(r).find("\nComptesAajouter.txt : " + std::to_string(records) + " comptes\n"),
            std::string::npos)
            << r.out;
        auto files = filesOf(f);
        files["F_ELE.DBF"] = table;
        EXPECT_EQ(differing(files, reference), Lines{});
    }
}

TEST(Truth, ATableWithoutHeaderEndFailsTheJob) {
    Folder f;
    editTable(f, [](std::string& b, size_t& h) { b[h - 1] = ' '; });
    const BatchRun r = runBatch({"gep-create", "--dir", f.str(), "--rne1", "0590001A"}, f.path());
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.out.find(kFailed), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Tous les fichiers"), std::string::npos);
    EXPECT_NE(bilanOf(r).find("\nTable F_ELE.DBF ignorée : en-tête dBase non reconnu\n"),
              std::string::npos);
}

TEST(Truth, TraineesWithoutAGroupTouchNothing) {
    Folder f(false);
    const std::map<std::string, std::string> before = {
        {"ComptesAajouter.txt", kHeader + "X;Y;c3a;x.y;x.y;a;;;;;;\r\n"},
        {"doublons.txt", "X1  ->  X  Y  c3a\r\n"}};
    for (const auto& [name, bytes] : before)
        put(f.path() / name, bytes);
    const BatchRun r = runBatch({"trainees", "--dir", f.str(), "--list",
                                 (kSamples / "csv" / "stagiaires.txt").string(), "--group", "  "},
                                f.path());
    EXPECT_EQ(r.status, 1);
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.back(), "[message] Vous devez donner un nom de groupe Kwartz");
    EXPECT_EQ(r.out.find("Tous les fichiers"), std::string::npos) << r.out;
    auto after = filesOf(f);
    after.erase("STAGIAIRES.CSV"); // the copy of the chosen list
    EXPECT_EQ(differing(after, before), Lines{});
}

// A group of blanks and dashes passes the form but is empty once cleaned: no
// trainee gets an account, and the Bilan says so for every row.
TEST(Truth, TraineesInAGroupOfDashesAreListedWithoutAccount) {
    Folder f(false);
    const BatchRun r = runBatch({"trainees", "--dir", f.str(), "--list",
                                 (kSamples / "csv" / "stagiaires.txt").string(), "--group", " - "},
                                f.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(f.read("ComptesAajouter.txt"), kHeader);
    std::string expected = "Bilan :\nSTAGIAIRES.CSV : 6 lignes sans compte\n";
    for (int line = 1; line <= 4; ++line)
        expected += "  ligne " + std::to_string(line) + " : groupe vide\n";
    EXPECT_EQ(bilanOf(r), expected + "  ligne 5 : prénom vide\n  ligne 6 : prénom vide\n");
}

// The EXPORT may lie in the folder under the name of a last run's output.
TEST(Truth, RenameLoginsOfAnExportNamedLikeAnOutput) {
    for (const std::string name : {"comptesAmodifier.txt", "ComptesAmodifier.txt", "eleves.txt"}) {
        SCOPED_TRACE(name);
        Folder f(false);
        fs::copy_file(kSamples / "csv" / "EXPORT", f.path() / name);
        const BatchRun r = runBatch(
            {"rename-logins", "--dir", f.str(), "--export", (f.path() / name).string(), "--yes"},
            f.path());
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(f.read("ComptesAmodifier.txt"),
                  "DUPONT;CATHERINE;c3a;dupont.catherine;catherine.dupont;;;;;;;\r\n"
                  "LEGOFF;FRANCOIS;c4b;legoff.francois;francois.legoff;;;;;;;\r\n"
                  "PETIT;LUCAS;c3a;petit.lucas;lucas.petit;;;;;;;\r\n"
                  "BERARD;SEBASTIEN;profs;berard.sebastien;sebastien.berard;;;;;;;\r\n"
                  "ROUX;A;profs;a.roux;roux.a;;;;;;;\r\n"
                  "ADMIN;;admin;administrateur;administrateur;;;;;;;\r\n");
        EXPECT_EQ(bilanOf(r), "Bilan :\nComptesAmodifier.txt : 6 comptes\n");
    }
}

// Every count of the Bilan, the rows without account with their first empty
// field, the list cut after 20 rows, and the singular; on standard output in UTF-8.
TEST(Truth, TheBilanBlock) {
    Folder f(false);
    std::string pupils = "Dupont;Catherine;3A;03/05/2009\r\nDupont;Catherine;5C;17/10/2010\r\n"
                         "Vanderstraeten-Delacroix;Marie-H\xE9l\xE8ne;5C;05/06/2010\r\n\r\n"
                         "Martin;Jean;4B;\r\n;Paul;4B;01/01/2010\r\nPetit;;4B;01/01/2010\r\n"
                         "Roux;L\xE9\x61;;01/01/2010\r\n";
    for (int i = 1; i <= 22; ++i)
        pupils += "Nom" + std::to_string(i) + ";Prenom;4B;\r\n";
    put(f.path() / "ELEVES.CSV", pupils);
    put(f.path() / "PROFS.CSV",
        "B\xE9rard;S\xE9\x62\x61stien;profs;Soleil44\r\nRoux;Anne;profs;\r\n");
    const BatchRun r = runBatch({"csv-create", "--dir", f.str()}, f.path());
    EXPECT_EQ(r.status, 0);
    std::string expected = "Bilan :\n"
                           "ComptesAajouter.txt : 3 comptes\n"
                           "ComptesProfsAajouter.txt : 1 compte\n"
                           "doublons.txt : 1 homonyme numéroté\n"
                           "troncatures.txt : 1 login de plus de 20 caractères\n"
                           "PROFS.CSV : 1 ligne sans compte\n"
                           "  ligne 2 : mot de passe vide\n"
                           "ELEVES.CSV : 26 lignes sans compte\n"
                           "  ligne 5 : date de naissance vide\n"
                           "  ligne 6 : nom vide\n"
                           "  ligne 7 : prénom vide\n"
                           "  ligne 8 : classe vide\n";
    for (int line = 9; line <= 24; ++line)
        expected += "  ligne " + std::to_string(line) + " : date de naissance vide\n";
    expected += "  … et 6 autres\n";
    EXPECT_EQ(bilanOf(r), expected);
}
