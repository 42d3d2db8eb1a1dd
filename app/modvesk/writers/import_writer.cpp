#include "import_writer.h"

#include "files.h"
#include "text.h"

#include <algorithm>
#include <functional>

namespace modvesk {

const std::string& importHeader() {
    static const std::string header =
        ansi("#Nom;Prénom;groupe d'affectation;login actuel;nouveau login;mot de passe;"
             "droits;groupes invités;groupes responsable;serveur mail externe; login mail "
             "externe; mot de passe mail externe");
    return header;
}

std::string importPart(const std::string& entry) {
    const auto bar = entry.find('|');
    return bar == std::string::npos ? entry : entry.substr(0, bar);
}

namespace {

// Creates (or empties) the file with the header line.
void createWithHeader(Session& s, const std::string& name) {
    s.job.bilan.accountFile(name);
    if (!WriteLine(false, s.file(name), importHeader())) s.writeFailed(name);
}

// Appends the text followed by one more CR LF; an empty text writes nothing.
void appendText(Session& s, const std::string& name, const std::string& text) {
    if (text.empty()) return;
    s.job.bilan.accountFile(name);
    if (!WriteLine(true, s.file(name), text)) s.writeFailed(name);
}

// The teacher and pupil texts of a list: every entry's import part with CR LF,
// the list's last entry first. A teacher entry is one that holds ";profs;"
// (case counts); when `dropTeachers` is set teacher entries are left out.
struct SplitTexts {
    std::string teachers, pupils;
};
constexpr std::string_view kTeacherGroup = ";profs;";

SplitTexts splitReversed(const SortedList& list, bool dropTeachers) {
    SplitTexts out;
    static const std::boyer_moore_horspool_searcher teacherGroup(kTeacherGroup.begin(),
                                                                 kTeacherGroup.end());
    list.forEachBackward([&](const std::string& entry) {
        const bool teacher = std::search(entry.begin(), entry.end(), teacherGroup) != entry.end();
        if (teacher && dropTeachers) return;
        std::string& text = teacher ? out.teachers : out.pupils;
        text.append(entry, 0, entry.find('|')); // the import part
        text += CRLF;
    });
    return out;
}

// The comma form: the header into outName, then LstTri2 in list order, teachers
// (",profs,") into PROFS.TXT and the others into outName.
void writeCommaForm(Session& s, const std::string& outName) {
    createWithHeader(s, outName);
    std::string pupils, teachers;
    s.win.LstTri2.forEach([&](const std::string& entry) {
        std::string& text = entry.find(",profs,") != std::string::npos ? teachers : pupils;
        text += entry;
        text += CRLF;
    });
    if (!pupils.empty() && !WriteBytes(s.file(outName), pupils, true)) s.writeFailed(outName);
    if (teachers.empty()) return;
    s.job.bilan.accountFile("PROFS.TXT");
    if (!WriteBytes(s.file("PROFS.TXT"), teachers, true)) s.writeFailed("PROFS.TXT");
}

} // namespace

void WriteImportFiles(Session& s, long& count, const std::string& sourceFile1,
                      const std::string& sourceFile2, bool trainees) {
    s.log(std::string(CRLF) + ansi("Création du fichier des comptes........"));
    const std::string outName = trainees ? "stagiaires.txt" : "eleves.txt";
    if (!FileExists(s.file(sourceFile1)) && !FileExists(s.file(sourceFile2))) return;
    s.job.lastPersonIndex = count - 1;

    if (!s.win.version3) {
        writeCommaForm(s, outName);
        return;
    }

    std::string pupilFile, teacherFile;
    if (s.job.UpdateMode) {
        createWithHeader(s, "ComptesAajouter.txt");
        const SplitTexts added = splitReversed(s.win.lstTri, false);
        appendText(s, "ComptesProfsAajouter.txt", added.teachers);
        appendText(s, "ComptesAajouter.txt", added.pupils);
        pupilFile = "ComptesAmodifier.txt";
        teacherFile = "ComptesProfsAmodifier.txt";
    } else {
        pupilFile = s.job.b2i ? "eleves.txt" : "ComptesAajouter.txt";
        teacherFile = "ComptesProfsAajouter.txt";
    }
    createWithHeader(s, pupilFile);
    const SplitTexts texts = splitReversed(s.win.LstTri2, s.job.b2i);
    appendText(s, teacherFile, texts.teachers);
    appendText(s, pupilFile, texts.pupils);
}

} // namespace modvesk
