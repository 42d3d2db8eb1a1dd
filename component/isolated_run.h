// Runs a piece of work in a child process, so that a crash or an endless loop of the
// work (libmdb on a damaged Access file) never takes the calling program down.
#pragma once

#include <functional>
#include <string>

namespace pythrolvane {

// What the work hands back: its answer, or a French failure text (UTF-8).
struct IsolatedAnswer {
    bool ok = false;
    std::string text;
};

// Forks, runs `work` in the child and pipes its answer back. The work may throw
// Failure: its text comes back as the failure. Throws Failure (French) when the child
// cannot be started, dies before answering, or has not answered after
// `timeoutSeconds` (it is then killed).
IsolatedAnswer runIsolated(const std::function<IsolatedAnswer()>& work, int timeoutSeconds);

} // namespace pythrolvane
