#include "isolated_run.h"

#include "failure.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace pythrolvane {
namespace {

// The child writes one status byte ('O' answer, 'E' failure), the length of the
// text in 16 hexadecimal digits and then the text, so that an answer cut short by a
// dying child is never taken for a whole one.
constexpr char kAnswer = 'O';
constexpr char kFailure = 'E';
constexpr size_t kHeader = 17;

std::string framed(char status, const std::string& text) {
    char length[17];
    std::snprintf(length, sizeof length, "%016zx", text.size());
    return status + std::string(length) + text;
}

// The text of a whole frame; false when the frame is cut or malformed.
bool unframe(const std::string& data, std::string& text) {
    if (data.size() < kHeader || (data[0] != kAnswer && data[0] != kFailure)) return false;
    size_t length = 0;
    for (size_t i = 1; i < kHeader; ++i) {
        const char c = data[i];
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return false;
        length = length * 16 + static_cast<size_t>(digit);
    }
    if (data.size() - kHeader != length) return false;
    text = data.substr(kHeader);
    return true;
}

bool writeAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

#if defined(__SANITIZE_ADDRESS__)
#define ROLVANE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ROLVANE_ASAN 1
#endif
#endif

// Memory the child may take beyond what it inherits from the program.
constexpr rlim_t kChildMemory = rlim_t{256} << 20;

// Bounds the child: libmdb loops on some damaged files while allocating without
// end, and prints dumps on its standard output, which belongs to the program.
void confineChild() {
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
#ifndef ROLVANE_ASAN // the address sanitizer reserves more address space than any limit
    unsigned long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%lu", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
    const rlim_t inherited =
        static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
    const rlimit limit{inherited + kChildMemory, inherited + kChildMemory};
    ::setrlimit(RLIMIT_AS, &limit);
#endif
}

[[noreturn]] void runChild(int fd, const std::function<IsolatedAnswer()>& work) {
    confineChild();
    std::string message;
    try {
        IsolatedAnswer answer = work();
        message = framed(answer.ok ? kAnswer : kFailure, answer.text);
    } catch (const std::exception& e) {
        message = framed(kFailure, e.what());
    } catch (...) {
        message = framed(kFailure, "Erreur inconnue pendant la lecture de la base Access.");
    }
    const bool written = writeAll(fd, message);
    ::close(fd);
    // _exit: the parent's atexit handlers and stdio buffers are not the child's.
    ::_exit(written ? 0 : 1);
}

// Reads until end of file or until the deadline; false on timeout.
bool readUntilEnd(int fd, std::string& data, std::chrono::steady_clock::time_point deadline) {
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return ready == 0 ? false : true;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        data.append(buffer, static_cast<size_t>(n));
    }
}

// Waits for the child; returns its wait status, or -1 when it cannot be had
// (SIGCHLD ignored by the program: the child was reaped already).
int reap(pid_t pid) {
    int status = 0;
    for (;;) {
        if (::waitpid(pid, &status, 0) == pid) return status;
        if (errno != EINTR) return -1;
    }
}

std::string deathText(int status) {
    if (status != -1 && WIFSIGNALED(status))
        return "La lecture de la base Access a échoué : le fichier est peut-être endommagé "
               "(le lecteur s'est arrêté sur le signal " +
               std::to_string(WTERMSIG(status)) + ").";
    return "La lecture de la base Access a échoué : le lecteur s'est arrêté sans répondre.";
}

} // namespace

IsolatedAnswer runIsolated(const std::function<IsolatedAnswer()>& work, int timeoutSeconds) {
    int fds[2];
    if (::pipe(fds) != 0)
        throw Failure("La lecture de la base Access n'a pas pu être lancée (tube).");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        throw Failure("La lecture de la base Access n'a pas pu être lancée (processus).");
    }
    if (pid == 0) {
        ::close(fds[0]);
        runChild(fds[1], work);
    }
    ::close(fds[1]);
    std::string data;
    const bool finished = readUntilEnd(fds[0], data, deadline);
    ::close(fds[0]);
    if (!finished) {
        ::kill(pid, SIGKILL);
        reap(pid);
        throw Failure("La lecture de la base Access a été abandonnée : aucune réponse après " +
                      std::to_string(timeoutSeconds) + " secondes.");
    }
    const int status = reap(pid);
    const bool exitedWell = status == -1 || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::string text;
    if (!exitedWell || !unframe(data, text)) throw Failure(deathText(status));
    return IsolatedAnswer{data[0] == kAnswer, std::move(text)};
}

} // namespace pythrolvane
