#include "sources/dbase_reader.h"

#include "text/files.h"
#include "text/text.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace modvesk {

namespace {

constexpr long kMaxFields = 256; // rows 1 to 256 of the field table
constexpr long kPupilEnds = 115; // pupil ends are computed at least this far
constexpr unsigned char kEndOfFile = 0x1A;
// The byte that ends the field descriptors: 0x0D, or 0x0A from a few writers.
constexpr unsigned char kHeaderEnd = 0x0D;
constexpr unsigned char kHeaderEndLf = 0x0A;

// Closes the file, then frees the buffer it was read through (when it had one of
// its own).
struct FileCloser {
    std::unique_ptr<char[]> buffer;
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File openBinary(const fs::path& path) {
    return File(std::fopen(path.c_str(), "rb"));
}

// Records are read one at a time through a buffer of up to 1 MB: a district's
// pupil table is a few reads, not one per 4 kB. A smaller table gets a buffer of
// its own size, left as it is allocated (the reads fill it): a group table of a
// few kilobytes costs no megabyte to clear.
File openForRecords(const fs::path& path) {
    constexpr long kBuffer = 1 << 20;
    File f = openBinary(path);
    if (!f) return f;
    std::error_code ec;
    const auto length = fs::file_size(path, ec); // the stream is given its buffer first
    const long known = ec ? kBuffer : static_cast<long>(std::min<uintmax_t>(length, kBuffer));
    const size_t size = static_cast<size_t>(std::clamp(known + 1, 1L << 12, kBuffer));
    f.get_deleter().buffer.reset(new char[size]);
    std::setvbuf(f.get(), f.get_deleter().buffer.get(), _IOFBF, size);
    return f;
}

long fileLength(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0) return 0;
    const long length = std::ftell(f);
    return length < 0 ? 0 : length;
}

// The byte at `offset` (from 0), or 0 when the file is shorter.
unsigned char byteAt(std::FILE* f, long offset) {
    if (std::fseek(f, offset, SEEK_SET) != 0) return 0;
    const int c = std::fgetc(f);
    return c == EOF ? 0 : static_cast<unsigned char>(c);
}

long headerLength(std::FILE* f) {
    return byteAt(f, 8) | (byteAt(f, 9) << 8);
}

// Reads up to n bytes into `record`, padded with blanks to n characters, and
// converted from OEM to Windows-1252 unless asked for the OEM bytes. Returns the
// number of bytes really read.
size_t readRecord(std::FILE* f, size_t n, std::string& record,
                  RecordBytes bytes = RecordBytes::Converted) {
    record.assign(n, ' ');
    const size_t got = n == 0 ? 0 : std::fread(record.data(), 1, n, f);
    if (bytes == RecordBytes::Converted) OemToAnsiInPlace(record.data(), got);
    return got;
}

// Reports progress now and then during a loop.
void tick(Session& s, long done, long total) {
    if (s.ui && done % 200 == 0) s.ui->progress(done, total);
}

} // namespace

long longueurEntete(const fs::path& table) {
    File f = openBinary(table);
    return f ? headerLength(f.get()) : 0;
}

TableLayout readLayout(const fs::path& table) {
    TableLayout layout;
    File f = openBinary(table);
    if (!f) return layout;
    const long h = headerLength(f.get());
    layout.headerLength = h;
    // The header is read once: at most 65,535 bytes.
    std::string header(static_cast<size_t>(h), '\0');
    if (std::fseek(f.get(), 0, SEEK_SET) != 0) return layout;
    header.resize(std::fread(header.data(), 1, header.size(), f.get()));
    const auto at = [&](long offset) { return static_cast<unsigned char>(header[offset]); };
    for (long offset = 32; offset < static_cast<long>(header.size()); offset += 32) {
        if (at(offset) == kHeaderEnd || at(offset) == kHeaderEndLf) {
            layout.descriptorsEnd = offset;
            break;
        }
        layout.widths.push_back(offset + 16 < static_cast<long>(header.size()) ? at(offset + 16)
                                                                               : 0);
    }
    if (layout.descriptorsEnd < 0) layout.widths.clear();
    layout.recordLength = 1;
    for (const long w : layout.widths)
        layout.recordLength += w;
    return layout;
}

TableCheck checkLayout(const fs::path& table, const TableLayout& layout) {
    File f = openBinary(table);
    if (!f || layout.descriptorsEnd < 0) return TableCheck::NotDbase3;
    if (fileLength(f.get()) < layout.headerLength) return TableCheck::NotDbase3;
    if (static_cast<long>(layout.widths.size()) > kMaxFields) return TableCheck::TooManyFields;
    return TableCheck::Ok;
}

void fillFieldTable(FieldTable& table, Family family, const std::vector<long>& widths) {
    if (table.size() < kMaxFields + 1) table.resize(kMaxFields + 1);
    for (auto& row : table)
        row[family] = FieldCell{};
    const long n = std::min<long>(static_cast<long>(widths.size()), kMaxFields);
    for (long k = 1; k <= n; ++k)
        table[k][family].width = widths[k - 1];
    const long last = family == Pupils ? std::max(n, kPupilEnds) : n;
    for (long k = 1; k <= last; ++k)
        table[k][family].end = table[k - 1][family].end + table[k][family].width;
}

