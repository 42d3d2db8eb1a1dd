#include "sources/account_rows.h"

#include "text/files.h"
#include "text/text.h"

#include <algorithm>
#include <string_view>

namespace modvesk {

const char* actionName(AccountAction action) {
    switch (action) {
    case AccountAction::Creation:
        return "création";
    case AccountAction::Modification:
        return "modification";
    case AccountAction::Suppression:
        return "suppression";
    case AccountAction::Responsabilites:
        return "responsabilités";
    }
    return "";
}

const std::vector<AccountFile>& accountFiles() {
    static const std::vector<AccountFile> files = {
        {"ComptesAajouter.txt", AccountAction::Creation},
        {"ComptesProfsAajouter.txt", AccountAction::Creation},
        {"eleves.txt", AccountAction::Creation},
        {"ComptesAmodifier.txt", AccountAction::Modification},
        {"ComptesProfsAmodifier.txt", AccountAction::Modification},
        {"comptesAsupprimer.txt", AccountAction::Suppression},
        {"ComptesProfsASupprimer.txt", AccountAction::Suppression},
        {"ComptesProfsResponsablesAModifier.txt", AccountAction::Responsabilites},
    };
    return files;
}

namespace {

// Field n (from 1) of a ";" line, as it stands: the server reads the fields unpadded.
std::string field(const std::vector<std::string>& fields, size_t n) {
    return n <= fields.size() ? fields[n - 1] : std::string();
}

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t from = 0;
    for (size_t p; (p = line.find(';', from)) != std::string::npos; from = p + 1)
        fields.push_back(line.substr(from, p - from));
    fields.push_back(line.substr(from));
    return fields;
}

void readFile(const fs::path& path, AccountAction action, std::vector<AccountRow>& rows) {
    std::string bytes;
    if (!ReadAll(path, bytes)) return;
    const std::string name = path.filename().string();
    long number = 0;
    forEachLine(bytes, [&](const std::string& line) {
        ++number;
        if (line.empty() || line[0] == '#') return;
        const std::vector<std::string> f = splitFields(line);
        rows.push_back(AccountRow{action, field(f, 1), field(f, 2), field(f, 3), field(f, 4),
                                  field(f, 5), field(f, 6), field(f, 9), name, number});
    });
}

} // namespace

std::vector<AccountRow> readAccountRows(const fs::path& dir) {
    std::vector<AccountRow> rows;
    std::vector<fs::path> seen;
    for (const auto& file : accountFiles()) {
        const fs::path path = resolveName(dir, file.name);
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) continue;
        bool again = false;
        for (const auto& known : seen)
            again = again || fs::equivalent(known, path, ec);
        if (again) continue; // two spellings of one file on a case-blind file system
        seen.push_back(path);
        readFile(path, file.action, rows);
    }
    return rows;
}

std::array<long, kAccountActions> countByAction(const std::vector<AccountRow>& rows) {
    std::array<long, kAccountActions> counts{};
    for (const auto& row : rows)
        ++counts[static_cast<size_t>(row.action)];
    return counts;
}

const std::vector<std::string>& accountColumns() {
    static const std::vector<std::string> columns = {
        "action",       "nom",           "prénom",       "groupe",
        "ancien login", "nouveau login", "mot de passe", "groupes responsables",
        "fichier",      "ligne"};
    return columns;
}

std::string accountCell(const AccountRow& row, int column) {
    switch (column) {
    case 0:
        return actionName(row.action);
    case 1:
        return utf8(row.nom);
    case 2:
        return utf8(row.prenom);
    case 3:
        return utf8(row.groupe);
    case 4:
        return utf8(row.ancienLogin);
    case 5:
        return utf8(row.nouveauLogin);
    case 6:
        return utf8(row.motDePasse);
    case 7:
        return utf8(row.groupesResponsables);
    case 8:
        return utf8(row.file);
    case 9:
        return Str(row.line);
    }
    return "";
}

namespace {

// Characters of a UTF-8 text (the bytes that do not continue a sequence).
size_t width(std::string_view text) {
    size_t n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80;
    return n;
}

// A cell of the table: a text wider than kCellWidth characters is cut to
// kCellWidth - 1 of them and "…", so that one long field does not widen every line.
constexpr size_t kCellWidth = 60;
std::string tableCell(std::string text) {
    size_t chars = 0;
    for (size_t at = 0; at < text.size(); ++at)
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && ++chars == kCellWidth) {
            if (width(std::string_view(text).substr(at)) > 1) text = text.substr(0, at) + "…";
            break;
        }
    return text;
}

std::string countsLine(const std::vector<AccountRow>& rows) {
    const auto counts = countByAction(rows);
    std::string text;
    for (int a = 0; a < kAccountActions; ++a) {
        if (a > 0) text += ", ";
        text += std::string(actionName(static_cast<AccountAction>(a))) + " : " +
                Str(counts[static_cast<size_t>(a)]);
    }
    return text;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    return "\"" + ReplaceAll(text, "\"", "\"\"") + "\"";
}

} // namespace

std::string accountTableText(const std::vector<AccountRow>& rows) {
    const auto& columns = accountColumns();
    const int n = static_cast<int>(columns.size());
    std::vector<std::vector<std::string>> cells{columns};
    for (const auto& row : rows) {
        cells.emplace_back();
        for (int c = 0; c < n; ++c)
            cells.back().push_back(tableCell(accountCell(row, c)));
    }
    std::vector<size_t> widths(columns.size(), 0);
    for (const auto& line : cells)
        for (size_t c = 0; c < line.size(); ++c)
            widths[c] = std::max(widths[c], width(line[c]));
    std::string text = "Comptes : " + countsLine(rows) + "\n";
    for (const auto& line : cells) {
        std::string out;
        for (size_t c = 0; c < line.size(); ++c) {
            out += line[c];
            if (c + 1 < line.size()) out += std::string(widths[c] - width(line[c]) + 2, ' ');
        }
        text += RTrim(out) + "\n";
    }
    return text;
}

std::string accountCsv(const std::vector<AccountRow>& rows) {
    const auto& columns = accountColumns();
    std::string text;
    for (size_t c = 0; c < columns.size(); ++c)
        text += (c ? "," : "") + csvField(columns[c]);
    text += "\r\n";
    for (const auto& row : rows) {
        for (size_t c = 0; c < columns.size(); ++c)
            text += (c ? "," : "") + csvField(accountCell(row, static_cast<int>(c)));
        text += "\r\n";
    }
    return text;
}

} // namespace modvesk
