// The plain XML reader. The document is read one markup or run of text at a
// time; each is checked whole before anything of it is handed on, so that a
// file read in blocks carries the unread end of a block over to the next one
// and starts that markup again. Where the reader accepts a document it hands on
// what libxml2 would: line ends \r\n and \r read as \n, attribute values with
// each tab, line end and blank as one blank (character references kept), texts
// in UTF-8 decoded from the declared encoding.
#include "sources/xml_scan.h"

#include "text/byte_scan.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace modvesk {

namespace {

using Byte = unsigned char;

enum class Encoding : uint8_t { Utf8, Latin1, Latin9 };

// How character data is read: texts resolve references and refuse "]]>";
// attribute values resolve references and turn blanks into spaces; CDATA
// sections, comments and processing instructions take every character as it is.
enum class Mode : uint8_t { Text, Attribute, Raw };

// The bytes each mode copies as they stand: printable ASCII (with tab and LF
// but in attribute values), less the characters the mode looks at.
constexpr std::array<bool, 256> plainBytes(Mode mode) {
    std::array<bool, 256> plain{};
    for (size_t b = 0x20; b < 0x80; ++b)
        plain[b] = true;
    plain['\t'] = plain['\n'] = mode != Mode::Attribute;
    if (mode != Mode::Raw) plain['&'] = plain['<'] = false;
    if (mode == Mode::Text) plain[']'] = false;
    return plain;
}
constexpr std::array<std::array<bool, 256>, 3> kPlain = {
    plainBytes(Mode::Text), plainBytes(Mode::Attribute), plainBytes(Mode::Raw)};
// The bytes of a text that need no look when the text is only checked: CR too,
// and in ISO-8859-1 and ISO-8859-15, whose bytes from 0x80 are all characters
// allowed in XML, those bytes too.
constexpr std::array<bool, 256> unseenBytes(bool latin) {
    std::array<bool, 256> unseen = plainBytes(Mode::Text);
    unseen['\r'] = true;
    for (size_t b = 0x80; b < 0x100; ++b)
        unseen[b] = latin;
    return unseen;
}
constexpr auto kUnseenUtf8 = unseenBytes(false);
constexpr auto kUnseenLatin = unseenBytes(true);

// ASCII name characters; a name starts with a letter or "_". A ":" (a prefix)
// or any other character ends the name, and the markup then gives up.
constexpr auto kNameByte = [] {
    std::array<bool, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-' || c == '.';
    return t;
}();

#if defined(__SSE2__)
// How many of the 16 bytes at p, from the first, are name characters (16 when
// all are): the classes of kNameByte tested on the 16 bytes at once.
inline unsigned nameBytesAt(const char* p) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Bytes from `low` to `high`: their distance from `low`, unsigned, is at most high - low.
    const auto within = [](__m128i x, char low, char high) {
        const __m128i d = _mm_sub_epi8(x, _mm_set1_epi8(low));
        return _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(static_cast<char>(high - low))), d);
    };
    // A letter of either case is a lower-case letter once bit 5 is set.
    const __m128i letters = within(_mm_or_si128(v, _mm_set1_epi8(0x20)), 'a', 'z');
    const __m128i others = _mm_or_si128(_mm_or_si128(within(v, '0', '9'), within(v, '-', '.')),
                                        _mm_cmpeq_epi8(v, _mm_set1_epi8('_')));
    const auto names = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(letters, others)));
    return static_cast<unsigned>(std::countr_one(names));
}
#endif

