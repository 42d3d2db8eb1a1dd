#include "text/text.h"

#include <cstdint>
#include <cstring>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

namespace modvesk {

namespace {

unsigned char byteOf(char c) {
    return static_cast<unsigned char>(c);
}
char charOf(unsigned b) {
    return static_cast<char>(static_cast<unsigned char>(b));
}

// ---- Windows-1252 case table ----------------------------------------------
// Pairs outside the two regular ranges (a-z, 0xE0-0xFE but 0xF7).
struct CasePair {
    unsigned char lower, upper;
};
constexpr CasePair kExtraPairs[] = {{0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0xFF, 0x9F}};

struct CaseTables {
    std::array<unsigned char, 256> up{}, low{};
    CaseTables() {
        for (unsigned i = 0; i < 256; ++i)
            up[i] = low[i] = static_cast<unsigned char>(i);
        for (unsigned c = 'a'; c <= 'z'; ++c)
            pair(c, c - 32);
        for (unsigned c = 0xE0; c <= 0xFE; ++c)
            if (c != 0xF7) pair(c, c - 32);
        for (const auto& p : kExtraPairs)
            pair(p.lower, p.upper);
    }
    void pair(unsigned lower, unsigned upper) {
        up[lower] = static_cast<unsigned char>(upper);
        low[upper] = static_cast<unsigned char>(lower);
    }
};
const CaseTables& caseTables() {
    static const CaseTables t;
    return t;
}

// ---- Code pages -------------------------------------------------------------
// Unicode of the bytes 0x80-0xFF of code page 850.
constexpr std::array<char16_t, 128> kCp850High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557,
    0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB,
    0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9,
    0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0};

// Unicode of the bytes 0x80-0x9F of Windows-1252; the five unassigned bytes map
// to the C1 control of the same value, so that they travel through UTF-8 unchanged.
constexpr std::array<char16_t, 32> kCp1252C1 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t unicodeOf1252(unsigned char b) {
    if (b >= 0x80 && b < 0xA0) return kCp1252C1[b - 0x80];
    return b;
}

// The Windows-1252 byte of a code point, or '?' when the code page lacks it.
char to1252(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return charOf(static_cast<unsigned>(u));
    for (unsigned i = 0; i < kCp1252C1.size(); ++i)
        if (kCp1252C1[i] == u) return charOf(0x80 + i);
    return '?';
}

struct OemTable {
    std::array<char, 256> toAnsi{};
    OemTable() {
        for (unsigned i = 0; i < 0x80; ++i)
            toAnsi[i] = charOf(i);
        for (unsigned i = 0; i < 0x80; ++i)
            toAnsi[0x80 + i] = to1252(kCp850High[i]);
    }
};

void appendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += charOf(static_cast<unsigned>(u));
    } else if (u < 0x800) {
        out += charOf(0xC0 | (u >> 6));
        out += charOf(0x80 | (u & 0x3F));
    } else {
        out += charOf(0xE0 | (u >> 12));
        out += charOf(0x80 | ((u >> 6) & 0x3F));
        out += charOf(0x80 | (u & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[i]; advances i. An invalid byte gives U+FFFD.
char32_t nextCodePoint(std::string_view text, size_t& i) {
    unsigned char b = byteOf(text[i++]);
    if (b < 0x80) return b;
    int extra = b >= 0xF0 && b < 0xF8 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : -1;
    if (extra < 0) return 0xFFFD;
    char32_t u = b & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (byteOf(text[i]) & 0xC0) != 0x80) return 0xFFFD;
        u = (u << 6) | (byteOf(text[i++]) & 0x3F);
    }
    return u;
}

} // namespace

// ---- Windows-1252 letters ---------------------------------------------------

char upperChar(char c) {
    return charOf(caseTables().up[byteOf(c)]);
}
char lowerChar(char c) {
    return charOf(caseTables().low[byteOf(c)]);
}

std::string Upper(std::string_view text) {
    std::string out;
    UpperInto(out, text);
    return out;
}

std::string Lower(std::string_view text) {
    std::string out;
    LowerInto(out, text);
    return out;
}

