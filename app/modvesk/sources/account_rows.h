// The accounts a job left in the program's folder, one row per account line of
// its account files: what the server will do with it, the person, the logins,
// the password and where the line lies. The window's "Comptes" table, the
// batch's "show" and the dry run all read them from here.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace modvesk {

enum class AccountAction { Creation, Modification, Suppression, Responsabilites };
inline constexpr int kAccountActions = 4;

// "création", "modification", "suppression", "responsabilités" (UTF-8).
const char* actionName(AccountAction action);

// One account line. Texts are Windows-1252, as in the files.
struct AccountRow {
    AccountAction action = AccountAction::Creation;
    std::string nom, prenom, groupe;
    std::string ancienLogin, nouveauLogin, motDePasse, groupesResponsables;
    std::string file; // the file's name as it lies in the folder
    long line = 0;    // its line in that file, counted from 1 (the header is line 1)
};

// The account files and what their lines do, in the order rows are read.
struct AccountFile {
    const char* name;
    AccountAction action;
};
const std::vector<AccountFile>& accountFiles();

// Every account line of the account files of `dir` (names matched without
// regard to case); empty lines and header lines ("#...") are no accounts, as the
// Bilan counts them.
std::vector<AccountRow> readAccountRows(const std::filesystem::path& dir);

// The number of rows of each action, indexed by AccountAction.
std::array<long, kAccountActions> countByAction(const std::vector<AccountRow>& rows);

// The rows for a terminal (UTF-8): the counts per action, then one aligned line
// per row under a header line. A cell wider than 60 characters is cut to 59 and
// "…", so that the lines stay short whatever a field holds.
std::string accountTableText(const std::vector<AccountRow>& rows);
// The rows as CSV (UTF-8, RFC 4180: "," between fields, quotes where needed,
// CR LF line ends), with a header line; every field whole.
std::string accountCsv(const std::vector<AccountRow>& rows);

// The column titles of the table (UTF-8), and the text of a row's column.
const std::vector<std::string>& accountColumns();
std::string accountCell(const AccountRow& row, int column); // UTF-8

} // namespace modvesk
