// The CSV, SCONET, trainee and renaming jobs through rolvane-batch, on the samples.
#include "batch_run.h"
#include "expected_files.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace batchtest;
using testsupport::kImportHeader;
using Lines = std::vector<std::string>;

namespace {

const fs::path kSamples = fs::path(ROLVANE_SOURCE_DIR) / "samples";
const std::string kNoTeachers =
    "[question] Le fichier des professeurs 'PROFS.CSV' n'est pas dans le répertoire de "
    "l'application. Voulez vous le rechercher et le copier dans le répertoire de "
    "l'application? -> Non";
const std::string kNote =
    "[message] NOTE TRES IMPORTANTE : Lors des mises à jour des comptes vous devez "
    "IMPERATIVEMENT sélectionner le format de login (NOM.PRENOM ou PRENOM.NOM) correspondant "
    "à celui en vigueur l'année précédente.";
const std::string kDone = "\nTous les fichiers textes ont été créés.\n";

void copySample(const Folder& f, const std::string& from, const std::string& as) {
    fs::copy_file(kSamples / from, f.path() / as);
}

std::string sample(const std::string& name) {
    return (kSamples / name).string();
}

} // namespace

TEST(CsvBatch, CreateFromThePlainSamples) {
    Folder f(false);
    copySample(f, "csv/ELEVES.CSV", "ELEVES.CSV");
    copySample(f, "csv/PROFS.CSV", "PROFS.CSV");
    const BatchRun r = runBatch({"csv-create", "--dir", f.str()}, f.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.empty());
    EXPECT_NE(r.out.find("\nConversion de la base CSV en cours........\n"), std::string::npos);
    EXPECT_NE(r.out.find(kDone), std::string::npos);
    EXPECT_EQ(f.read("ComptesAajouter.txt"),
              kImportHeader + "\r\n" +
                  "VANDERSTRAETENDELACROIX;M;c5c;vanderstraetendelacroix.m;vanderstraetendelacroix."
                  "m;05062010;;;;;;\r\n"
                  "MULLER;CHLOE;c5c;muller.chloe;muller.chloe;30012010;;;;;;\r\n"
                  "MARTINDURAND;JEAN;c4b;martindurand.jean;martindurand.jean;01022008;;;;;;\r\n"
                  "LEGOFF;FRANCOIS;c3a;legoff.francois;legoff.francois;23092009;;;;;;\r\n"
                  "LEFEVRE;ELODIE;c3a;lefevre.elodie;lefevre.elodie;12112009;;;;;;\r\n"
                  "DUPONT;CATHERINE;c3a;dupont.catherine;dupont.catherine;03052009;;;;;;\r\n"
                  "DUPONT;CATHERINE1;c5c;dupont.catherine1;dupont.catherine1;17102010;;;;;;\r\n"
                  "DARTAGNAN;NOEL;c4b;dartagnan.noel;dartagnan.noel;14072008;;;;;;\r\n"
                  "\r\n");
    EXPECT_EQ(f.read("ComptesProfsAajouter.txt"),
              "ROUX;annesophie;profs;roux.annesophie;roux.annesophie;jardin7;;;;;;;;;;\r\n"
              "LEMAITRE;helene;profs;lemaitre.helene;lemaitre.helene;azerty;;;;;;;;;;\r\n"
              "BERARD;sebastien;profs;berard.sebastien;berard.sebastien;soleil44;;;;;;;;;;\r\n"
              "\r\n");
    EXPECT_EQ(f.read("doublons.txt"), "DUPONT CATHERINE1  ->  DUPONT  CATHERINE  c5c\r\n");
    EXPECT_EQ(f.read("troncatures.txt"),
              "VANDERSTRAETENDELACROIX M -> troncature ->  M.VANDERSTRAETENDEL  c5c\r\n");
}

