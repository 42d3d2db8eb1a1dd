// rolvane-batch JOB --dry-run: the job runs on a private copy of --dir (and of
// the files its options name), prints what it would have done, and the copy goes.
#pragma once

#include "dry_run.h"

#include <memory>
#include <string>

namespace batch {

struct Options;

// Whether the job writes files, so that a dry run means something.
bool jobWrites(const std::string& job);

// Copies --dir and the files named by --export, --list and --mdb, and points the
// options at the copies (--dir at the copy of the folder; --out into the copy).
// Throws std::runtime_error (French) when the copy cannot be made.
std::unique_ptr<modvesk::DryRunFolder> startDryRun(Options& o);

// What follows the job's log in a dry run (UTF-8): the accounts the job left in
// the copy, and a line saying that `dir` was left as it was.
std::string dryRunReport(const modvesk::DryRunFolder& run, const std::string& dir);

} // namespace batch
