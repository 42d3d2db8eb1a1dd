#include "bilan.h"

#include "files.h"
#include "model.h"
#include "text.h"

namespace modvesk {

namespace {

constexpr size_t kRowsShown = 20;

bool sameName(const std::string& a, const std::string& b) {
    return Lower(a) == Lower(b);
}

// "1 compte", "37 comptes": the noun and the words after it take an "s" from 2 on.
std::string counted(long n, const std::string& one, const std::string& many) {
    return Str(n) + " " + (n == 1 ? one : many);
}

void line(std::string& text, const std::string& utf8Text) {
    text += CRLF;
    text += ansi(utf8Text);
}

void addSource(std::string& text, const Bilan::Source& src) {
    const long n = static_cast<long>(src.rows.size());
    const std::string unit = !src.unit.empty() ? src.unit : src.table ? "enregistrement" : "ligne";
    text += std::string(CRLF) + src.name +
            ansi(" : " + counted(n, unit + " sans compte", unit + "s sans compte"));
    for (size_t i = 0; i < src.rows.size() && i < kRowsShown; ++i) {
        const Bilan::Row& row = src.rows[i];
        const std::string key = src.unit.empty() ? Str(row.number) : row.key;
        text += std::string(CRLF) + ansi("  " + unit + " ") + key + " : " + row.reason;
    }
    if (src.rows.size() > kRowsShown)
        line(text, "  … et " + Str(n - static_cast<long>(kRowsShown)) + " autres");
}

} // namespace

void Bilan::accountFile(const std::string& name) {
    for (const auto& known : accountFiles)
        if (sameName(known, name)) return;
    accountFiles.push_back(name);
}

void Bilan::rowWithoutAccount(const std::string& source, bool table, long number,
                              const std::string& reason) {
    if (sources.empty() || !sameName(sources.back().name, source))
        sources.push_back(Source{source, table, {}, ""});
    sources.back().rows.push_back(Row{number, reason, ""});
}

void Bilan::personWithoutAccount(const std::string& source, const std::string& unit,
                                 const std::string& key, const std::string& reason) {
    if (sources.empty() || !sameName(sources.back().name, source) || sources.back().unit != unit)
        sources.push_back(Source{source, false, {}, unit});
    sources.back().rows.push_back(
        Row{static_cast<long>(sources.back().rows.size()) + 1, reason, key});
}

void Bilan::refuseTable(const std::string& name, const std::string& reason) {
    refusedTables.push_back(Refused{name, reason});
}

long countAccounts(const std::string& bytes) {
    long n = 0;
    std::string_view line;
    for (size_t pos = 0; NextLineView(bytes, pos, line);)
        if (!line.empty() && line[0] != '#') ++n;
    return n;
}

std::string bilanText(const Session& s) {
    const Bilan& b = s.job.bilan;
    std::string text = "Bilan :";
    for (const auto& name : b.accountFiles) {
        std::string bytes;
        if (!ReadAll(s.file(name), bytes)) continue;
        const long n = countAccounts(bytes);
        if (n > 0) text += std::string(CRLF) + name + ansi(" : " + counted(n, "compte", "comptes"));
    }
    if (b.doublons > 0)
        line(text,
             "doublons.txt : " + counted(b.doublons, "homonyme numéroté", "homonymes numérotés"));
    if (b.troncatures > 0)
        line(text, "troncatures.txt : " + counted(b.troncatures, "login de plus de 20 caractères",
                                                  "logins de plus de 20 caractères"));
    for (const auto& src : b.sources)
        addSource(text, src);
    for (const auto& t : b.refusedTables)
        text += std::string(CRLF) + ansi("Table ") + t.name + ansi(" ignorée : ") + t.reason;
    for (const auto& name : s.job.writeErrors)
        text += std::string(CRLF) + ansi("Fichier non écrit : ") + name;
    return text;
}

void logBilan(Session& s) {
    s.log(std::string(CRLF) + bilanText(s));
}

} // namespace modvesk
