// The per-class files: one file per class of the last GEP job, listing its
// pupils with their passwords ("surname,first name,group,password").
#include "writers/class_files.h"

#include "accounts/login.h"
#include "text/files.h"
#include "text/text.h"
#include "writers/import_writer.h"

#include <iterator>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace modvesk {

void remplitClasses(Session& s) {
    s.win.classes.clear();
    // Every class once, compared whole (5E1 is listed after 5E10 too).
    std::unordered_set<std::string> met;
    for (long i = 0; i <= s.job.lastPersonIndex; ++i) {
        const std::string& cls = s.job.personAt(i).text;
        if (!Trim(cls).empty() && met.insert(cls).second) s.win.classes.add(Upper(cls));
    }
    s.ui->redraw();
    s.win.command3Enabled = true;
}

namespace {

// The persons of each stored class, in person order.
using ClassIndex = std::unordered_map<std::string, std::vector<long>>;

ClassIndex indexByClass(Session& s) {
    ClassIndex index;
    for (long i = 0; i <= s.job.lastPersonIndex; ++i)
        index[s.job.personAt(i).text].push_back(i);
    return index;
}

// "surname,first name,group,password", made at its full size: it starts as commas,
// and each part is copied over its place.
std::string classLine(const Person& p, const std::string& group) {
    const std::string_view parts[] = {TrimView(p.surname), TrimView(p.firstName), group,
                                      TrimView(p.password)};
    size_t size = std::size(parts) - 1;
    for (const std::string_view part : parts)
        size += part.size();
    std::string line(size, ',');
    char* at = line.data();
    for (const std::string_view part : parts)
        at += part.copy(at, part.size()) + 1;
    return line;
}

// Writes the file of one class; `index` and `folder`, when given, list the persons
// by class and the files of the directory (otherwise every person and the folder
// itself are looked at).
void saveClass(Session& s, std::string& className, const ClassIndex* index, FolderListing* folder) {
    className = Trim(Lower(className));
    if (className.empty()) return;
    const std::string fileName = className + ".TXT";
    const char* refusal =
        !IsPlainFileName(className) ? "Classe ignorée (nom de fichier impossible) : "
        : IsJobOutputName(fileName) ? "Classe ignorée (nom d'un fichier des comptes) : "
                                    : nullptr;
    if (refusal) {
        s.logLine(ansi(refusal) + className);
        s.writeFailed(fileName);
        return;
    }
    s.win.lstTri.clear();
    s.win.LstTri2.clear();
    const std::string group = GroupOfClass(className);
    size_t lineBytes = 0; // the lines and their CR LF
    auto addPerson = [&](long i) {
        std::string line = classLine(s.job.personAt(i), group);
        lineBytes += line.size() + 2;
        s.win.lstTri.add(std::move(line));
    };
    if (index) {
        const auto found = index->find(className);
        if (found != index->end())
            for (long i : found->second)
                addPerson(i);
    } else {
        for (long i = 0; i <= s.job.lastPersonIndex; ++i)
            if (s.job.personAt(i).text == className) addPerson(i);
    }
    std::string text;
    text.reserve(lineBytes);
    s.win.lstTri.forEach([&](const std::string& line) {
        text += line;
        text += CRLF;
    });
    const FileMode mode = FileMode::Private; // it lists passwords
    if (!(folder ? folder->write(fileName, text, mode) : WriteFileAt(s.file(fileName), text, mode)))
        s.writeFailed(fileName);
    s.ui->refreshFileLists();
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
    saveClass(s, className, nullptr, nullptr);
}

void Command3_Click(Session& s) {
    DeleteFileIfExists(s.file("CLASSES.TXT"));
    s.logLine(ansi("Création des fichiers des comptes pour chaque classe........"));
    const ClassIndex index = indexByClass(s);
    FolderListing folder(s.dir);
    const std::vector<std::string> classes = s.win.classes.items();
    for (std::string name : classes)
        saveClass(s, name, &index, &folder);
}

void save1_Click(Session& s, const std::string& selectedClass) {
    std::string name = selectedClass;
    sauveClasse(s, name);
}

} // namespace modvesk
