// The GEP jobs and the clean-up through rolvane-batch.
#include "batch_run.h"
#include "expected_files.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace batchtest;

namespace {

const std::string kLostRne =
    "Sans le N° RNE, le logiciel ne peut pas repérer dans la base GEP les noms des enseignants "
    "qui ont quitté l'établissement. Voulez vous poursuivre?";

bool has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

TEST(GepBatch, CreateOnTheSamplesWritesTheImportFiles) {
    Folder f;
    const BatchRun r = runBatch({"gep-create", "--dir", f.str(), "--rne1", "0590001A"}, f.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.empty());
    EXPECT_NE(r.out.find("Tous les fichiers textes ont été créés.\n"), std::string::npos);
    const std::string pupils = f.read("ComptesAajouter.txt");
    EXPECT_EQ(pupils.rfind(testsupport::kImportHeader + "\r\n", 0), 0u);
    EXPECT_NE(
        pupils.find(
            "\r\nBERANGER;ELODIE;c6b;beranger.elodie;beranger.elodie;080312;;;;;;;;000106;;\r\n"),
        std::string::npos);
    EXPECT_EQ(f.read("GROUPES.TXT"), "c3A\r\nc4A\r\nc5A\r\nc6A\r\nc6B\r\nULIS\r\n");
    EXPECT_NE(f.read("ComptesProfsAajouter.txt").find("BERARD;sebastien;profs;"),
              std::string::npos);
}

TEST(GepBatch, QuestionsGoToStandardErrorAndNoEndsEarly) {
    Folder f;
    const BatchRun no = runBatch({"gep-create", "--dir", f.str()}, f.path());
    EXPECT_EQ(no.status, 1);
    EXPECT_EQ(no.err, std::vector<std::string>{"[question] " + kLostRne + " -> Non"});
    EXPECT_FALSE(fs::exists(f.path() / "ComptesAajouter.txt"));

    const BatchRun yes = runBatch({"gep-create", "--dir", f.str(), "--yes"}, f.path());
    EXPECT_EQ(yes.status, 0);
    EXPECT_EQ(yes.err, std::vector<std::string>{"[question] " + kLostRne + " -> Oui"});
    EXPECT_TRUE(fs::exists(f.path() / "ComptesAajouter.txt"));
}

TEST(GepBatch, TheOfferToLookForAMissingTableIsAnsweredNo) {
    Folder f;
    fs::remove(f.path() / "F_ELE.DBF");
    const BatchRun r = runBatch({"gep-b2i", "--dir", f.str(), "--yes"}, f.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::vector<std::string>{
                         "[question] Le fichier 'F_ELE.DBF' n'est pas dans le répertoire de "
                         "l'application. Voulez vous le rechercher et le copier dans le "
                         "répertoire de l'application? -> Non"});
}

TEST(GepBatch, B2iWritesEleves) {
    Folder f;
    const BatchRun r = runBatch({"gep-b2i"}, f.path()); // --dir defaults to the current folder
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(f.read("eleves.txt").find("\r\nDUPONT;CATHERINE;c6a;"), std::string::npos);
    EXPECT_FALSE(fs::exists(f.path() / "GROUPES.TXT"));
}

TEST(GepBatch, UpdateAgainstTheSampleExport) {
    Folder f;
    const BatchRun r = runBatch({"gep-update", "--dir", f.str(), "--rne1", "0590001a", "--format",
                                 "nom.prenom", "--export", "EXPORT"},
                                f.path());
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.err.size(), 2u);
    EXPECT_EQ(r.err[0].rfind("[message] NOTE TRES IMPORTANTE : Lors des mises à jour", 0), 0u);
    EXPECT_EQ(r.err[1], "[message] Veuillez indiquer le chemin du fichier EXPORT.");
    EXPECT_EQ(f.read("comptesAsupprimer.txt"),
              "COLIN;MAXIME;c4a;colin.maxime\r\nLEBLANC;JULIE;c3a;leblanc.julie\r\n");
    EXPECT_NE(f.read("ComptesAmodifier.txt").find("\r\nPETIT;LUCAS;c4a;petit.lucas;petit.lucas;;"),
              std::string::npos);
    EXPECT_NE(r.out.find("Tous les fichiers ont été créés.\n"), std::string::npos);
}

