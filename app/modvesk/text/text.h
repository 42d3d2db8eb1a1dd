// Text operations shared by every job. Every string holds Windows-1252 bytes
// ("ANSI"), one byte per character, as the files and the library do.
#pragma once

#include "text/byte_scan.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace modvesk {

// ---- Windows-1252 letters -------------------------------------------------
// Upper and lower case of every letter of the code page (é/É, ç/Ç, œ/Œ, ÿ/Ÿ, š/Š,
// ž/Ž ...); ß and µ have no other case and stay as they are.
char upperChar(char c);
char lowerChar(char c);
std::string Upper(std::string_view text);
std::string Lower(std::string_view text);
// The same into `out`, which keeps its room (for texts cased one after another).
void UpperInto(std::string& out, std::string_view text);
void LowerInto(std::string& out, std::string_view text);

// ---- Blanks and pieces ----------------------------------------------------
// Only the blank (0x20) is trimmed, never tabs, CR or LF.
std::string LTrim(std::string_view text);
std::string RTrim(std::string_view text);
std::string Trim(std::string_view text);
// The text without its blanks at either end, as a view into it.
std::string_view TrimmedView(std::string_view text);
// Most values neither start nor end with a blank: they are answered inline.
inline std::string_view TrimView(std::string_view text) {
    if (text.empty() || (text.front() != ' ' && text.back() != ' ')) return text;
    return TrimmedView(text);
}
// Left(text, n): the first n characters (all of them when the text is shorter).
std::string Left(std::string_view text, long n);
// Right(text, n): the last n characters.
std::string Right(std::string_view text, long n);
// Mid(text, start, length): from character `start` counted from 1; length < 0: to the end.
std::string Mid(std::string_view text, long start, long length = -1);
// The same piece as a view into the text.
std::string_view MidView(std::string_view text, long start, long length = -1);
// Position of `what` in `text` counted from 1, 0 when absent (the search starts at `start`).
long InStr(std::string_view text, std::string_view what, long start = 1);

// The hash of a text for the job's tables of names, classes and identifiers: eight
// bytes at a time, one multiplication each, where std::hash mixes byte by byte.
// Transparent: a view finds a string.
struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const noexcept;
};

// Starts fetching every cache line of the `size` bytes at `at`, for a read to come.
inline void PrefetchBytes(const void* at, size_t size) {
    constexpr uintptr_t kLine = 64;
    const auto first = reinterpret_cast<uintptr_t>(at) & ~(kLine - 1);
    for (uintptr_t line = first; line < reinterpret_cast<uintptr_t>(at) + size; line += kLine)
        __builtin_prefetch(reinterpret_cast<const void*>(line));
}

// ---- Field operations -----------------------------------------------------
// For each character of `chars` in order, replaces every occurrence in `text` by `replacement`.
void ReplaceChars(std::string& text, std::string_view chars, std::string_view replacement);
// A value read from a source, with each ";", "|", "," and control character
// (bytes 0x00-0x1F and 0x7F) turned into one blank: the separators of the import
// lines, of the sorted lists' entries and of the comma form, and the line ends,
// so that no value can add a field, an entry or a line of its own.
std::string BlankSeparators(std::string_view value);
// FirstWord of the value once BlankSeparators blanked it, as a view into the
// value itself: the word holds no separator.
std::string_view FirstBlankedWord(std::string_view value);
// A value holds one of the characters BlankSeparators turns into a blank.
bool HoldsSeparator(std::string_view value);
// Every occurrence of `what` replaced by `by` (what may not be empty).
std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view by);
// Removes leading blanks from `text` itself; returns the part before the first
// `separator` with trailing blanks removed, or the whole left-trimmed text (trailing
// blanks kept) when the separator does not occur.
std::string FirstField(std::string& text, std::string_view separator);
// The first word of `text`, as a view into it: what comes before its first blank
// once the leading blanks are passed; `rest` gets what follows that blank ("" when
// there is none). FirstField(text, " ") gives the same word.
std::string_view FirstWord(std::string_view text, std::string_view& rest);
// "" when `text` is empty; otherwise removes leading blanks from `text` itself and
// returns "" when the separator does not occur, else everything after the first one.
std::string RestAfter(std::string& text, std::string_view separator);
// The field of `rest` up to its first `separator`, as it stands (blanks kept), and
// `rest` moved past that separator; `ended` tells whether one ended the field
// (otherwise the field is the whole of `rest`, which becomes "").
inline std::string_view NextField(std::string_view& rest, bool& ended, char separator = ';') {
    const size_t end = rest.find(separator);
    ended = end != std::string_view::npos;
    const std::string_view field = rest.substr(0, end);
    rest = ended ? rest.substr(end + 1) : std::string_view();
    return field;
}
// Every field of `line` cut at each `separator`, as they stand: "a;;b" gives "a",
// "", "b"; "" gives one empty field.
std::vector<std::string> SplitFields(std::string_view line, char separator = ';');
// Field n counted from 1 of `text`, which is left as it is: trimmed, "" when missing.
std::string NthField(long n, std::string_view text, std::string_view separator);
// Fields 1 to fields.size() of `text` as NthField gives each, as views into the
// text, cut in one pass.
void NthFields(std::string_view text, char separator, std::span<std::string_view> fields);
// False when the trimmed text is empty; else whether its first character is a digit.
bool StartsWithDigit(std::string_view text);
// Sum of the leading numbers of the words of `text` (a word without one counts 0), rounded.
long SumOfNumbers(std::string text);
// The leading decimal number of a word ("12ab" gives 12, "ab" gives 0), as a double.
double LeadingNumber(std::string_view word);
// Decimal text of a whole number.
std::string Str(long n);

// ---- Code pages -----------------------------------------------------------
// OEM (code page 850) to ANSI (Windows-1252), "?" where 1252 has no such character;
// same length as the input.
std::string OemToAnsi(std::string_view oem);
void OemToAnsiInPlace(char* bytes, size_t n);
// Maps every byte through the table, which leaves the ASCII bytes (below 0x80)
// as they are: these are passed over eight at a time.
void MapHighBytes(char* bytes, size_t n, const std::array<char, 256>& table);
// UTF-8 to Windows-1252 ("?" for what 1252 lacks), and back. The source's literal
// French texts are UTF-8: ansi("é") is the one byte 0xE9.
std::string ansi(std::string_view utf8);
std::string utf8(std::string_view ansiText);

// The Windows-1252 byte of a Unicode character; false when the code page lacks it.
bool AnsiCharOf(char32_t u, char& c);

// ---- Lines of a text ------------------------------------------------------
// The line of `text` that starts at `pos`, without its end, and moves `pos` past
// that end. A line ends at CR LF, at CR alone or at LF alone, so that no line ever
// holds a CR or a LF; a last line without an end counts too. False at the end.
bool NextLine(std::string_view text, size_t& pos, std::string& line);
// The same line as a view into `text`, copied nowhere.
bool NextLineView(std::string_view text, size_t& pos, std::string_view& line);
// Calls onLine(std::string&) for every line of `text`, as NextLine cuts them.
template <typename OnLine> void forEachLine(std::string_view text, OnLine onLine) {
    std::string line;
    for (size_t pos = 0; NextLine(text, pos, line);)
        onLine(line);
}

// A line of an account file that holds an account: neither empty nor the header
// line ("#Nom;Prénom;...").
inline bool IsAccountLine(std::string_view line) {
    return !line.empty() && line[0] != '#';
}

// CR LF, the line end of every file the program writes.
inline constexpr std::string_view CRLF = "\r\n";

} // namespace modvesk