namespace {

// The text cased through the table into `out`, byte by byte from the text
// itself; a text lying in `out` is copied first.
template <typename Table> void caseInto(std::string& out, std::string_view text, const Table& t) {
    const auto at = [](const char* p) { return reinterpret_cast<uintptr_t>(p); };
    if (at(text.data()) >= at(out.data()) && at(text.data()) <= at(out.data() + out.size())) {
        const std::string copy(text);
        caseInto(out, copy, t);
        return;
    }
    out.resize(text.size());
    char* const to = out.data();
    for (size_t i = 0; i < text.size(); ++i)
        to[i] = charOf(t[byteOf(text[i])]);
}

} // namespace

void UpperInto(std::string& out, std::string_view text) {
    caseInto(out, text, caseTables().up);
}

void LowerInto(std::string& out, std::string_view text) {
    caseInto(out, text, caseTables().low);
}

size_t TextHash::operator()(std::string_view text) const noexcept {
    constexpr uint64_t kMix = 0x9E3779B97F4A7C15ULL;
    uint64_t h = kMix ^ text.size();
    size_t i = 0;
    for (uint64_t word; i + 8 <= text.size(); i += 8) {
        std::memcpy(&word, text.data() + i, 8);
        h = (h ^ word) * kMix;
        h ^= h >> 29;
    }
    // The last bytes are read as whole words, which may overlap the bytes read
    // already: a text of 8 bytes or more gives its last 8, a shorter one two
    // 4-byte words or its first, middle and last bytes (an empty view may hold no
    // address at all: nothing is read then).
    const char* const bytes = text.data();
    const size_t n = text.size();
    const auto word = [bytes](size_t at, auto width) {
        decltype(width) w;
        std::memcpy(&w, bytes + at, sizeof w);
        return uint64_t{w};
    };
    const auto byte = [bytes](size_t at) {
        return uint64_t{static_cast<unsigned char>(bytes[at])};
    };
    uint64_t last = 0;
    if (n >= 8)
        last = i < n ? word(n - 8, uint64_t{}) : 0;
    else if (n >= 4)
        last = word(0, uint32_t{}) << 32 | word(n - 4, uint32_t{});
    else if (n > 0)
        last = byte(0) << 16 | byte(n / 2) << 8 | byte(n - 1);
    h = (h ^ last) * kMix;
    return static_cast<size_t>(h ^ (h >> 32));
}

// ---- Blanks and pieces ------------------------------------------------------

namespace {

// Where the blanks that end `text` begin. Long runs of blanks (the padding of a
// library buffer, of a dBase field) are passed over a block at a time.
size_t blanksEnd(std::string_view text) {
    if (text.empty() || text.back() != ' ') return text.size(); // most values end unpadded
    static constexpr size_t kBlock = 64;
    static const std::string blocks(kBlock, ' ');
    constexpr uint64_t kEightBlanks = 0x2020202020202020ULL;
    size_t e = text.size();
    while (e >= kBlock && std::memcmp(text.data() + e - kBlock, blocks.data(), kBlock) == 0)
        e -= kBlock;
    for (uint64_t word = 0; e >= 8; e -= 8) {
        std::memcpy(&word, text.data() + e - 8, 8);
        const uint64_t other = word ^ kEightBlanks; // the blanks give zero bytes
        if (other == 0) continue;
        // The last byte that is no blank is the highest byte of `other` that is not zero.
        if constexpr (std::endian::native == std::endian::little)
            return e - 8 + static_cast<size_t>(63 - std::countl_zero(other)) / 8 + 1;
        break;
    }
    while (e > 0 && text[e - 1] == ' ')
        --e;
    return e;
}

inline size_t blanksStart(std::string_view text) {
    size_t b = 0;
    while (b < text.size() && text[b] == ' ')
        ++b;
    return b;
}

} // namespace

std::string_view TrimmedView(std::string_view text) {
    // The end first: a text of blanks only is passed over a block at a time.
    const std::string_view kept = text.substr(0, blanksEnd(text));
    return kept.substr(blanksStart(kept));
}

std::string LTrim(std::string_view text) {
    return std::string(text.substr(blanksStart(text)));
}

std::string RTrim(std::string_view text) {
    return std::string(text.substr(0, blanksEnd(text)));
}

std::string Trim(std::string_view text) {
    return std::string(TrimView(text));
}

std::string Left(std::string_view text, long n) {
    if (n <= 0) return {};
    return std::string(text.substr(0, static_cast<size_t>(n)));
}

std::string Right(std::string_view text, long n) {
    if (n <= 0) return {};
    size_t k = static_cast<size_t>(n);
    return std::string(k >= text.size() ? text : text.substr(text.size() - k));
}

