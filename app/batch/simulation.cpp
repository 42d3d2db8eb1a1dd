#include "simulation.h"

#include "options.h"

#include "sources/account_rows.h"

#include <mutex>
#include <thread>
#include <unistd.h>

namespace batch {

namespace {

// The copy is made, removed at the end and removed on a signal under this lock:
// a signal during the copy waits until it is made, and one at the end does not
// race the removal.
std::mutex copyLock;
const modvesk::DryRunFolder* liveCopy = nullptr; // the copy a signal removes

// SIGINT, SIGTERM and SIGHUP, but those the program was started ignoring
// (under nohup, SIGHUP stays ignored).
sigset_t stopSignals(bool& any) {
    sigset_t set;
    sigemptyset(&set);
    any = false;
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (sigaction(sig, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
        sigaddset(&set, sig);
        any = true;
    }
    return set;
}

// The stopping signals are blocked in every thread (the mask is set before any
// other thread starts, and threads inherit it) and taken here by sigwait, in an
// ordinary thread rather than a handler: removing a folder tree needs functions
// that are not async-signal-safe. The lock is kept, and the program then ends by
// that signal, its default action, as it would have without a copy.
void removeCopyOnSignal(sigset_t stop) {
    int sig = 0;
    if (sigwait(&stop, &sig) != 0) return;
    copyLock.lock();
    try {
        if (liveCopy) liveCopy->remove();
    } catch (...) {
    }
    signal(sig, SIG_DFL);
    raise(sig); // pending here until unblocked
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, sig);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    _exit(128 + sig);
}

// Copies the files the options name and points the options at the copies.
void pointAtCopies(Options& o, modvesk::DryRunFolder& run) {
    o.values["--dir"] = {run.folder().string()};
    for (const char* input : {"--export", "--list", "--mdb"})
        for (auto& path : o.values[input])
            path = run.input(path).string();
    for (auto& path : o.values["--out"])
        path = run.output(path).string();
}

} // namespace

bool jobWrites(const std::string& job) {
    return job != "show";
}

DryRun::DryRun(Options& o) {
    bool any = false;
    sigset_t blocked = stopSignals(any);
    // SIGPIPE too, in this thread: output to a reader that went away then fails
    // instead of ending the program; it ends by SIGPIPE once the copy is gone.
    const sigset_t stop = blocked;
    sigaddset(&blocked, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &blocked, &before_);
    try {
        if (any) std::thread(removeCopyOnSignal, stop).detach();
        const std::lock_guard<std::mutex> hold(copyLock);
        run_ = std::make_unique<modvesk::DryRunFolder>(o.value("--dir"));
        liveCopy = run_.get();
        pointAtCopies(o, *run_);
    } catch (...) {
        release();
        throw;
    }
}

DryRun::~DryRun() {
    release();
}

void DryRun::release() {
    {
        const std::lock_guard<std::mutex> hold(copyLock);
        liveCopy = nullptr;
        run_.reset();
    }
    // A signal held back meanwhile now has its effect.
    pthread_sigmask(SIG_SETMASK, &before_, nullptr);
}

std::string dryRunReport(const modvesk::DryRunFolder& run, const std::string& dir) {
    return "\n" + modvesk::accountTableText(modvesk::readAccountRows(run.folder())) + "\n" +
           modvesk::simulationLine(dir) + "\n";
}

} // namespace batch
