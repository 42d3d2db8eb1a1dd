// Runs rolvane-batch as a child process in a temporary folder and keeps what it
// printed and its exit status.
#pragma once

#include "test_files.h"

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace batchtest {

namespace fs = std::filesystem;
using testsupport::bytesOf;
using testsupport::put;

struct BatchRun {
    int status = -1;
    std::string out;              // standard output (UTF-8)
    std::vector<std::string> err; // standard error, line by line (UTF-8)
    long maxRssKb = 0;            // the program's peak resident memory
    int signal = 0;               // the signal that ended it, 0 when it exited
};

// Runs the program with the arguments, from the folder `cwd`.
BatchRun runBatch(const std::vector<std::string>& args, const fs::path& cwd);
// The same with another copy of the program; `started`, when given, is called
// with the process id before the program is waited for.
BatchRun runProgram(const std::string& program, const std::vector<std::string>& args,
                    const fs::path& cwd, const std::function<void(pid_t)>& started = {});
// runBatch as the user "nobody" when the tests run as root (root reads and
// deletes files whatever their modes say), as the tests' own user otherwise.
BatchRun runBatchAsUser(const std::vector<std::string>& args, const fs::path& cwd);

// A fresh temporary folder holding a copy of samples/gep (or nothing), removed at the end.
class Folder {
  public:
    explicit Folder(bool withSamples = true);
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const fs::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    // The bytes of a file, "" when absent.
    std::string read(const std::string& name) const;

  private:
    fs::path path_;
};

} // namespace batchtest
