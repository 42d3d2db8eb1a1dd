#include "accounts/builders.h"

#include "clients/vandrel_client.h"
#include "gep_records.h"
#include "jobs/gep_worker.h"
#include "session_fixture.h"
#include "text/text.h"

#include <gtest/gtest.h>

using namespace modvesk;
using testsupport::DialogCall;
using Items = std::vector<std::string>;

namespace {

class BuildersTest : public testsupport::SessionTest {
  protected:
    void SetUp() override {
        SessionTest::SetUp();
        std::vector<long> pupilWidths = {10, 20, 20, 1, 8};
        pupilWidths.resize(39, 1);
        pupilWidths.push_back(8);
        testsupport::setFieldWidths(s.job.fieldTable, Pupils, pupilWidths);
        testsupport::setFieldWidths(s.job.fieldTable, Teachers, {2, 8, 12, 25, 20});
    }

    // A pupil record as the dBase reader hands it over: code page 850 bytes
    // converted to Windows-1252 once.
    void gepPupil(const std::string& id, const std::string& surname, const std::string& first,
                  const std::string& date, const std::string& cls) {
        std::string r = testsupport::gepRecord(
            s.job.fieldTable, Pupils, {{1, id}, {2, surname}, {3, first}, {5, date}, {40, cls}});
        r = OemToAnsi(r);
        BuildGepPupil(s, r, index);
    }
    void gepTeacher(const std::string& id, const std::string& staff, const std::string& surname,
                    const std::string& first) {
        std::string r = testsupport::gepRecord(s.job.fieldTable, Teachers,
                                               {{2, id}, {3, staff}, {4, surname}, {5, first}});
        r = OemToAnsi(r);
        BuildGepTeacher(s, r, index);
    }
    void csvPupil(std::string line) { BuildCsvPupil(s, line, index); }
    void csvTeacher(std::string line) { BuildCsvTeacher(s, line, index); }

    Items newAccounts() const { return s.win.lstTri.items(); }
    Items otherAccounts() const { return s.win.LstTri2.items(); }

    long index = 0;
};

} // namespace

// ---- GEP pupils ---------------------------------------------------------------

TEST_F(BuildersTest, GepPupilNewInCreation) {
    gepPupil("ID1", "Dupont", "Jean Pierre", "20100315", "3A");
    EXPECT_TRUE(newAccounts().empty());
    EXPECT_EQ(otherAccounts(), Items{"DUPONT;JEAN;c3a;dupont.jean;dupont.jean;150310;;;;;;;;ID1;;|"
                                     "DUPONT JEAN PIERRE ; dupont.jean"});
    EXPECT_EQ(index, 1);
    const Person p = s.job.personAt(0);
    EXPECT_EQ(p.surname, "DUPONT");
    EXPECT_EQ(p.firstName, "JEAN PIERRE");
    EXPECT_EQ(p.password, "150310");
    EXPECT_EQ(p.text, "3a"); // the class before its "c"
    EXPECT_EQ(s.job.kwartzSuffix, ";;ID1;;");
    EXPECT_EQ(vandrel::present("DUPONT JEAN"), vandrel::kTrue);
    EXPECT_EQ(s.job.classList.text(), "c3a ");
}

TEST_F(BuildersTest, GepPupilWithoutSuffix) {
    s.win.kwartz17 = false;
    gepPupil("ID1", "Dupont", "Jean Pierre", "20100315", "ULIS");
    EXPECT_EQ(otherAccounts(), Items{"DUPONT;JEAN;ulis;dupont.jean;dupont.jean;150310;;;;;;|DUPONT "
                                     "JEAN PIERRE ; dupont.jean"});
    EXPECT_EQ(s.job.personAt(0).text, "ulis");
}

