// The "Bilan" of a job: what it wrote and what it refused, in numbers. The job
// fills it as it goes; one function writes it at the end of the log box, and the
// windows may read it as data. Files are held by the system's names (UTF-8);
// the Bilan text shows them as shownName does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace modvesk {

struct Session;

struct Bilan {
    // An account file the job wrote, by the name it gave it, in the order of the
    // first write. Its accounts are counted on disk when the Bilan is written.
    std::vector<std::string> accountFiles;
    long doublons = 0;    // lines this job appended to doublons.txt
    long troncatures = 0; // lines this job appended to troncatures.txt

    // A source row (a line of a text, a record of a table) that gave no account,
    // or a person of a source whose persons have their own identifiers.
    struct Row {
        long number = 0;    // counted from 1
        std::string reason; // e.g. "date de naissance vide"
        std::string key;    // the person's identifier in the source (Windows-1252)
    };
    struct Source {
        std::string name;   // the file's name as it lies in the folder
        bool table = false; // a dBase table: its rows are records
        std::vector<Row> rows;
        // What the source holds when its rows are persons named by their key
        // (UTF-8, e.g. "élève"); "" for lines and records.
        std::string unit;
    };
    std::vector<Source> sources;
    // Tables that were not read, each with its reason ("en-tête dBase non reconnu").
    struct Refused {
        std::string name, reason;
    };
    std::vector<Refused> refusedTables;
    // Sources the job would have rewritten but left as they were: their reading
    // put a "?" in place of a character.
    std::vector<std::string> keptSources;

    // Identity mode: pupils whose account was found by its identifier under
    // another name key, and pupils who got a new account because the account of
    // their name carries another pupil's identifier (texts in Windows-1252).
    struct Recognised {
        std::string identifier, oldName, newName, login;
    };
    std::vector<Recognised> recognised;
    struct NameRefused {
        std::string identifier, name, login, otherIdentifier;
    };
    std::vector<NameRefused> nameRefused;
    // Shown in place of a Bilan that would say nothing: why the job found no
    // source to read (Windows-1252; "" when it had one).
    std::string noSource;

    void clear() { *this = Bilan{}; }
    // Notes that the job wrote (or began) the account file `name`.
    void accountFile(const std::string& name);
    // Notes a row of `source` that gave no account.
    void rowWithoutAccount(const std::string& source, bool table, long number,
                           const std::string& reason);
    // Notes a person of `source`, a `unit` (UTF-8) known by `key`, who got no
    // account; the Bilan shows "  unit key : reason".
    void personWithoutAccount(const std::string& source, const std::string& unit,
                              const std::string& key, const std::string& reason);
    void refuseTable(const std::string& name, const std::string& reason);
    // Notes that the source `name` was not rewritten (once per name).
    void sourceKept(const std::string& name);
};

// The account lines of an account file: every line but empty ones and the
// header line ("#...").
long countAccounts(std::string_view bytes);
// The same count over a file's bytes handed on in blocks, in order.
class AccountLines {
  public:
    void add(std::string_view block);
    long count() const { return count_; }

  private:
    long count_ = 0;
    bool lineStarts_ = true; // the next byte begins a line
};

// The Bilan block as the log box shows it (Windows-1252, lines joined by CR LF,
// starting with "Bilan :"). Account counts are read from the program's folder,
// from the files the job wrote whole; files that could not be written come from
// the job's write errors and count nothing.
std::string bilanText(const Session& s);

// Appends the Bilan block to the log box, on a line of its own.
void logBilan(Session& s);

} // namespace modvesk
