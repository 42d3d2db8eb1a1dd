// What only unusual source texts need: ICU's composition and transliteration of
// the characters Windows-1252 lacks, and libxml2's full XML parser for the
// exports the program's own plain XML reader gives up on. A module of its own,
// loaded by the program the first time a source needs it, so that the jobs on
// usual sources start without loading ICU and libxml2 at all.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define ROLVANE_FULL_TEXT_API __declspec(dllexport)
#else
#define ROLVANE_FULL_TEXT_API __attribute__((visibility("default")))
#endif

#define ROLVANE_FULL_TEXT_ABI_VERSION 1

// The version of this interface the module was built for.
ROLVANE_FULL_TEXT_API int rolvane_full_text_abi_version(void);

// The characters `in` (`count` code points) composed (Unicode NFC), written to
// `out` up to `room` of them; returns how many the composed text holds (call
// again with more room when it is more than `room`), or -1 when ICU fails.
ROLVANE_FULL_TEXT_API long rolvane_full_text_compose(const uint32_t* in, size_t count,
                                                     uint32_t* out, size_t room);

// What ICU's "Any-Latin; Latin-ASCII" transliteration makes of the character `c`,
// as code points written to `out` up to `room` of them; returns how many it makes
// (again with more room when more than `room`), or -1 when ICU has no such
// transliteration.
ROLVANE_FULL_TEXT_API long rolvane_full_text_plain_latin(uint32_t c, uint32_t* out, size_t room);

// A document read by libxml2's SAX parser: the elements, attributes (name, value
// pairs) and texts it meets go to the handlers, in UTF-8, the entities replaced.
struct rolvane_xml_handlers {
    void* context;
    // `values` holds the attributes' values, `value_sizes` their sizes in bytes.
    void (*start)(void* context, const char* name, const char* const* names,
                  const char* const* values, const size_t* value_sizes, size_t count);
    void (*end)(void* context);
    void (*text)(void* context, const char* utf8, size_t size);
    // The document's next bytes into `buffer` (up to `size`): how many were read,
    // 0 at its end, -1 on a read error.
    int (*read)(void* context, char* buffer, int size);
};

// How a reading ended.
enum rolvane_xml_end {
    ROLVANE_XML_READ = 0,      // read whole
    ROLVANE_XML_DOCTYPE = 1,   // stopped at a DOCTYPE declaration
    ROLVANE_XML_ENCODING = 2,  // declares an encoding libxml2 does not know
    ROLVANE_XML_MALFORMED = 3, // not well formed (or a read error)
    ROLVANE_XML_NO_MEMORY = 4, // no parser could be made
    ROLVANE_XML_NO_MESSAGE = 5 // not well formed, libxml2 gave no error
};
struct rolvane_xml_outcome {
    int end;             // a rolvane_xml_end
    int line;            // the line of the error (ROLVANE_XML_MALFORMED)
    char encoding[1024]; // the encoding declared (ROLVANE_XML_ENCODING), cut to fit
};

// Reads a document with the handlers; refuses a DOCTYPE as soon as it is met, so
// that no entity is ever declared, and reaches no network. ISO-8859-15 is decoded
// by the module itself rather than by iconv.
ROLVANE_FULL_TEXT_API void rolvane_full_text_read_xml(const struct rolvane_xml_handlers* handlers,
                                                      struct rolvane_xml_outcome* outcome);

#ifdef __cplusplus
}
#endif
