#include "model/server_accounts.h"

#include "text/text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <unordered_set>

namespace modvesk {

namespace {

// A key as the library's store sees it: up to its first NUL byte, cut to 52
// characters.
std::string_view storeKey(std::string_view key) {
    key = key.substr(0, key.find('\0'));
    return key.substr(0, std::min<size_t>(key.size(), 52));
}

// Two words joined by one blank, and nothing else.
bool twoWords(std::string_view text, std::string_view& first, std::string_view& second) {
    const size_t blank = text.find(' ');
    if (blank == std::string_view::npos || text.find(' ', blank + 1) != std::string_view::npos)
        return false;
    first = text.substr(0, blank);
    second = text.substr(blank + 1);
    return true;
}

ExportAccount accountOf(const ExportLine& line) {
    ExportAccount a;
    a.surname = line.surname;
    a.firstName = Upper(line.firstName);
    a.group = line.group;
    a.login = line.login;
    a.identifier = line.identifier;
    a.key = Upper(Trim(a.surname + " " + a.firstName));
    a.teacher = IsTeacherGroup(a.group);
    return a;
}

bool carriesPupilIdentifier(const ExportLine& line) {
    return !line.identifier.empty() && !IsTeacherGroup(line.group);
}

// The fields a line keeps, by their number: 1 to 4, then the identifier.
constexpr std::array<std::string_view ExportLine::*, 5> kKeptFields = {
    &ExportLine::surname, &ExportLine::firstName, &ExportLine::group, &ExportLine::login,
    &ExportLine::identifier};

// One line cut as its ";" go by, into `line`: each field is closed at the ";"
// or the line end after it; only the fields the line keeps are looked at, the
// others are counted.
class LineCut {
  public:
    LineCut(ExportLine& line, const char* begin) : line_(line), begin_(begin), fieldBegin_(begin) {
        line_.fields = 1;
    }
    // The ";" of the bytes at `block`, bit i of `marks` for byte i.
    void separators(const char* block, uint32_t marks) {
        while (marks != 0) {
            const int closed = CountMarks(marks); // the fields they close, from line_.fields
            if (line_.fields > 4 && (line_.fields > ExportLine::kIdentifierField ||
                                     line_.fields + closed <= ExportLine::kIdentifierField)) {
                line_.fields += closed;
                fieldBegin_ = block + (31 - std::countl_zero(marks)) + 1;
                return;
            }
            const char* at = block + std::countr_zero(marks);
            close(at);
            fieldBegin_ = at + 1;
            ++line_.fields;
            marks &= marks - 1;
        }
    }
    // The ";" and the line ends (CR, LF) of the bytes at `block`, marked as for
    // separators(): the ";" up to the first line end are taken. True when the
    // line ends there, at `lineEnd`.
    bool take(const char* block, uint32_t separators, uint32_t ends, const char*& lineEnd) {
        if (ends == 0) {
            this->separators(block, separators);
            return false;
        }
        this->separators(block, separators & ((ends & (0 - ends)) - 1));
        lineEnd = block + std::countr_zero(ends);
        end(lineEnd);
        return true;
    }
    void end(const char* at) {
        close(at);
        line_.fields = std::min(line_.fields, ExportLine::kIdentifierField + 1);
        const char* last = at;
        while (last > begin_ && last[-1] == ' ')
            --last;
        line_.trailingBlanks = static_cast<unsigned>(at - last);
    }

  private:
    void close(const char* at) {
        const int n = line_.fields;
        if (n > 4 && n != ExportLine::kIdentifierField) return;
        line_.*kKeptFields[std::min(n, 5) - 1] =
            TrimView(std::string_view(fieldBegin_, static_cast<size_t>(at - fieldBegin_)));
    }

