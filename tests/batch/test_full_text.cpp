// The full-text module (ICU, libxml2) as the program meets it: loaded only when a
// source needs it, exporting its interface alone, and, when a copy of the program
// finds none, a source that needed it read as far as it can be, with the reason.
#include "school_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

using namespace batchtest;

namespace {

constexpr const char* kModule = "rolvane-full-text.so";

} // namespace

TEST(FullText, TheModuleExportsOnlyItsInterface) {
    const auto names = testsupport::exportedFunctions(fs::path(ROLVANE_BIN_DIR) / kModule);
    if (!names) GTEST_SKIP() << "nm is not installed";
    EXPECT_EQ(*names, (std::set<std::string>{
                          "rolvane_full_text_abi_version", "rolvane_full_text_compose",
                          "rolvane_full_text_plain_latin", "rolvane_full_text_read_xml"}));
}

// A name of letters Windows-1252 lacks (the module spells them) and an export
// only libxml2 reads (the module refuses its DOCTYPE), by the program beside the
// module and by a copy of it without the module.
TEST(FullText, SourcesThatNeedTheModuleWithAndWithoutIt) {
    const fs::path bin = fs::path(ROLVANE_BATCH).parent_path();
    Folder alone(false);
    for (const char* file : {"rolvane-batch", "vandrel1.dlp"})
        fs::copy_file(bin / file, alone.path() / file);
    unsetenv("ROLVANE_LIBRARY_DIR");
    const struct {
        fs::path program;
        std::string row, xmlReason;
    } cases[] = {
        {ROLVANE_BATCH, "WALESA;LUKASZ;c3a;walesa.lukasz",
         "contient une déclaration DOCTYPE, que les exports SIECLE et STS-web n'ont jamais."},
        {alone.path() / "rolvane-batch", "WA??SA;?UKASZ;c3a;wasa.ukasz",
         "ne peut pas être lu sans le module rolvane-full-text.so."},
    };
    for (const auto& c : cases) {
        Folder csv(false), xml(false);
        put(csv.path() / "ELEVES.CSV", "WAŁĘSA;Łukasz;3A;01/02/2010\r\n");
        const BatchRun r =
            runProgram(c.program.string(), {"csv-create", "--dir", csv.str()}, csv.path());
        EXPECT_NE(bytesOf(csv.path() / "ComptesAajouter.txt").find("\r\n" + c.row + ";"),
                  std::string::npos)
            << c.program;
        put(xml.path() / "e.xml", "<?xml version=\"1.0\"?>\n<!DOCTYPE A>\n<BEE_ELEVES/>\n");
        const BatchRun x =
            runProgram(c.program.string(), {"siecle-create", "--dir", xml.str()}, xml.path());
        EXPECT_EQ(x.status, 1);
        EXPECT_NE(x.out.find("Le fichier e.xml " + c.xmlReason), std::string::npos) << x.out;
    }
}
