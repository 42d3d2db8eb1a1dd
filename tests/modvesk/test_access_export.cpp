// The Access export window's job code on the real databases of the shared corpus:
// the table and field choice, "RAZ", "Valider" with and without the account files,
// the failures the form reports, and an Access table turned into account files.
#include "clients/component_client.h"
#include "clients/vandrel_client.h"
#include "corpus.h"
#include "expected_files.h"
#include "jobs/access_export.h"
#include "session_fixture.h"
#include "text/files.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace modvesk;
using testsupport::corpusFile;
using testsupport::DialogCall;
using testsupport::kImportHeader;
namespace fs = std::filesystem;

namespace {

const std::string kJet3 = "jahlborn-jackcess__testV1997.mdb";
const std::string kJet4 = "jahlborn-jackcess__fixedTextTestV2000.mdb";
const std::string kEmpty = "jahlborn-jackcess__adox_jet4.mdb";

const std::string kDone = ansi("\r\nTous les fichiers textes ont été créés.\r\n");
const std::string kFailed =
    ansi("\r\nDes erreurs se sont produites : certains fichiers n'ont pas été créés.\r\n");

// users of the JET4 base: c_user_login, c_user_name, c_flag_, d_stamp_ as
// surname, first name, class and birth date.
const std::string kUsersRows =
    "CORE USER;Core User;N;05/11/2009\r\nadmin;Admin User;N;22/10/2009\r\n";

class AccessExportTest : public testsupport::SessionTest {
  protected:
    void SetUp() override {
        SessionTest::SetUp();
        SKIP_WITHOUT_CORPUS(kJet4);
        static std::unique_ptr<component::Component> c = component::Component::create();
        ASSERT_NE(c, nullptr);
        s.component = c.get();
    }
    // The form shown with `base` chosen in its dialog.
    void activate(const std::string& base) {
        ui.chooseFile(base);
        frmaccess_Form_Activate(s, f);
    }
    void clickTable(const std::string& table) {
        for (size_t i = 0; i < f.listtables.size(); ++i)
            if (f.listtables[i] == table) f.listtablesIndex = static_cast<int>(i);
        frmaccess_listtables_Click(s, f);
    }
    void clickFields(const std::vector<int>& positions) {
        for (int p : positions) {
            f.listchampsIndex = p;
            frmaccess_listchamps_Click(s, f);
        }
    }
    // The users table with four fields chosen as a pupil row.
    void chooseUsersAsPupils() {
        activate(corpusFile(kJet4));
        clickTable("users");
        clickFields({1, 4, 8, 9});
    }
    void valider(const std::string& chosenPath) {
        ui.chooseFile(chosenPath);
        frmaccess_Command1_Click(s, f);
    }
    std::string bytesOf(const fs::path& p) const {
        std::string bytes;
        ReadAll(p, bytes);
        return bytes;
    }
    // The log box after the conversion: `head`, the time (HH:MM:SS), then the
    // Bilan (`bilan`, after its first line "Bilan :").
    void expectLog(const std::string& head, const std::string& bilan) const {
        ASSERT_GE(s.win.Text1.size(), head.size() + 8) << s.win.Text1;
        EXPECT_EQ(s.win.Text1.substr(0, head.size()), head);
        EXPECT_EQ(s.win.Text1.substr(head.size() + 8), "\r\nBilan :" + bilan);
    }
    AccessForm f;
    testsupport::TempDir elsewhere;
};

} // namespace

TEST_F(AccessExportTest, MenuItemEmptiesLstTri2AndShowsTheForm) {
    s.win.LstTri2.add("x");
    csvaccess_m_Click(s);
    EXPECT_TRUE(s.win.LstTri2.empty());
    EXPECT_EQ(ui.formsShown, std::vector<Form>{Form::FrmAccess});
}

TEST_F(AccessExportTest, ShowingTheFormListsTheTablesOfTheChosenBase) {
    activate(corpusFile(kJet3));
    EXPECT_EQ(s.cheminBase, corpusFile(kJet3));
    EXPECT_EQ(f.listtables, (std::vector<std::string>{"Table1", "Table2", "Table3", "Table4"}));
    EXPECT_EQ(f.lbchamps, kLbchampsDesignCaption);
    const auto dialogs = ui.of(DialogCall::OpenFile);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, "Fichier ACCESS (.MDB) (*.MDB)|*.MDB");
    EXPECT_TRUE(ui.messageTexts().empty());
}

