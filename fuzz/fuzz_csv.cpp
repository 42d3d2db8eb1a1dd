// The CSV and SCONET conversion on any bytes: the input is cut at its first
// "\n#PROFS#\n" into ELEVES.CSV and PROFS.CSV (the teachers' file exists only when
// the mark is there), and the conversion runs between creationCarnet and
// fermercarnet as the CSV jobs run it, with the real library and, when it can be
// created, the real scripting component. Afterwards ELEVES.CSV still exists and
// is either the file given or a rewritten whole file ending in CR LF, and the
// account files end in CR LF.
#include "component_client.h"
#include "fuzz_support.h"
#include "jobs.h"
#include "vandrel_client.h"

#include <memory>

namespace {

bool endsInCrLf(const std::string& text) {
    return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
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
        if (fs::exists(out) && !endsInCrLf(fuzzing::readFile(out)))
            fuzzing::fail("an account file does not end in CR LF");
    }
    return 0;
}
