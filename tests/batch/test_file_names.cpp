// File names with accents, as the system spells them (UTF-8), named in the log
// box, its Bilan and the messages as the user sees them.
#include "batch_run.h"
#include "school_files.h"

#include <gtest/gtest.h>

using namespace batchtest;

namespace {

const fs::path kSamples = fs::path(ROLVANE_SOURCE_DIR) / "samples";

// A server's EXPORT saved as UTF-8, with its byte order mark.
const std::string kUtf8Export = "\xEF\xBB\xBF#Nom;Prénom;groupe d'affectation;login actuel;"
                                "nouveau login;mot de passe\r\n"
                                "DUPONT;CATHERINE;c3a;dupont.catherine;dupont.catherine;;;;;;;\r\n";

} // namespace

TEST(FileNames, AccentedNamesAreShownAsSpelt) {
    struct Case {
        std::string job, file, bytes;
        std::vector<std::string> lines; // of the log box and its Bilan
    };
    const std::string leaver = siecleFile({{"MARTIN", "Paul", ""}});
    const std::vector<Case> cases = {
        {"siecle-create",
         "élèves.xml",
         "<?xml version=\"1.0\"?>\n<BEE_ELEVES>\n",
         {"Le fichier élèves.xml n'est pas un fichier XML bien formé"}},
        {"siecle-create",
         "Élèves è.xml",
         leaver,
         {"Élèves : Élèves è.xml", "Élèves è.xml : 1 élève sans compte"}},
        {"csv-update", "EXPORT é", kUtf8Export, {"EXPORT é lu comme texte UTF-8."}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Folder f(false);
        put(f.path() / c.file, c.bytes);
        if (c.job == "csv-update")
            for (const char* name : {"ELEVES.CSV", "PROFS.CSV"})
                fs::copy_file(kSamples / "csv" / name, f.path() / name);
        const BatchRun r = runBatch({c.job, "--dir", f.str(), "--rne1", "0590001A", "--export",
                                     (f.path() / c.file).string()},
                                    f.path());
        for (const auto& line : c.lines)
            EXPECT_NE(("\n" + r.out).find("\n" + line), std::string::npos) << line << "\n" << r.out;
    }
}