std::string Mid(std::string_view text, long start, long length) {
    return std::string(MidView(text, start, length));
}

std::string_view MidView(std::string_view text, long start, long length) {
    if (start < 1) start = 1;
    size_t from = static_cast<size_t>(start - 1);
    if (from >= text.size() || length == 0) return {};
    if (length < 0) return text.substr(from);
    return text.substr(from, static_cast<size_t>(length));
}

long InStr(std::string_view text, std::string_view what, long start) {
    if (start < 1) start = 1;
    size_t from = static_cast<size_t>(start - 1);
    if (from > text.size()) return 0;
    size_t p = text.find(what, from);
    return p == std::string_view::npos ? 0 : static_cast<long>(p) + 1;
}

// ---- Field operations -------------------------------------------------------

void ReplaceChars(std::string& text, std::string_view chars, std::string_view replacement) {
    for (char c : chars) {
        // The replacement never holds a character of `chars`, so one pass that
        // moves past each replacement gives the same text as searching again
        // from the start after every replacement.
        size_t p = text.find(c);
        while (p != std::string::npos) {
            text.replace(p, 1, replacement);
            p = text.find(c, p + replacement.size());
        }
    }
}

namespace {

// The separators: control characters, ";", "|" and ","; a blank counts with them
// where a value is blanked.
constexpr auto kSeparator = [] {
    std::array<bool, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = c < 0x20 || c == 0x7F || c == ';' || c == '|' || c == ',';
    return t;
}();
constexpr auto kBlanked = [] {
    std::array<bool, 256> t = kSeparator;
    t[' '] = true;
    return t;
}();

bool isSeparator(char c) {
    return kSeparator[static_cast<unsigned char>(c)];
}

} // namespace

std::string BlankSeparators(std::string_view value) {
    std::string out(value);
    for (char& c : out)
        if (isSeparator(c)) c = ' ';
    return out;
}

std::string_view FirstBlankedWord(std::string_view value) {
    const auto blank = [](char c) { return kBlanked[static_cast<unsigned char>(c)]; };
    size_t begin = 0;
    while (begin < value.size() && blank(value[begin]))
        ++begin;
    size_t end = begin;
    while (end < value.size() && !blank(value[end]))
        ++end;
    return value.substr(begin, end - begin);
}

bool HoldsSeparator(std::string_view value) {
    for (char c : value)
        if (isSeparator(c)) return true;
    return false;
}

std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view by) {
    if (what.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t p = text.find(what); p != std::string_view::npos; p = text.find(what, from)) {
        out.append(text.substr(from, p - from));
        out.append(by);
        from = p + what.size();
    }
    out.append(text.substr(from));
    return out;
}

std::string FirstField(std::string& text, std::string_view separator) {
    text = LTrim(text);
    size_t p = text.find(separator);
    if (p == std::string::npos) return text;
    return RTrim(std::string_view(text).substr(0, p));
}

std::string_view FirstWord(std::string_view text, std::string_view& rest) {
    text.remove_prefix(blanksStart(text));
    const size_t blank = text.find(' ');
    rest = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
    return text.substr(0, blank);
}

std::string RestAfter(std::string& text, std::string_view separator) {
    if (text.empty()) return {};
    text = LTrim(text);
    size_t p = text.find(separator);
    if (p == std::string::npos) return {};
    // One character past the position found: every caller's separator is one character.
    return text.substr(p + 1);
}

std::vector<std::string> SplitFields(std::string_view line, char separator) {
    std::vector<std::string> fields;
    for (bool ended = true; ended;)
        fields.emplace_back(NextField(line, ended, separator));
    return fields;
}

std::string NthField(long n, std::string_view text, std::string_view separator) {
    // What RestAfter n - 1 times, then FirstField, give, read in place (every
    // caller's separator is one character).
    bool ended = true;
    std::string_view field;
    for (long i = 1; i <= std::max(n, 1L); ++i) {
        if (!ended) return {};
        text.remove_prefix(blanksStart(text));
        field = NextField(text, ended, separator[0]);
    }
    return std::string(ended ? field.substr(0, blanksEnd(field)) : field);
}

