#include "text/source_text.h"

#include "text/files.h"
#include "text/text.h"

#include <memory>
#include <mutex>
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

namespace modvesk {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

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

// The plain letters of one character that Windows-1252 lacks; "?" when none.
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
    return out.empty() ? "?" : out;
}

} // namespace

bool IsUtf8Text(std::string_view bytes) {
    if (bytes.substr(0, kBom.size()) == kBom) return true;
    bool multiByte = false;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) {
            multiByte = true;
            break;
        }
    if (!multiByte) return false;
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    return status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status);
}

namespace {

// The text in Windows-1252 when it holds only characters below U+0300 in valid
// UTF-8 (one or two bytes each): no combining mark to compose, so each character
// stands for itself. False, with `out` to be thrown away, otherwise.
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
        else
            out += plainLetters(static_cast<UChar32>(c));
    }
    return true;
}

} // namespace

std::string Utf8ToAnsi(std::string_view utf8Text) {
    if (utf8Text.substr(0, kBom.size()) == kBom) utf8Text.remove_prefix(kBom.size());
    std::string plain;
    if (plainUtf8ToAnsi(utf8Text, plain)) return plain;
    icu::UnicodeString u = icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8Text.data(), static_cast<int32_t>(utf8Text.size())));
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
        if (AnsiCharOf(static_cast<char32_t>(c), b))
            out += b;
        else
            out += plainLetters(c);
    }
    return out;
}

bool ReadSourceText(const std::filesystem::path& path, SourceText& out) {
    out = SourceText{};
    if (!ReadAll(path, out.text)) return false;
    out.utf8 = IsUtf8Text(out.text);
    if (out.utf8) out.text = Utf8ToAnsi(out.text);
    return true;
}

LineReader::LineReader(const std::filesystem::path& path) : open_(ReadSourceText(path, source_)) {}

} // namespace modvesk
