#include "batch_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace batchtest {

namespace {

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

BatchRun runBatch(const std::vector<std::string>& args, const fs::path& cwd) {
    return runProgram(ROLVANE_BATCH, args, cwd);
}

BatchRun runBatchAsUser(const std::vector<std::string>& args, const fs::path& cwd) {
    if (::geteuid() != 0) return runBatch(args, cwd);
    std::vector<std::string> all = {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                    ROLVANE_BATCH};
    all.insert(all.end(), args.begin(), args.end());
    return runProgram("/usr/bin/setpriv", all, cwd);
}

BatchRun runProgram(const std::string& program, const std::vector<std::string>& args,
                    const fs::path& cwd, const std::function<void(pid_t)>& started) {
    Folder io(false);
    const std::string outPath = (io.path() / "out").string(),
                      errPath = (io.path() / "err").string();
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargs;
    for (auto& a : argv)
        cargs.push_back(a.data());
    cargs.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    const fs::path previous = fs::current_path();
    fs::current_path(cwd);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, cargs.data(), environ);
    fs::current_path(previous);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
    if (started) started(pid);
    int wstatus = 0;
    rusage usage{};
    wait4(pid, &wstatus, 0, &usage);

    BatchRun run;
    run.maxRssKb = usage.ru_maxrss;
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    run.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
    run.out = slurp(outPath);
    std::istringstream err(slurp(errPath));
    for (std::string line; std::getline(err, line);)
        run.err.push_back(line);
    return run;
}

Folder::Folder(bool withSamples) {
    std::string tmpl = (fs::temp_directory_path() / "rolvane-batch-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
    if (withSamples)
        for (const auto& e :
             fs::directory_iterator(fs::path(ROLVANE_SOURCE_DIR) / "samples" / "gep"))
            fs::copy_file(e.path(), path_ / e.path().filename());
}

Folder::~Folder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string Folder::read(const std::string& name) const {
    return slurp(path_ / name);
}

} // namespace batchtest