TEST(CsvBatch, CreateFromTheSconetSample) {
    Folder f(false);
    copySample(f, "sconet/ELEVES.CSV", "ELEVES.CSV");
    const BatchRun r = runBatch({"csv-create", "--dir", f.str()}, f.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, Lines{kNoTeachers});
    const std::string source = f.read("ELEVES.CSV");
    EXPECT_EQ(source.find('='), std::string::npos);
    EXPECT_EQ(
        source.rfind(
            "NOM;PRENOM;NE(E) LE;SEXE;DIV.\r\nDUPONT;CATHERINE;\"03/05/2009\";F;\"3A\"\r\n", 0),
        0u);
    const std::string pupils = f.read("ComptesAajouter.txt");
    EXPECT_NE(pupils.find(
                  "\r\nDUPONT;CATHERINE;c3a;dupont.catherine;dupont.catherine;03052009;;;;;;\r\n"),
              std::string::npos);
    EXPECT_NE(
        pupils.find("\r\nLEGOFF;FRANCOIS;c3a;legoff.francois;legoff.francois;23092009;;;;;;\r\n"),
        std::string::npos);
    EXPECT_NE(pupils.find("\r\nPETIT;LUCAS;c5c;petit.lucas;petit.lucas;08042010;;;;;;\r\n"),
              std::string::npos);
}

TEST(CsvBatch, UpdateAgainstTheSampleExport) {
    Folder f(false);
    copySample(f, "csv/ELEVES.CSV", "ELEVES.CSV");
    copySample(f, "csv/PROFS.CSV", "PROFS.CSV");
    const BatchRun r =
        runBatch({"csv-update", "--dir", f.str(), "--export", sample("csv/EXPORT")}, f.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, (Lines{kNote, "[message] Veuillez indiquer le chemin du fichier EXPORT."}));
    EXPECT_EQ(f.read("comptesAsupprimer.txt"), "PETIT;LUCAS;c3a;petit.lucas\r\n");
    EXPECT_EQ(f.read("ComptesAmodifier.txt"),
              kImportHeader + "\r\n" +
                  "LEGOFF;FRANCOIS;c3a;legoff.francois;legoff.francois;;;;;;;\r\n"
                  "DUPONT;CATHERINE;c3a;dupont.catherine;dupont.catherine;;;;;;;\r\n\r\n");
    EXPECT_EQ(f.read("ComptesProfsAmodifier.txt"),
              "BERARD;sebastien;profs;berard.sebastien;berard.sebastien;;;;;;;;;;;\r\n\r\n");
    EXPECT_NE(r.out.find("\nCréation du fichier des comptes à supprimer.....\n"),
              std::string::npos);

    const BatchRun missing = runBatch({"csv-update", "--dir", f.str()}, f.path());
    EXPECT_EQ(missing.status, 2);
}

TEST(CsvBatch, TraineesFromTheSampleList) {
    Folder f(false);
    const BatchRun r =
        runBatch({"trainees", "--dir", f.str(), "--list", sample("csv/stagiaires.txt"), "--group",
                  "3 A", "--responsible", "c3a  c4b", "--format", "initiale.nom"},
                 f.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err.size(), 1u);
    EXPECT_EQ(
        f.read("ComptesAajouter.txt"),
        kImportHeader + "\r\n" +
            "MARTIN;J;c3A;j.martin;j.martin;a;intranet privatespace;;c3a  c4b;;;;;;;\r\n"
            "LEFEVRE;E;c3A;e.lefevre;e.lefevre;a;intranet privatespace;;c3a  c4b;;;;;;;\r\n"
            "DUPONT;C;c3A;c.dupont;c.dupont;a;intranet privatespace;;c3a  c4b;;;;;;;\r\n"
            "DUPONT;C;c3A;c.dupont;c.dupont;a;intranet privatespace;;c3a  c4b;;;;;;;\r\n\r\n");
    EXPECT_FALSE(fs::exists(f.path() / "doublons.txt"));
    EXPECT_TRUE(fs::exists(f.path() / "STAGIAIRES.CSV"));
}

