#include "writers/import_writer.h"

#include "text/files.h"
#include "text/text.h"

#include <string_view>

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

// The files of new accounts hold their passwords: they are private to their
// owner. The files of the accounts the server has hold none.
constexpr FileMode kNewAccounts = FileMode::Private, kKnownAccounts = FileMode::Shared;

// Creates (or empties) the file with the header line.
void createWithHeader(Session& s, const std::string& name, FileMode mode) {
    s.job.bilan.accountFile(name);
    if (!WriteLine(false, s.file(name), importHeader(), mode)) s.writeFailed(name);
}

// Appends the text followed by one more CR LF; an empty text writes nothing.
void appendText(Session& s, const std::string& name, const std::string& text, FileMode mode) {
    if (text.empty()) return;
    s.job.bilan.accountFile(name);
    if (!WriteLine(true, s.file(name), text, mode)) s.writeFailed(name);
}

// Whether the entry's group, its third `sep`-separated field, is the teachers'
// "profs" (case counts). Only the group says so: a pupil whose password or name
// reads "profs" stays a pupil.
bool isTeacherEntry(std::string_view entry, char sep) {
    size_t from = 0;
    for (int field = 1; field < 3; ++field) {
        from = entry.find(sep, from);
        if (from == std::string_view::npos) return false;
        ++from;
    }
    const size_t end = entry.find(sep, from);
    return end != std::string_view::npos && entry.substr(from, end - from) == "profs";
}

// The teacher and pupil texts of a list: every entry's import part with CR LF,
// the list's last entry first; when `dropTeachers` is set teacher entries are
// left out.
struct SplitTexts {
    std::string teachers, pupils;
};

SplitTexts splitReversed(const SortedList& list, bool dropTeachers) {
    SplitTexts out;
    list.forEachBackward([&](const std::string& entry) {
        const bool teacher = isTeacherEntry(entry, ';');
        if (teacher && dropTeachers) return;
        std::string& text = teacher ? out.teachers : out.pupils;
        text.append(entry, 0, entry.find('|')); // the import part
        text += CRLF;
    });
    return out;
}

// The comma form: the header into outName, then LstTri2 in list order, teachers
// (group "profs") into PROFS.TXT and the others into outName.
void writeCommaForm(Session& s, const std::string& outName) {
    createWithHeader(s, outName, kNewAccounts);
    std::string pupils, teachers;
    s.win.LstTri2.forEach([&](const std::string& entry) {
        std::string& text = isTeacherEntry(entry, ',') ? teachers : pupils;
        text += entry;
        text += CRLF;
    });
    if (!pupils.empty() && !WriteBytes(s.file(outName), pupils, true, kNewAccounts))
        s.writeFailed(outName);
    if (teachers.empty()) return;
    s.job.bilan.accountFile("PROFS.TXT");
    if (!WriteBytes(s.file("PROFS.TXT"), teachers, true, kNewAccounts)) s.writeFailed("PROFS.TXT");
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
    FileMode mode = kNewAccounts;
    if (s.job.UpdateMode) {
        createWithHeader(s, "ComptesAajouter.txt", kNewAccounts);
        const SplitTexts added = splitReversed(s.win.lstTri, false);
        appendText(s, "ComptesProfsAajouter.txt", added.teachers, kNewAccounts);
        appendText(s, "ComptesAajouter.txt", added.pupils, kNewAccounts);
        pupilFile = "ComptesAmodifier.txt";
        teacherFile = "ComptesProfsAmodifier.txt";
        mode = kKnownAccounts;
    } else {
        pupilFile = s.job.b2i ? "eleves.txt" : "ComptesAajouter.txt";
        teacherFile = "ComptesProfsAajouter.txt";
    }
    createWithHeader(s, pupilFile, mode);
    const SplitTexts texts = splitReversed(s.win.LstTri2, s.job.b2i);
    appendText(s, teacherFile, texts.teachers, mode);
    appendText(s, pupilFile, texts.pupils, mode);
}

const std::vector<std::string>& lastRunOutputs() {
    static const std::vector<std::string> names = {"doublons.txt",
                                                   "troncatures.txt",
                                                   "groupes.txt",
                                                   "eleves.txt",
                                                   "profs.txt",
                                                   "comptesAsupprimer.txt",
                                                   "comptesAmodifier.txt",
                                                   "comptesAajouter.txt",
                                                   "comptesprofsAsupprimer.txt",
                                                   "comptesprofsAmodifier.txt",
                                                   "comptesprofsAajouter.txt",
                                                   "identifiantgep.txt",
                                                   "description_comptes.txt"};
    return names;
}

} // namespace modvesk