TEST_F(BuildersTest, GepPupilNewAndExistingInUpdate) {
    s.job.UpdateMode = true;
    vandrel::inserenomancien("DUPONT JEAN", "c4b dupont.j");
    gepPupil("ID1", "Dupont", "Jean Pierre", "20100315", "3A");
    gepPupil("ID2", "Martin", "Paul", "20091231", "6B");
    // On the server: its login in fields 4 and 5, no password, the new class.
    EXPECT_EQ(
        otherAccounts(),
        Items{"DUPONT;JEAN;c3a;dupont.j;dupont.j;;;;;;;;;ID1;;|DUPONT JEAN PIERRE ; dupont.jean"});
    EXPECT_EQ(newAccounts(), Items{"MARTIN;PAUL;c6b;martin.paul;martin.paul;311209;;;;;;;;ID2;;|"
                                   "MARTIN PAUL ; martin.paul"});
    EXPECT_EQ(index, 2);
    EXPECT_EQ(s.job.classList.text(), "c6b c3a ");
}

TEST_F(BuildersTest, GepPupilSkipsIncompleteRecords) {
    gepPupil("ID1", "", "Jean", "20100315", "3A");
    gepPupil("ID2", "Dupont", "", "20100315", "3A");
    gepPupil("ID3", "Dupont", "Jean", "", "3A");
    gepPupil("ID4", "Dupont", "Jean", "20100315", "");
    gepPupil("", "", "", "", ""); // a record past the end of the table
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(otherAccounts().empty());
    EXPECT_EQ(vandrel::present("DUPONT JEAN"), vandrel::kFalse);
    EXPECT_EQ(s.job.classList.text(), "");
}

TEST_F(BuildersTest, ClassListNewestFirstComparedWhole) {
    gepPupil("1", "A", "Anne", "20100101", "3A");
    gepPupil("2", "B", "Bob", "20100101", "4B");
    gepPupil("3", "C", "Cyd", "20100101", "3a");
    gepPupil("4", "D", "Dan", "20100101", "3"); // c3 is listed though it occurs inside c3a
    csvPupil("E;Eve;6A;01/01/2010");
    EXPECT_EQ(s.job.classList.text(), "c6a c3 c4b c3a ");
    EXPECT_EQ(index, 5);
    EXPECT_EQ(s.job.personAt(3).text, "3");
    // A list changed elsewhere is read again: a class met before goes in again.
    s.job.classList.assign("c9z ");
    gepPupil("6", "F", "Fay", "20100101", "3A");
    csvPupil("G;Guy;6A;01/01/2010");
    EXPECT_EQ(s.job.classList.text(), "c6a c3a c9z ");
}

TEST_F(BuildersTest, CommaFormWhenVersion3IsNotSelected) {
    s.win.version3 = false;
    s.job.UpdateMode = true;
    vandrel::inserenomancien("DUPONT JEAN", "c4b dupont.j");
    gepPupil("ID1", "Dupont", "Jean", "20100315", "3A");
    gepTeacher("T1", "ab12345678", "Durand", "Marie");
    csvPupil("Martin;Paul;6B;31/12/2009");
    csvTeacher("Petit;Luc;profs;Secret");
    EXPECT_TRUE(newAccounts().empty());
    EXPECT_EQ(otherAccounts(), (Items{"DUPONT,JEAN,c3a,150310", "DURAND,marie,profs,2345678",
                                      "MARTIN,PAUL,c6b,31122009", "PETIT,luc,profs,secret"}));
    EXPECT_EQ(index, 4);
    EXPECT_EQ(vandrel::present("PETIT LUC"), vandrel::kTrue);
}

TEST_F(BuildersTest, GepRecordsInCodePage850GivePlainLogins) {
    // "Müller Élodie" and "Núñez Hélène" in code page 850.
    gepPupil("1", "M\x81LLER", "\x90lodie", "20100101", "5\x90");
    gepPupil("2",
             "N\xA3\xA4"
             "EZ",
             "H\x82l\x8Ane", "20100101", "5e");
    // The plain spelling in a Windows-1252 CSV line clashes with the first.
    csvPupil(ansi("Muller;Élodie;5E;01/01/2010"));
    EXPECT_EQ(otherAccounts(),
              (Items{"MULLER;ELODIE1;c5e;muller.elodie1;muller.elodie1;01012010;;;;;;",
                     "MULLER;ELODIE;c5e;muller.elodie;muller.elodie;010110;;;;;;;;1;;|MULLER "
                     "ELODIE ; muller.elodie",
                     "NUNEZ;HELENE;c5e;nunez.helene;nunez.helene;010110;;;;;;;;2;;|NUNEZ HELENE ; "
                     "nunez.helene"}));
    EXPECT_EQ(readFile("doublons.txt"), "MULLER ELODIE1  ->  MULLER  ELODIE  c5e\r\n");
    EXPECT_EQ(s.job.personAt(0).text, "5e");
}

