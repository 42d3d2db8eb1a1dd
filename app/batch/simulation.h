// rolvane-batch JOB --dry-run: the job runs on a private copy of --dir (and of
// the files its options name), prints what it would have done, and the copy goes.
#pragma once

#include "jobs/dry_run.h"

#include <memory>
#include <signal.h>
#include <string>

namespace batch {

struct Options;

// Whether the job writes files, so that a dry run means something.
bool jobWrites(const std::string& job);

// The private copy of a dry run, which holds the folder's passwords: it goes
// when this object goes (the job's end, an exception) and when SIGINT, SIGTERM
// or SIGHUP stop the program, which then ends by that signal.
class DryRun {
  public:
    // Copies --dir and the files named by --export, --list and --mdb, and points
    // the options at the copies (--dir at the copy of the folder; --out into the
    // copy). Throws std::runtime_error (French) when a file cannot be copied
    // whole; no copy is left then.
    explicit DryRun(Options& o);
    ~DryRun();
    DryRun(const DryRun&) = delete;
    DryRun& operator=(const DryRun&) = delete;

    modvesk::DryRunFolder& folder() { return *run_; }

  private:
    void release();

    sigset_t before_; // the signal mask of the thread that made the copy
    std::unique_ptr<modvesk::DryRunFolder> run_;
};

// What follows the job's log in a dry run (UTF-8): the accounts the job left in
// the copy, and a line saying that `dir` was left as it was.
std::string dryRunReport(const modvesk::DryRunFolder& run, const std::string& dir);

} // namespace batch
