// The dBase reader on any bytes: the input becomes a pupil table F_ELE.DBF, the
// header is read and checked as a job does, and the three record loops run over
// it. Every record handed to a handler holds exactly R characters, and no loop
// hands over more records than the file can hold (plus the final double read).
#include "fuzz_support.h"
#include "sources/dbase_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace modvesk;
    fuzzing::clearScratch();
    fuzzing::writeFile(fuzzing::scratch() / "F_ELE.DBF", data, size);
    Session s;
    s.dir = fuzzing::scratch();

    TableLayout layout;
    const bool readable = prepareTable(s, "f_ele.dbf", Pupils, layout);
    const TableLayout raw = readLayout(s.file("F_ELE.DBF"));
    if (readable && raw.recordLength != layout.recordLength)
        fuzzing::fail("layout read twice differs");
    if (raw.recordLength < 1) fuzzing::fail("record length below 1");
    if (!readable && raw.recordLength > 1 << 20) return 0; // the job does not read such a table

    const TableLayout& used = readable ? layout : raw;
    const size_t r = static_cast<size_t>(used.recordLength);
    const size_t most = size / r + 3;
    for (int loop = 0; loop < 3; ++loop) {
        size_t records = 0;
        const RecordHandler check = [&](std::string& record) {
            if (record.size() != r) fuzzing::fail("record of the wrong length");
            if (++records > most) fuzzing::fail("more records than the file holds");
        };
        if (loop == 0) recordLoopA(s, "F_ELE.DBF", used, check);
        if (loop == 1) recordLoopB(s, "F_ELE.DBF", used, check);
        if (loop == 2) recordLoopC(s, "F_ELE.DBF", used, check);
    }
    return 0;
}