// ---- GEP teachers -------------------------------------------------------------

TEST_F(BuildersTest, GepTeacherNewWithGroupsAndServiceCheck) {
    s.win.loginFormat = LoginFormat::Abrev;
    s.win.txtrne1 = "0123456A";
    vandrel::memoriseProfEnService("T1");
    vandrel::memoriseProfEnService("T3");
    vandrel::associeProfsGroupes("5C", "D", "T1");
    vandrel::associeProfsGroupes("3B", "D", "T1");
    gepTeacher("T1", "ab12345678", "Dupont", "Catherine");
    gepTeacher("T2", "99", "Absent", "Paul"); // not in service
    gepTeacher("T3", "", "Vide", "Paul");     // no staff number
    EXPECT_EQ(otherAccounts(), Items{"DUPONT;c;profs;c.dupont;c.dupont;2345678;;;c5C "
                                     "c3B;;;c.dupont;;;;|DUPONT catherine ; c.dupont"});
    EXPECT_EQ(index, 1);
    EXPECT_EQ(s.job.personAt(0).text, "profs");
    EXPECT_EQ(s.job.personAt(0).password, "2345678");
    EXPECT_EQ(vandrel::present("ABSENT P"), vandrel::kFalse);
}

// The groups of a teacher are read back from the library whatever the length of
// their list, as long as it is shorter than the 5,000 blanks it is given.
TEST_F(BuildersTest, GepTeacherGroupsOfAnyLength) {
    const struct {
        const char* id;
        const char* surname;
        int groups; // each "cNNNN" and a blank
    } cases[] = {{"T1", "AUBERT", 2}, {"T2", "BLANC", 120}, {"T3", "COLIN", 1000}};
    for (const auto& c : cases) {
        std::string list;
        for (int k = 0; k < c.groups; ++k) {
            vandrel::associeProfsGroupes(std::to_string(1000 + k), "D", c.id);
            list += (k ? " c" : "c") + std::to_string(1000 + k);
        }
        gepTeacher(c.id, "1234567", c.surname, "Paul");
        const std::string entry = otherAccounts().back();
        std::string_view fields[9];
        NthFields(entry, ';', fields);
        EXPECT_EQ(fields[8], list.size() < 5000 ? list : "") << c.groups;
        s.win.LstTri2.clear();
    }
}

TEST_F(BuildersTest, OnlyOpenEndedAssignmentsToTheSchoolPutATeacherInService) {
    // Assignment fields: 3 the teacher, 4 the school, 7 the end date ("2099..." when open).
    testsupport::setFieldWidths(s.job.fieldTable, Assignments, {1, 1, 8, 8, 1, 1, 8});
    s.win.txtrne1 = "0123456A";
    struct Case {
        const char* id;
        const char* rne;
        const char* end;
        bool inService;
    };
    const Case cases[] = {
        {"T1", "0123456A", "20990831", true},
        {"T2", "0123456a", "20990831", true},  // the table's school code upper-cased
        {"T3", "0123456A", "21000831", false}, // a year past 2099 is not the open end
        {"T4", "0123456A", "20980831", false},
        {"T5", "0999999Z", "20990831", false}, // another school
    };
    for (const Case& c : cases) {
        std::string r = testsupport::gepRecord(s.job.fieldTable, Assignments,
                                               {{3, c.id}, {4, c.rne}, {7, c.end}});
        memoriseEnService(s, r, s.win.txtrne1);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const long before = index;
        gepTeacher(c.id, "1234567", c.id, "Paul");
        EXPECT_EQ(index > before, c.inService);
    }
}

