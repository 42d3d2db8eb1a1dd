#include "model/server_accounts.h"

#include "text/text.h"

#include <algorithm>
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

// The text without the blanks at either end (fields are a few characters long).
std::string_view trimmed(std::string_view field) {
    size_t begin = 0, end = field.size();
    while (begin < end && field[begin] == ' ')
        ++begin;
    while (end > begin && field[end - 1] == ' ')
        --end;
    return field.substr(begin, end - begin);
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

// Counts the fields from the fifth, which starts at `start`, to the identifier,
// which it keeps, and notes one more field when the line goes on after it. The
// fields between the login and the identifier are short and often empty: one
// walk counting their ';' costs less than a search for each.
void countToIdentifier(std::string_view text, size_t start, ExportLine& line) {
    ++line.fields;
    size_t at = start;
    for (; at < text.size() && line.fields < ExportLine::kIdentifierField; ++at)
        if (text[at] == ';') ++line.fields;
    if (line.fields < ExportLine::kIdentifierField) return;
    const size_t end = std::min(text.find(';', at), text.size());
    line.identifier = trimmed(text.substr(at, end - at));
    if (end < text.size()) ++line.fields;
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
    size_t end = 0;
    for (std::string_view* field : {&line.surname, &line.firstName, &line.group, &line.login}) {
        const size_t start = line.fields == 0 ? 0 : end + 1;
        end = std::min(text.find(';', start), text.size());
        *field = trimmed(text.substr(start, end - start));
        ++line.fields;
        if (end == text.size()) break;
    }
    if (end < text.size()) countToIdentifier(text, end + 1, line);
    const size_t last = text.find_last_not_of(' ');
    line.trailingBlanks =
        static_cast<unsigned>(text.size() - (last == std::string_view::npos ? 0 : last + 1));
    return line;
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
    const auto found = byKey_.find(std::string(storeKey(nameKey)));
    if (found == byKey_.end()) return std::nullopt;
    return found->second.front();
}

const ExportAccount* ServerAccounts::heldByAnother(const std::string& nameKey,
                                                   const std::string& identifier) const {
    const auto found = byKey_.find(std::string(storeKey(nameKey)));
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