inline bool startsName(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

const char* skipBlanks(const char* p, const char* end) {
    while (p < end && isBlank(*p))
        ++p;
    return p;
}

// Limits far inside libxml2's own (256 levels, names of 50,000 characters).
constexpr size_t kMaxDepth = 200;
constexpr size_t kMaxName = 1000;
constexpr size_t kMaxAttributes = 64;
// The longest markup or text read from memory; a file's is half its buffer.
constexpr size_t kMaxToken = size_t{1} << 18;

// The length of the UTF-8 character at p, 0 when the bytes are no character
// allowed in XML (overlong forms, surrogates, U+FFFE and U+FFFF included).
int utf8Length(const Byte* p, const Byte* end) {
    const auto follows = [&](int i, Byte low = 0x80, Byte high = 0xBF) {
        return end - p > i && p[i] >= low && p[i] <= high;
    };
    const Byte c = p[0];
    if (c >= 0xC2 && c <= 0xDF) return follows(1) ? 2 : 0;
    if (c == 0xE0) return follows(1, 0xA0) && follows(2) ? 3 : 0;
    if (c == 0xED) return follows(1, 0x80, 0x9F) && follows(2) ? 3 : 0;
    if (c == 0xEF) return follows(1) && follows(2) && !(p[1] == 0xBF && p[2] >= 0xBE) ? 3 : 0;
    if (c >= 0xE1 && c <= 0xEE) return follows(1) && follows(2) ? 3 : 0;
    if (c == 0xF0) return follows(1, 0x90) && follows(2) && follows(3) ? 4 : 0;
    if (c >= 0xF1 && c <= 0xF3) return follows(1) && follows(2) && follows(3) ? 4 : 0;
    if (c == 0xF4) return follows(1, 0x80, 0x8F) && follows(2) && follows(3) ? 4 : 0;
    return 0;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isXmlChar(uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// A character reference's digits ("65" or "x41"), its character appended; false
// when they name no character allowed in XML.
bool appendCharRef(std::string_view digits, std::string& out) {
    const bool hex = !digits.empty() && digits[0] == 'x';
    if (hex) digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 8) return false;
    uint32_t c = 0;
    for (const char d : digits) {
        uint32_t v;
        if (d >= '0' && d <= '9')
            v = static_cast<uint32_t>(d - '0');
        else if (hex && d >= 'a' && d <= 'f')
            v = static_cast<uint32_t>(d - 'a' + 10);
        else if (hex && d >= 'A' && d <= 'F')
            v = static_cast<uint32_t>(d - 'A' + 10);
        else
            return false;
        c = c * (hex ? 16 : 10) + v;
    }
    if (!isXmlChar(c)) return false;
    appendUtf8(out, c);
    return true;
}

// The reference at p ("&...;"), its character appended; p moves past it.
bool appendReference(const Byte*& p, const Byte* end, std::string& out) {
    const Byte* semi = p + 1;
    while (semi < end && semi - p < 12 && *semi != ';')
        ++semi;
    if (semi == end || *semi != ';') return false;
    const std::string_view name(reinterpret_cast<const char*>(p + 1),
                                static_cast<size_t>(semi - p - 1));
    p = semi + 1;
    if (!name.empty() && name[0] == '#') return appendCharRef(name.substr(1), out);
    constexpr std::pair<std::string_view, char> kPredefined[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};
    for (const auto& [entity, c] : kPredefined)
        if (name == entity) return out += c, true;
    return false;
}

constexpr uint64_t kEightBlanks = 0x2020202020202020ULL;

// The result of reading one markup or text: read, cut by the end of the bytes
// at hand, or outside what this reader accepts.
enum class Step { Done, More, Fail };

// Whether the bytes at p begin with `word`: More when they are a beginning of it.
Step startsWith(const char* p, const char* end, std::string_view word) {
    const size_t n = std::min(word.size(), static_cast<size_t>(end - p));
    if (std::memcmp(p, word.data(), n) != 0) return Step::Fail;
    return n == word.size() ? Step::Done : Step::More;
}

bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool encodingNamed(std::string_view name, Encoding& encoding) {
    if (sameLetters(name, "UTF-8"))
        encoding = Encoding::Utf8;
    else if (sameLetters(name, "ISO-8859-1"))
        encoding = Encoding::Latin1;
    else if (sameLetters(name, "ISO-8859-15"))
        encoding = Encoding::Latin9;
    else
        return false;
    return true;
}

class Scanner {
  public:
    explicit Scanner(XmlEvents& events) : events_(events) {}

    Step declaration(const char*& p, const char* end, bool last);
    Step token(const char*& p, const char* end, bool last);
    // The root element was read to its end.
    bool finished() const { return where_ == Where::After; }

  private:
    enum class Where : uint8_t { Before, Inside, After }; // the root element

    // Reads [b, e) in `mode`: 0 when its bytes stand as they are, 1 when what
    // they say was appended to `into`, -1 when the reader gives up.
    int decode(const char* b, const char* e, Mode mode, std::string& into) const;
    // A name read from p, which moves past it: the usual short name in one look,
    // inline, any other by readLongName.
    inline Step readName(const char*& p, const char* end, std::string_view& name) const;
    Step readLongName(const char*& p, const char* end, std::string_view& name) const;
    Step text(const char*& p, const char* end, bool last);
    Step startTag(const char*& p, const char* end);
    bool leaf(const char*& p, const char* text, const char* end, std::string_view name);
    void skipUnwantedBlanks(const char*& p, const char* end) const;
    Step attributes(const char*& p, const char* end, bool& empty);
    Step endTag(const char*& p, const char* end);
    Step comment(const char*& p, const char* end);
    Step cdata(const char*& p, const char* end);
    Step instruction(const char*& p, const char* end);

    XmlEvents& events_;
    Encoding encoding_ = Encoding::Utf8;
    Where where_ = Where::Before;
    std::string names_;             // the open elements' names, one after another
    std::vector<size_t> nameStart_; // where each begins in names_
    std::string scratch_;           // a text's characters when they are not its bytes
    // The attributes of the start tag being read. A value that is not its bytes
    // as written is resolved into values_: resolved_ holds where it lies there.
    static constexpr size_t kAsWritten = SIZE_MAX;
    std::vector<XmlAttribute> attributes_;
    std::vector<std::pair<size_t, size_t>> resolved_;
    std::string values_;
};

int Scanner::decode(const char* b, const char* e, Mode mode, std::string& into) const {
    const auto& plain = kPlain[static_cast<size_t>(mode)];
    const Byte* i = reinterpret_cast<const Byte*>(b);
    const Byte* const end = reinterpret_cast<const Byte*>(e);
    while (i < end && plain[*i])
        ++i;
    if (i == end) return 0;
    into.append(b, reinterpret_cast<const char*>(i));
    while (i < end) {
        const Byte* run = i;
        while (i < end && plain[*i])
            ++i;
        into.append(reinterpret_cast<const char*>(run), static_cast<size_t>(i - run));
        if (i == end) break;
        const Byte c = *i;
        if (c >= 0x80 && encoding_ == Encoding::Utf8) {
            const int n = utf8Length(i, end);
            if (n == 0) return -1;
            into.append(reinterpret_cast<const char*>(i), static_cast<size_t>(n));
            i += n;
        } else if (c >= 0x80) {
            appendUtf8(into, encoding_ == Encoding::Latin9 ? kLatin9High[c - 0x80] : c);
            ++i;
        } else if (c == '\r') {
            if (++i < end && *i == '\n') continue; // \r\n is one line end
            into += mode == Mode::Attribute ? ' ' : '\n';
        } else if (c == '\t' || c == '\n') { // in an attribute value
            into += ' ';
            ++i;
        } else if (c == '&' && mode != Mode::Raw) {
            if (!appendReference(i, end, into)) return -1;
        } else if (c == ']' && mode == Mode::Text) {
            if (end - i >= 3 && i[1] == ']' && i[2] == '>') return -1;
            into += ']';
            ++i;
        } else {
            return -1; // a control character, or "<" in an attribute value
        }
    }
    return 1;
}

inline Step Scanner::readName(const char*& p, const char* end, std::string_view& name) const {
#if defined(__SSE2__)
    // The usual name, shorter than sixteen bytes and followed by more: one look.
    if (end - p >= 16 && startsName(*p)) [[likely]] {
        const unsigned n = nameBytesAt(p);
        if (n < 16) [[likely]] {
            name = std::string_view(p, n);
            p += n;
            return Step::Done;
        }
    }
#endif
    return readLongName(p, end, name);
}

Step Scanner::readLongName(const char*& p, const char* end, std::string_view& name) const {
    const char* q = p;
    if (q == end) return Step::More;
    if (!startsName(*q)) return Step::Fail;
    bool ended = false; // a byte after the name was found
#if defined(__SSE2__)
    // Sixteen bytes at a time while sixteen are at hand.
    while (!ended && end - q >= 16) {
        const unsigned n = nameBytesAt(q);
        q += n;
        ended = n < 16;
    }
#endif
    // Four bytes at a time while four are at hand, then one at a time.
    const auto nameByte = [](const char* c) -> unsigned {
        return kNameByte[static_cast<Byte>(*c)];
    };
    while (!ended && end - q >= 4 &&
           (nameByte(q) & nameByte(q + 1) & nameByte(q + 2) & nameByte(q + 3)))
        q += 4;
    while (!ended && q < end && nameByte(q))
        ++q;
    if (q == end) return Step::More;
    if (static_cast<size_t>(q - p) > kMaxName) return Step::Fail;
    name = std::string_view(p, static_cast<size_t>(q - p));
    p = q;
    return Step::Done;
}

// The byte order mark and the XML declaration, when the document has them.
Step Scanner::declaration(const char*& p, const char* end, bool last) {
    const char* q = p;
    const Step bom = startsWith(q, end, "\xEF\xBB\xBF");
    if (bom == Step::More && !last) return Step::More;
    if (bom == Step::Done) q += 3;
    const Step xml = startsWith(q, end, "<?xml");
    if ((xml == Step::More || (xml == Step::Done && end - q == 5)) && !last) return Step::More;
    if (xml != Step::Done || end - q == 5 || !isBlank(q[5])) {
        p = q; // no declaration: UTF-8
        return Step::Done;
    }
    const char* stop = static_cast<const char*>(memmem(q, static_cast<size_t>(end - q), "?>", 2));
    if (!stop) return last ? Step::Fail : Step::More;
    const char* c = q + 5;
    const auto blanks = [&] {
        const char* from = c;
        c = skipBlanks(c, stop);
        return c != from;
    };
    const auto word = [&](std::string_view w) {
        if (static_cast<size_t>(stop - c) < w.size() || std::memcmp(c, w.data(), w.size()) != 0)
            return false;
        c += w.size();
        return true;
    };
    std::string_view v;
    const auto value = [&] {
        blanks();
        if (c == stop || *c != '=') return false;
        ++c, blanks();
        if (c == stop || (*c != '"' && *c != '\'')) return false;
        const char* close = std::find(c + 1, stop, *c);
        if (close == stop) return false;
        v = std::string_view(c + 1, static_cast<size_t>(close - c - 1));
        c = close + 1;
        return true;
    };
    if (!blanks() || !word("version") || !value() || v != "1.0") return Step::Fail;
    bool blank = blanks();
    Encoding encoding = Encoding::Utf8;
    if (word("encoding")) {
        if (!blank || !value() || !encodingNamed(v, encoding)) return Step::Fail;
        blank = blanks();
    }
    if (word("standalone")) {
        if (!blank || !value() || (v != "yes" && v != "no")) return Step::Fail;
        blanks();
    }
    if (c != stop || (bom == Step::Done && encoding != Encoding::Utf8)) return Step::Fail;
    encoding_ = encoding;
    p = stop + 2;
    return Step::Done;
}

Step Scanner::token(const char*& p, const char* end, bool last) {
    if (*p != '<') return text(p, end, last);
    if (end - p < 2) return Step::More;
    if (p[1] == '/') return endTag(p, end);
    if (p[1] == '?') return instruction(p, end);
    if (p[1] != '!') return startTag(p, end);
    const Step isComment = startsWith(p, end, "<!--");
    if (isComment == Step::Done) return comment(p, end);
    const Step isCdata = startsWith(p, end, "<![CDATA[");
    if (isCdata == Step::Done) return cdata(p, end);
    // A DOCTYPE or any other declaration is left to libxml2.
    return isComment == Step::More || isCdata == Step::More ? Step::More : Step::Fail;
}

Step Scanner::text(const char*& p, const char* end, bool last) {
    // Most texts are blanks between elements or plain ASCII: read in one pass.
    const bool wanted = where_ == Where::Inside && events_.textWanted;
    const auto& plain = wanted                        ? kPlain[static_cast<size_t>(Mode::Text)]
                        : encoding_ == Encoding::Utf8 ? kUnseenUtf8
                                                      : kUnseenLatin;
    // The indentation between elements, a line end and spaces, is skipped
    // eight spaces at a time.
    const char* q = p + (*p == '\r' && plain['\r']);
    q += q < end && *q == '\n';
    while (end - q >= 8 && WordAt<uint64_t>(q) == kEightBlanks)
        q += 8;
    while (q < end && plain[static_cast<Byte>(*q)])
        ++q;
    if (q < end && *q == '<' && where_ == Where::Inside) {
        if (wanted) events_.text(std::string_view(p, static_cast<size_t>(q - p)), true);
        p = q;
        return Step::Done;
    }
    const size_t ltAt = FindByte(std::string_view(q, static_cast<size_t>(end - q)), '<');
    if (ltAt == std::string_view::npos && !last) return Step::More;
    const char* const lt = ltAt == std::string_view::npos ? end : q + ltAt;
    if (where_ != Where::Inside) { // only blanks around the root element
        if (skipBlanks(p, lt) != lt) return Step::Fail;
        p = lt;
        return Step::Done;
    }
    scratch_.clear();
    const int decoded = decode(p, lt, Mode::Text, scratch_);
    if (decoded < 0) return Step::Fail;
    if (wanted)
        events_.text(decoded == 0 ? std::string_view(p, static_cast<size_t>(lt - p)) : scratch_,
                     decoded == 0);
    p = lt;
    return Step::Done;
}

Step Scanner::startTag(const char*& p, const char* end) {
    if (where_ == Where::After || nameStart_.size() >= kMaxDepth) return Step::Fail;
    const char* q = p + 1;
    std::string_view name;
    if (const Step s = readName(q, end, name); s != Step::Done) return s;
    if (*q == '>' && !nameStart_.empty() && leaf(p, q + 1, end, name)) return Step::Done;
    bool empty = false;
    if (const Step s = attributes(q, end, empty); s != Step::Done) return s;
    where_ = Where::Inside;
    events_.start(name, attributes_);
    if (empty)
        events_.end();
    else
        nameStart_.push_back(names_.size()), names_ += name;
    if (nameStart_.empty()) where_ = Where::After;
    p = q;
    skipUnwantedBlanks(p, end);
    return Step::Done;
}

// The longest text an element read by leaf() may hold.
constexpr size_t kMaxLeafText = 256;

// Most elements inside the root are "<NAME>text</NAME>": no attributes, a short
// text of plain ASCII, the end tag right after it. Such an element, its start
// tag read up to `text`, is read in one go and handed on whole, as one leaf. On
// any other shape nothing is read, and the general path reads it from p.
bool Scanner::leaf(const char*& p, const char* text, const char* end, std::string_view name) {
    const auto& plain = kPlain[static_cast<size_t>(Mode::Text)];
    const char* const limit = text + std::min(kMaxLeafText, static_cast<size_t>(end - text));
    const char* q = text;
    while (q < limit && plain[static_cast<Byte>(*q)])
        ++q;
    const size_t n = name.size();
    if (static_cast<size_t>(end - q) < n + 3 || q[0] != '<' || q[1] != '/' || q[n + 2] != '>' ||
        !SameBytes(q + 2, name.data(), n))
        return false;
    events_.leaf(name, std::string_view(text, static_cast<size_t>(q - text)));
    p = q + n + 3;
    skipUnwantedBlanks(p, end);
    return true;
}

// The line end and indentation after a markup, while texts are of no use: blanks
// are accepted anywhere outside markup, and such a text is only checked, so they
// are skipped here rather than read as a text of their own.
void Scanner::skipUnwantedBlanks(const char*& p, const char* end) const {
    if (events_.textWanted) return;
    // The usual shape, a line end and up to fifteen spaces before the next markup,
    // read in two words at most when that many bytes are at hand.
    if (end - p >= 18) {
        const char* q = p + (*p == '\r');
        q += *q == '\n';
        uint64_t others = WordAt<uint64_t>(q) ^ kEightBlanks;
        if (others == 0) others = WordAt<uint64_t>(q += 8) ^ kEightBlanks;
        if (others != 0 && std::endian::native == std::endian::little) {
            q += std::countr_zero(others) / 8;
            if (!isBlank(*q)) {
                p = q;
                return;
            }
        }
    }
    const char* const limit = p + std::min(kMaxLeafText, static_cast<size_t>(end - p));
    p += p < limit && *p == '\r';
    p += p < limit && *p == '\n';
    while (limit - p >= 8) {
        // The first byte that is no space: the lowest set byte of the difference
        // on a little-endian machine, the highest on a big-endian one.
        const uint64_t others = WordAt<uint64_t>(p) ^ kEightBlanks;
        if (others != 0) {
            p += (std::endian::native == std::endian::little ? std::countr_zero(others)
                                                             : std::countl_zero(others)) /
                 8;
            break;
        }
        p += 8;
    }
    while (p < limit && isBlank(*p))
        ++p;
}

// A start tag's attributes and its end, "/>" for an empty element.
Step Scanner::attributes(const char*& p, const char* end, bool& empty) {
    attributes_.clear(), resolved_.clear(), values_.clear();
    for (;;) {
        const char* q = skipBlanks(p, end);
        if (q == end || (*q == '/' && q + 1 == end)) return Step::More;
        if (*q == '>' || (*q == '/' && q[1] == '>')) {
            empty = *q == '/';
            p = q + (empty ? 2 : 1);
            break;
        }
        if (q == p) return Step::Fail; // attributes stand apart by blanks
        std::string_view name;
        if (const Step s = readName(q, end, name); s != Step::Done) return s;
        q = skipBlanks(q, end);
        if (q == end) return Step::More;
        if (*q != '=') return Step::Fail;
        q = skipBlanks(q + 1, end);
        if (q == end) return Step::More;
        if (*q != '"' && *q != '\'') return Step::Fail;
        const size_t closeAt =
            FindByte(std::string_view(q + 1, static_cast<size_t>(end - q - 1)), *q);
        if (closeAt == std::string_view::npos) return Step::More;
        const char* const close = q + 1 + closeAt;
        if (name == "xmlns") return Step::Fail; // a namespace
        for (const XmlAttribute& other : attributes_)
            if (other.name == name) return Step::Fail;
        if (attributes_.size() == kMaxAttributes) return Step::Fail;
        const size_t offset = values_.size();
        const int decoded = decode(q + 1, close, Mode::Attribute, values_);
        if (decoded < 0) return Step::Fail;
        attributes_.push_back({name, std::string_view(q + 1, static_cast<size_t>(close - q - 1))});
        resolved_.push_back({decoded == 1 ? offset : kAsWritten, values_.size()});
        p = close + 1;
    }
    // values_ holds every resolved value now: their views can be made.
    for (size_t i = 0; i < attributes_.size(); ++i)
        if (const auto [from, to] = resolved_[i]; from != kAsWritten)
            attributes_[i].value = std::string_view(values_).substr(from, to - from);
    return Step::Done;
}

// The end tag of the open element: its name, then the first byte after it is
// none of a name's.
Step Scanner::endTag(const char*& p, const char* end) {
    if (where_ != Where::Inside) return Step::Fail;
    const char* const open = names_.data() + nameStart_.back();
    const size_t length = names_.size() - nameStart_.back();
    const char* q = p + 2;
    if (static_cast<size_t>(end - q) <= length) return Step::More;
    if (!SameBytes(q, open, length)) return Step::Fail;
    q = skipBlanks(q + length, end);
    if (q == end) return Step::More;
    if (*q != '>') return Step::Fail;
    names_.resize(nameStart_.back());
    nameStart_.pop_back();
    events_.end();
    if (nameStart_.empty()) where_ = Where::After;
    p = q + 1;
    skipUnwantedBlanks(p, end);
    return Step::Done;
}

// "<!--" ... "-->", without "--" inside nor "-" first.
Step Scanner::comment(const char*& p, const char* end) {
    const char* b = p + 4;
    if (b == end) return Step::More;
    if (*b == '-') return Step::Fail;
    const char* dashes = static_cast<const char*>(memmem(b, static_cast<size_t>(end - b), "--", 2));
    if (!dashes || dashes + 2 == end) return Step::More;
    if (dashes[2] != '>') return Step::Fail;
    std::string ignored;
    if (decode(b, dashes, Mode::Raw, ignored) < 0) return Step::Fail;
    p = dashes + 3;
    return Step::Done;
}

Step Scanner::cdata(const char*& p, const char* end) {
    if (where_ != Where::Inside) return Step::Fail;
    const char* b = p + 9;
    const char* close = static_cast<const char*>(memmem(b, static_cast<size_t>(end - b), "]]>", 3));
    if (!close) return Step::More;
    scratch_.clear();
    const int decoded = decode(b, close, Mode::Raw, scratch_);
    if (decoded < 0) return Step::Fail;
    if (close != b)
        events_.text(decoded == 0 ? std::string_view(b, static_cast<size_t>(close - b)) : scratch_,
                     decoded == 0);
    p = close + 3;
    return Step::Done;
}

// "<?target ...?>", of a target that is no "xml..." name.
Step Scanner::instruction(const char*& p, const char* end) {
    const char* q = p + 2;
    std::string_view target;
    if (const Step s = readName(q, end, target); s != Step::Done) return s;
    if (target.size() >= 3 && sameLetters(target.substr(0, 3), "xml")) return Step::Fail;
    const char* close = static_cast<const char*>(memmem(q, static_cast<size_t>(end - q), "?>", 2));
    if (!close) return Step::More;
    std::string ignored;
    if (close != q && (!isBlank(*q) || decode(q, close, Mode::Raw, ignored) < 0)) return Step::Fail;
    p = close + 2;
    return Step::Done;
}

} // namespace

bool ScanPlainXml(std::string_view bytes, XmlEvents& events) {
    if (bytes.empty()) return false; // no root element
    Scanner scanner(events);
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    if (scanner.declaration(p, end, true) != Step::Done) return false;
    while (p < end) {
        const char* start = p;
        if (scanner.token(p, end, true) != Step::Done || static_cast<size_t>(p - start) > kMaxToken)
            return false;
    }
    return scanner.finished();
}

bool ScanPlainXmlFile(std::FILE* file, std::span<char> buffer, XmlEvents& events) {
    Scanner scanner(events);
    char* const data = buffer.data();
    const char* p = data;
    size_t filled = 0;
    bool last = false, declared = false;
    for (;;) {
        // The unread end of the block goes to the buffer's start, the file fills the rest.
        const size_t tail = static_cast<size_t>(data + filled - p);
        if (tail > buffer.size() / 2) return false;
        std::memmove(data, p, tail);
        filled = tail;
        while (filled < buffer.size() && !last) {
            filled += std::fread(data + filled, 1, buffer.size() - filled, file);
            if (std::ferror(file)) return false;
            last = std::feof(file) != 0;
        }
        p = data;
        const char* const end = data + filled;
        Step step = Step::Done;
        if (!declared) {
            step = scanner.declaration(p, end, last);
            declared = step == Step::Done;
        }
        while (step == Step::Done && p < end)
            step = scanner.token(p, end, last);
        if (step == Step::Fail || (last && step == Step::More)) return false;
        if (last && p == end) return scanner.finished();
    }
}

} // namespace modvesk
