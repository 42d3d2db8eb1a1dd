// The text sources (ELEVES.CSV, PROFS.CSV, the trainee list, EXPORT, the Access
// export's CSV) as the jobs read them: Windows-1252 bytes. A source saved as UTF-8
// is turned into Windows-1252 as it is read; the characters the code page lacks
// become their plain Latin letters.
#pragma once

#include "text/text.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace modvesk {

// True when the bytes start with the UTF-8 byte order mark, or are valid UTF-8
// holding at least one multi-byte sequence. A Windows-1252 text with accents is
// not valid UTF-8 and is never taken for it.
bool IsUtf8Text(std::string_view bytes);

// UTF-8 text (a leading byte order mark dropped) as Windows-1252: composed
// first, so that "e" + combining acute is "é"; a character the code page lacks
// becomes its plain Latin letters (Ł → L, ș → s, ễ → e), or "?" when it has none.
std::string Utf8ToAnsi(std::string_view utf8Text);

// A source read whole. `utf8` tells that it was UTF-8 and has been converted.
struct SourceText {
    std::string text;
    bool utf8 = false;
};
// False when the file cannot be read (the text is then empty).
bool ReadSourceText(const std::filesystem::path& path, SourceText& out);

// Reads a text source line by line: the file is read whole when opened (and
// turned into Windows-1252 when it is UTF-8), then cut as NextLine cuts lines.
class LineReader {
  public:
    explicit LineReader(const std::filesystem::path& path);
    bool isOpen() const { return open_; }
    // The file was UTF-8 and has been converted.
    bool isUtf8() const { return source_.utf8; }
    // False at the end of the file.
    bool next(std::string& line) { return NextLine(source_.text, pos_, line); }

  private:
    SourceText source_;
    size_t pos_ = 0;
    bool open_ = false;
};

} // namespace modvesk
