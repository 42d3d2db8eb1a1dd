// The CSV and SCONET conversion on any bytes: the input is cut at its first
// "\n#PROFS#\n" into ELEVES.CSV and PROFS.CSV (the teachers' file exists only when
// the mark is there), and the conversion runs between creationCarnet and
// fermercarnet as the CSV jobs run it, with the real library and, when it can be
// created, the real scripting component. Afterwards ELEVES.CSV still exists and
// is either the file given or a rewritten whole file ending in CR LF, and the
// account files end in CR LF; whatever the values hold, every pupil line has its
// twelve fields and a group that is not the teachers', and every teacher line its
// sixteen.
#include "clients/component_client.h"
#include "clients/vandrel_client.h"
#include "fuzz_support.h"
#include "jobs/jobs.h"
#include "text/text.h"

#include <algorithm>
#include <memory>

namespace {

bool endsInCrLf(const std::string& text) {
    return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
}

// Every account line of the file (header and empty lines left out) has `fields`
// ";"-separated fields; with `pupils`, its group (field 3) is not "profs".
void checkLines(const std::string& text, size_t fields, bool pupils) {
    size_t from = 0;
    for (size_t end; (end = text.find("\r\n", from)) != std::string::npos; from = end + 2) {
        const std::string line = text.substr(from, end - from);
        if (line.empty() || line[0] == '#') continue;
        if (static_cast<size_t>(std::count(line.begin(), line.end(), ';')) + 1 != fields)
            fuzzing::fail("an account line does not have its fields");
        const size_t g = line.find(';', line.find(';') + 1) + 1;
        if (pupils && modvesk::Lower(line.substr(g, line.find(';', g) - g)) == "profs")
            fuzzing::fail("a pupil line in the teachers' group");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace modvesk;
    namespace fs = std::filesystem;
    static const std::unique_ptr<component::Component> component = component::Component::create();
    if (!vandrel::available()) fuzzing::fail("vandrel1.dlp not found next to the fuzzer");
    fuzzing::clearScratch();

    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string mark = "\n#PROFS#\n";
    const size_t cut = bytes.find(mark);
    const std::string pupils = bytes.substr(0, cut);
    const fs::path eleves = fuzzing::scratch() / "ELEVES.CSV";
    fuzzing::writeFile(eleves, data, pupils.size());
    if (cut != std::string::npos)
        fuzzing::writeFile(fuzzing::scratch() / "PROFS.CSV", data + cut + mark.size(),
                           size - cut - mark.size());

    Session s;
    s.dir = fuzzing::scratch();
    fuzzing::NoDialogs ui;
    s.ui = &ui;
    s.component = component.get();
    // The first byte picks the login format and whether the job is an update.
    const uint8_t pick = size ? data[0] : 0;
    s.win.loginFormat = static_cast<LoginFormat>(pick % 3);
    s.job.UpdateMode = pick & 4;
    s.win.version3 = !(pick & 8);

    vandrel::creationCarnet();
    convertirBaseCSV(s);
    vandrel::fermercarnet();

    if (!fs::exists(eleves)) fuzzing::fail("ELEVES.CSV was lost");
    const std::string after = fuzzing::readFile(eleves);
    if (after != pupils && !endsInCrLf(after))
        fuzzing::fail("ELEVES.CSV rewritten without its line end");
    for (const char* name : {"ComptesAajouter.txt", "ComptesAmodifier.txt"}) {
        const fs::path out = fuzzing::scratch() / name;
        if (!fs::exists(out)) continue;
        const std::string text = fuzzing::readFile(out);
        if (!endsInCrLf(text)) fuzzing::fail("an account file does not end in CR LF");
        checkLines(text, 12, true);
    }
    const fs::path teachers = fuzzing::scratch() / "ComptesProfsAajouter.txt";
    if (fs::exists(teachers)) checkLines(fuzzing::readFile(teachers), 16, false);
    return 0;
}
