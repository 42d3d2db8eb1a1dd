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

// The import files of one call, each gathered whole in memory and written once
// at the end, in the order of their first texts: a file is either written whole
// or left as it was. A file begun with the header replaces the old one; a file
// given texts only goes on after what it holds.
class ImportFiles {
  public:
    explicit ImportFiles(Session& s) : s_(s) {}
    ImportFiles(const ImportFiles&) = delete;
    ImportFiles& operator=(const ImportFiles&) = delete;
    // Writes every file; a file not written is recorded (writeFailed).
    void write() {
        for (const File& f : files_)
            if (!WriteBytes(s_.file(f.name), f.text, !f.header, f.mode)) s_.writeFailed(f.name);
        files_.clear();
    }

    // Begins the file with the header line.
    void createWithHeader(const std::string& name, FileMode mode) {
        File& f = file(name, mode);
        f.header = true;
        f.text = importHeader();
        f.text += CRLF;
    }
    // Appends the text and `end`; an empty text adds nothing.
    void append(const std::string& name, std::string&& text, FileMode mode,
                std::string_view end = {}) {
        if (text.empty()) return;
        File& f = file(name, mode);
        if (f.text.empty())
            f.text = std::move(text);
        else
            f.text += text;
        f.text += end;
    }

  private:
    struct File {
        std::string name;
        FileMode mode;
        bool header = false;
        std::string text;
    };
    File& file(const std::string& name, FileMode mode) {
        s_.job.bilan.accountFile(name);
        for (File& f : files_)
            if (Lower(f.name) == Lower(name)) return f;
        files_.push_back(File{name, mode, false, ""});
        return files_.back();
    }
    Session& s_;
    std::vector<File> files_;
};

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
    ImportFiles files(s);
    files.createWithHeader(outName, kNewAccounts);
    std::string pupils, teachers;
    s.win.LstTri2.forEach([&](const std::string& entry) {
        std::string& text = isTeacherEntry(entry, ',') ? teachers : pupils;
        text += entry;
        text += CRLF;
    });
    files.append(outName, std::move(pupils), kNewAccounts);
    files.append("PROFS.TXT", std::move(teachers), kNewAccounts);
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
        SplitTexts added = splitReversed(s.win.lstTri, false);
        files.append("ComptesProfsAajouter.txt", std::move(added.teachers), kNewAccounts, CRLF);
        files.append("ComptesAajouter.txt", std::move(added.pupils), kNewAccounts, CRLF);
        pupilFile = "ComptesAmodifier.txt";
        teacherFile = "ComptesProfsAmodifier.txt";
        mode = kKnownAccounts;
    } else {
        pupilFile = s.job.b2i ? "eleves.txt" : "ComptesAajouter.txt";
        teacherFile = "ComptesProfsAajouter.txt";
    }
    files.createWithHeader(pupilFile, mode);
    SplitTexts texts = splitReversed(s.win.LstTri2, s.job.b2i);
    files.append(teacherFile, std::move(texts.teachers), mode, CRLF);
    files.append(pupilFile, std::move(texts.pupils), mode, CRLF);
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
