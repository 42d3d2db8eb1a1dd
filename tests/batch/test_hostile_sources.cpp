// Hostile sources for rolvane-batch as a process: a pupil table of 50 MB read
// with flat memory, and damaged Access databases (cut short, text named .mdb, one
// on which the Access library crashes) that end the job with a French message,
// exit status 1, and leave the program's ELEVES.CSV as it was.
#include "batch_run.h"
#include "corpus.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace batchtest;
using Lines = std::vector<std::string>;

namespace {

void put16(std::string& b, size_t at, long v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

// A dBase III pupil table of about `bytes` bytes: 60 character fields (number 1,
// surname 2, first name 3, birth date 5, class 40; twenty wide fields of 255
// bytes make records of about 5 KB), one pupil per record.
long writePupilTable(const fs::path& path, long bytes) {
    std::vector<long> widths(60, 3);
    widths[0] = 6, widths[1] = 30, widths[2] = 25, widths[4] = 8, widths[39] = 8;
    for (size_t k = 40; k < 60; ++k)
        widths[k] = 255;
    long r = 1;
    for (long w : widths)
        r += w;
    const long n = static_cast<long>(widths.size());
    const long h = 32 + 32 * n + 1;
    const long records = (bytes - h) / r;
    std::string header(static_cast<size_t>(h), '\0');
    header[0] = 0x03;
    for (int i = 0; i < 4; ++i)
        header[4 + i] = static_cast<char>((records >> (8 * i)) & 0xFF);
    put16(header, 8, h);
    put16(header, 10, r);
    for (long k = 0; k < n; ++k) {
        const size_t d = 32 + 32 * static_cast<size_t>(k);
        header[d] = 'F';
        header[d + 11] = 'C';
        header[d + 16] = static_cast<char>(widths[static_cast<size_t>(k)]);
    }
    header[static_cast<size_t>(h - 1)] = 0x0D;
    std::ofstream out(path, std::ios::binary);
    out << header;
    std::string record;
    for (long i = 0; i < records; ++i) {
        record.assign(static_cast<size_t>(r), ' ');
        std::string surname = "NOM";
        for (long v = i; v > 0 || surname.size() == 3; v /= 26)
            surname += char('A' + v % 26);
        const std::vector<std::pair<size_t, std::string>> fields = {{0, std::to_string(100000 + i)},
                                                                    {1, surname},
                                                                    {2, "PRENOM"},
                                                                    {4, "20100503"},
                                                                    {39, i % 2 ? "3A" : "4B"}};
        for (const auto& [k, value] : fields) {
            size_t at = 1;
            for (size_t j = 0; j < k; ++j)
                at += static_cast<size_t>(widths[j]);
            record.replace(at, value.size(), value);
        }
        out << record;
    }
    out << '\x1A';
    return records;
}

long accountLines(const std::string& bytes) {
    long n = 0;
    for (size_t p = bytes.find("\r\n"), from = 0; p != std::string::npos;
         from = p + 2, p = bytes.find("\r\n", from))
        n += p > from && bytes[from] != '#';
    return n;
}

} // namespace

// Only the current record is held: reading 50 MB costs the program no more
// memory than reading 5 MB, beyond what the pupils themselves take.
TEST(HostileSources, AFiftyMegabytePupilTable) {
    Folder small(false), large(false);
    const long fewPupils = writePupilTable(small.path() / "F_ELE.DBF", 5L << 20);
    const long manyPupils = writePupilTable(large.path() / "F_ELE.DBF", 50L << 20);
    ASSERT_GE(fs::file_size(large.path() / "F_ELE.DBF"), (50u << 20) - 8192u);
    const BatchRun few = runBatch({"gep-b2i", "--dir", small.str()}, small.path());
    const BatchRun many = runBatch({"gep-b2i", "--dir", large.str()}, large.path());
    ASSERT_EQ(few.status, 0) << few.out;
    ASSERT_EQ(many.status, 0) << many.out;
    EXPECT_EQ(accountLines(small.read("eleves.txt")), fewPupils);
    EXPECT_EQ(accountLines(large.read("eleves.txt")), manyPupils);
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "memory is not measured under AddressSanitizer (it keeps freed blocks)";
#endif
    // 45 MB more of table; about 8,500 more pupils, whose accounts and lists stay.
    const long grownKb = many.maxRssKb - few.maxRssKb;
    EXPECT_LT(grownKb, 16 * 1024) << "peak " << many.maxRssKb << " KB against " << few.maxRssKb;
}

namespace {

const std::string kJet3 = testsupport::corpusFile("jahlborn-jackcess__testV1997.mdb");
const std::string kJet4 = testsupport::corpusFile("jahlborn-jackcess__fixedTextTestV2000.mdb");
const std::string kPupils = "DUPONT;Catherine;3A;03/05/2009\r\n";

class HostileAccess : public ::testing::Test {
  protected:
    void SetUp() override {
        SKIP_WITHOUT_CORPUS(kJet3);
        SKIP_WITHOUT_CORPUS(kJet4);
        std::ofstream(folder.path() / "ELEVES.CSV", std::ios::binary) << kPupils;
    }
    // The export with --accounts of `bytes` written as base.mdb.
    BatchRun exportFrom(const std::string& bytes, const std::string& table) {
        mdb = (elsewhere.path() / "base.mdb").string();
        std::ofstream(mdb, std::ios::binary) << bytes;
        return runBatch({"access-csv", "--dir", folder.str(), "--mdb", mdb, "--table", table,
                         "--fields", "a", "--out", (elsewhere.path() / "x.csv").string(),
                         "--accounts"},
                        folder.path());
    }
    void expectRefused(const BatchRun& r, const std::string& message) {
        EXPECT_EQ(r.status, 1);
        bool said = false;
        for (const auto& line : r.err)
            said = said || line.rfind("[message] " + message, 0) == 0;
        EXPECT_TRUE(said) << (r.err.empty() ? "" : r.err[0]);
        EXPECT_EQ(folder.read("ELEVES.CSV"), kPupils);
        EXPECT_FALSE(fs::exists(elsewhere.path() / "x.csv"));
        EXPECT_FALSE(fs::exists(folder.path() / "ComptesAajouter.txt"));
    }
    Folder folder{false};
    Folder elsewhere{false};
    std::string mdb;
};

} // namespace

TEST_F(HostileAccess, DatabasesCutShort) {
    const std::string whole = bytesOf(kJet4);
    for (size_t size : {whole.size() / 2, size_t{4096 * 3 + 100}, size_t{100}}) {
        SCOPED_TRACE(size);
        expectRefused(exportFrom(whole.substr(0, size), "users"),
                      "Base Access illisible (fichier tronqué) : " + mdb);
    }
}

TEST_F(HostileAccess, TextAndEmptyFilesNamedMdb) {
    for (const std::string& bytes :
         {std::string("nom;prénom;classe\r\nDUPONT;Catherine;3A\r\n"), std::string()}) {
        SCOPED_TRACE(bytes.size());
        expectRefused(exportFrom(bytes, "users"), "Base Access illisible : " + mdb);
    }
}

// One byte changed in the Access 97 database makes the Access library crash
// while it reads the catalogue. The crash happens in the component's child
// process: the program says so and goes on.
TEST_F(HostileAccess, ACrashOfTheAccessLibrary) {
    std::string bytes = bytesOf(kJet3);
    ASSERT_GT(bytes.size(), 4131u);
    bytes[4131] = static_cast<char>(111);
    expectRefused(exportFrom(bytes, "Table1"),
                  "La lecture de la base Access a échoué : le fichier est peut-être endommagé");
}

// An update against a folder given as the EXPORT file stops before it deletes or
// writes anything: every pupil would otherwise count as new.
TEST(HostileSources, AFolderGivenAsTheExportFile) {
    Folder f;
    Folder other(false);
    std::ofstream(f.path() / "ComptesAajouter.txt", std::ios::binary) << "last year\r\n";
    fs::copy_file(fs::path(ROLVANE_SOURCE_DIR) / "samples" / "csv" / "ELEVES.CSV",
                  f.path() / "ELEVES.CSV");
    for (const std::string job : {"gep-update", "csv-update"}) {
        SCOPED_TRACE(job);
        const BatchRun r = runBatch(
            {job, "--dir", f.str(), "--rne1", "0590001A", "--export", other.str()}, f.path());
        EXPECT_EQ(r.status, 1);
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.back(), "[message] Le fichier EXPORT est introuvable ou illisible : " +
                                    other.str() + ". La mise à jour n'a pas été faite.");
        EXPECT_EQ(f.read("ComptesAajouter.txt"), "last year\r\n");
    }
}

