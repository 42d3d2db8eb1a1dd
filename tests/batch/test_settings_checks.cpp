// Jobs whose settings do not fit their data stop before they delete anything:
// an update in another login format than last year's logins, an RNE number that
// is none, names no teacher in service or another establishment, a CSV job
// without its sources. --yes answers none of these questions.
#include "batch_run.h"
#include "school_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace batchtest;
using Lines = std::vector<std::string>;

namespace {

const fs::path kSamples = fs::path(ROLVANE_SOURCE_DIR) / "samples";

// A folder holding every file of samples/<sampleDir> and an output of last year's run.
struct School : Folder {
    explicit School(const std::string& sampleDir = "") : Folder(false) {
        if (!sampleDir.empty())
            for (const auto& e : fs::directory_iterator(kSamples / sampleDir))
                fs::copy_file(e.path(), path() / e.path().filename());
        put(path() / "ComptesAajouter.txt", "last year\r\n");
    }
    std::map<std::string, std::string> files() const {
        std::map<std::string, std::string> all;
        for (const auto& e : fs::directory_iterator(path()))
            all[e.path().filename().string()] = read(e.path().filename().string());
        return all;
    }
};

// Runs the job in the folder with --yes and checks that it stopped on `line`
// (standard error), leaving the folder as it was.
BatchRun expectStopped(const School& f, Lines args, const std::string& line) {
    const auto before = f.files();
    args.insert(args.end(), {"--dir", f.str(), "--yes"});
    const BatchRun r = runBatch(args, f.path());
    EXPECT_EQ(r.status, 1) << args[0];
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), line), 1) << line;
    EXPECT_TRUE(f.files() == before) << args[0] << ": the folder changed";
    return r;
}

} // namespace

TEST(SettingsChecks, AnUpdateInAnotherFormatThanItsExportStopsUnlessTheCheckIsIgnored) {
    const std::string initials = "#Nom;Prenom;groupe;login\r\nDUPONT;C;c3a;c.dupont\r\n"
                                 "DUPONT;C1;c3a;c1.dupont\r\nBERARD;S;profs;s.berard\r\n"
                                 "LEGOFF;F;c4b;f.legoff\r\nPETIT;L;C3A;l.petit\r\nMARTIN;E;c3a;"
                                 "e.martin\r\nADMIN;;admin;administrateur\r\n";
    struct Case {
        std::string sampleDir, job, format, followed, example, chosen;
    };
    const Case cases[] = {
        {"gep", "gep-update", "prenom.nom", "Nom.prénom", "dupont.catherine",
         "Prénom.Nom (Sans abréviation)"},
        {"siecle", "siecle-update", "initiale.nom", "Nom.prénom", "dupont.catherine",
         "Prénom.Nom (Première lettre du prénom)"},
        {"csv", "csv-update", "nom.prenom", "Prénom.Nom (Première lettre du prénom)", "c.dupont",
         "Nom.prénom"},
    };
    for (const Case& c : cases) {
        School f(c.sampleDir);
        if (c.job == "csv-update") put(f.path() / "EXPORT", initials);
        const std::string question =
            "[question] Les logins du fichier EXPORT suivent le format " + c.followed +
            " (par ex. " + c.example + ") alors que le format choisi est " + c.chosen +
            " : la mise à jour créerait un nouveau compte pour chaque élève et listerait les "
            "anciens comme partis. Continuer quand même ?";
        const Lines args = {c.job,    "--rne1",   "0590001A", "--format",
                            c.format, "--export", "EXPORT"};
        expectStopped(f, args, question + " -> Non");

        Lines ignoring = args;
        ignoring.insert(ignoring.end(), {"--dir", f.str(), "--ignore-format-check"});
        const BatchRun r = runBatch(ignoring, f.path());
        EXPECT_EQ(r.status, 0) << c.job;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), question + " -> Oui"), 1) << c.job;
    }
}

TEST(SettingsChecks, AnRneThatFitsNoDataStopsTheJob) {
    const std::string invalid = " ne semble pas valide (7 chiffres et une lettre). Continuer ?";
    const std::string noTeacher = "[question] Aucun enseignant en service pour le RNE 0590099Z "
                                  "dans F_AFF.DBF : vérifiez le numéro. Continuer sans les "
                                  "enseignants ?";
    const std::string otherSchool = "[question] Le N° RNE 0590099Z ne correspond pas à "
                                    "l'établissement 0590001A du fichier ";
    struct Case {
        Lines args;
        std::string question, sampleDir = "gep", dropped = "";
    };
    const Case cases[] = {
        {{"gep-create", "--rne1", " 059001 "}, "[question] Le N° RNE 059001" + invalid},
        {{"gep-update", "--rne1", "0590001A", "--rne2", "0590001AB", "--export", "EXPORT"},
         "[question] Le N° RNE 0590001AB" + invalid},
        {{"gep-create", "--rne1", "0590099z"}, noTeacher},
        {{"gep-update", "--rne1", "0590099Z", "--export", "EXPORT"}, noTeacher},
        {{"siecle-create", "--rne1", "0590099Z"},
         otherSchool + "ElevesSansAdresses.xml. Continuer ?",
         "siecle"},
        {{"siecle-create", "--rne1", "0590099Z"},
         otherSchool + "sts_emp_0590001A_2026.xml. Continuer ?",
         "siecle",
         "ElevesSansAdresses.xml"},
        {{"siecle-update", "--rne1", "0590001", "--export", "EXPORT"},
         "[question] Le N° RNE 0590001" + invalid,
         "siecle"},
    };
    for (const Case& c : cases) {
        School f(c.sampleDir);
        if (!c.dropped.empty()) fs::remove(f.path() / c.dropped);
        expectStopped(f, c.args, c.question + " -> Non");
    }
}

TEST(SettingsChecks, ACsvJobWithoutItsSourcesStopsBeforeDeleting) {
    for (const Lines& args : {Lines{"csv-create"}, Lines{"csv-update", "--export",
                                                         (kSamples / "csv/EXPORT").string()}}) {
        School f;
        const std::string text =
            "Aucun fichier ELEVES.CSV ni PROFS.CSV : aucun compte n'a été créé.";
        EXPECT_NE(expectStopped(f, args, "[message] " + text).out.find(text), std::string::npos);
    }
}