namespace {

// The table is not read: the log box and the Bilan say why.
bool refuse(Session& s, const std::string& shown, const char* reason) {
    s.logLine(fileText("Table ", shown,
                       " ignorée : " + std::string(reason) + ", aucun enregistrement n'a été lu."));
    s.job.bilan.refuseTable(shown, ansi(reason));
    return false;
}

} // namespace

bool prepareTable(Session& s, const std::string& name, Family family, TableLayout& layout) {
    const fs::path path = s.file(name);
    const std::string shown = path.filename().string();
    std::error_code ec;
    if (!FileExists(path)) {
        // A table that lies there but cannot be opened is refused, not passed over.
        if (fs::exists(fs::symlink_status(path, ec))) return refuse(s, shown, "fichier illisible");
        return false;
    }
    layout = readLayout(path);
    switch (checkLayout(path, layout)) {
    case TableCheck::Ok:
        break;
    case TableCheck::TooManyFields:
        return refuse(s, shown, "plus de 256 champs");
    case TableCheck::NotDbase3:
        return refuse(s, shown, "en-tête dBase non reconnu");
    }
    fillFieldTable(s.job.fieldTable, family, layout.widths);
    return true;
}

namespace {

// Lists in the Bilan the record that follows the `handed` records handed over
// when `rest` bytes of it are left in the table (a table copied incompletely):
// those bytes are not read.
void noteCutRecord(Session& s, const std::string& name, long handed, long rest) {
    if (rest <= 0) return;
    s.job.bilan.rowWithoutAccount(s.file(name).filename().string(), true, handed + 1,
                                  ansi("incomplet : non lu"));
}

} // namespace

void recordLoopA(Session& s, const std::string& name, const TableLayout& layout,
                 const RecordHandler& handler) {
    File f = openForRecords(s.file(name));
    if (!f) return;
    const size_t r = static_cast<size_t>(layout.recordLength);
    const long length = fileLength(f.get());
    const long total = (length - layout.headerLength) / layout.recordLength;
    if (std::fseek(f.get(), layout.headerLength, SEEK_SET) != 0) return;
    std::string record;
    long done = 1;
    for (; readRecord(f.get(), r, record) == r; ++done) {
        handler(record);
        tick(s, done, total);
    }
    // What is left after the whole records, less the end-of-file byte.
    long rest = length - layout.headerLength - (done - 1) * layout.recordLength;
    if (rest == 1 && byteAt(f.get(), length - 1) == kEndOfFile) rest = 0;
    noteCutRecord(s, name, done - 1, rest);
}

void recordLoopB(Session& s, const std::string& name, const TableLayout& layout,
                 const RecordHandler& handler, RecordBytes bytes) {
    File f = openForRecords(s.file(name));
    if (!f) return;
    const long h = layout.headerLength;
    const long r = layout.recordLength;
    const long length = fileLength(f.get());
    // A table without its end-of-file byte is counted as if it had it.
    const bool endByte = length > 0 && byteAt(f.get(), length - 1) == kEndOfFile;
    const long d = length - (h + 1) + (endByte ? 0 : 1);
    std::string record;
    if (std::fseek(f.get(), 0, SEEK_SET) != 0) return;
    readRecord(f.get(), static_cast<size_t>(h + 1), record); // header + first deletion byte
    if (s.ui) s.ui->attente(0);
    const long total = d / r;
    for (long consumed = r, done = 1;; consumed += r, ++done) {
        if (d - consumed < 2 * r) {
            readRecord(f.get(), static_cast<size_t>(r), record, bytes);
            handler(record);
            readRecord(f.get(), static_cast<size_t>(r), record, bytes);
            handler(record);
            // Each read ends with the next deletion byte (the end-of-file byte last).
            noteCutRecord(s, name, done + 1, length - (h + 1) - (done + 1) * r);
            return;
        }
        if (readRecord(f.get(), static_cast<size_t>(r), record, bytes) < static_cast<size_t>(r))
            return;
        handler(record);
        tick(s, done, total);
    }
}

void recordLoopC(Session& s, const std::string& name, const TableLayout& layout,
                 const RecordHandler& handler, RecordBytes bytes) {
    File f = openForRecords(s.file(name));
    if (!f) return;
    const size_t r = static_cast<size_t>(layout.recordLength);
    const long total = (fileLength(f.get()) - layout.headerLength) / layout.recordLength;
    std::string record;
    if (std::fseek(f.get(), 0, SEEK_SET) != 0) return;
    bool past = readRecord(f.get(), static_cast<size_t>(layout.headerLength + 1), record) <
                static_cast<size_t>(layout.headerLength + 1);
    for (long done = 1; !past; ++done) {
        past = readRecord(f.get(), r, record, bytes) < r;
        handler(record);
        tick(s, done, total);
    }
}

} // namespace modvesk