TEST(GepBatch, WrongUsageExitsTwoWithAFrenchLineAndTheUsage) {
    Folder f(false);
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"gep-explode"},
                                                 {"gep-create", "--bogus"},
                                                 {"gep-update", "--dir", f.str()},
                                                 {"gep-create", "--dir", f.str() + "/absent"},
                                                 {"gep-create", "--format", "x.y"},
                                                 {"gep-create", "--rne1"}}) {
        const BatchRun r = runBatch(args, f.path());
        EXPECT_EQ(r.status, 2);
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err[0].rfind("rolvane-batch : ", 0), 0u) << r.err[0];
        // The usage itself is one --help away.
        EXPECT_EQ(r.err.size(), 2u);
        EXPECT_TRUE(has(r.err, "Essayez « rolvane-batch --help » pour en savoir plus."));
        EXPECT_TRUE(fs::is_empty(f.path()));
    }
}

TEST(GepBatch, AFileThatCannotBeWrittenExitsThree) {
    Folder f;
    fs::create_directories(f.path() / "ComptesProfsAajouter.txt" / "in-the-way");
    const BatchRun r = runBatch({"gep-create", "--rne1", "0590001A"}, f.path());
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.out.find("Erreur : impossible d'écrire ComptesProfsAajouter.txt"),
              std::string::npos);
    EXPECT_NE(r.out.find("Des erreurs se sont produites : certains fichiers n'ont pas été créés."),
              std::string::npos);
    EXPECT_TRUE(fs::exists(f.path() / "ComptesAajouter.txt"));
}

TEST(GepBatch, CleanDeletesTextFilesOnlyOnYes) {
    Folder f;
    runBatch({"gep-create", "--rne1", "0590001A"}, f.path());
    ASSERT_TRUE(fs::exists(f.path() / "GROUPES.TXT"));
    const BatchRun no = runBatch({"clean"}, f.path());
    EXPECT_EQ(no.status, 1);
    EXPECT_EQ(no.err, std::vector<std::string>{
                          "[question] Cette commande supprime tous les fichiers .TXT. Voulez vous "
                          "continuer? -> Non"});
    EXPECT_TRUE(fs::exists(f.path() / "GROUPES.TXT"));
    const BatchRun yes = runBatch({"clean", "--yes"}, f.path());
    EXPECT_EQ(yes.status, 0);
    EXPECT_FALSE(fs::exists(f.path() / "GROUPES.TXT"));
    EXPECT_FALSE(fs::exists(f.path() / "ComptesAajouter.txt"));
    EXPECT_TRUE(fs::exists(f.path() / "F_ELE.DBF"));
    EXPECT_TRUE(fs::exists(f.path() / "EXPORT"));
}

TEST(GepBatch, CleanNamesEachFileItCannotDelete) {
    Folder f(false);
    for (const char* name : {"a.txt", "B.TXT"})
        std::ofstream(f.path() / name) << "x";
    fs::permissions(f.path(), fs::perms::owner_read | fs::perms::owner_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    const BatchRun r = runBatchAsUser({"clean", "--yes"}, f.path());
    fs::permissions(f.path(), fs::perms::owner_all);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "Impossible de supprimer a.txt\nImpossible de supprimer B.TXT\n");
    EXPECT_TRUE(fs::exists(f.path() / "a.txt"));
}

TEST(GepBatch, ACutLastRecordIsListedInTheBilan) {
    const struct {
        std::string table, line;
    } cases[] = {
        {"F_ELE.DBF", "  enregistrement 36 : incomplet : non lu"},
        {"F_IND.DBF", "  enregistrement 8 : incomplet : non lu"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        Folder f;
        const std::string bytes = f.read(c.table);
        std::ofstream(f.path() / c.table, std::ios::binary) << bytes.substr(0, bytes.size() - 6);
        const BatchRun r =
            runBatch({"gep-create", "--dir", f.str(), "--rne1", "0590001A"}, f.path());
        EXPECT_NE(r.out.find("\n" + c.line + "\n"), std::string::npos) << r.out;
    }
}
