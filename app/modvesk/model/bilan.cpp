#include "model/bilan.h"

#include "model/model.h"
#include "text/files.h"
#include "text/text.h"

#include <algorithm>
#include <cstring>

namespace modvesk {

namespace {

constexpr size_t kRowsShown = 20;

bool sameName(const std::string& a, const std::string& b) {
    return Lower(a) == Lower(b);
}

// Whether the job failed to write the file: it holds nothing of this job.
bool notWritten(const Session& s, const std::string& name) {
    for (const auto& failed : s.job.writeErrors)
        if (sameName(failed, name)) return true;
    return false;
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
    text +=
        std::string(CRLF) +
        fileText("", src.name, " : " + counted(n, unit + " sans compte", unit + "s sans compte"));
    for (size_t i = 0; i < src.rows.size() && i < kRowsShown; ++i) {
        const Bilan::Row& row = src.rows[i];
        const std::string key = src.unit.empty() ? Str(row.number) : row.key;
        text += std::string(CRLF) + ansi("  " + unit + " ") + key + " : " + row.reason;
    }
    if (src.rows.size() > kRowsShown)
        line(text, "  … et " + Str(n - static_cast<long>(kRowsShown)) + " autres");
}

// A heading with its count (UTF-8), then at most kRowsShown of the rows
// (Windows-1252), each on a line of its own after two blanks.
void addRows(std::string& text, const std::string& heading, const std::vector<std::string>& rows) {
    if (rows.empty()) return;
    line(text, heading + " : " + Str(static_cast<long>(rows.size())));
    for (size_t i = 0; i < rows.size() && i < kRowsShown; ++i)
        text += std::string(CRLF) + "  " + rows[i];
    if (rows.size() > kRowsShown)
        line(text, "  … et " + Str(static_cast<long>(rows.size() - kRowsShown)) + " autres");
}

// What identity mode did: accounts found by their identifier under another
// name, identifiers that name no single account, names refused to a pupil.
void addIdentity(std::string& text, const Session& s) {
    const Bilan& b = s.job.bilan;
    const std::string id = ansi("identifiant ");
    std::vector<std::string> rows;
    for (const auto& r : b.recognised)
        rows.push_back(id + r.identifier + " : " + r.oldName + " -> " + r.newName + ", login " +
                       r.login + ansi(" gardé"));
    addRows(text, "Comptes reconnus par leur identifiant malgré un changement de nom", rows);
    rows.clear();
    for (const auto& [identifier, count] : s.job.serverAccounts.sharedIdentifiers())
        rows.push_back(id + identifier + " : " + Str(static_cast<long>(count)) +
                       ansi(" comptes, élève cherché par son nom"));
    addRows(text, "Identifiants portés par plusieurs comptes du fichier EXPORT", rows);
    rows.clear();
    for (const auto& r : b.nameRefused)
        rows.push_back(id + r.identifier + " : " + r.name + ansi(", nouveau compte (le compte ") +
                       r.login + ansi(" porte l'identifiant ") + r.otherIdentifier + ")");
    addRows(text, "Élèves à qui le compte de leur nom a été refusé (autre identifiant)", rows);
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

void Bilan::sourceKept(const std::string& name) {
    for (const auto& known : keptSources)
        if (sameName(known, name)) return;
    keptSources.push_back(name);
}

// Lines cut as NextLineView cuts them: one starts at the first byte, after each
// LF, and after each CR that no LF follows. A line is an account when its first
// byte is none of "#", CR and LF; so an account starts at every such byte that
// begins the text or follows a CR or an LF. The bytes are looked at sixteen at a
// time, a line's start being the byte after a line end.
void AccountLines::add(std::string_view block) {
    const ByteMarks cr('\r'), lf('\n'), hash('#');
    for (size_t at = 0; at < block.size(); at += ByteMarks::kBlock) {
        const size_t n = std::min(ByteMarks::kBlock, block.size() - at);
        const uint32_t ends = cr.from(block, at) | lf.from(block, at);
        // Bit i: byte i begins a line (it is the first byte, or follows a CR or LF).
        const uint32_t starts = ends << 1 | uint32_t{lineStarts_};
        const uint32_t accounts = starts & ~(ends | hash.from(block, at)) & ((1u << n) - 1);
        count_ += CountMarks(accounts);
        lineStarts_ = (ends >> (n - 1) & 1) != 0;
    }
}

long countAccounts(std::string_view bytes) {
    AccountLines lines;
    lines.add(bytes);
    return lines.count();
}

std::string bilanText(const Session& s) {
    const Bilan& b = s.job.bilan;
    std::string text = "Bilan :";
    for (const auto& name : b.accountFiles) {
        // Read back a block at a time: the file is not held whole beside the job's data.
        AccountLines lines;
        if (notWritten(s, name) ||
            !ReadInBlocks(s.file(name), [&lines](std::string_view block) { lines.add(block); }))
            continue;
        const long n = lines.count();
        if (n > 0)
            text += std::string(CRLF) + fileText("", name, " : " + counted(n, "compte", "comptes"));
    }
    if (b.doublons > 0 && !notWritten(s, "doublons.txt"))
        line(text,
             "doublons.txt : " + counted(b.doublons, "homonyme numéroté", "homonymes numérotés"));
    if (b.troncatures > 0 && !notWritten(s, "troncatures.txt"))
        line(text, "troncatures.txt : " + counted(b.troncatures, "login de plus de 20 caractères",
                                                  "logins de plus de 20 caractères"));
    addIdentity(text, s);
    for (const auto& src : b.sources)
        addSource(text, src);
    for (const auto& t : b.refusedTables)
        text += std::string(CRLF) + fileText("Table ", t.name, " ignorée : ") + t.reason;
    for (const auto& name : b.keptSources)
        text +=
            std::string(CRLF) +
            fileText("", name, " non réécrit : un caractère n'a pas pu être lu en Windows-1252.");
    for (const auto& name : s.job.writeErrors)
        text += std::string(CRLF) + fileText("Fichier non écrit : ", name);
    if (text == "Bilan :" && !b.noSource.empty()) text += std::string(CRLF) + b.noSource;
    return text;
}

void logBilan(Session& s) {
    s.logLine(bilanText(s));
}

} // namespace modvesk
