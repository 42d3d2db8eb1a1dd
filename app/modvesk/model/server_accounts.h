// Last year's accounts as the server's EXPORT file lists them, one per line after
// its header, kept beside the library's store so that an update can recognise a
// pupil by the identifier his account carries (field 14: the identifier that
// Rolvane wrote into his Kwartz 1.7 fields) before it looks at his name.
#pragma once

#include "text/text.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace modvesk {

// One line of the EXPORT file after its header, cut at its ";" once for every
// step that reads it: the fields the jobs use, trimmed ("" when the line is
// shorter), and how many fields the line has, counted up to one past the
// identifier's.
struct ExportLine {
    static constexpr int kIdentifierField = 14;
    std::string_view surname, firstName, group, login; // fields 1 to 4
    std::string_view identifier;                       // field 14
    int fields = 0;
    unsigned trailingBlanks = 0; // the blanks that end the line

    // Field n (counted from 1, `field` being its trimmed text) as a reader of
    // first fields reads it: the blanks before it left out, and those after it
    // when a ";" ends it. The line's last field keeps the blanks that end it.
    std::string_view asRead(std::string_view field, int n) const {
        if (fields > n || field.empty()) return field;
        return std::string_view(field.data(), field.size() + trailingBlanks);
    }
};
// Cuts one line (it holds no CR or LF).
ExportLine CutExportLine(std::string_view line);
// Cuts every line of `text`, the lines ending at CR LF, CR or LF as NextLineView
// ends them, in one walk over its bytes.
std::vector<ExportLine> CutExportLines(std::string_view text);

// The group of the teachers' accounts, "profs" in any case.
bool IsTeacherGroup(std::string_view group);

// One account of the EXPORT file: its fields trimmed, the first name as the
// library's key takes it (upper case), and the name key the library files it under.
struct ExportAccount {
    std::string surname, firstName, group, login, identifier;
    std::string key;
    bool teacher = false; // group "profs", in any case
};

class ServerAccounts {
  public:
    void clear() { *this = ServerAccounts{}; }
    // The lines of the EXPORT file after its header. Identity mode is on when one
    // pupil account (a group other than "profs") carries an identifier. When it
    // is off, nothing is kept; when it is on, every line becomes an account.
    void load(const std::vector<ExportLine>& lines);
    bool identityMode() const { return identityMode_; }

    // The pupil account that carries `identifier` on exactly one line of the
    // file, when no pupil of this run took it yet.
    std::optional<size_t> byIdentifier(const std::string& identifier) const;
    // How many pupil accounts carry `identifier`.
    size_t identifierCount(const std::string& identifier) const;
    // The account the library answers for the name key (the first line filed
    // under it), whatever its group.
    std::optional<size_t> byKey(const std::string& nameKey) const;
    // A pupil account filed under the name key carries an identifier other than
    // `identifier`: the login is someone else's.
    const ExportAccount* heldByAnother(const std::string& nameKey,
                                       const std::string& identifier) const;

    const ExportAccount& at(size_t i) const { return accounts_[i]; }
    bool taken(size_t i) const { return taken_[i]; }
    void take(size_t i) { taken_[i] = true; }
    // The identifiers carried by more than one pupil account, with their count,
    // in the order of their first line.
    std::vector<std::pair<std::string, size_t>> sharedIdentifiers() const;
    // The lines of comptesAsupprimer.txt ("SURNAME;FIRST;group;login", CR LF
    // each): every pupil account of the listed groups that no pupil took, in the
    // library's order (ascending name key, file order for equal keys); accounts
    // whose name key or "group login" is not two words are left out, as the
    // library leaves them out.
    std::string leavers(const std::string& groupList) const;

  private:
    std::vector<ExportAccount> accounts_;
    std::vector<bool> taken_;
    std::unordered_map<std::string, std::vector<size_t>, TextHash, std::equal_to<>> byIdentifier_,
        byKey_;
    bool identityMode_ = false;
};

} // namespace modvesk
