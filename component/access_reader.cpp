#include "access_reader.h"

#include "cp1252.h"
#include "failure.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <glib.h>
#include <map>
#include <mdbtools.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pythrolvane {
namespace {

// Dates as JJ/MM/AAAA, whatever the column's own format.
constexpr const char* kDateFormat = "%d/%m/%Y";
// Longest value read from one field (memo fields included).
constexpr size_t kBindSize = 65536;

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// An open Access file with the formats the component answers in.
class AccessFile {
  public:
    explicit AccessFile(const std::string& ansiPath) : shownPath_(cp1252ToUtf8(ansiPath)) {
        // The path comes in Windows-1252; the file system names files in UTF-8.
        std::string path = isRegularFile(shownPath_) ? shownPath_ : ansiPath;
        if (!isRegularFile(path)) throw Failure("Base Access introuvable : " + shownPath_);
        useUtf8AndPoint();
        mdb_ = mdb_open(path.c_str(), MDB_NOFLAGS);
        if (!mdb_) throw Failure("Base Access illisible : " + shownPath_);
        // A database is made of whole pages: anything else was cut short.
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || st.st_size % mdb_->fmt->pg_size != 0) {
            mdb_close(mdb_);
            throw Failure("Base Access illisible (fichier tronqué) : " + shownPath_);
        }
        if (!mdb_read_catalog(mdb_, MDB_TABLE)) {
            mdb_close(mdb_);
            throw Failure("Base Access illisible : " + shownPath_);
        }
        mdb_set_date_fmt(mdb_, kDateFormat);
        mdb_set_shortdate_fmt(mdb_, kDateFormat);
        mdb_set_boolean_fmt_numbers(mdb_);
        mdb_set_bind_size(mdb_, kBindSize);
    }
    ~AccessFile() { mdb_close(mdb_); }
    AccessFile(const AccessFile&) = delete;
    AccessFile& operator=(const AccessFile&) = delete;

    std::vector<MdbCatalogEntry*> userTables() const {
        std::vector<MdbCatalogEntry*> tables;
        for (guint i = 0; i < mdb_->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
            if (entry && mdb_is_user_table(entry)) tables.push_back(entry);
        }
        return tables;
    }

    // The user table named `ansiName`: the exact name first, else the same name in
    // another case (Access names ignore case).
    MdbCatalogEntry* table(const std::string& ansiName) const {
        const std::string name = cp1252ToUtf8(ansiName);
        const auto tables = userTables();
        for (auto* entry : tables)
            if (name == entry->object_name) return entry;
        gchar* folded = g_utf8_casefold(name.c_str(), -1);
        MdbCatalogEntry* found = nullptr;
        for (auto* entry : tables) {
            gchar* other = g_utf8_casefold(entry->object_name, -1);
            if (!found && std::strcmp(folded, other) == 0) found = entry;
            g_free(other);
        }
        g_free(folded);
        if (!found) throw Failure("Table inconnue dans la base Access : " + name);
        return found;
    }

    // The system table that lists every object of the file.
    MdbCatalogEntry* systemCatalogue() const {
        for (guint i = 0; i < mdb_->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
            if (entry && entry->object_type == MDB_TABLE &&
                g_ascii_strcasecmp(entry->object_name, "MSysObjects") == 0)
                return entry;
        }
        return nullptr;
    }
    const std::string& shownPath() const { return shownPath_; }

  private:
    // libmdb hands text over in the character set named by MDBICONV (UTF-8 unless
    // the environment says otherwise) and prints numbers after the C library's
    // locale: the component wants UTF-8 and a decimal point. Only the child process
    // that reads the file is changed.
    static void useUtf8AndPoint() {
        const char* charset = std::getenv("MDBICONV");
        if (charset && std::strcmp(charset, "UTF-8") != 0) ::setenv("MDBICONV", "UTF-8", 1);
        std::setlocale(LC_NUMERIC, "C");
    }

    std::string shownPath_;
    MdbHandle* mdb_ = nullptr;
};

// A table definition with its columns read.
class OpenTable {
  public:
    explicit OpenTable(MdbCatalogEntry* entry) : def_(mdb_read_table(entry)) {
        const std::string name = entry->object_name;
        if (!def_ || !mdb_read_columns(def_)) {
            if (def_) mdb_free_tabledef(def_);
            throw Failure("Lecture impossible de la table " + name + " de la base Access.");
        }
    }
    ~OpenTable() { mdb_free_tabledef(def_); }
    OpenTable(const OpenTable&) = delete;
    OpenTable& operator=(const OpenTable&) = delete;

    size_t columnCount() const { return def_->columns ? def_->columns->len : 0; }
    MdbColumn* column(size_t i) const {
        return static_cast<MdbColumn*>(g_ptr_array_index(def_->columns, i));
    }
    MdbTableDef* def() const { return def_; }

