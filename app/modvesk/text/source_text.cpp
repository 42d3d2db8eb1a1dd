#include "text/source_text.h"

#include "text/files.h"
#include "text/full_text_client.h"
#include "text/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace modvesk {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Le = "\xFF\xFE";
constexpr std::string_view kUtf16Be = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;
constexpr uint64_t kHighBits = 0x8080808080808080ULL;

bool isSurrogate(char32_t c) {
    return (c & 0xFFFFF800) == 0xD800;
}

// The plain letters of one character that Windows-1252 lacks (ICU's "Any-Latin;
// Latin-ASCII" through the full-text module); "" when none, or without the module.
std::string plainLetters(char32_t c) {
    std::u32string u;
    if (!fulltext::plainLatin(c, u)) return "";
    std::string out;
    for (const char32_t d : u) {
        if (d > 0x20 && d < 0x7F)
            out += static_cast<char>(d);
        else if (d == 0x20 && !out.empty())
            out += ' ';
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// Well-formed UTF-8, as the Unicode standard defines it: no overlong form, no
// surrogate, nothing above U+10FFFF, no sequence cut short. Plain ASCII is passed
// over eight bytes at a time.
bool validUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        uint64_t word;
        if (end - p >= 8 && (std::memcpy(&word, p, 8), (word & kHighBits) == 0)) {
            p += 8;
            continue;
        }
        const unsigned char b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        // The continuation bytes that follow the lead byte, and the range of the first.
        long more = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF)
            more = 1;
        else if (b == 0xE0)
            more = 2, low = 0xA0;
        else if (b == 0xED)
            more = 2, high = 0x9F;
        else if (b >= 0xE1 && b <= 0xEF)
            more = 2;
        else if (b == 0xF0)
            more = 3, low = 0x90;
        else if (b == 0xF4)
            more = 3, high = 0x8F;
        else if (b >= 0xF1 && b <= 0xF3)
            more = 3;
        else
            return false;
        if (end - p <= more || p[1] < low || p[1] > high) return false;
        for (long k = 2; k <= more; ++k)
            if ((p[k] & 0xC0) != 0x80) return false;
        p += more + 1;
    }
    return true;
}

// The characters of UTF-8 text; a byte that starts no well-formed sequence stands
// for U+FFFD (the texts converted here have been found well formed).
std::u32string fromUtf8(std::string_view bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        const unsigned char b = *p;
        const long more = b < 0x80 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 ? 1 : -1;
        if (more < 0 || end - p <= more ||
            !validUtf8(std::string_view(reinterpret_cast<const char*>(p),
                                        static_cast<size_t>(more + 1)))) {
            out += kReplacement;
            ++p;
            continue;
        }
        char32_t c = more == 0 ? b : b & (0x3F >> more);
        for (long k = 1; k <= more; ++k)
            c = c << 6 | (p[k] & 0x3F);
        out += c;
        p += more + 1;
    }
    return out;
}

// UTF-16 text behind its byte order mark (FF FE little endian, FE FF big
// endian): a broken sequence (a lone surrogate, an odd last byte) becomes U+FFFD,
// one for a lead surrogate and the odd byte after it, which wait for the same
// trail unit.
std::u32string fromUtf16(std::string_view bytes) {
    const bool little = bytes.starts_with(kUtf16Le);
    bytes.remove_prefix(kUtf16Le.size());
    auto unit = [&](size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return little ? (b << 8 | a) : (a << 8 | b);
    };
    std::u32string out;
    out.reserve(bytes.size() / 2 + 1);
    size_t i = 0;
    for (; i + 2 <= bytes.size(); i += 2) {
        const char32_t u = unit(i);
        if (!isSurrogate(u)) {
            out += u;
        } else if (u < 0xDC00 && i + 4 <= bytes.size() && unit(i + 2) >= 0xDC00 &&
                   unit(i + 2) <= 0xDFFF) {
            out += 0x10000 + ((u - 0xD800) << 10 | (unit(i + 2) - 0xDC00));
            i += 2;
        } else {
            out += kReplacement;
        }
    }
    // A last unit that is a lead surrogate was left unpaired (a paired one is
    // followed by its trail) and already stands as U+FFFD with the odd byte.
    const bool leadLast = i >= 2 && unit(i - 2) >= 0xD800 && unit(i - 2) < 0xDC00;
    if (i < bytes.size() && !leadLast) out += kReplacement;
    return out;
}

