#include "simulation.h"

#include "options.h"

#include "account_rows.h"

namespace batch {

bool jobWrites(const std::string& job) {
    return job != "show";
}

std::unique_ptr<modvesk::DryRunFolder> startDryRun(Options& o) {
    auto run = std::make_unique<modvesk::DryRunFolder>(o.value("--dir"));
    o.values["--dir"] = {run->folder().string()};
    for (const char* input : {"--export", "--list", "--mdb"})
        for (auto& path : o.values[input])
            path = run->input(path).string();
    for (auto& path : o.values["--out"])
        path = run->output(path).string();
    return run;
}

std::string dryRunReport(const modvesk::DryRunFolder& run, const std::string& dir) {
    return "\n" + modvesk::accountTableText(modvesk::readAccountRows(run.folder())) +
           "\nSimulation : rien n'a été écrit dans " + dir + ".\n";
}

} // namespace batch
