// Values of a source that try to reach the server's files on their own: separators
// and line breaks inside a name or a division, a division of the teachers' group,
// class codes that contain one another, classes named like the job's own files,
// values too long to be a person's. Each gives whole lines of the right fields, or
// no account and a Bilan row, or a file not written and status 3.
#include "school_files.h"

#include <gtest/gtest.h>

using namespace batchtest;

namespace {

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(HostileValues, separatorsAndLineBreaksStayInsideTheirField) {
    Folder f(false);
    put(f.path() / "ElevesSansAdresses.xml",
        siecleFile({{"AUBRY", "Cath;profs;x", "6A"},
                    {"BRUN&#13;&#10;X;Y;profs;x.y;x.y;pw;;;;;;", "Jean|1,2", "6A"},
                    {"CARON", "Lea", "6&#10;DUPONT;Jean;profs"},
                    {"DENIS", "Tom\tX", "6A"}}));
    const BatchRun r = runBatch({"siecle-create", "--dir", f.str()}, f.path());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(f.read("ComptesProfsAajouter.txt"), "");
    const std::vector<std::string> expected = {
        "DENIS;TOM;c6a;denis.tom;denis.tom;030514;;;;;;;;4;;",
        "CARON;LEA;c6dupontjeanprofs;caron.lea;caron.lea;030514;;;;;;;;3;;",
        "BRUNXYPROFSX.YX.YPW;J;c6a;brunxyprofsx.yx.ypw.j;brunxyprofsx.yx.ypw.j;030514;;;;;;;;2;;",
        "AUBRY;CATH;c6a;aubry.cath;aubry.cath;030514;;;;;;;;1;;"};
    EXPECT_EQ(accountLines(f, "ComptesAajouter.txt"), expected);
    EXPECT_EQ(crlfLines(f.read("6a.TXT")),
              (std::vector<std::string>{"AUBRY,CATH PROFS X,c6a,030514",
                                        "BRUNXYPROFSX.YX.YPW,JEAN 1 2,c6a,030514",
                                        "DENIS,TOM X,c6a,030514"}));
}

TEST(HostileValues, pupilsWithoutAccountAreNamedInTheBilan) {
    Folder f(false);
    const std::string longName(201, 'L');
    put(f.path() / "ElevesSansAdresses.xml", siecleFile({{"A", "B", "PROFS"},
                                                         {"C", "D", "P-ROFS"},
                                                         {"E", "F", "Pro fs"},
                                                         {longName, "G", "6A"},
                                                         {"H", "I", std::string(201, '6')},
                                                         {"J", "K", "6A"}}));
    const BatchRun r = runBatch({"siecle-create", "--dir", f.str()}, f.path());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(accountLines(f, "ComptesAajouter.txt").size(), 1U);
    EXPECT_TRUE(has(r.out, "ElevesSansAdresses.xml : 5 élèves sans compte\n"
                           "  élève 1 : classe réservée aux professeurs\n"
                           "  élève 2 : classe réservée aux professeurs\n"
                           "  élève 3 : classe réservée aux professeurs\n"
                           "  élève 4 : champ trop long\n"
                           "  élève 5 : champ trop long"))
        << r.out;
    EXPECT_EQ(f.read("GROUPES.TXT"), "c6A\r\n");
}

TEST(HostileValues, everyClassGetsItsFileAndGroupWhenOneCodeHoldsAnother) {
    Folder f(false);
    put(f.path() / "ElevesSansAdresses.xml",
        siecleFile({{"A", "B", "5E10"}, {"C", "D", "5E1"}, {"E", "F", "E1"}}));
    // Last year's pupils of the three classes, none of them there this year.
    put(f.path() / "EXPORT",
        "#Nom;Prenom;groupe;login\r\nX;Y;c5e10;x.y;x.y;;;;;;;\r\nZ;W;c5e1;z.w;z.w;;;;;;;\r\n"
        "V;U;e1;v.u;v.u;;;;;;;\r\n");
    const BatchRun r =
        runBatch({"siecle-update", "--dir", f.str(), "--export", f.str() + "/EXPORT"}, f.path());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(f.read("GROUPES.TXT"), "c5E1\r\nc5E10\r\nE1\r\n");
    EXPECT_EQ(f.read("5e1.TXT"), "C,D,c5e1,030514\r\n");
    EXPECT_EQ(f.read("5e10.TXT"), "A,B,c5e10,030514\r\n");
    EXPECT_EQ(f.read("e1.TXT"), "E,F,e1,030514\r\n");
    EXPECT_EQ(f.read("comptesAsupprimer.txt"), "V;U;e1;v.u\r\nX;Y;c5e10;x.y\r\nZ;W;c5e1;z.w\r\n");
}

TEST(HostileValues, aClassThatCannotNameItsFileIsAFileNotWritten) {
    Folder f(false);
    put(f.path() / "ElevesSansAdresses.xml", siecleFile({{"A", "B", "6A"},
                                                         {"C", "D", "ComptesAajouter"},
                                                         {"E", "F", "3/A"},
                                                         {"G", "H", "Doublons"}}));
    const BatchRun r = runBatch({"siecle-create", "--dir", f.str()}, f.path());
    EXPECT_EQ(r.status, 3) << r.out;
    EXPECT_EQ(accountLines(f, "ComptesAajouter.txt").size(), 4U);
    EXPECT_EQ(f.read("6a.TXT"), "A,B,c6a,030514\r\n");
    EXPECT_FALSE(fs::exists(f.path() / "doublons.TXT"));
    for (const char* line :
         {"Classe ignorée (nom d'un fichier des comptes) : comptesaajouter",
          "Classe ignorée (nom de fichier impossible) : 3/a",
          "Des erreurs se sont produites : certains fichiers n'ont pas été créés.",
          "Fichier non écrit : 3/a.TXT\nFichier non écrit : comptesaajouter.TXT\n"
          "Fichier non écrit : doublons.TXT"})
        EXPECT_TRUE(has(r.out, line)) << line << "\n" << r.out;
}

TEST(HostileValues, csvValuesAndGivenPasswords) {
    Folder f(false);
    put(f.path() / "ELEVES.CSV",
        "DUPONT;Jean|x,y;6A;01/02/2010\r\nMARTIN;Paul;PROFS;01/02/2010\r\n");
    put(f.path() / "PROFS.CSV",
        "LEROY;Anne;profs;pa|ss\r\nMOREL;Luc;profs;pa\tss\r\nPETIT;Eva;profs;p,w\r\n");
    const BatchRun r = runBatch({"csv-create", "--dir", f.str()}, f.path());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(accountLines(f, "ComptesAajouter.txt"),
              std::vector<std::string>{"DUPONT;JEAN;c6a;dupont.jean;dupont.jean;01022010;;;;;;"});
    EXPECT_EQ(accountLines(f, "ComptesProfsAajouter.txt"),
              std::vector<std::string>{"PETIT;eva;profs;petit.eva;petit.eva;p,w;;;;;;;;;;"});
    EXPECT_TRUE(has(r.out, "PROFS.CSV : 2 lignes sans compte\n"
                           "  ligne 1 : mot de passe avec un caractère interdit\n"
                           "  ligne 2 : mot de passe avec un caractère interdit\n"
                           "ELEVES.CSV : 1 ligne sans compte\n"
                           "  ligne 2 : classe réservée aux professeurs"))
        << r.out;
}