TEST_F(BuildersTest, GepTeacherWithoutRneAndSuffix) {
    s.win.kwartz17 = false;
    gepTeacher("T9", "x1y2z3w4", "D'Artagnan", "Jean'Luc");
    // Staff number upper-cased, last seven characters; apostrophes dropped per field.
    EXPECT_EQ(otherAccounts(),
              Items{"DARTAGNAN;jeanluc;profs;dartagnan.jeanluc;dartagnan.jeanluc;1Y2Z3W4;;;;;;"
                    "dartagnan.jeanluc|DARTAGNAN jeanluc ; dartagnan.jeanluc"});
}

TEST_F(BuildersTest, GepTeacherFromCodePage850IsFoldedAndNotConvertedAgain) {
    s.win.loginFormat = LoginFormat::Entier;
    gepTeacher("T1", "1234567", "\x90TIENNE", "H\x82l\x8Ane");
    gepTeacher("T2", "7654321", "Etienne", "Helena");
    EXPECT_EQ(otherAccounts(), (Items{"ETIENNE;helena;profs;helena.etienne;helena.etienne;7654321;;"
                                      ";;;;helena.etienne;;;;|ETIENNE helena ; helena.etienne",
                                      "ETIENNE;helene;profs;helene.etienne;helene.etienne;1234567;;"
                                      ";;;;helene.etienne;;;;|ETIENNE helene ; helene.etienne"}));
}

TEST_F(BuildersTest, GepTeacherNewAndExistingInUpdate) {
    s.win.loginFormat = LoginFormat::Abrev;
    s.job.UpdateMode = true;
    vandrel::associeProfsGroupes("4A", "D", "T2");
    // The renumbered key "DUPONT c1" is looked up upper-cased.
    vandrel::inserenomancien("DUPONT C1", "direction dupont.c");
    gepTeacher("T1", "1111111", "Dupont", "Catherine");
    gepTeacher("T2", "2222222", "Dupont", "Claude");
    EXPECT_EQ(newAccounts(), Items{"DUPONT;c;profs;c.dupont;c.dupont;1111111;;;;;;c.dupont;;;;|"
                                   "DUPONT catherine ; c.dupont"});
    EXPECT_EQ(otherAccounts(), Items{"DUPONT;c1;direction;dupont.c;c1.dupont;;;;c4A;;;c1.dupont;;;;"
                                     "|DUPONT claude ; c1.dupont"});
    EXPECT_EQ(readFile("doublons.txt"), "DUPONT c1  ->  DUPONT  claude  \r\n");
    EXPECT_EQ(vandrel::present("DUPONT c1"), vandrel::kTrue);
}

TEST_F(BuildersTest, GepTeacherLongNameReportsProfs) {
    gepTeacher("T1", "1234567", "Delacroix de Sainte-Marie", "Jean");
    EXPECT_EQ(readFile("troncatures.txt"),
              "DELACROIXDESAINTEMARIE j -> troncature ->  j.DELACROIXDESAINTE  profs\r\n");
}

// ---- CSV pupils ---------------------------------------------------------------

TEST_F(BuildersTest, CsvPupilNewHasNoSuffixNorDescription) {
    csvPupil("Dupont;Jean;3A;01/02/2010");
    csvPupil("D'Artagnan;Anne;6A;1/2/10");
    csvPupil("Martin;Paul;ULIS;31/12/2009 00:00:00");
    EXPECT_EQ(otherAccounts(), (Items{"DARTAGNAN;ANNE;c6a;dartagnan.anne;dartagnan.anne;1210;;;;;;",
                                      "DUPONT;JEAN;c3a;dupont.jean;dupont.jean;01022010;;;;;;",
                                      "MARTIN;PAUL;ulis;martin.paul;martin.paul;31122009;;;;;;"}));
    EXPECT_EQ(index, 3);
    EXPECT_EQ(s.job.personAt(1).text, "6a");
}

TEST_F(BuildersTest, CsvPupilDateSwapWhenAsked) {
    s.win.chkinvdate = true;
    csvPupil("Dupont;Jean;3A;01/02/2010");
    EXPECT_EQ(s.job.personAt(0).password, "02012010");
}

TEST_F(BuildersTest, CsvPupilSkipsIncompleteLines) {
    csvPupil("Dupont;Jean;3A;");
    csvPupil("Dupont;Jean;;01/02/2010");
    csvPupil(";Jean;3A;01/02/2010");
    csvPupil("Dupont");
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(otherAccounts().empty());
}