void NthFields(std::string_view text, char separator, std::span<std::string_view> fields) {
    // The separators are looked for in the whole text, from where the field
    // starts: the search may then read the bytes before the field.
    bool ended = true;
    size_t at = 0;
    for (std::string_view& field : fields) {
        if (!ended) {
            field = {};
            continue;
        }
        at += blanksStart(text.substr(at));
        const size_t end = FindByte(text, separator, at);
        ended = end != std::string_view::npos;
        field = text.substr(at, (ended ? end : text.size()) - at);
        at = ended ? end + 1 : text.size();
        if (ended && !field.empty() && field.back() == ' ')
            field = field.substr(0, blanksEnd(field));
    }
}

bool StartsWithDigit(std::string_view text) {
    if (TrimView(text).empty()) return false;
    return text[0] >= '0' && text[0] <= '9';
}

double LeadingNumber(std::string_view word) {
    size_t i = 0;
    while (i < word.size() && word[i] == ' ')
        ++i;
    double sign = 1;
    if (i < word.size() && (word[i] == '-' || word[i] == '+')) sign = word[i++] == '-' ? -1 : 1;
    double value = 0;
    bool any = false;
    for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i, any = true)
        value = value * 10 + (word[i] - '0');
    if (i < word.size() && word[i] == '.') {
        double scale = 0.1;
        for (++i; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i, scale /= 10, any = true)
            value += (word[i] - '0') * scale;
    }
    return any ? sign * value : 0;
}

long SumOfNumbers(std::string text) {
    text = Trim(text);
    double total = 0;
    while (!text.empty()) {
        std::string word = FirstField(text, " ");
        total += LeadingNumber(word);
        text = RestAfter(text, " ");
    }
    return static_cast<long>(std::nearbyint(total));
}

std::string Str(long n) {
    return std::to_string(n);
}

// ---- Code pages -------------------------------------------------------------

namespace {

// The bits of the bytes above 0x7F among the eight bytes at `at`.
uint64_t highBits(const char* at) {
    uint64_t word;
    std::memcpy(&word, at, 8);
    return word & 0x8080808080808080ULL;
}

} // namespace

// Runs of ASCII bytes are passed over 32 bytes, then eight bytes at a time; a
// word that holds a byte above 0x7F is mapped whole (the tables give an ASCII
// byte what it is to become too), and so are the last bytes short of a word
// unless the word that ends the text shows them all ASCII.
void MapHighBytes(char* bytes, size_t n, const std::array<char, 256>& table) {
    size_t i = 0;
    for (;;) {
        while (i + 32 <= n && (highBits(bytes + i) | highBits(bytes + i + 8) |
                               highBits(bytes + i + 16) | highBits(bytes + i + 24)) == 0)
            i += 32;
        while (i + 8 <= n && highBits(bytes + i) == 0)
            i += 8;
        if (i + 8 > n) break;
        for (const size_t end = i + 8; i < end; ++i)
            bytes[i] = table[byteOf(bytes[i])];
    }
    if (i < n && n >= 8 && highBits(bytes + n - 8) == 0) return;
    for (; i < n; ++i)
        bytes[i] = table[byteOf(bytes[i])];
}

void OemToAnsiInPlace(char* bytes, size_t n) {
    static const OemTable table;
    MapHighBytes(bytes, n, table.toAnsi);
}

std::string OemToAnsi(std::string_view oem) {
    std::string out(oem);
    OemToAnsiInPlace(out.data(), out.size());
    return out;
}

bool AnsiCharOf(char32_t u, char& c) {
    c = to1252(u);
    return c != '?' || u == U'?';
}

bool NextLineView(std::string_view text, size_t& pos, std::string_view& line) {
    if (pos >= text.size()) return false;
    const size_t end = FindLineEnd(text, pos);
    if (end == std::string_view::npos) {
        line = text.substr(pos);
        pos = text.size();
        return true;
    }
    line = text.substr(pos, end - pos);
    pos = end + 1;
    if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    return true;
}

bool NextLine(std::string_view text, size_t& pos, std::string& line) {
    std::string_view view;
    if (!NextLineView(text, pos, view)) return false;
    line.assign(view);
    return true;
}

std::string ansi(std::string_view utf8Text) {
    std::string out;
    out.reserve(utf8Text.size());
    for (size_t i = 0; i < utf8Text.size();)
        out += to1252(nextCodePoint(utf8Text, i));
    return out;
}

std::string utf8(std::string_view ansiText) {
    std::string out;
    out.reserve(ansiText.size() + ansiText.size() / 4);
    for (char c : ansiText)
        appendUtf8(out, unicodeOf1252(byteOf(c)));
    return out;
}

} // namespace modvesk
