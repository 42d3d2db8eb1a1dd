// rolvane-batch access-csv on the Access databases of the shared corpus: the CSV
// file alone, ELEVES.CSV with the account files, and the wrong names and bases.
#include "batch_run.h"
#include "corpus.h"
#include "expected_files.h"

#include <gtest/gtest.h>

using namespace batchtest;
using testsupport::kImportHeader;
using Lines = std::vector<std::string>;

namespace {

const std::string kJet4 = testsupport::corpusFile("jahlborn-jackcess__fixedTextTestV2000.mdb");
const std::string kRows = "CORE USER;Core User;N;05/11/2009\r\nadmin;Admin User;N;22/10/2009\r\n";
const std::string kFields = "c_user_login,c_user_name,c_flag_,d_stamp_";

class AccessBatch : public ::testing::Test {
  protected:
    void SetUp() override { SKIP_WITHOUT_CORPUS(kJet4); }
    BatchRun run(const Lines& extra) {
        Lines args = {"access-csv", "--dir", folder.str(), "--mdb", kJet4};
        args.insert(args.end(), extra.begin(), extra.end());
        return runBatch(args, folder.path());
    }
    Folder folder{false};
    Folder elsewhere{false};
};

} // namespace

TEST_F(AccessBatch, FieldsInTheirOrderToTheChosenFile) {
    const fs::path out = elsewhere.path() / "users.csv";
    const BatchRun r = run({"--table", "users", "--fields", "c_user_name, i_user_id,c_user_name",
                            "--out", out.string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.empty());
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(elsewhere.read("users.csv"),
              "Core User;1;Core User\r\nAdmin User;2;Admin User\r\n\r\n");
    EXPECT_FALSE(fs::exists(folder.path() / "ComptesAajouter.txt"));
}

TEST_F(AccessBatch, AccountsFromAnAccessTable) {
    const BatchRun r =
        run({"--table", "USERS", "--fields", kFields, "--out",
             (elsewhere.path() / "x.csv").string(), "--accounts", "--swap-day-month"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.empty());
    EXPECT_EQ(r.out.rfind("\nTous les fichiers textes ont été créés.\n", 0), 0u) << r.out;
    EXPECT_EQ(elsewhere.read("ELEVES.CSV"), kRows + "\r\n");
    EXPECT_EQ(folder.read("ELEVES.CSV"), kRows + "\r\n\r\n");
    EXPECT_EQ(folder.read("ComptesAajouter.txt"),
              kImportHeader + "\r\nCOREUSER;CORE;n;coreuser.core;coreuser.core;11052009;;;;;;\r\n"
                              "ADMIN;ADMIN;n;admin.admin;admin.admin;10222009;;;;;;\r\n\r\n");
}

TEST_F(AccessBatch, UnknownNamesAreWrongUsage) {
    const std::string out = (elsewhere.path() / "x.csv").string();
    BatchRun r = run({"--table", "users", "--fields", "c_user_login,nom", "--out", out});
    EXPECT_EQ(r.status, 2);
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err[0],
              "rolvane-batch : la table users n'a pas de champ « nom » (champs : i_user_id, "
              "c_user_login, c_user_pwd, c_user_session, c_user_name, i_user_flags, "
              "i_user_type, i_user_merch, c_flag_, d_stamp_).");
    r = run({"--table", "eleves", "--fields", "c_user_login", "--out", out});
    EXPECT_EQ(r.status, 2);
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err[0], "rolvane-batch : la base Access n'a pas de table eleves (tables : users).");
    r = run({"--table", "users", "--out", out});
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(AccessBatch, AnUnreadableBaseEndsEarly) {
    const std::string missing = (elsewhere.path() / "absente.mdb").string();
    const BatchRun r =
        runBatch({"access-csv", "--dir", folder.str(), "--mdb", missing, "--table", "users",
                  "--fields", "c_user_login", "--out", (elsewhere.path() / "x.csv").string()},
                 folder.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, Lines{"[message] Base Access introuvable : " + missing});
    EXPECT_FALSE(fs::exists(elsewhere.path() / "x.csv"));
}