  private:
    MdbTableDef* def_;
};

// Fetches every row of the table (bound columns are filled); libmdb ends the rows
// quietly at a page it cannot read, so fewer rows than the table declares means a
// damaged file, never a shorter answer.
template <typename OnRow> void forEachRow(const OpenTable& table, OnRow onRow) {
    mdb_rewind_table(table.def());
    unsigned long count = 0;
    while (mdb_fetch_row(table.def())) {
        ++count;
        onRow();
    }
    if (count < table.def()->num_rows)
        throw Failure("La table " + std::string(table.def()->name) +
                      " de la base Access est incomplète : " + std::to_string(count) +
                      " ligne(s) lue(s) sur " + std::to_string(table.def()->num_rows) + ".");
}

// The list of tables comes from the system catalogue: a catalogue cut short would
// silently hide tables.
void checkCatalogue(const AccessFile& file) {
    MdbCatalogEntry* catalogue = file.systemCatalogue();
    if (!catalogue) throw Failure("Base Access illisible : " + file.shownPath());
    try {
        OpenTable table(catalogue);
        forEachRow(table, [] {});
    } catch (const Failure&) {
        throw Failure("Base Access illisible (catalogue incomplet) : " + file.shownPath());
    }
}

// Pictures, binary data and attachments have no text form: their fields stay empty.
bool hasText(const MdbColumn* column) {
    return column->col_type != MDB_OLE && column->col_type != MDB_BINARY &&
           column->col_type != MDB_COMPLEX;
}

std::string joinNames(const std::vector<std::string>& names) {
    std::string out;
    for (size_t i = 0; i < names.size(); ++i)
        out += (i ? "|" : "") + names[i];
    return out;
}

// The bound value of each chosen column while the rows are fetched.
struct BoundValue {
    std::vector<char> buffer = std::vector<char>(kBindSize + 1, '\0');
    int length = 0;
    std::string text() const {
        return std::string(buffer.data(), ::strnlen(buffer.data(), kBindSize));
    }
};

std::string readRows(const OpenTable& table, const std::vector<size_t>& positions) {
    std::map<size_t, BoundValue> values;
    for (size_t p : positions) {
        if (!hasText(table.column(p)) || values.count(p)) continue;
        BoundValue& value = values[p];
        mdb_bind_column(table.def(), static_cast<int>(p) + 1, value.buffer.data(), &value.length);
    }
    std::string out;
    forEachRow(table, [&] {
        for (size_t i = 0; i < positions.size(); ++i) {
            if (i) out += ';';
            auto found = values.find(positions[i]);
            if (found != values.end()) out += fieldSafe(utf8ToCp1252(found->second.text()));
        }
        out += "\r\n";
    });
    return out;
}

} // namespace

std::vector<size_t> parsePositions(std::string_view positions) {
    std::vector<size_t> numbers;
    size_t pos = 0;
    while (pos < positions.size()) {
        if (positions[pos] == ' ') {
            ++pos;
            continue;
        }
        const size_t end = std::min(positions.find(' ', pos), positions.size());
        const std::string word(positions.substr(pos, end - pos));
        if (word.size() > 9 || word.find_first_not_of("0123456789") != std::string::npos)
            throw Failure("Position de champ incorrecte : « " + cp1252ToUtf8(word) + " ».");
        numbers.push_back(std::stoul(word));
        pos = end;
    }
    return numbers;
}

std::string fieldSafe(std::string value) {
    for (char& c : value)
        if (c == ';' || c == '\r' || c == '\n') c = ' ';
    return value;
}

std::string accessTables(const std::string& path) {
    AccessFile file(path);
    checkCatalogue(file);
    std::vector<std::string> names;
    for (auto* entry : file.userTables())
        names.push_back(utf8ToCp1252(entry->object_name));
    return joinNames(names);
}

std::string accessColumns(const std::string& path, const std::string& table) {
    AccessFile file(path);
    OpenTable open(file.table(table));
    std::vector<std::string> names;
    for (size_t i = 0; i < open.columnCount(); ++i)
        names.push_back(utf8ToCp1252(open.column(i)->name));
    return joinNames(names);
}

std::string accessRows(const std::string& path, const std::string& table,
                       const std::string& positions) {
    AccessFile file(path);
    OpenTable open(file.table(table));
    const std::vector<size_t> chosen = parsePositions(positions);
    for (size_t p : chosen)
        if (p >= open.columnCount())
            throw Failure("Position de champ hors limites : " + std::to_string(p) + " (la table " +
                          cp1252ToUtf8(table) + " a " + std::to_string(open.columnCount()) +
                          " champs).");
    if (chosen.empty()) return {};
    return readRows(open, chosen);
}

} // namespace pythrolvane