TEST(CsvBatch, TraineeGroupsTypedWithSeparatorsAddNoLineNorField) {
    Folder f(false);
    const BatchRun r =
        runBatch({"trainees", "--dir", f.str(), "--list", sample("csv/stagiaires.txt"), "--group",
                  "st;age\r\nX", "--responsible", "g1;g2|x,y", "--format", "initiale.nom"},
                 f.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(
        f.read("ComptesAajouter.txt"),
        kImportHeader + "\r\n" +
            "MARTIN;J;stageX;j.martin;j.martin;a;intranet privatespace;;g1 g2 x y;;;;;;;\r\n"
            "LEFEVRE;E;stageX;e.lefevre;e.lefevre;a;intranet privatespace;;g1 g2 x y;;;;;;;\r\n"
            "DUPONT;C;stageX;c.dupont;c.dupont;a;intranet privatespace;;g1 g2 x y;;;;;;;\r\n"
            "DUPONT;C;stageX;c.dupont;c.dupont;a;intranet privatespace;;g1 g2 x y;;;;;;;\r\n"
            "\r\n");
}

TEST(CsvBatch, TraineesWithABlankGroupWriteNoAccount) {
    Folder f(false);
    const BatchRun r = runBatch(
        {"trainees", "--dir", f.str(), "--list", sample("csv/stagiaires.txt"), "--group", "  "},
        f.path());
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(r.err.size(), 2u);
    EXPECT_EQ(r.err[1], "[message] Vous devez donner un nom de groupe Kwartz");
    EXPECT_FALSE(fs::exists(f.path() / "ComptesAajouter.txt"));
    EXPECT_EQ(runBatch({"trainees", "--dir", f.str(), "--group", "x"}, f.path()).status, 2);
}

TEST(CsvBatch, RenameLoginsOfTheSampleExport) {
    Folder f(false);
    const std::vector<std::string> args = {"rename-logins", "--dir", f.str(), "--export",
                                           sample("csv/EXPORT")};
    EXPECT_EQ(runBatch(args, f.path()).status, 2); // --yes is required
    std::vector<std::string> yes = args;
    yes.push_back("--yes");
    const BatchRun r = runBatch(yes, f.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err.size(), 3u);
    EXPECT_EQ(r.err[1], "[question] Avez-vous généré le fichier EXPORT correspondant à la base "
                        "actuelle des utilisateurs? -> Oui");
    EXPECT_EQ(f.read("ComptesAmodifier.txt"),
              "DUPONT;CATHERINE;c3a;dupont.catherine;catherine.dupont;;;;;;;\r\n"
              "LEGOFF;FRANCOIS;c4b;legoff.francois;francois.legoff;;;;;;;\r\n"
              "PETIT;LUCAS;c3a;petit.lucas;lucas.petit;;;;;;;\r\n"
              "BERARD;SEBASTIEN;profs;berard.sebastien;sebastien.berard;;;;;;;\r\n"
              "ROUX;A;profs;a.roux;roux.a;;;;;;;\r\n"
              "ADMIN;;admin;administrateur;administrateur;;;;;;;\r\n");
    EXPECT_EQ(r.out, "\nTous les fichiers textes ont été créés.\nBilan :\n"
                     "ComptesAmodifier.txt : 6 comptes\n");
}

// A copy of the program with the library but without the scripting component.
TEST(CsvBatch, SconetWithoutTheComponentExitsWithThree) {
    const fs::path bin = fs::path(ROLVANE_BATCH).parent_path();
    Folder programs(false), f(false);
    fs::copy_file(ROLVANE_BATCH, programs.path() / "rolvane-batch");
    fs::copy_file(bin / "vandrel1.dlp", programs.path() / "vandrel1.dlp");
    unsetenv("ROLVANE_COMPONENT_DIR");
    unsetenv("ROLVANE_LIBRARY_DIR");
    copySample(f, "sconet/ELEVES.CSV", "ELEVES.CSV");
    const BatchRun r = runProgram((programs.path() / "rolvane-batch").string(),
                                  {"csv-create", "--dir", f.str()}, f.path());
    if (r.out.find("Python.pythrolvane") == std::string::npos && r.status == 0)
        GTEST_SKIP() << "a component is installed on this machine";
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.out.find("\nLe composant Python.pythrolvane est introuvable"), std::string::npos);
    EXPECT_NE(
        r.out.find("\nDes erreurs se sont produites : certains fichiers n'ont pas été créés.\n"),
        std::string::npos);
    EXPECT_NE(f.read("ELEVES.CSV").find('='), std::string::npos);
}
