// The text sources (ELEVES.CSV, PROFS.CSV, the trainee list, EXPORT, the Access
// export's CSV) as the jobs read them: Windows-1252 bytes. A source saved as UTF-8
// or as UTF-16 (with its byte order mark) is turned into Windows-1252 as it is
// read; the characters the code page lacks become their plain Latin letters.
#pragma once

#include "text/text.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace modvesk {

// True when the bytes are valid UTF-8 and start with the UTF-8 byte order mark or
// hold at least one multi-byte sequence. A Windows-1252 text with accents is not
// valid UTF-8 and is never taken for it, even behind the mark.
bool IsUtf8Text(std::string_view bytes);

// UTF-8 text (a leading byte order mark dropped) as Windows-1252: composed
// first, so that "e" + combining acute is "é"; a character the code page lacks
// becomes its plain Latin letters (Ł → L, ș → s, ễ → e), or "?" when it has none.
std::string Utf8ToAnsi(std::string_view utf8Text);

// A source read whole, as Windows-1252.
struct SourceText {
    std::string text;
    // It was UTF-8 or UTF-16 and has been converted.
    bool utf8 = false;
    // It starts with the UTF-8 byte order mark but is Windows-1252: the mark is
    // dropped and the rest kept as it is.
    bool ansiDespiteMark = false;
    // A "?" stands in the text for a character that could not be read: one the
    // code page lacks that has no plain Latin letters, or a broken UTF-16
    // sequence. The text is then not the file's whole content.
    bool lossy = false;
};
// False when the file cannot be read (the text is then empty).
bool ReadSourceText(const std::filesystem::path& path, SourceText& out);

// Reads a text source line by line: the file is read whole when opened (and
// turned into Windows-1252 when it is UTF-8 or UTF-16), then cut as NextLine cuts
// lines.
class LineReader {
  public:
    explicit LineReader(const std::filesystem::path& path);
    bool isOpen() const { return open_; }
    // How the file was read (see SourceText).
    bool isUtf8() const { return source_.utf8; }
    bool isAnsiDespiteMark() const { return source_.ansiDespiteMark; }
    bool isLossy() const { return source_.lossy; }
    // False at the end of the file.
    bool next(std::string& line) { return NextLine(source_.text, pos_, line); }
    // The same, the line seen in the text the reader holds.
    bool next(std::string_view& line) { return NextLineView(source_.text, pos_, line); }
    // The text not read yet, as a view into the text the reader holds.
    std::string_view rest() const { return std::string_view(source_.text).substr(pos_); }
    // The lines not read yet, each ended by CR LF, as one text; the reader is
    // then at its end. A whole text already written so is handed over as it is.
    std::string restAsCrlfLines();

  private:
    SourceText source_;
    size_t pos_ = 0;
    bool open_ = false;
};

} // namespace modvesk
