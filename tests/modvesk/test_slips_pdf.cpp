// The PDF module says a file is written whole only when every slip is drawn in
// it and every byte reached the disk.
#include "clients/slips_pdf_client.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

TEST(SlipsPdf, WrittenWholeOnlyWhenEverySlipIsDrawnAndWritten) {
    if (!slipspdf::available()) GTEST_SKIP() << "no PDF module";
    std::string tmpl = (fs::temp_directory_path() / "rolvane-pdf-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    const fs::path dir = tmpl;
    struct Case {
        const char* what;
        std::string name; // of the fifth slip
        fs::path file;
        bool whole;
    };
    const Case cases[] = {
        {"ten slips", "Élodie LEFÈVRE", dir / "a.pdf", true},
        {"a name that is not UTF-8", "Jos\xe9 MARTIN", dir / "b.pdf", false},
        {"a folder that does not exist", "Élodie LEFÈVRE", dir / "absent" / "c.pdf", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<slipspdf::SlipLines> slips(
            10, {"Léa MARTIN", "Classe : 3A", "lea.martin", "motdepasse", false});
        slips[4].name = c.name;
        EXPECT_EQ(slipspdf::write(c.file, slips, "0590001A"), c.whole);
    }
    fs::remove_all(dir);
}
