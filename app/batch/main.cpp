// rolvane-batch JOB [options]: runs one command of the main window without a
// window, on the sources of --dir, and writes its files there.
#include "batch_dialogs.h"
#include "job_registry.h"
#include "options.h"
#include "simulation.h"

#include "clients/component_client.h"
#include "model/model.h"
#include "text/text.h"

#include "rolvane_version.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Wrong usage: the problem, then where the usage is to be found (not the usage
// itself, which would push the problem out of sight).
int usage(const std::string& problem) {
    std::cerr << "rolvane-batch : " << problem << "\n"
              << "Essayez « rolvane-batch --help » pour en savoir plus.\n";
    return 2;
}

void setSession(modvesk::Session& s, const batch::Options& o) {
    s.dir = o.value("--dir");
    const std::string format = o.value("--format");
    if (format == "initiale.nom")
        s.win.loginFormat = modvesk::LoginFormat::Abrev;
    else if (format == "prenom.nom")
        s.win.loginFormat = modvesk::LoginFormat::Entier;
    else
        s.win.loginFormat = modvesk::LoginFormat::NomDabord;
    s.win.kwartz17 = !o.flag("--no-kwartz17");
    s.win.randomPasswords = o.flag("--random-passwords");
    s.win.txtrne1 = modvesk::ansi(o.value("--rne1"));
    s.win.txtrne2 = modvesk::ansi(o.value("--rne2"));
}

// 3: a file could not be written, a table was refused, or the library is missing; 1: the job ended
// early; 0: it ran to its end.
int exitStatus(const modvesk::Session& s) {
    if (s.job.libraryMissing || s.job.failed()) return 3;
    return s.job.endedEarly ? 1 : 0;
}

// The process runs one job and ends: memory that a step of the job frees is
// kept for the next step instead of being given back to the system and faulted
// in again page by page (large blocks included: 32 MB is the most glibc takes
// as the threshold of blocks of their own). The heap is grown in one step of
// 64 MB of address space, marked for large pages, so that a job of a whole
// district faults its memory in by 2 MB rather than by 4 kB; only what is
// touched is used. A 2 MB range with one page faulted in already is faulted in
// by 4 kB to its end, so the job's blocks start on a 2 MB boundary and nothing
// at or past it is written before it is marked: the heap's end below the
// boundary is set aside (address space only, never touched) by the block that
// grows the heap, which ends just below the boundary, where the header of the
// heap's free end is written.
// The set-aside end, held to the end of the process; volatile, as nothing reads
// it, so that the block is not optimised away.
void* volatile heapHead = nullptr;

void keepFreedMemory() {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    mallopt(M_TOP_PAD, 64 << 20);
    const uintptr_t large = 2 << 20;
    const auto end = reinterpret_cast<uintptr_t>(sbrk(0));
    const uintptr_t topStart = end - mallinfo2().keepcost;
    // Past the heap's end, so that the block cannot be taken without growing it.
    const uintptr_t start = (end + 64 + large - 1) & ~(large - 1);
    // Its chunk (its size and 8 bytes of header, in steps of 16) ends 32 bytes
    // below the boundary.
    heapHead = std::malloc(start - topStart - 6 * sizeof(size_t));
    const auto after = reinterpret_cast<uintptr_t>(sbrk(0));
    if (after > start) madvise(reinterpret_cast<void*>(start), after - start, MADV_HUGEPAGE);
#endif
}

// The job's log box, then in a dry run the line saying that nothing was
// written and the accounts the job left in the copy.
void printResult(const std::string& text1, batch::DryRun* dryRun, const std::string& realDir) {
    const std::string shown = dryRun ? dryRun->folder().originalShownPaths(text1) : text1;
    const std::string log = modvesk::utf8(modvesk::ReplaceAll(shown, "\r\n", "\n"));
    std::cout << log;
    if (!log.empty() && log.back() != '\n') std::cout << '\n';
    if (dryRun) std::cout << modvesk::simulationLine(realDir) << '\n';
    if (dryRun) std::cout << batch::dryRunReport(dryRun->folder(), realDir);
    std::cout.flush();
}

int run(const std::vector<std::string>& args) {
    switch (batch::infoRequest(args)) {
    case batch::InfoRequest::Usage:
        std::cout << batch::usageText();
        return 0;
    case batch::InfoRequest::Version:
        std::cout << "rolvane-batch " ROLVANE_VERSION "\n";
        return 0;
    case batch::InfoRequest::None:
        break;
    }
    batch::Options options;
    try {
        options = batch::parseOptions(args);
    } catch (const batch::UsageError& e) {
        return usage(e.what());
    }
    const batch::BatchJob* job = batch::findJob(options.job);
    for (const auto& required : job->required)
        if (!options.has(required))
            return usage("la tâche " + job->name + " demande l'option " + required + ".");

    // A dry run works on a private copy of --dir, removed however the program ends.
    const std::string realDir = options.value("--dir");
    std::unique_ptr<batch::DryRun> dryRun;
    if (options.flag("--dry-run") && batch::jobWrites(job->name)) {
        try {
            dryRun = std::make_unique<batch::DryRun>(options);
        } catch (const std::exception& e) {
            std::cerr << "rolvane-batch : " << e.what() << "\n";
            return 3;
        }
    }

    // The program's directory is the current directory: the library writes there.
    std::error_code ec;
    fs::current_path(options.value("--dir"), ec);

    batch::BatchDialogs dialogs(std::cerr, options.flag("--yes"),
                                options.flag("--ignore-format-check"));
    if (dryRun)
        dialogs.shownPaths = [&dryRun](const std::string& line) {
            return dryRun->folder().originalPaths(line);
        };
    // The session lives on until the process ends: its tens of thousands of
    // persons and entries go back with the process, not one by one at its end.
    static modvesk::Session* const kept = new modvesk::Session;
    modvesk::Session& session = *kept;
    session.ui = &dialogs;
    // Created once, the first time a job needs it (few do: its libraries cost every
    // other job their loading); the jobs that need it say so when absent.
    std::unique_ptr<component::Component> scripting;
    session.makeComponent = [&scripting] {
        scripting = component::Component::create();
        return scripting.get();
    };
    setSession(session, options);
    std::string failure;
    try {
        job->run(session, dialogs, options);
    } catch (const batch::UsageError& e) {
        // A value only the job can check (a table or field name of a database).
        return usage(e.what());
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = "exception inconnue";
    }

    try {
        printResult(session.win.Text1, dryRun.get(), realDir);
    } catch (const std::exception& e) {
        std::cerr << "rolvane-batch : erreur inattendue (" << e.what() << ") après la tâche "
                  << job->name << " : son résultat n'a pas été affiché en entier.\n";
        return 4;
    }
    if (!failure.empty()) {
        // The job stopped in the middle: what it wrote cannot be trusted.
        std::cerr << "rolvane-batch : erreur inattendue dans la tâche " << job->name << " ("
                  << failure << ") : la tâche n'est pas allée à son terme.\n";
        return 4;
    }
    return exitStatus(session);
}

} // namespace

int main(int argc, char** argv) {
    keepFreedMemory();
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        // Unwound to here, a dry run's copy is gone too.
        std::cerr << "rolvane-batch : erreur inattendue (" << e.what() << ").\n";
        return 4;
    }
}
