// An update recognises last year's pupils by the identifier their accounts carry
// (field 14 of the EXPORT) before their name: homonyms read in another order,
// a renamed pupil and a newcomer named like a leaver each get the right account.
#include "school_files.h"

#include <gtest/gtest.h>

using namespace batchtest;

namespace {

// Last year's accounts: two MARTIN Léa, DURAND Léa (now MOREAU), PETIT Tom (gone),
// and an identifier 5 that two accounts carry.
const std::string kExport = "#Nom;Prénom;groupe;login;nouveau login;mot de passe\r\n"
                            "MARTIN;LEA;c6a;martin.lea;martin.lea;;;;;;;;;1;;\r\n"
                            "MARTIN;LEA1;c6a;martin.lea1;martin.lea1;;;;;;;;;2;;\r\n"
                            "DURAND;LEA;c6a;durand.lea;durand.lea;;;;;;;;;3;;\r\n"
                            "PETIT;TOM;c6a;petit.tom;petit.tom;;;;;;;;;4;;\r\n"
                            "ROUX;ANA;c6a;roux.ana;roux.ana;;;;;;;;;5;;\r\n"
                            "ROUX;ANAIS;c6b;roux.anais;roux.anais;;;;;;;;;5;;\r\n"
                            "LEROY;JEAN;profs;j.leroy;j.leroy;;;;;;;;;;;\r\n";

BatchRun update(const Folder& f, const std::string& exportText) {
    put(f.path() / "ElevesSansAdresses.xml", siecleFile({{"MARTIN", "Léa", "6A", "2"},
                                                         {"MARTIN", "Léa", "6A", "1"},
                                                         {"MOREAU", "Léa", "6A", "3"},
                                                         {"PETIT", "Tom", "6A", "9"},
                                                         {"ROUX", "Ana", "6A", "5"}}));
    put(f.path() / "EXPORT", exportText);
    return runBatch({"siecle-update", "--dir", f.str(), "--export", f.str() + "/EXPORT"}, f.path());
}

} // namespace

TEST(Identity, eachPupilKeepsTheAccountOfHisIdentifier) {
    Folder f(false);
    const BatchRun r = update(f, kExport);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(accountLines(f, "ComptesAmodifier.txt"),
              (std::vector<std::string>{"ROUX;ANA;c6a;roux.ana;roux.ana;;;;;;;;;5;;",
                                        "MOREAU;LEA;c6a;durand.lea;durand.lea;;;;;;;;;3;;",
                                        "MARTIN;LEA;c6a;martin.lea;martin.lea;;;;;;;;;1;;",
                                        "MARTIN;LEA1;c6a;martin.lea1;martin.lea1;;;;;;;;;2;;"}));
    EXPECT_EQ(accountLines(f, "ComptesAajouter.txt"),
              std::vector<std::string>{"PETIT;TOM1;c6a;petit.tom1;petit.tom1;030514;;;;;;;;9;;"});
    EXPECT_EQ(f.read("comptesAsupprimer.txt"), "PETIT;TOM;c6a;petit.tom\r\n");
    EXPECT_NE(r.out.find("Comptes reconnus par leur identifiant malgré un changement de nom : 1\n"
                         "  identifiant 3 : DURAND LEA -> MOREAU LEA, login durand.lea gardé\n"
                         "Identifiants portés par plusieurs comptes du fichier EXPORT : 1\n"
                         "  identifiant 5 : 2 comptes, élève cherché par son nom\n"
                         "Élèves à qui le compte de leur nom a été refusé (autre identifiant) : 1\n"
                         "  identifiant 9 : PETIT TOM, nouveau compte (le compte petit.tom porte "
                         "l'identifiant 4)"),
              std::string::npos)
        << r.out;
}

TEST(Identity, anExportWithoutIdentifiersFindsAccountsByNameAsBefore) {
    Folder f(false);
    std::string withoutIds;
    for (const auto& line : crlfLines(kExport))
        withoutIds += line.substr(0, line.find(";;;;;;;;;") + 9) + ";;\r\n";
    const BatchRun r = update(f, withoutIds);
    ASSERT_EQ(r.status, 0) << r.out;
    // By name: the first Léa read takes martin.lea, MOREAU Léa is new, PETIT Tom
    // takes the leaver's account, DURAND is listed as gone.
    EXPECT_EQ(accountLines(f, "ComptesAmodifier.txt"),
              (std::vector<std::string>{"ROUX;ANA;c6a;roux.ana;roux.ana;;;;;;;;;5;;",
                                        "PETIT;TOM;c6a;petit.tom;petit.tom;;;;;;;;;9;;",
                                        "MARTIN;LEA;c6a;martin.lea;martin.lea;;;;;;;;;2;;",
                                        "MARTIN;LEA1;c6a;martin.lea1;martin.lea1;;;;;;;;;1;;"}));
    EXPECT_EQ(f.read("comptesAsupprimer.txt"), "DURAND;LEA;c6a;durand.lea\r\n");
    EXPECT_EQ(r.out.find("identifiant"), std::string::npos) << r.out;
}
