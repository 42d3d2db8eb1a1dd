// Routines shared by every operation of the library: the boundary guard, the
// fill contract of text answers, list and text helpers, and the text-file writer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vandrel1 {

using StringList = std::vector<std::string>;

// Runs one exported operation so that nothing escapes through the C boundary:
// any exception (out of memory included) ends the operation and the fallback
// is answered.
template <typename Result, typename Body> Result guarded(Result fallback, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}
template <typename Body> void guarded(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

// A caller's string seen as text; a null pointer reads as the empty text.
inline std::string_view arg(const char* text) {
    return text ? std::string_view(text) : std::string_view();
}

// The fill contract (RecouvrePhysique): n is the length of the buffer's string.
// A result of m < n characters overwrites the first m characters and nothing else;
// a result of m >= n characters only turns the first character into a blank. An
// empty (or null) buffer gets nothing. Never a byte past the buffer's end.
void RecouvrePhysique(char* buffer, std::string_view result);

// Splits the text at every character of the separator set; empty parts are kept,
// and the empty text gives one empty part.
StringList chaine_list(std::string_view text, std::string_view separators);
// The elements with the separator between them, never after the last
// (long_concat with no separator puts nothing between them).
std::string long_concat(const StringList& list, std::string_view separator = {});
// Drops an element when an equal string occurs later in the list; the survivors
// keep their order (A, B, A gives B, A). ote_rep is the same routine.
StringList supp_doublons(const StringList& list);
inline StringList ote_rep(const StringList& list) {
    return supp_doublons(list);
}
// True when the list holds an element equal to the text (byte for byte).
bool appartient(std::string_view text, const StringList& list);

// Writes the text to the file: mode 1 creates or replaces it, mode 2 appends.
// Text mode: every LF becomes CR LF, every other byte passes unchanged. A relative
// name is taken against the current directory. The file is written whole through
// a temporary file renamed over it: when writing fails it is left as it was, and
// where there was none an empty file is left, which tells the program that the
// file could not be written (the operations report nothing to their caller).
// Returns false when the file could not be written.
bool ec(int mode, const std::string& fileName, std::string_view text);

} // namespace vandrel1
