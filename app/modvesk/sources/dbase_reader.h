// The GEP dBase tables (.DBF), read record by record: the header length, the
// field widths, the shared field table, and the three record loops. Every record
// is converted from the OEM code page (850) to Windows-1252 as it is read, once,
// before any handler sees it, unless the handler asks for the bytes as they lie
// (the pupil builder, which converts the few fields it cuts). Only the current
// record is held in memory.
#pragma once

#include "model/model.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace modvesk {

// The header length H: bytes 9 and 10 of the file (counted from 1), as a 16-bit
// little-endian number. Missing bytes count as 0; an unreadable file gives 0.
long longueurEntete(const std::filesystem::path& table);

// What the reader learnt from a table's header.
struct TableLayout {
    long headerLength = 0;    // H
    long recordLength = 0;    // R: the sum of the widths + 1 (the deletion byte)
    std::vector<long> widths; // width of field k at index k - 1
    // Offset of the byte that ends the field descriptors (0x0D or 0x0A at the first
    // offset 32 + 32·n inside the header); -1 when the header has none.
    long descriptorsEnd = -1;
};

// Why a table is not read.
enum class TableCheck { Ok, TooManyFields, NotDbase3 };

// Checks the header: its field descriptors end with the terminator byte inside
// the header, the header fits in the file, and there are at most 256 fields (the
// rows of the field table).
TableCheck checkLayout(const std::filesystem::path& table, const TableLayout& layout);

// Reads H, finds the end of the field descriptors (the first offset 32 + 32·n
// below H that holds 0x0D or 0x0A) and takes the widths of those n fields; what
// lies between that end and H (padding, a back-link area) is skipped. No check.
TableLayout readLayout(const std::filesystem::path& table);

// Fills the family's columns of the field table from the widths: width(k) for
// every field, end(k) = end(k - 1) + width(k) (for pupils through field 115 at
// least). Rows of the family beyond the table's fields are cleared.
void fillFieldTable(FieldTable& table, Family family, const std::vector<long>& widths);

// Prepares the table `name` of the program's directory for reading: false when
// it does not exist (silently), or when it cannot be opened or its header is not
// recognised: the table is then refused (a line in the log box, the table in the
// Bilan, the field table untouched), and the job ends with its error line. On
// success the family's columns are filled.
bool prepareTable(Session& s, const std::string& name, Family family, TableLayout& layout);

// A record handler receives the record text (R characters, Windows-1252, or code
// page 850 when the loop is asked for RecordBytes::Oem).
using RecordHandler = std::function<void(std::string& record)>;
enum class RecordBytes { Converted, Oem };

// Loop A (assignments, groups, group links, teachers): from the first record's
// deletion byte, R bytes at a time until a read goes past the end of the file.
void recordLoopA(Session& s, const std::string& name, const TableLayout& layout,
                 const RecordHandler& handler);

// Loop B (pupils of the first establishment): after the header and the first
// deletion byte, each read holds one record's fields and the next deletion byte;
// the last two records come through a final double read. A table whose last byte
// is not the end-of-file byte 0x1A is counted as if it had it, so no record is
// lost; a read that falls short is padded with blanks.
void recordLoopB(Session& s, const std::string& name, const TableLayout& layout,
                 const RecordHandler& handler, RecordBytes bytes = RecordBytes::Converted);

// Loop C (pupils of the second establishment): the same record shape, read until
// a read goes past the end of the file (that last, short read is handed over too).
void recordLoopC(Session& s, const std::string& name, const TableLayout& layout,
                 const RecordHandler& handler, RecordBytes bytes = RecordBytes::Converted);

} // namespace modvesk
