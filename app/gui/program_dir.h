// Where the program keeps its files, and the guard against a second instance.
#pragma once

#include <QLockFile>
#include <QString>

#include <filesystem>

namespace gui {

// True when a file can be created in the folder.
bool isWritableDir(const QString& dir);
// The program's directory: `exeDir` when files can be created there, otherwise
// `fallback`, which is created when it does not exist yet.
std::filesystem::path chooseProgramDir(const QString& exeDir, const QString& fallback);
// The same for the running program: the folder of the executable, else the
// user's data folder for Rolvane.
std::filesystem::path programDir();

// The lock file that tells a second instance that one is already running: in the
// user's runtime folder, else in the temporary folder under the user's number.
QString defaultLockPath();

// Holds the lock for the life of the process; acquired() is false when another
// live process holds it.
class SingleInstance {
  public:
    explicit SingleInstance(const QString& lockPath);
    bool acquired() const { return acquired_; }

  private:
    QLockFile lock_;
    bool acquired_ = false;
};

} // namespace gui
