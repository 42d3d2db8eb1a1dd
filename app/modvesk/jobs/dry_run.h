// A dry run: the job works on a private copy of the program's folder, so that
// the folder itself stays byte for byte as it was. The batch program and the
// window both run their jobs in one when asked to simulate.
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace modvesk {

class DryRunFolder {
  public:
    // Copies every file of `dir` (not its subfolders) into a new folder that
    // only this user may enter, under the system's temporary folder. Throws
    // std::runtime_error with a French message naming the file (under `dir` as
    // given) when a file cannot be copied whole; nothing is left then.
    explicit DryRunFolder(const std::filesystem::path& dir);
    // Removes the copy and everything the job left in it.
    ~DryRunFolder();
    // Removes the copy without leaving it as the current folder first; safe to
    // call from another thread while the job still runs (the program ends then).
    void remove() const;
    DryRunFolder(const DryRunFolder&) = delete;
    DryRunFolder& operator=(const DryRunFolder&) = delete;

    // The copy of the program's folder: the job's folder.
    const std::filesystem::path& folder() const { return folder_; }
    // The copy of a file the job reads: a file of the program's folder is found
    // in its copy; another one is copied in once, beside the copy (not into it:
    // a real run would not find it in the folder either). "" stays "". A file
    // that cannot be copied whole throws std::runtime_error naming `path`.
    std::filesystem::path input(const std::filesystem::path& path);
    // Where a file the job writes at `path` goes: into the copy for a file of the
    // program's folder, beside it otherwise.
    std::filesystem::path output(const std::filesystem::path& path);
    // The text with the paths of the copies given back as the originals.
    std::string originalPaths(std::string text) const;
    // The same for a text of the log box (Windows-1252), where the paths are
    // written as shownName writes them.
    std::string originalShownPaths(std::string ansiText) const;
    // A file the job asked for could not be copied: the run is not a real one's.
    bool incomplete() const { return incomplete_; }

  private:
    void copyFolder();
    std::filesystem::path besideFor(const std::filesystem::path& path);

    std::filesystem::path named_, dir_, root_, folder_;
    std::map<std::filesystem::path, std::filesystem::path> copies_; // copy -> original
    bool incomplete_ = false;
};

// The line that ends the log of a job run in a dry run (UTF-8), `dir` being the
// program's folder as it was named: "Simulation : rien n'a été écrit dans DIR."
std::string simulationLine(const std::string& dir);

} // namespace modvesk
