#include "sources/dbase_reader.h"

#include "text/files.h"
#include "text/text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace modvesk {

namespace {

constexpr long kMaxFields = 256; // rows 1 to 256 of the field table
constexpr long kPupilEnds = 115; // pupil ends are computed at least this far
constexpr unsigned char kEndOfFile = 0x1A;
// The byte that ends the field descriptors: 0x0D, or 0x0A from a few writers.
constexpr unsigned char kHeaderEnd = 0x0D;
constexpr unsigned char kHeaderEndLf = 0x0A;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File openBinary(const fs::path& path) {
    return File(std::fopen(path.c_str(), "rb"));
}

// A table read record by record through a buffer of up to 1 MB: a district's
// pupil table is a few reads, not one per record. A smaller table gets a buffer
// of its own size, left as it is allocated (the reads fill it): a group table of
// a few kilobytes costs no megabyte to clear.
class RecordFile {
  public:
    explicit RecordFile(const fs::path& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat st;
        if (fd_ < 0 || ::fstat(fd_, &st) != 0) return;
        constexpr off_t kBuffer = 1 << 20;
        length_ = static_cast<long>(st.st_size);
        const off_t known = std::min<off_t>(st.st_size, kBuffer);
        size_ = static_cast<size_t>(std::clamp<off_t>(known + 1, 1 << 12, kBuffer));
        buffer_.reset(new char[size_]);
    }
    ~RecordFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    explicit operator bool() const { return buffer_ != nullptr; }
    long length() const { return length_; }

    // The next read starts at `offset` (from 0).
    void seek(long offset) {
        start_ = offset;
        have_ = used_ = 0;
    }

    // The byte at `offset`, or 0 when the file is shorter; the reads go on where they were.
    unsigned char byteAt(long offset) const {
        unsigned char c = 0;
        return offset >= 0 && ::pread(fd_, &c, 1, offset) == 1 ? c : 0;
    }

    // Reads up to n bytes into `record`, padded with blanks to n characters, and
    // converted from OEM to Windows-1252 unless asked for the OEM bytes. Returns
    // the number of bytes really read.
    size_t read(size_t n, std::string& record, RecordBytes bytes = RecordBytes::Converted) {
        record.resize(n);
        size_t got = 0;
        while (got < n && (used_ < have_ || fill())) {
            const size_t take = std::min(n - got, have_ - used_);
            std::memcpy(record.data() + got, buffer_.get() + used_, take);
            used_ += take;
            got += take;
        }
        std::memset(record.data() + got, ' ', n - got);
        if (bytes == RecordBytes::Converted) OemToAnsiInPlace(record.data(), got);
        return got;
    }

  private:
    // Reads the bytes that follow the buffer into it; false at the end of the
    // file or on a read error (the record then falls short, as at the end).
    bool fill() {
        start_ += static_cast<long>(have_);
        have_ = used_ = 0;
        ssize_t n;
        do {
            n = ::pread(fd_, buffer_.get(), size_, start_);
        } while (n < 0 && errno == EINTR);
        have_ = n > 0 ? static_cast<size_t>(n) : 0;
        return have_ > 0;
    }

    int fd_;
    long length_ = 0;
    std::unique_ptr<char[]> buffer_;
    size_t size_ = 0;
    long start_ = 0;  // where the buffer's bytes lie in the file
    size_t have_ = 0; // bytes in the buffer
    size_t used_ = 0; // bytes of them handed over
};

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
    RecordFile f(s.file(name));
    if (!f) return;
    const size_t r = static_cast<size_t>(layout.recordLength);
    const long length = f.length();
    const long total = (length - layout.headerLength) / layout.recordLength;
    f.seek(layout.headerLength);
    std::string record;
    long done = 1;
    for (; f.read(r, record) == r; ++done) {
        handler(record);
        tick(s, done, total);
    }
    // What is left after the whole records, less the end-of-file byte.
    long rest = length - layout.headerLength - (done - 1) * layout.recordLength;
    if (rest == 1 && f.byteAt(length - 1) == kEndOfFile) rest = 0;
    noteCutRecord(s, name, done - 1, rest);
}

void recordLoopB(Session& s, const std::string& name, const TableLayout& layout,
                 const RecordHandler& handler, RecordBytes bytes) {
    RecordFile f(s.file(name));
    if (!f) return;
    const long h = layout.headerLength;
    const long r = layout.recordLength;
    const long length = f.length();
    // A table without its end-of-file byte is counted as if it had it.
    const bool endByte = length > 0 && f.byteAt(length - 1) == kEndOfFile;
    const long d = length - (h + 1) + (endByte ? 0 : 1);
    std::string record;
    f.read(static_cast<size_t>(h + 1), record); // header + first deletion byte
    if (s.ui) s.ui->attente(0);
    const long total = d / r;
    for (long consumed = r, done = 1;; consumed += r, ++done) {
        if (d - consumed < 2 * r) {
            f.read(static_cast<size_t>(r), record, bytes);
            handler(record);
            f.read(static_cast<size_t>(r), record, bytes);
            handler(record);
            // Each read ends with the next deletion byte (the end-of-file byte last).
            noteCutRecord(s, name, done + 1, length - (h + 1) - (done + 1) * r);
            return;
        }
        if (f.read(static_cast<size_t>(r), record, bytes) < static_cast<size_t>(r)) return;
        handler(record);
        tick(s, done, total);
    }
}

void recordLoopC(Session& s, const std::string& name, const TableLayout& layout,
                 const RecordHandler& handler, RecordBytes bytes) {
    RecordFile f(s.file(name));
    if (!f) return;
    const size_t r = static_cast<size_t>(layout.recordLength);
    const long total = (f.length() - layout.headerLength) / layout.recordLength;
    std::string record;
    bool past = f.read(static_cast<size_t>(layout.headerLength + 1), record) <
                static_cast<size_t>(layout.headerLength + 1);
    for (long done = 1; !past; ++done) {
        past = f.read(r, record, bytes) < r;
        handler(record);
        tick(s, done, total);
    }
}

} // namespace modvesk
