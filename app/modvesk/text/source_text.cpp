#include "text/source_text.h"

#include "text/files.h"
#include "text/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

namespace modvesk {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Le = "\xFF\xFE";
constexpr std::string_view kUtf16Be = "\xFE\xFF";

// Any script to Latin, then Latin to plain ASCII letters: made once, used for the
// few characters Windows-1252 lacks.
icu::Transliterator* plainLatin() {
    static std::unique_ptr<icu::Transliterator> t;
    static std::once_flag once;
    std::call_once(once, [] {
        UErrorCode status = U_ZERO_ERROR;
        t.reset(
            icu::Transliterator::createInstance("Any-Latin; Latin-ASCII", UTRANS_FORWARD, status));
        if (U_FAILURE(status)) t.reset();
    });
    return t.get();
}

// The plain letters of one character that Windows-1252 lacks; "" when none.
std::string plainLetters(UChar32 c) {
    icu::UnicodeString u(c);
    if (icu::Transliterator* t = plainLatin()) t->transliterate(u);
    std::string out;
    for (int32_t i = 0; i < u.length(); i = u.moveIndex32(i, 1)) {
        const UChar32 d = u.char32At(i);
        if (d > 0x20 && d < 0x7F)
            out += static_cast<char>(d);
        else if (d == 0x20 && !out.empty())
            out += ' ';
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

bool validUtf8(std::string_view bytes) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    return status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status);
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
        else if (const std::string letters = plainLetters(static_cast<UChar32>(c));
                 !letters.empty())
            out += letters;
        else
            return false;
    }
    return true;
}

// Unicode text as Windows-1252: composed first, so that "e" + combining acute is
// "é"; a character the code page lacks becomes its plain Latin letters, or "?"
// when it has none (`lossy` is then set).
std::string toAnsi(icu::UnicodeString u, bool& lossy) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_SUCCESS(status)) {
        icu::UnicodeString composed = nfc->normalize(u, status);
        if (U_SUCCESS(status)) u = composed;
    }
    std::string out;
    out.reserve(static_cast<size_t>(u.length()));
    for (int32_t i = 0; i < u.length(); i = u.moveIndex32(i, 1)) {
        const UChar32 c = u.char32At(i);
        char b;
        if (AnsiCharOf(static_cast<char32_t>(c), b)) {
            out += b;
            continue;
        }
        const std::string plain = U_IS_SURROGATE(c) ? std::string() : plainLetters(c);
        lossy = lossy || plain.empty();
        out += plain.empty() ? "?" : plain;
    }
    return out;
}

// UTF-8 text (behind its byte order mark or not) as Windows-1252; text of plain
// letters below the combining marks is converted without ICU.
std::string utf8ToAnsi(std::string_view utf8Text, bool& lossy) {
    if (utf8Text.starts_with(kBom)) utf8Text.remove_prefix(kBom.size());
    std::string plain;
    if (plainUtf8ToAnsi(utf8Text, plain)) return plain;
    return toAnsi(icu::UnicodeString::fromUTF8(
                      icu::StringPiece(utf8Text.data(), static_cast<int32_t>(utf8Text.size()))),
                  lossy);
}

// UTF-16 text behind its byte order mark (FF FE little endian, FE FF big
// endian), decoded by ICU's converter: a broken sequence (a lone surrogate, an
// odd last byte) becomes U+FFFD, which has no Windows-1252 form.
icu::UnicodeString fromUtf16(std::string_view bytes) {
    const char* codepage = bytes.starts_with(kUtf16Le) ? "UTF-16LE" : "UTF-16BE";
    bytes.remove_prefix(kUtf16Le.size());
    return icu::UnicodeString(bytes.data(), static_cast<int32_t>(bytes.size()), codepage);
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

} // namespace modvesk
