// A reader of the plain XML the SIECLE and STS-web exports are written in: an
// XML declaration naming UTF-8, ISO-8859-1 or ISO-8859-15, elements and
// attributes of ASCII names without prefixes, texts with the five predefined
// entities and character references, CDATA sections, comments and processing
// instructions. It reads such a file at a fraction of libxml2's cost. On
// anything else, or anything it is unsure of (a DOCTYPE, a namespace, a byte
// invalid in the encoding, a malformed or truncated document...), it gives up:
// the caller then throws away what it was handed and reads the file with
// libxml2, which refuses or accepts it with its own reasons.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <string_view>

namespace modvesk {

struct XmlAttribute {
    std::string_view name, value; // the value in UTF-8, as libxml2 hands it
};

// What the reader meets, in document order; texts in UTF-8, with line ends,
// entities, character references and attribute values resolved as libxml2
// resolves them. A text may come in several pieces. Views last until the call
// returns.
class XmlEvents {
  public:
    virtual void start(std::string_view name, std::span<const XmlAttribute> attributes) = 0;
    virtual void end() = 0;
    // `ascii`: the text is known to be plain ASCII (when false, it may be too).
    virtual void text(std::string_view utf8, bool ascii) = 0;
    // An element "<name>text</name>" read whole: no attributes, a text of plain
    // ASCII, maybe empty. It stands for its start, its text (when the start made
    // texts wanted) and its end, which is what it does unless overridden.
    virtual void leaf(std::string_view name, std::string_view ascii) {
        start(name, {});
        if (!ascii.empty() && textWanted) text(ascii, true);
        end();
    }

    // False while the texts met are of no use: they are then only checked, not
    // handed on.
    bool textWanted = true;

  protected:
    ~XmlEvents() = default;
};

// Reads a whole document held in memory: true when it was read to its end,
// false when it gave up.
bool ScanPlainXml(std::string_view bytes, XmlEvents& events);
// Reads a file from where it stands, a block of `buffer`'s size at a time (a
// markup or text longer than about half the buffer makes it give up); false
// also on a read error.
bool ScanPlainXmlFile(std::FILE* file, std::span<char> buffer, XmlEvents& events);

// The bytes at p as one word, whatever their alignment.
template <typename Word> Word WordAt(const char* p) {
    Word w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// n bytes equal, compared eight at a time; the last eight (or four) bytes
// are compared whole, overlapping those already compared.
inline bool SameBytes(const char* a, const char* b, size_t n) {
    if (n >= 8) {
        for (; n > 8; a += 8, b += 8, n -= 8)
            if (WordAt<uint64_t>(a) != WordAt<uint64_t>(b)) return false;
        return WordAt<uint64_t>(a + n - 8) == WordAt<uint64_t>(b + n - 8);
    }
    if (n >= 4)
        return WordAt<uint32_t>(a) == WordAt<uint32_t>(b) &&
               WordAt<uint32_t>(a + n - 4) == WordAt<uint32_t>(b + n - 4);
    for (; n > 0; --n)
        if (*a++ != *b++) return false;
    return true;
}

// The characters of ISO-8859-15's bytes from 0x80: ISO-8859-1's but for eight letters.
inline constexpr auto kLatin9High = [] {
    std::array<char32_t, 128> t{};
    for (size_t b = 0; b < t.size(); ++b)
        t[b] = static_cast<char32_t>(0x80 + b);
    t[0xA4 - 0x80] = U'€';
    t[0xA6 - 0x80] = U'Š';
    t[0xA8 - 0x80] = U'š';
    t[0xB4 - 0x80] = U'Ž';
    t[0xB8 - 0x80] = U'ž';
    t[0xBC - 0x80] = U'Œ';
    t[0xBD - 0x80] = U'œ';
    t[0xBE - 0x80] = U'Ÿ';
    return t;
}();

} // namespace modvesk
