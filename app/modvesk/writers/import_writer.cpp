#include "writers/import_writer.h"

#include "text/files.h"
#include "text/text.h"

#include <cstring>
#include <deque>
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

// The import files of one call, each written whole (WholeFile) as its texts come
// and put in place at the end, in the order of their first texts: a file is
// either written whole or left as it was. A file begun with the header replaces
// the old one; a file given texts only goes on after what it holds.
class ImportFiles {
  public:
    explicit ImportFiles(Session& s) : s_(s) {}
    // Puts every file in place; a file not written is recorded (writeFailed).
    void write() {
        for (File& f : files_)
            if (!f.file.close()) s_.writeFailed(f.name);
        files_.clear();
    }

    // Begins the file, new to this call, with the header line.
    WholeFile& createWithHeader(const std::string& name, FileMode mode) {
        WholeFile& f = open(name, mode, false);
        f.add(importHeader());
        f.add(CRLF);
        return f;
    }
    // The file of that name, opened at its first text (a file given no text is
    // neither written nor counted in the Bilan).
    WholeFile& open(const std::string& name, FileMode mode, bool append = true) {
        s_.job.bilan.accountFile(name);
        for (File& f : files_)
            if (Lower(f.name) == Lower(name)) return f.file;
        return files_.emplace_back(name, s_.file(name), append, mode).file;
    }

  private:
    struct File {
        File(const std::string& name, const fs::path& path, bool append, FileMode mode)
            : name(name), file(path, append, mode) {}
        std::string name;
        WholeFile file;
    };
    Session& s_;
    std::deque<File> files_;
};

// Whether the entry's group, its third `sep`-separated field, is the teachers'
// "profs" (case counts). Only the group says so: a pupil whose password or name
// reads "profs" stays a pupil.
bool isTeacherEntry(std::string_view entry, char sep) {
    const size_t first = FindByte(entry, sep);
    const size_t second = first == std::string_view::npos ? first : FindByte(entry, sep, first + 1);
    if (second == std::string_view::npos) return false;
    constexpr std::string_view kTeachers = "profs";
    const std::string_view group = entry.substr(second + 1);
    return group.size() > kTeachers.size() && group.starts_with(kTeachers) &&
           group[kTeachers.size()] == sep;
}

// Writes every entry's import part with CR LF, the list's last entry first:
// teachers to teacherFile (left out when it is ""), the others to pupilFile
// (begun already); each file that took an entry then takes an empty line.
void writeReversed(ImportFiles& files, const SortedList& list, const std::string& pupilFile,
                   const std::string& teacherFile, FileMode mode) {
    WholeFile *pupils = nullptr, *teachers = nullptr;
    list.forEachBackward([&](std::string_view entry) {
        const bool teacher = isTeacherEntry(entry, ';');
        if (teacher && teacherFile.empty()) return;
        WholeFile*& file = teacher ? teachers : pupils;
        if (!file) file = &files.open(teacher ? teacherFile : pupilFile, mode);
        file->add(entry.substr(0, FindByte(entry, '|'))); // the import part
        file->add(CRLF);
    });
    for (WholeFile* file : {teachers, pupils})
        if (file) file->add(CRLF);
}

// The comma form: the header into outName, then LstTri2 in list order, teachers
// (group "profs") into PROFS.TXT and the others into outName.
void writeCommaForm(Session& s, const std::string& outName) {
    ImportFiles files(s);
    WholeFile& pupils = files.createWithHeader(outName, kNewAccounts);
    WholeFile* teachers = nullptr;
    s.win.LstTri2.forEach([&](std::string_view entry) {
        WholeFile* file = &pupils;
        if (isTeacherEntry(entry, ',')) {
            if (!teachers) teachers = &files.open("PROFS.TXT", kNewAccounts);
            file = teachers;
        }
        file->add(entry);
        file->add(CRLF);
    });
    files.write();
}

} // namespace

void WriteImportFiles(Session& s, long& count, const std::string& sourceFile1,
                      const std::string& sourceFile2, bool trainees) {
    s.logLine(ansi("Création du fichier des comptes........"));
    const std::string outName = trainees ? "stagiaires.txt" : "eleves.txt";
    if (!FileExists(s.file(sourceFile1)) && !FileExists(s.file(sourceFile2))) return;
    s.job.lastPersonIndex = count - 1;

    if (!s.win.version3) {
        writeCommaForm(s, outName);
        return;
    }

    ImportFiles files(s);
    std::string pupilFile, teacherFile;
    FileMode mode = kNewAccounts;
    if (s.job.UpdateMode) {
        files.createWithHeader("ComptesAajouter.txt", kNewAccounts);
        writeReversed(files, s.win.lstTri, "ComptesAajouter.txt", "ComptesProfsAajouter.txt",
                      kNewAccounts);
        pupilFile = "ComptesAmodifier.txt";
        teacherFile = "ComptesProfsAmodifier.txt";
        mode = kKnownAccounts;
    } else {
        pupilFile = s.job.b2i ? "eleves.txt" : "ComptesAajouter.txt";
        teacherFile = s.job.b2i ? "" : "ComptesProfsAajouter.txt"; // B2I: pupils alone
    }
    files.createWithHeader(pupilFile, mode);
    writeReversed(files, s.win.LstTri2, pupilFile, teacherFile, mode);
    files.write();
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
