// The jobs rolvane-batch knows. Each family of jobs registers its commands from
// its own file with a static JobRegistration, so a new family is one new file.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace modvesk {
struct Session;
}

namespace batch {

class BatchDialogs;
struct Options;

struct BatchJob {
    std::string name;                  // the JOB word of the command line
    std::string summary;               // one line of the usage (UTF-8)
    std::vector<std::string> required; // options the job cannot run without
    // Runs the menu command on a Session already set from the options; may give
    // BatchDialogs the answers of its file dialogs or forms first.
    std::function<void(modvesk::Session&, BatchDialogs&, const Options&)> run;
};

void registerJob(BatchJob job);
// nullptr when no job has that name.
const BatchJob* findJob(const std::string& name);
// Every job, in the order of the usage.
std::vector<const BatchJob*> allJobs();

struct JobRegistration {
    explicit JobRegistration(std::vector<BatchJob> jobs) {
        for (auto& job : jobs)
            registerJob(std::move(job));
    }
};

} // namespace batch
