// The reader of the server's EXPORT file on any bytes, into the library's store
// of old accounts (the real vandrel1.dlp, loaded as the program loads it). Read
// only, it registers nothing; read for real, the first data line's account is
// then found under its name key with its group and login.
#include "clients/vandrel_client.h"
#include "fuzz_support.h"
#include "sources/export_reader.h"
#include "text/source_text.h"
#include "text/text.h"

namespace {

// The first line after the header, as the line reader cuts lines: a line ends
// at CR LF, at CR alone or at LF alone.
bool firstDataLine(const std::string& bytes, std::string& line) {
    size_t at = bytes.find_first_of("\r\n");
    if (at == std::string::npos) return false;
    at += bytes.compare(at, 2, "\r\n") == 0 ? 2 : 1;
    if (at >= bytes.size()) return false;
    const size_t end = bytes.find_first_of("\r\n", at);
    line = bytes.substr(at, end == std::string::npos ? std::string::npos : end - at);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace modvesk;
    if (!vandrel::available()) fuzzing::fail("vandrel1.dlp not found next to the fuzzer");
    fuzzing::clearScratch();
    const std::filesystem::path file = fuzzing::scratch() / "EXPORT";
    fuzzing::writeFile(file, data, size);
    Session s;
    s.dir = fuzzing::scratch();
    fuzzing::NoDialogs ui;
    s.ui = &ui;

    vandrel::fermercarnet();
    vandrel::creationCarnet();
    LoadExport(s, file.string(), true);
    std::string buffer = vandrel::blanks(64);
    vandrel::presentancien("", buffer);
    if (buffer[0] != 'n') fuzzing::fail("a read-only EXPORT registered an account");

    LoadExport(s, file.string(), false);
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string line;
    // Keys and values reach the library as C strings, cut at a NUL byte: only
    // inputs without NUL bytes are checked here, and only Windows-1252 ones (a
    // UTF-8 file, or one behind a UTF-16 mark, is converted before it is cut
    // into lines).
    const bool utf16 = bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0;
    if (firstDataLine(bytes, line) && line.find('\0') == std::string::npos &&
        bytes.find('\0') == std::string::npos && !IsUtf8Text(bytes) && !utf16) {
        std::string rest = line;
        const std::string surname = FirstField(rest, ";");
        rest = RestAfter(rest, ";");
        const std::string first = FirstField(rest, ";");
        rest = RestAfter(rest, ";");
        const std::string group = FirstField(rest, ";");
        rest = RestAfter(rest, ";");
        const std::string login = FirstField(rest, ";");
        const std::string key = Upper(Trim(surname + " " + Upper(first)));
        const std::string value = Trim(group) + " " + login;
        std::string answer = vandrel::blanks(300);
        vandrel::presentancien(key, answer);
        if (value.size() < answer.size() && answer.compare(0, value.size(), value) != 0)
            fuzzing::fail("the first account of the EXPORT is not found as it was read");
    }
    vandrel::fermercarnet();
    return 0;
}