TEST_F(AccessExportTest, FourFieldsInClickOrder) {
    activate(corpusFile(kJet4));
    clickTable("users");
    EXPECT_EQ(f.lbchamps, "");
    EXPECT_EQ(f.listchamps.size(), 10u);
    clickFields({4, 1, 9, 8});
    EXPECT_EQ(f.lbchamps, "c_user_name;c_user_login;d_stamp_;c_flag_");
    EXPECT_EQ(f.Text1, " 4 1 9 8");
    // A field clicked twice is chosen twice; another table starts the choice again.
    clickFields({4});
    EXPECT_EQ(f.Text1, " 4 1 9 8 4");
    EXPECT_EQ(f.lbchamps, "c_user_name;c_user_login;d_stamp_;c_flag_;c_user_name");
    clickTable("users");
    EXPECT_EQ(f.lbchamps, "");
    EXPECT_EQ(f.Text1, "");
}

TEST_F(AccessExportTest, RazEmptiesTheChoice) {
    chooseUsersAsPupils();
    frmaccess_Command2_Click(s, f);
    EXPECT_EQ(f.lbchamps, "");
    EXPECT_EQ(f.Text1, "");
    clickFields({0});
    EXPECT_EQ(f.lbchamps, "i_user_id");
    EXPECT_EQ(f.Text1, " 0");
}

TEST_F(AccessExportTest, ValiderWithNoFieldWritesAnEmptyFile) {
    activate(corpusFile(kJet4));
    clickTable("users");
    const fs::path out = elsewhere.path() / "vide.csv";
    valider(out.string());
    EXPECT_EQ(bytesOf(out), "\r\n");
    const auto dialogs = ui.of(DialogCall::OpenFile);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[1].title, "Nom du fichier .CSV(*.CSV)|*.CSV");
    EXPECT_EQ(dialogs[1].initialName, "");
}

TEST_F(AccessExportTest, ValiderWithoutATableAsksNothing) {
    activate(corpusFile(kJet4));
    f.Text1 = " 0";
    frmaccess_Command1_Click(s, f);
    EXPECT_EQ(ui.of(DialogCall::OpenFile).size(), 1u);
    EXPECT_EQ(f.Text1, " 0");
    EXPECT_EQ(ui.busyCalls, (std::vector<bool>{true, false}));
}

TEST_F(AccessExportTest, UntickedWritesOnlyTheChosenFile) {
    writeFile("ELEVES.CSV", "old pupils\r\n");
    writeFile("ComptesAajouter.txt", "old accounts\r\n");
    s.win.Text1 = "earlier log";
    chooseUsersAsPupils();
    const fs::path out = elsewhere.path() / "Export Eleves.csv";
    valider(out.string());
    EXPECT_EQ(bytesOf(out), kUsersRows + "\r\n");
    EXPECT_FALSE(fs::exists(elsewhere.path() / "ELEVES.CSV"));
    EXPECT_EQ(readFile("ELEVES.CSV"), "old pupils\r\n");
    EXPECT_EQ(readFile("ComptesAajouter.txt"), "old accounts\r\n");
    EXPECT_EQ(s.win.Text1, "earlier log");
    EXPECT_EQ(f.lbchamps, "");
    EXPECT_EQ(f.Text1, "");
    EXPECT_TRUE(ui.messageTexts().empty());
}

// The whole path: an Access table becomes ELEVES.CSV and the account files.
TEST_F(AccessExportTest, TickedInTheProgramsFolderConvertsTheFileJustWritten) {
    writeFile("eleves.csv", "OLD;PUPIL;3A;01/01/2000\r\n");
    writeFile("doublons.txt", "old\r\n");
    s.win.Checkwartz = true;
    s.job.UpdateMode = true;
    chooseUsersAsPupils();
    valider((dir / "choisi.csv").string());
    EXPECT_FALSE(hasFile("choisi.csv"));
    size_t pupilFiles = 0;
    for (const auto& e : fs::directory_iterator(dir))
        pupilFiles += Lower(e.path().filename().string()) == "eleves.csv";
    EXPECT_EQ(pupilFiles, 1u);
    // Written with one closing empty line; the conversion's rewrite adds another.
    EXPECT_EQ(readFile("ELEVES.CSV"), kUsersRows + "\r\n\r\n");
    EXPECT_EQ(readFile("ComptesAajouter.txt"),
              kImportHeader + "\r\n"
                              "COREUSER;CORE;n;coreuser.core;coreuser.core;05112009;;;;;;\r\n"
                              "ADMIN;ADMIN;n;admin.admin;admin.admin;22102009;;;;;;\r\n\r\n");
    EXPECT_FALSE(hasFile("doublons.txt"));
    EXPECT_FALSE(s.job.UpdateMode);
    expectLog(kDone, "\r\nComptesAajouter.txt : 2 comptes");
    EXPECT_GE(ui.refreshCalls, 1);
}