// A file given as the EXPORT that holds no account line after its header (another
// text file, a header alone, nothing) stops every job that takes it for the
// server's accounts before it deletes anything.
TEST(HostileSources, AFileThatIsNoExport) {
    Folder f;
    for (const char* source : {"csv/ELEVES.CSV", "siecle/ElevesSansAdresses.xml"})
        fs::copy_file(fs::path(ROLVANE_SOURCE_DIR) / "samples" / source,
                      f.path() / fs::path(source).filename());
    const std::string notExport = (f.path() / "passwd").string();
    for (const char* bytes : {"root:x:0:0:root:/root:/bin/bash\nDUPONT;Anne;c3a\n",
                              "Nom;Prenom;Groupe;Login;Mot de passe\r\n", ""})
        for (const std::string job :
             {"gep-update", "siecle-update", "csv-update", "rename-logins"}) {
            SCOPED_TRACE(job + " " + bytes);
            std::ofstream(notExport, std::ios::binary) << bytes;
            std::ofstream(f.path() / "doublons.txt", std::ios::binary) << "last year\r\n";
            const BatchRun r = runBatch(
                {job, "--dir", f.str(), "--rne1", "0590001A", "--yes", "--export", notExport},
                f.path());
            EXPECT_EQ(r.status, 1);
            ASSERT_FALSE(r.err.empty());
            EXPECT_EQ(r.err.back(), "[message] Le fichier " + notExport +
                                        " ne ressemble pas à un fichier EXPORT de Kwartz. La "
                                        "mise à jour n'a pas été faite.");
            EXPECT_EQ(f.read("doublons.txt"), "last year\r\n");
        }
}
