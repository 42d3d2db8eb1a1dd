// The command line of rolvane-batch: JOB [options].
#pragma once

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace batch {

// Wrong usage: a one-line French message; the program then says where the usage is
// to be found and exits 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string job;
    std::map<std::string, std::vector<std::string>> values; // "--export" -> its values
    std::set<std::string> flags;                            // "--yes", "--no-kwartz17" ...

    bool has(const std::string& option) const;
    // The last value given to the option, "" when absent.
    std::string value(const std::string& option) const;
    // Every value of a repeated option, in order.
    std::vector<std::string> all(const std::string& option) const;
    bool flag(const std::string& option) const { return flags.count(option) > 0; }
};

// Reads argv (without argv[0]). Paths (--dir, --export, --list, --mdb, --out) are
// made absolute from the current directory; --dir defaults to it and must exist.
// Throws UsageError on an unknown option, a missing value or a bad value.
Options parseOptions(const std::vector<std::string>& args);

// The usage text (UTF-8).
std::string usageText();

// A command line that asks for the usage ("help" or "--help" first, "--help" or "-h"
// anywhere) or, first, for "--version" instead of a job.
enum class InfoRequest { None, Usage, Version };
InfoRequest infoRequest(const std::vector<std::string>& args);

} // namespace batch
