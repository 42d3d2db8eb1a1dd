// The shared corpus of files written by other programs (../shared/corpus beside
// the project). A developer without it skips the tests that need it; CI has it,
// so when the environment variable CI is set a missing file fails the test.
#pragma once

#include <string>

namespace testsupport {

// The full path of a file of the corpus (a full path is kept as it is).
std::string corpusFile(const std::string& name);
// "" when the file (the folder for "") is there; otherwise the message to show.
std::string corpusMissing(const std::string& name);
// True when a missing corpus fails the test instead of skipping it (CI set).
bool corpusRequired();

} // namespace testsupport

// In a GoogleTest body or SetUp: skips, or fails under CI, when the file is missing.
#define SKIP_WITHOUT_CORPUS(name)                                                                  \
    if (const std::string corpusWhy_ = testsupport::corpusMissing(name); corpusWhy_.empty()) {     \
    } else if (testsupport::corpusRequired())                                                      \
        FAIL() << corpusWhy_;                                                                      \
    else                                                                                           \
        GTEST_SKIP() << corpusWhy_

// The same in a QtTest slot.
#define QSKIP_WITHOUT_CORPUS(name)                                                                 \
    if (const std::string corpusWhy_ = testsupport::corpusMissing(name); corpusWhy_.empty()) {     \
    } else if (testsupport::corpusRequired())                                                      \
        QFAIL(corpusWhy_.c_str());                                                                 \
    else                                                                                           \
        QSKIP(corpusWhy_.c_str())
