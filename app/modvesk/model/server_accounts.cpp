#include "model/server_accounts.h"

#include "text/text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <unordered_set>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kLow7 = kOnes * 0x7F;

// The high bit of every byte of `word` equal to `byte`, and no other bit.
constexpr uint64_t bytesEqual(uint64_t word, unsigned char byte) {
    const uint64_t x = word ^ (kOnes * byte);
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// The eight bytes of the text from `at`, the first in the lowest byte of the
// word, those past its end read as NUL.
uint64_t wordAt(std::string_view text, size_t at) {
    uint64_t word = 0;
    if (text.size() - at >= 8)
        std::memcpy(&word, text.data() + at, 8);
    else
        std::memcpy(&word, text.data() + at, text.size() - at);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    return word;
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
    // The ";" of the bytes at `word`, one bit of `marks` for each: bit 8 * i + 7
    // for byte i as bytesEqual marks eight bytes (kBitsPerByte 8), or bit i as
    // the sixteen-byte compare marks them (kBitsPerByte 1).
    template <int kBitsPerByte> void separators(const char* word, uint64_t marks) {
        while (marks != 0) {
            const int closed = std::popcount(marks); // the fields they close, from line_.fields
            if (line_.fields > 4 && (line_.fields > ExportLine::kIdentifierField ||
                                     line_.fields + closed <= ExportLine::kIdentifierField)) {
                line_.fields += closed;
                fieldBegin_ = word + (63 - std::countl_zero(marks)) / kBitsPerByte + 1;
                return;
            }
            const char* at = word + std::countr_zero(marks) / kBitsPerByte;
            close(at);
            fieldBegin_ = at + 1;
            ++line_.fields;
            marks &= marks - 1;
        }
    }
    // The ";" and the line ends (CR, LF) of the bytes at `word`, marked as for
    // separators(): the ";" up to the first line end are taken. True when the
    // line ends there, at `lineEnd`.
    template <int kBitsPerByte>
    bool block(const char* word, uint64_t separators, uint64_t ends, const char*& lineEnd) {
        if (ends == 0) {
            this->separators<kBitsPerByte>(word, separators);
            return false;
        }
        this->separators<kBitsPerByte>(word, separators & ((ends & (0 - ends)) - 1));
        lineEnd = word + std::countr_zero(ends) / kBitsPerByte;
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
// bytes at a time (where the processor compares them at once), then eight, for
// its ";" and its end (the first CR or LF, or the end of the text); returns where
// it ends.
size_t cutLineAt(std::string_view text, size_t pos, ExportLine& line) {
    const char* const data = text.data();
    LineCut cut(line, data + pos);
    const char* end = nullptr;
    size_t at = pos;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'),
                  semicolon = _mm_set1_epi8(';');
    for (; text.size() - at >= 16; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        const auto ends = static_cast<uint64_t>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf))));
        const auto separators =
            static_cast<uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, semicolon)));
        if (cut.block<1>(data + at, separators, ends, end)) return static_cast<size_t>(end - data);
    }
#endif
    for (; at < text.size(); at += 8) {
        const uint64_t word = wordAt(text, at);
        const uint64_t ends = bytesEqual(word, '\r') | bytesEqual(word, '\n');
        if (cut.block<8>(data + at, bytesEqual(word, ';'), ends, end))
            return static_cast<size_t>(end - data);
    }
    cut.end(data + text.size());
    return text.size();
}

// How many lines the text holds as its LF (or, in a text without one, its CR)
// count them: the table of the lines is made at its size at once.
size_t lineCount(std::string_view text) {
    const auto count = [text](char end) {
        size_t n = 0;
        const char* const last = text.data() + text.size();
        for (const char* at = text.data();
             (at = static_cast<const char*>(std::memchr(at, end, static_cast<size_t>(last - at))));
             ++at)
            ++n;
        return n;
    };
    const size_t ends = count('\n');
    return (ends == 0 ? count('\r') : ends) + 1;
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
