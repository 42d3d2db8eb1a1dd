// --random-passwords through rolvane-batch on the samples, and the modes of the
// files that hold passwords.
#include "batch_run.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

using namespace batchtest;

namespace {

const fs::path kSamples = fs::path(ROLVANE_SOURCE_DIR) / "samples";
const std::vector<std::string> kGep = {"gep/F_ELE.DBF", "gep/F_IND.DBF", "gep/F_AFF.DBF",
                                       "gep/F_GPD.DBF", "gep/F_MEN.DBF", "gep/EXPORT"};
using Bag = std::multiset<std::string>;

// Field k (from 0) of the lines of the file that have one, but the header.
Bag fieldOf(const fs::path& file, char sep, size_t k) {
    Bag bag;
    std::ifstream lines(file, std::ios::binary);
    for (std::string line, field; std::getline(lines, line);) {
        std::istringstream in(line.substr(0, line.find('\r')) + sep);
        size_t i = 0;
        while (i <= k && std::getline(in, field, sep))
            ++i;
        if (i > k && line[0] != '#') bag.insert(field);
    }
    return bag;
}

void copySources(const Folder& f, const std::vector<std::string>& sources) {
    for (const auto& s : sources)
        fs::copy_file(kSamples / s, f.path() / fs::path(s).filename());
}

// The passwords of the slips of a PDF.
Bag slipPasswords(const fs::path& pdf) {
    std::istringstream text(
        runProgram("/usr/bin/pdftotext", {"-raw", pdf.string(), "-"}, pdf.parent_path()).out);
    Bag bag;
    for (std::string line; std::getline(text, line);)
        if (line.rfind("Mot de passe : ", 0) == 0) bag.insert(line.substr(15));
    return bag;
}

} // namespace

// Each derived password of a new account is 8 characters of the random alphabet,
// its own, and the same in its import line, class file line and slip; an account
// the server has gets none in its class file.
TEST(RandomPasswords, EveryDerivedPasswordIsRandomAndTheSameEverywhere) {
    struct Job {
        std::vector<std::string> sources, args;
        bool classFiles;
    };
    const Job jobs[] = {
        {kGep, {"gep-create", "--rne1", "0590001A"}, true},
        {kGep, {"gep-update", "--rne1", "0590001A", "--export", "EXPORT"}, true},
        {kGep, {"gep-b2i", "--rne1", "0590001A"}, false},
        {{"csv/ELEVES.CSV"}, {"csv-create"}, false},
        {{},
         {"trainees", "--list", (kSamples / "csv/stagiaires.txt").string(), "--group", "S"},
         false},
    };
    for (const Job& job : jobs) {
        SCOPED_TRACE(job.args[0]);
        Folder f(false);
        copySources(f, job.sources);
        std::vector<std::string> args = job.args;
        args.insert(args.end(), {"--dir", f.str(), "--random-passwords"});
        ASSERT_EQ(runBatch(args, f.path()).status, 0);
        const auto passwords = [&](const char* file) { return fieldOf(f.path() / file, ';', 5); };
        Bag added = passwords("ComptesAajouter.txt"), all = passwords("ComptesProfsAajouter.txt");
        added.merge(passwords("eleves.txt"));
        all.insert(added.begin(), added.end());
        for (const auto& p : all)
            EXPECT_TRUE(std::regex_match(p, std::regex("[a-km-np-zA-HJ-NP-Z2-9]{8}"))) << p;
        EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size()); // one each
        EXPECT_GT(added.size(), 2u);
        if (!job.classFiles) continue;
        ASSERT_EQ(runBatch({"slips", "--dir", f.str(), "--all"}, f.path()).status, 0);
        EXPECT_EQ(slipPasswords(f.path() / "fiches-toutes-classes.pdf"), added);
        Bag classLines;
        for (const auto& e : fs::directory_iterator(f.path()))
            if (e.path().extension() == ".TXT" && e.path().filename() != "GROUPES.TXT")
                classLines.merge(fieldOf(e.path(), ',', 3));
        added.merge(passwords("ComptesAmodifier.txt")); // the server's accounts: none
        EXPECT_EQ(classLines, added);
    }
}

// The files that hold passwords are 0600 for an ordinary user ("nobody" when the
// tests run as root) under umask 022; the others stay 0644.
TEST(RandomPasswords, PasswordFilesAreTheOwnersAloneUnderUmask022) {
    Folder f(false);
    copySources(f, kGep);
    std::vector<std::string> args = {
        "-c", "umask 022 && " ROLVANE_BATCH
              " gep-update --rne1 0590001A --export EXPORT && " ROLVANE_BATCH " slips"};
    std::string shell = "/bin/sh";
    if (const passwd* nobody = ::getpwnam("nobody"); nobody && ::geteuid() == 0) {
        ASSERT_EQ(::chown(f.path().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
        args.insert(args.begin(), {"--reuid=nobody", "--regid=nogroup", "--clear-groups", shell});
        shell = "/usr/bin/setpriv";
    }
    ASSERT_EQ(runProgram(shell, args, f.path()).status, 0);
    const std::pair<const char*, unsigned> modes[] = {
        {"ComptesAajouter.txt", 0600}, {"ComptesProfsAajouter.txt", 0600},  {"3a.TXT", 0600},
        {"fiches-3a.pdf", 0600},       {"fiches-toutes-classes.pdf", 0600}, {"GROUPES.TXT", 0644},
        {"doublons.txt", 0644},        {"ComptesAmodifier.txt", 0644}};
    for (const auto& [name, mode] : modes)
        EXPECT_EQ(static_cast<unsigned>(fs::status(f.path() / name).permissions()), mode) << name;
}