TEST_F(AccessExportTest, TickedElsewhereWritesElevesCsvThereAndCopiesIt) {
    writeFile("Eleves.csv", "OLD;PUPIL;3A;01/01/2000\r\n");
    s.win.Checkwartz = true;
    s.win.chkinvdate = true;
    chooseUsersAsPupils();
    valider((elsewhere.path() / "nom tapé.csv").string());
    EXPECT_FALSE(fs::exists(elsewhere.path() / "nom tapé.csv"));
    EXPECT_EQ(bytesOf(elsewhere.path() / "ELEVES.CSV"), kUsersRows + "\r\n");
    EXPECT_EQ(readFile("ELEVES.CSV"), kUsersRows + "\r\n\r\n");
    // Month-first dates: day and month swapped in the password.
    EXPECT_EQ(readFile("ComptesAajouter.txt"),
              kImportHeader + "\r\n"
                              "COREUSER;CORE;n;coreuser.core;coreuser.core;11052009;;;;;;\r\n"
                              "ADMIN;ADMIN;n;admin.admin;admin.admin;10222009;;;;;;\r\n\r\n");
    expectLog(kDone, "\r\nComptesAajouter.txt : 2 comptes");
}

// JET3 Table1: text, a number as the class and a date; its rows give accounts too.
TEST_F(AccessExportTest, Jet3TableToAccounts) {
    s.win.Checkwartz = true;
    activate(corpusFile(kJet3));
    clickTable("Table1");
    clickFields({0, 1, 2, 6});
    valider((dir / "x.csv").string());
    EXPECT_EQ(readFile("ELEVES.CSV"),
              "a;b;0;12/12/1981\r\nabcdefg;hijklmnop;2;21/09/1974\r\n\r\n\r\n");
    EXPECT_EQ(readFile("ComptesAajouter.txt"),
              kImportHeader +
                  "\r\n"
                  "ABCDEFG;HIJKLMNOP;c2;abcdefg.hijklmnop;abcdefg.hijklmnop;21091974;;;;;;\r\n"
                  "A;B;c0;a.b;a.b;12121981;;;;;;\r\n\r\n");
}

TEST_F(AccessExportTest, WithoutTheComponentTheFormSaysSo) {
    s.component = nullptr;
    frmaccess_Form_Activate(s, f);
    EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{component::absentMessage()});
    EXPECT_TRUE(ui.of(DialogCall::OpenFile).empty());
    EXPECT_TRUE(f.listtables.empty());
    EXPECT_TRUE(s.job.endedEarly);
}

TEST_F(AccessExportTest, UnreadableAndEmptyBasesAreSaid) {
    const std::string missing = (elsewhere.path() / "absente.mdb").string();
    activate(missing);
    EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Base Access introuvable : " + missing});
    EXPECT_TRUE(f.listtables.empty());
    ui.clear();
    activate(corpusFile(kEmpty));
    EXPECT_EQ(ui.messageTexts(),
              std::vector<std::string>{"Aucune table dans la base Access : " + corpusFile(kEmpty)});
    EXPECT_TRUE(f.listtables.empty());
}

