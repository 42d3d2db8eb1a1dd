#include "session_fixture.h"

#include "clients/vandrel_client.h"
#include "text/files.h"
#include "text/text.h"

#include <cstdlib>
#include <stdexcept>

namespace testsupport {

void SessionTest::SetUp() {
    temp = std::make_unique<TempDir>();
    dir = temp->path();
    previousDir = fs::current_path();
    fs::current_path(dir);
    s.dir = dir;
    s.ui = &ui;
    vandrel::reloadFrom(ROLVANE_BIN_DIR);
    ASSERT_TRUE(vandrel::available()) << "vandrel1.dlp not found in " << ROLVANE_BIN_DIR;
    if (openRegistry) vandrel::creationCarnet();
}

void SessionTest::TearDown() {
    // The group tables and the teachers in service outlive the registry: empty them too.
    vandrel::razProfEnService();
    vandrel::fermercarnet();
    std::error_code ec;
    fs::current_path(previousDir, ec);
    temp.reset();
}

std::string SessionTest::readFile(const std::string& name) const {
    std::string bytes;
    modvesk::ReadAll(modvesk::resolveName(dir, name), bytes);
    return bytes;
}

bool SessionTest::hasFile(const std::string& name) const {
    return modvesk::FileExists(modvesk::resolveName(dir, name));
}

void SessionTest::writeFile(const std::string& name, const std::string& bytes) const {
    ASSERT_TRUE(modvesk::WriteBytes(modvesk::resolveName(dir, name), bytes)) << name;
}

std::vector<std::string> SessionTest::fileLines(const std::string& name) const {
    std::vector<std::string> lines;
    std::string bytes = readFile(name);
    size_t from = 0;
    for (size_t p = bytes.find("\r\n"); p != std::string::npos; p = bytes.find("\r\n", from)) {
        lines.push_back(bytes.substr(from, p - from));
        from = p + 2;
    }
    if (from < bytes.size()) lines.push_back(bytes.substr(from));
    return lines;
}

::testing::AssertionResult SessionTest::logSays(const std::string& utf8Text) const {
    const bool found = s.win.Text1.find(modvesk::ansi(utf8Text)) != std::string::npos;
    return (found ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
           << "the log " << (found ? "holds" : "lacks") << " \"" << utf8Text << "\":\n"
           << modvesk::utf8(s.win.Text1);
}

} // namespace testsupport