TEST_F(BuildersTest, CsvPupilNewAndExistingInUpdate) {
    s.job.UpdateMode = true;
    vandrel::inserenomancien("DUPONT JEAN", "c4b dupont.j");
    csvPupil("Dupont;Jean;3A;01/02/2010");
    csvPupil("Martin;Paul;3A;01/02/2010");
    EXPECT_EQ(otherAccounts(), Items{"DUPONT;JEAN;c3a;dupont.j;dupont.j;;;;;;;"});
    EXPECT_EQ(newAccounts(), Items{"MARTIN;PAUL;c3a;martin.paul;martin.paul;01022010;;;;;;"});
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(BuildersTest, CsvPupilHeldByATeacherAccountIsNotCreated) {
    s.job.UpdateMode = true;
    vandrel::inserenomancien("DELACROIXDESAINTEMARIE J", "PROFS delacroix.j");
    csvPupil("Delacroix de Sainte-Marie;Jean;3A;01/02/2010");
    ASSERT_EQ(ui.calls.size(), 1u);
    EXPECT_EQ(ui.calls[0].kind, DialogCall::Message);
    EXPECT_EQ(ui.calls[0].text,
              ansi("Le compte élève DELACROIXDESAINTEMARIE J n'est pas créé car il existe un "
                   "compte professeur sous le même identifiant."));
    EXPECT_EQ(ui.calls[0].title, "");
    EXPECT_EQ(ui.calls[0].icon, Icon::None);
    EXPECT_TRUE(newAccounts().empty());
    EXPECT_TRUE(otherAccounts().empty());
    // What still happens: key registered, index advanced, long name reported.
    EXPECT_EQ(vandrel::present("DELACROIXDESAINTEMARIE J"), vandrel::kTrue);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(readFile("troncatures.txt"),
              "DELACROIXDESAINTEMARIE J -> troncature ->  J.DELACROIXDESAINTE  c3a\r\n");
}

// ---- CSV teachers -------------------------------------------------------------

TEST_F(BuildersTest, CsvTeacherNewWithAndWithoutSuffix) {
    s.win.loginFormat = LoginFormat::Abrev;
    csvTeacher("Dupont;Catherine;profs;Secret1");
    s.win.kwartz17 = false;
    csvTeacher("D'Artagnan;Jean'Luc;profs;PW");
    csvTeacher("Vide;Paul;profs;"); // no password
    EXPECT_EQ(otherAccounts(), (Items{"DARTAGNAN;j;profs;j.dartagnan;j.dartagnan;pw;;;;;;",
                                      "DUPONT;c;profs;c.dupont;c.dupont;secret1;;;;;;;;;;"}));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(s.job.personAt(1).firstName, "jean luc");
    EXPECT_EQ(s.job.personAt(1).text, "profs");
}

TEST_F(BuildersTest, CsvTeacherExistingInUpdate) {
    s.win.loginFormat = LoginFormat::Abrev;
    s.job.UpdateMode = true;
    vandrel::inserenomancien("DUPONT C", "profs dupont.c");
    vandrel::inserenomancien("DUPONT C1", "direction dupont.c1");
    csvTeacher("Dupont;Catherine;profs;Secret1");
    csvTeacher("Dupont;Claude;profs;Secret2");
    EXPECT_EQ(otherAccounts(), (Items{"DUPONT;c1;direction;dupont.c1;c1.dupont;;;;;;;;;;;",
                                      "DUPONT;c;profs;dupont.c;c.dupont;;;;;;;;;;;"}));
    EXPECT_TRUE(newAccounts().empty());
}

// ---- Tables -------------------------------------------------------------------

TEST_F(BuildersTest, PersonTableGrowsPastFourThousand) {
    for (int i = 0; i < 4100; ++i)
        csvPupil("Nom" + std::to_string(i) + ";Claude;3A;01/02/2010");
    EXPECT_EQ(index, 4100);
    EXPECT_EQ(s.job.personAt(4099).surname, "NOM4099");
    EXPECT_EQ(vandrel::present("NOM4099 CLAUDE"), vandrel::kTrue);
    EXPECT_EQ(s.win.LstTri2.size(), 4100u);
}