// A table that can no longer be read gives no file at all: an empty ELEVES.CSV
// would replace the pupils of the program's directory.
TEST_F(AccessExportTest, AFailedReadWritesNothing) {
    const fs::path copy = elsewhere.path() / "copie.mdb";
    fs::copy_file(corpusFile(kJet4), copy);
    writeFile("ELEVES.CSV", "old pupils\r\n");
    s.win.Checkwartz = true;
    activate(copy.string());
    clickTable("users");
    clickFields({1, 4});
    fs::remove(copy);
    ui.chooseFile((dir / "x.csv").string());
    frmaccess_Command1_Click(s, f);
    EXPECT_EQ(ui.messageTexts(),
              std::vector<std::string>{"Base Access introuvable : " + copy.string()});
    EXPECT_EQ(ui.of(DialogCall::OpenFile).size(), 1u);
    EXPECT_EQ(readFile("ELEVES.CSV"), "old pupils\r\n");
    EXPECT_FALSE(hasFile("ComptesAajouter.txt"));
    EXPECT_TRUE(s.job.endedEarly);
}

TEST_F(AccessExportTest, TickedWithoutTheLibraryWritesNothing) {
    writeFile("ELEVES.CSV", "old pupils\r\n");
    s.win.Checkwartz = true;
    chooseUsersAsPupils();
    vandrel::reloadFrom(elsewhere.path().string());
    valider((dir / "x.csv").string());
    vandrel::reloadFrom(ROLVANE_BIN_DIR);
    EXPECT_EQ(ui.messageTexts(),
              std::vector<std::string>{
                  ansi("La bibliothèque vandrel1 est introuvable : aucun compte n'a été généré.")});
    EXPECT_EQ(ui.of(DialogCall::OpenFile).size(), 1u);
    EXPECT_EQ(readFile("ELEVES.CSV"), "old pupils\r\n");
    EXPECT_TRUE(s.job.libraryMissing);
}

TEST_F(AccessExportTest, AFolderThatCannotBeWrittenEndsWithTheErrorLine) {
    writeFile("ELEVES.CSV", "old pupils\r\n");
    writeFile("ComptesAajouter.txt", "old accounts\r\n");
    s.win.Checkwartz = true;
    chooseUsersAsPupils();
    const fs::path absent = elsewhere.path() / "absent";
    valider((absent / "x.csv").string());
    const std::string written = (absent / "ELEVES.CSV").string();
    expectLog(ansi("\r\nErreur : impossible d'écrire ") + written + kFailed,
              ansi("\r\nFichier non écrit : ") + written);
    EXPECT_EQ(s.job.writeErrors, std::vector<std::string>{written});
    // No account comes from a file other than the one just read.
    EXPECT_EQ(readFile("ELEVES.CSV"), "old pupils\r\n");
    EXPECT_EQ(readFile("ComptesAajouter.txt"), "old accounts\r\n");
}

TEST_F(AccessExportTest, UntickedFileThatCannotBeWrittenIsSaid) {
    chooseUsersAsPupils();
    const std::string out = (elsewhere.path() / "absent" / "x.csv").string();
    valider(out);
    EXPECT_EQ(ui.messageTexts(),
              std::vector<std::string>{ansi("Erreur : impossible d'écrire ") + out});
    EXPECT_EQ(s.job.writeErrors, std::vector<std::string>{out});
}

TEST_F(AccessExportTest, QuitterKeepsTheListsAndTheBase) {
    chooseUsersAsPupils();
    frmaccess_quitter_m_Click(s, f);
    EXPECT_FALSE(f.visible);
    EXPECT_EQ(f.listtables, std::vector<std::string>{"users"});
    EXPECT_EQ(f.listchamps.size(), 10u);
    // Shown again with the dialog cancelled: the base chosen before stays.
    frmaccess_Form_Activate(s, f);
    EXPECT_TRUE(f.visible);
    EXPECT_EQ(s.cheminBase, corpusFile(kJet4));
    EXPECT_EQ(f.listtables, std::vector<std::string>{"users"});
}

TEST_F(AccessExportTest, LoadingAnotherBaseListsItsTables) {
    activate(corpusFile(kJet4));
    clickTable("users");
    ui.chooseFile(corpusFile(kJet3));
    frmaccess_chrgbaseAccess_m_Click(s, f);
    EXPECT_EQ(s.cheminBase, corpusFile(kJet3));
    EXPECT_EQ(f.listtables, (std::vector<std::string>{"Table1", "Table2", "Table3", "Table4"}));
    EXPECT_EQ(f.listtablesIndex, -1);
    // Cancelled: nothing changes.
    frmaccess_chrgbaseAccess_m_Click(s, f);
    EXPECT_EQ(s.cheminBase, corpusFile(kJet3));
    EXPECT_EQ(f.listtables.size(), 4u);
}
