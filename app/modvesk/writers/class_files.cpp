// The per-class files: one file per class of the last GEP job, listing its
// pupils with their passwords ("surname,first name,group,password").
#include "writers/class_files.h"

#include "accounts/login.h"
#include "text/files.h"
#include "text/text.h"
#include "writers/import_writer.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace modvesk {

void remplitClasses(Session& s) {
    s.win.classes.clear();
    // Every class once, compared whole (5E1 is listed after 5E10 too); the names
    // are looked at in the persons, which stay put meanwhile.
    std::unordered_set<std::string_view, TextHash> met;
    for (long i = 0; i <= s.job.lastPersonIndex; ++i) {
        const std::string_view cls = s.job.personAt(i).text;
        if (!TrimView(cls).empty() && met.insert(cls).second) s.win.classes.add(Upper(cls));
    }
    s.ui->redraw();
    s.win.command3Enabled = true;
}

namespace {

// The persons of each stored class, in person order: the first and last person
// of each class, and after each person the next one of his class (-1 after the
// last). The classes are views into the persons, which stay put meanwhile.
struct ClassIndex {
    std::unordered_map<std::string_view, std::pair<long, long>, TextHash> ends;
    std::vector<long> next;
};

ClassIndex indexByClass(Session& s) {
    ClassIndex index;
    const long count = s.job.lastPersonIndex + 1;
    index.next.assign(static_cast<size_t>(std::max(count, 0L)), -1);
    for (long i = 0; i < count; ++i) {
        const auto [at, fresh] = index.ends.try_emplace(s.job.personAt(i).text, i, i);
        if (!fresh) index.next[static_cast<size_t>(std::exchange(at->second.second, i))] = i;
    }
    return index;
}

// Appends "surname,first name,group,password".
void appendClassLine(std::string& out, const Person& p, const std::string& group) {
    out += TrimView(p.surname);
    out += ',';
    out += TrimView(p.firstName);
    out += ',';
    out += group;
    out += ',';
    out += TrimView(p.password);
}

// The lines of the class being written, reused from class to class: after a
// class is written they still hold its lines, for the account lists.
struct ClassLines {
    std::string bytes;                         // the lines one after the other
    std::vector<std::pair<size_t, size_t>> at; // start and size of each, in person order
    std::vector<std::string_view> sorted;      // into bytes, in list order
    std::string text;                          // the file
    std::vector<long> persons;                 // the class's persons, in person order
};

// Makes the class file's text: its persons' lines in list order, each ended by CR LF.
void makeClassText(Session& s, const std::string& className, const std::string& group,
                   const ClassIndex* index, ClassLines& lines) {
    lines.bytes.clear();
    lines.at.clear();
    auto addPerson = [&](long i) {
        const size_t start = lines.bytes.size();
        appendClassLine(lines.bytes, s.job.personAt(i), group);
        lines.at.emplace_back(start, lines.bytes.size() - start);
    };
    if (index) {
        // The persons of a class lie apart in the table: those a little ahead in
        // the class are fetched while one is written, their records first, then
        // the texts the records tell.
        lines.persons.clear();
        const auto found = index->ends.find(className);
        if (found != index->ends.end())
            for (long i = found->second.first; i >= 0; i = index->next[static_cast<size_t>(i)])
                lines.persons.push_back(i);
        constexpr size_t kRecordsAhead = 8, kTextsAhead = 4;
        const auto ahead = [&](size_t k, size_t by) {
            return static_cast<size_t>(lines.persons[std::min(k + by, lines.persons.size() - 1)]);
        };
        for (size_t k = 0; k < lines.persons.size(); ++k) {
            s.job.persons.prefetchRecord(ahead(k, kRecordsAhead));
            s.job.persons.prefetchTexts(ahead(k, kTextsAhead));
            addPerson(lines.persons[k]);
        }
    } else {
        for (long i = 0; i <= s.job.lastPersonIndex; ++i)
            if (s.job.personAt(i).text == className) addPerson(i);
    }
    lines.sorted.clear();
    for (const auto& [start, size] : lines.at)
        lines.sorted.push_back(std::string_view(lines.bytes).substr(start, size));
    SortedList::sortEntries(lines.sorted);
    lines.text.clear();
    lines.text.reserve(lines.bytes.size() + 2 * lines.at.size());
    for (const std::string_view line : lines.sorted) {
        lines.text += line;
        lines.text += CRLF;
    }
}

// The account lists hold the lines of the last class written.
void keepInLists(Session& s, const ClassLines& lines) {
    s.win.lstTri.clear();
    s.win.LstTri2.clear();
    for (const auto& [start, size] : lines.at)
        s.win.lstTri.add(lines.bytes.substr(start, size));
}

// Writes the file of one class and tells whether it was tried (false when its name
// is refused); `index` and `folder`, when given, list the persons by class and the
// files of the directory (otherwise every person and the folder itself are looked at).
bool saveClass(Session& s, std::string& className, const ClassIndex* index, FolderListing* folder,
               ClassLines& lines) {
    className = Trim(Lower(className));
    if (className.empty()) return false;
    const std::string fileName = className + ".TXT";
    const char* refusal =
        !IsPlainFileName(className) ? "Classe ignorée (nom de fichier impossible) : "
        : IsJobOutputName(fileName) ? "Classe ignorée (nom d'un fichier des comptes) : "
                                    : nullptr;
    if (refusal) {
        s.logLine(ansi(refusal) + className);
        s.writeFailed(fileName);
        return false;
    }
    makeClassText(s, className, GroupOfClass(className), index, lines);
    const FileMode mode = FileMode::Private; // it lists passwords
    if (!(folder ? folder->write(fileName, lines.text, mode)
                 : WriteFileAt(s.file(fileName), lines.text, mode)))
        s.writeFailed(fileName);
    s.ui->refreshFileLists();
    return true;
}

} // namespace

bool IsJobOutputName(const std::string& fileName) {
    static const std::unordered_set<std::string> names = [] {
        std::unordered_set<std::string> lower;
        for (const auto& output : lastRunOutputs())
            lower.insert(Lower(output));
        for (const char* more : {"stagiaires.txt", "ComptesProfsResponsablesAModifier.txt"})
            lower.insert(Lower(more));
        return lower;
    }();
    return names.contains(Lower(fileName));
}

void sauveClasse(Session& s, std::string& className) {
    ClassLines lines;
    if (saveClass(s, className, nullptr, nullptr, lines)) keepInLists(s, lines);
}

void Command3_Click(Session& s) {
    DeleteFileIfExists(s.file("CLASSES.TXT"));
    s.logLine(ansi("Création des fichiers des comptes pour chaque classe........"));
    const ClassIndex index = indexByClass(s);
    FolderListing folder(s.dir);
    const std::vector<std::string> classes = s.win.classes.items();
    ClassLines lines;
    bool written = false;
    for (std::string name : classes)
        written = saveClass(s, name, &index, &folder, lines) || written;
    if (written) keepInLists(s, lines);
}

void save1_Click(Session& s, const std::string& selectedClass) {
    std::string name = selectedClass;
    sauveClasse(s, name);
}

} // namespace modvesk
