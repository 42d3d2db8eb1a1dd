// The SIECLE / STS-web reader on any bytes. A file is either read, and then
// holds only what its kind holds, or refused with a reason (a DOCTYPE is refused
// before any entity it declares is expanded: the seeds doctype-* hold entity
// bombs, which the run's memory limit would catch); reading the same bytes twice
// gives the same answer, and the texts handed on are Windows-1252 without NUL
// bytes, as the builders expect. What the plain XML reader accepts, libxml2
// reads the same.
#include "fuzz_support.h"
#include "sources/siecle_reader_internal.h"

#include <string>
#include <string_view>

namespace {

using namespace modvesk;

void checkText(std::string_view text) {
    if (text.find('\0') != std::string::npos) fuzzing::fail("a NUL byte in a text handed on");
}

// A summary of what was read, to compare two readings.
std::string summary(const SchoolXml& x) {
    std::string out = std::to_string(static_cast<int>(x.kind)) + '|' + x.uaj;
    for (size_t i = 0; i < x.pupils.size(); ++i) {
        const SieclePupil p = x.pupils[i];
        for (const std::string_view t : {p.eleveId, p.elenoet, p.birthName, p.usageName,
                                         p.firstName, p.birthDate, p.leftOn, p.division}) {
            checkText(t);
            out.append(1, '|').append(t);
        }
    }
    for (const auto& p : x.staff)
        for (const std::string* t : {&p.id, &p.type, &p.usageName, &p.birthName, &p.firstName,
                                     &p.birthDate, &p.function}) {
            checkText(*t);
            out += '|' + *t;
        }
    for (const auto* list : {&x.divisions, &x.groups})
        for (const auto& c : *list) {
            out += '|' + c.code;
            for (const auto& d : c.divisions)
                out += ',' + d;
            for (const auto& t : c.teachers)
                out += ';' + t;
        }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SchoolXml first, second;
    std::string reason, again;
    const bool read = ParseSchoolXml(bytes, first, reason);
    if (read != ParseSchoolXml(bytes, second, again) || reason != again)
        fuzzing::fail("the same bytes read twice give two answers");
    SchoolXml plain, libxml;
    if (ScanSchoolXml(bytes, plain) &&
        (!ParseSchoolXmlWithLibxml(bytes, libxml, again) || summary(plain) != summary(libxml)))
        fuzzing::fail("the plain reader reads what libxml2 refuses or reads otherwise");
    if (!read) {
        if (reason.empty()) fuzzing::fail("a refused file without a reason");
        return 0;
    }
    if (first.kind != SchoolXmlKind::Pupils && !first.pupils.empty())
        fuzzing::fail("pupils read from a file that is no SIECLE export");
    if (first.kind != SchoolXmlKind::Staff &&
        (!first.staff.empty() || !first.divisions.empty() || !first.groups.empty()))
        fuzzing::fail("staff or classes read from a file that is no STS-web export");
    if (summary(first) != summary(second))
        fuzzing::fail("the same bytes read twice give two schools");
    return 0;
}
