// The per-class files: one file per class of the last GEP job, listing its
// pupils with their passwords ("surname,first name,group,password").
#include "files.h"
#include "jobs.h"
#include "text.h"

#include <unordered_map>

namespace modvesk {

namespace {

// The persons of each stored class, in person order.
using ClassIndex = std::unordered_map<std::string, std::vector<long>>;

ClassIndex indexByClass(Session& s) {
    ClassIndex index;
    for (long i = 0; i <= s.job.lastPersonIndex; ++i) index[s.job.person(i).text].push_back(i);
    return index;
}

std::string classLine(const Person& p, const std::string& group) {
    return Trim(p.surname) + "," + Trim(p.firstName) + "," + group + "," + Trim(p.password);
}

// Writes the file of one class; `index`, when given, lists the persons by class
// (otherwise every person is looked at).
void saveClass(Session& s, std::string& className, const ClassIndex* index) {
    className = Trim(Lower(className));
    if (className.empty()) return;
    if (!IsPlainFileName(className)) {
        s.log(std::string(CRLF) + ansi("Classe ignorée (nom de fichier impossible) : ") +
              className);
        return;
    }
    const std::string fileName = className + ".TXT";
    DeleteFileIfExists(s.file(fileName));
    s.win.lstTri.clear();
    s.win.LstTri2.clear();
    const std::string group = StartsWithDigit(className) ? "c" + className : className;
    auto addPerson = [&](long i) { s.win.lstTri.add(classLine(s.job.person(i), group)); };
    if (index) {
        const auto found = index->find(className);
        if (found != index->end())
            for (long i : found->second) addPerson(i);
    } else {
        for (long i = 0; i <= s.job.lastPersonIndex; ++i)
            if (s.job.person(i).text == className) addPerson(i);
    }
    std::string text;
    s.win.lstTri.forEach([&](const std::string& line) {
        text += line;
        text += CRLF;
    });
    if (!WriteBytes(s.file(fileName), text, true)) s.writeFailed(fileName);
    s.ui->refreshFileLists();
}

} // namespace

void sauveClasse(Session& s, std::string& className) { saveClass(s, className, nullptr); }

void Command3_Click(Session& s) {
    DeleteFileIfExists(s.file("CLASSES.TXT"));
    s.log(std::string(CRLF) +
          ansi("Création des fichiers des comptes pour chaque classe........"));
    const ClassIndex index = indexByClass(s);
    const std::vector<std::string> classes = s.win.classes.items();
    for (std::string name : classes) saveClass(s, name, &index);
}

void save1_Click(Session& s, const std::string& selectedClass) {
    std::string name = selectedClass;
    sauveClasse(s, name);
}

} // namespace modvesk