// Unicode text as Windows-1252: composed first, so that "e" + combining acute is
// "é" (text below U+0300 holds no combining mark and is its own composed form); a
// character the code page lacks becomes its plain Latin letters, or "?" when it
// has none (`lossy` is then set).
std::string toAnsi(std::u32string u, bool& lossy) {
    if (std::any_of(u.begin(), u.end(), [](char32_t c) { return c >= 0x300; })) {
        std::u32string composed;
        if (fulltext::compose(u, composed)) u = std::move(composed);
    }
    std::string out;
    out.reserve(u.size());
    for (const char32_t c : u) {
        char b;
        if (AnsiCharOf(c, b)) {
            out += b;
            continue;
        }
        const std::string plain = isSurrogate(c) ? std::string() : plainLetters(c);
        lossy = lossy || plain.empty();
        out += plain.empty() ? "?" : plain;
    }
    return out;
}

// The text in Windows-1252 when it holds only characters below U+0300 in valid
// UTF-8 (one or two bytes each): no combining mark to compose, so each character
// stands for itself and has its plain letters when the code page lacks it. False,
// with `out` to be thrown away, otherwise.
bool plainUtf8ToAnsi(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            continue;
        }
        if (b < 0xC2 || b > 0xCB || i + 1 == text.size()) return false;
        const auto next = static_cast<unsigned char>(text[++i]);
        if ((next & 0xC0) != 0x80) return false;
        const char32_t c = static_cast<char32_t>((b & 0x1F) << 6 | (next & 0x3F));
        char ansiChar;
        if (AnsiCharOf(c, ansiChar))
            out += ansiChar;
        else if (const std::string letters = plainLetters(c); !letters.empty())
            out += letters;
        else
            return false;
    }
    return true;
}

// UTF-8 text (behind its byte order mark or not) as Windows-1252; text of plain
// letters below the combining marks is converted without composing it.
std::string utf8ToAnsi(std::string_view utf8Text, bool& lossy) {
    if (utf8Text.starts_with(kBom)) utf8Text.remove_prefix(kBom.size());
    std::string plain;
    if (plainUtf8ToAnsi(utf8Text, plain)) return plain;
    return toAnsi(fromUtf8(utf8Text), lossy);
}

} // namespace

namespace {

// Whether a byte above 0x7F occurs, looked for eight bytes at a time: a source in
// plain ASCII is read through once whole.
bool holdsHighByte(std::string_view bytes) {
    size_t i = 0;
    for (uint64_t word; i + 8 <= bytes.size(); i += 8) {
        std::memcpy(&word, bytes.data() + i, 8);
        if (word & 0x8080808080808080ULL) return true;
    }
    for (; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) return true;
    return false;
}

} // namespace

bool IsUtf8Text(std::string_view bytes) {
    if (bytes.starts_with(kBom)) return validUtf8(bytes);
    return holdsHighByte(bytes) && validUtf8(bytes);
}

std::string Utf8ToAnsi(std::string_view utf8Text) {
    bool lossy = false;
    return utf8ToAnsi(utf8Text, lossy);
}

bool ReadSourceText(const std::filesystem::path& path, SourceText& out) {
    out = SourceText{};
    if (!ReadAll(path, out.text)) return false;
    const std::string_view bytes = out.text;
    if (bytes.starts_with(kUtf16Le) || bytes.starts_with(kUtf16Be)) {
        out.utf8 = true;
        out.text = toAnsi(fromUtf16(bytes), out.lossy);
    } else if (IsUtf8Text(bytes)) {
        out.utf8 = true;
        out.text = utf8ToAnsi(bytes, out.lossy);
    } else if (bytes.starts_with(kBom)) {
        out.ansiDespiteMark = true;
        out.text.erase(0, kBom.size());
    }
    return true;
}

LineReader::LineReader(const std::filesystem::path& path) : open_(ReadSourceText(path, source_)) {}

namespace {

// Every line of the text ends with CR LF, and no CR or LF stands alone: the LF
// of each block of the text are its CR moved on by one byte, the first of them
// following the last byte of the block before.
bool inCrlfLines(std::string_view text) {
    if (!text.empty() && !text.ends_with(CRLF)) return false;
    const ByteMarks cr('\r'), lf('\n');
    uint32_t carried = 0; // the block before ended with a CR
    for (size_t at = 0; at < text.size(); at += ByteMarks::kBlock) {
        const size_t n = std::min(ByteMarks::kBlock, text.size() - at);
        const uint32_t crs = cr.from(text, at);
        if (lf.from(text, at) != ((crs << 1 | carried) & ((1u << n) - 1))) return false;
        carried = crs >> (n - 1) & 1;
    }
    return true;
}

} // namespace

std::string LineReader::restAsCrlfLines() {
    std::string text;
    if (pos_ == 0 && inCrlfLines(source_.text)) {
        text.swap(source_.text);
        return text;
    }
    // Lines read ending at LF alone take a byte more each: room for lines of 16 bytes.
    const size_t rest = source_.text.size() - std::min(pos_, source_.text.size());
    text.reserve(rest + rest / 16 + CRLF.size());
    for (std::string_view line; next(line);)
        text.append(line).append(CRLF);
    return text;
}

} // namespace modvesk