    ExportLine& line_;
    const char* const begin_;
    const char* fieldBegin_;
};

// Cuts the line of `text` that starts at `pos` into `line`, looking at sixteen
// bytes at a time for its ";" and its end (the first CR or LF, or the end of the
// text); returns where it ends.
size_t cutLineAt(std::string_view text, size_t pos, ExportLine& line) {
    const char* const data = text.data();
    LineCut cut(line, data + pos);
    const ByteMarks cr('\r'), lf('\n'), semicolon(';');
    const char* end = nullptr;
    for (size_t at = pos; at < text.size(); at += ByteMarks::kBlock)
        if (cut.take(data + at, semicolon.from(text, at), cr.from(text, at) | lf.from(text, at),
                     end))
            return static_cast<size_t>(end - data);
    cut.end(data + text.size());
    return text.size();
}

// How many lines the text holds as its LF (or, in a text without one, its CR)
// count them: the table of the lines is made at its size at once.
size_t lineCount(std::string_view text) {
    const size_t ends = CountByte(text, '\n');
    return (ends == 0 ? CountByte(text, '\r') : ends) + 1;
}

} // namespace

bool IsTeacherGroup(std::string_view group) {
    constexpr std::string_view kTeachers = "profs";
    if (group.size() != kTeachers.size()) return false;
    for (size_t i = 0; i < group.size(); ++i)
        if (lowerChar(group[i]) != kTeachers[i]) return false;
    return true;
}

ExportLine CutExportLine(std::string_view text) {
    ExportLine line;
    cutLineAt(text, 0, line);
    return line;
}

std::vector<ExportLine> CutExportLines(std::string_view text) {
    std::vector<ExportLine> lines;
    lines.reserve(lineCount(text));
    for (size_t pos = 0; pos < text.size();) {
        const size_t end = cutLineAt(text, pos, lines.emplace_back());
        pos = end + 1;
        if (end < text.size() && text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    }
    return lines;
}

void ServerAccounts::load(const std::vector<ExportLine>& lines) {
    clear();
    identityMode_ = std::any_of(lines.begin(), lines.end(), carriesPupilIdentifier);
    if (!identityMode_) return;
    accounts_.reserve(lines.size());
    for (const ExportLine& line : lines)
        accounts_.push_back(accountOf(line));
    taken_.assign(accounts_.size(), false);
    for (size_t i = 0; i < accounts_.size(); ++i) {
        const ExportAccount& a = accounts_[i];
        byKey_[std::string(storeKey(a.key))].push_back(i);
        if (!a.teacher && !a.identifier.empty()) byIdentifier_[a.identifier].push_back(i);
    }
}

std::optional<size_t> ServerAccounts::byIdentifier(const std::string& identifier) const {
    const auto found = byIdentifier_.find(identifier);
    if (found == byIdentifier_.end() || found->second.size() != 1) return std::nullopt;
    if (taken_[found->second.front()]) return std::nullopt;
    return found->second.front();
}

size_t ServerAccounts::identifierCount(const std::string& identifier) const {
    const auto found = byIdentifier_.find(identifier);
    return found == byIdentifier_.end() ? 0 : found->second.size();
}

std::optional<size_t> ServerAccounts::byKey(const std::string& nameKey) const {
    const auto found = byKey_.find(storeKey(nameKey));
    if (found == byKey_.end()) return std::nullopt;
    return found->second.front();
}

const ExportAccount* ServerAccounts::heldByAnother(const std::string& nameKey,
                                                   const std::string& identifier) const {
    const auto found = byKey_.find(storeKey(nameKey));
    if (found == byKey_.end()) return nullptr;
    for (size_t i : found->second) {
        const ExportAccount& a = accounts_[i];
        if (!a.teacher && !a.identifier.empty() && a.identifier != identifier) return &a;
    }
    return nullptr;
}

std::vector<std::pair<std::string, size_t>> ServerAccounts::sharedIdentifiers() const {
    std::vector<std::pair<std::string, size_t>> shared;
    std::unordered_set<std::string> told;
    for (const ExportAccount& a : accounts_) {
        const size_t n = identifierCount(a.identifier);
        if (n > 1 && told.insert(a.identifier).second) shared.emplace_back(a.identifier, n);
    }
    return shared;
}

std::string ServerAccounts::leavers(const std::string& groupList) const {
    std::unordered_set<std::string_view> groups;
    std::string_view rest = groupList, word;
    while (!(word = FirstWord(rest, rest)).empty())
        groups.insert(word);
    std::vector<size_t> listed;
    for (size_t i = 0; i < accounts_.size(); ++i)
        if (!accounts_[i].teacher && !taken_[i] && groups.count(accounts_[i].group))
            listed.push_back(i);
    std::stable_sort(listed.begin(), listed.end(), [this](size_t a, size_t b) {
        return storeKey(accounts_[a].key) < storeKey(accounts_[b].key);
    });
    std::string text;
    for (size_t i : listed) {
        const ExportAccount& a = accounts_[i];
        const std::string value = a.group + " " + a.login;
        std::string_view surname, firstName, group, login;
        if (!twoWords(storeKey(a.key), surname, firstName) || !twoWords(value, group, login))
            continue;
        text.append(surname).append(";").append(firstName).append(";");
        text.append(group).append(";").append(login).append(CRLF);
    }
    return text;
}

} // namespace modvesk
