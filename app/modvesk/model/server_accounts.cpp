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

// The next ";" field of `rest`, trimmed, and `rest` moved past it.
std::string_view nextField(std::string_view& rest) {
    bool ended = false;
    return TrimView(NextField(rest, ended));
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

} // namespace

namespace {

bool isTeacherGroup(std::string_view group) {
    return Lower(group) == "profs";
}

ExportAccount accountOf(std::string_view line) {
    ExportAccount a;
    std::string_view rest = line;
    a.surname = nextField(rest);
    a.firstName = Upper(nextField(rest));
    a.group = nextField(rest);
    a.login = nextField(rest);
    for (int field = 5; field < 14; ++field)
        nextField(rest);
    a.identifier = nextField(rest);
    a.key = Upper(Trim(a.surname + " " + a.firstName));
    a.teacher = isTeacherGroup(a.group);
    return a;
}

} // namespace

void ServerAccounts::addLine(std::string_view line) {
    lines_.append(line).push_back('\n');
    if (identityMode_) return;
    std::string_view rest = line;
    nextField(rest);
    nextField(rest);
    const std::string_view group = nextField(rest);
    for (int field = 4; field < 14; ++field)
        nextField(rest);
    if (!nextField(rest).empty() && !isTeacherGroup(group)) identityMode_ = true;
}

void ServerAccounts::finish() {
    if (!identityMode_) {
        clear();
        return;
    }
    accounts_.reserve(static_cast<size_t>(std::count(lines_.begin(), lines_.end(), '\n')));
    std::string_view rest = lines_;
    for (size_t end; (end = rest.find('\n')) != std::string_view::npos; rest.remove_prefix(end + 1))
        accounts_.push_back(accountOf(rest.substr(0, end)));
    std::string().swap(lines_);
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
