#include "full_text.h"

#include "sources/xml_scan.h" // kLatin9High

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// The code points of `u` into `out` (up to `room`); how many there are.
long codePoints(const icu::UnicodeString& u, uint32_t* out, size_t room) {
    size_t n = 0;
    for (int32_t i = 0; i < u.length(); i = u.moveIndex32(i, 1), ++n)
        if (n < room) out[n] = static_cast<uint32_t>(u.char32At(i));
    return static_cast<long>(n);
}

icu::UnicodeString fromCodePoints(const uint32_t* in, size_t count) {
    icu::UnicodeString u;
    for (size_t i = 0; i < count; ++i)
        u.append(static_cast<UChar32>(in[i]));
    return u;
}

// Any script to Latin, then Latin to plain ASCII letters: made once.
icu::Transliterator* plainLatin() {
    static std::unique_ptr<icu::Transliterator> t;
    static std::once_flag once;
    std::call_once(once, [] {
        UErrorCode status = U_ZERO_ERROR;
        t.reset(
            icu::Transliterator::createInstance("Any-Latin; Latin-ASCII", UTRANS_FORWARD, status));
        if (U_FAILURE(status)) t.reset();
    });
    return t.get();
}

const char* nameOf(const xmlChar* name) {
    return reinterpret_cast<const char*>(name);
}

// What the parser's handlers reach through the context.
struct ParseState {
    const rolvane_xml_handlers* handlers = nullptr;
    bool doctype = false;
    std::vector<const char*> names, values;
    std::vector<size_t> sizes;
};

ParseState& stateOf(void* context) {
    return *static_cast<ParseState*>(static_cast<xmlParserCtxt*>(context)->_private);
}

// The attributes come as (local name, prefix, URI, value, end of value) each.
void onStart(void* context, const xmlChar* name, const xmlChar*, const xmlChar*, int,
             const xmlChar**, int attributeCount, int, const xmlChar** attributes) {
    ParseState& state = stateOf(context);
    state.names.clear(), state.values.clear(), state.sizes.clear();
    for (int i = 0; i < attributeCount; ++i) {
        const xmlChar* const* a = attributes + 5 * i;
        state.names.push_back(nameOf(a[0]));
        state.values.push_back(nameOf(a[3]));
        state.sizes.push_back(static_cast<size_t>(a[4] - a[3]));
    }
    const rolvane_xml_handlers* h = state.handlers;
    h->start(h->context, nameOf(name), state.names.data(), state.values.data(), state.sizes.data(),
             state.names.size());
}

void onEnd(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    const rolvane_xml_handlers* h = stateOf(context).handlers;
    h->end(h->context);
}

void onText(void* context, const xmlChar* text, int length) {
    const rolvane_xml_handlers* h = stateOf(context).handlers;
    h->text(h->context, nameOf(text), static_cast<size_t>(length));
}

// libxml2 also reports some errors (those of its encoding converters) through its
// global error handlers, which print them in English on standard error. Here they
// print nothing: the parser context keeps the error the outcome is made of.
void silentGeneric(void*, const char*, ...) {}
void silentStructured(void*, xmlErrorPtr) {}

// The handlers are settings of the calling thread: set once in each thread that reads.
void silenceLibxml() {
    thread_local const bool silenced = [] {
        xmlSetGenericErrorFunc(nullptr, silentGeneric);
        xmlSetStructuredErrorFunc(nullptr, silentStructured);
        return true;
    }();
    (void)silenced;
}

// Called by the parser when it has read the name of a DOCTYPE, before its internal
// subset: notes it and stops the parser there, so that no entity is ever declared.
void stopAtDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto* ctxt = static_cast<xmlParserCtxt*>(context);
    static_cast<ParseState*>(ctxt->_private)->doctype = true;
    xmlStopParser(ctxt);
}

// ISO-8859-15, in which SIECLE writes its exports, decoded by this function
// rather than by iconv, which libxml2 would call for it otherwise at several
// times the cost. Decodes what fits in `out`; `inlen` and `outlen` say how many
// bytes were read and written. Runs of plain ASCII are copied eight bytes at a time.
int latin9ToUtf8(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
    unsigned char* o = out;
    unsigned char* const outEnd = out + *outlen;
    const unsigned char* i = in;
    const unsigned char* const inEnd = in + *inlen;
    while (i < inEnd && o < outEnd) {
        uint64_t eight;
        if (inEnd - i >= 8 && outEnd - o >= 8 &&
            (std::memcpy(&eight, i, 8), (eight & 0x8080808080808080ULL) == 0)) {
            std::memcpy(o, i, 8);
            i += 8, o += 8;
            continue;
        }
        const char32_t c = *i < 0x80 ? *i : modvesk::kLatin9High[*i - 0x80];
        if (c < 0x80) {
            *o++ = static_cast<unsigned char>(c);
        } else if (c < 0x800 && outEnd - o >= 2) {
            *o++ = static_cast<unsigned char>(0xC0 | c >> 6);
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        } else if (c >= 0x800 && outEnd - o >= 3) {
            *o++ = static_cast<unsigned char>(0xE0 | c >> 12);
            *o++ = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        } else {
            break; // no room left for this character
        }
        ++i;
    }
    *outlen = static_cast<int>(o - out);
    *inlen = static_cast<int>(i - in);
    return *outlen;
}

// libxml2 looks for the handler of a declared encoding among those registered
// before it asks iconv: registered once for the whole process.
void decodeLatin9Ourselves() {
    static const bool registered = [] {
        return xmlNewCharEncodingHandler("ISO-8859-15", latin9ToUtf8, nullptr) != nullptr;
    }();
    (void)registered;
}

int readBlock(void* context, char* buffer, int length) {
    const auto* h = static_cast<const rolvane_xml_handlers*>(context);
    return h->read(h->context, buffer, length);
}

int keepOpen(void*) {
    return 0;
}

struct ContextFree {
    void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); }
};
struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

void refused(const xmlError* e, rolvane_xml_outcome* outcome) {
    if (!e) {
        outcome->end = ROLVANE_XML_NO_MESSAGE;
    } else if (e->code == XML_ERR_UNSUPPORTED_ENCODING || e->code == XML_ERR_UNKNOWN_ENCODING) {
        outcome->end = ROLVANE_XML_ENCODING;
        if (e->str1) std::strncpy(outcome->encoding, e->str1, sizeof outcome->encoding - 1);
    } else {
        outcome->end = ROLVANE_XML_MALFORMED;
        outcome->line = e->line;
    }
}

} // namespace

extern "C" {

int rolvane_full_text_abi_version(void) {
    return ROLVANE_FULL_TEXT_ABI_VERSION;
}

long rolvane_full_text_compose(const uint32_t* in, size_t count, uint32_t* out, size_t room) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) return -1;
    const icu::UnicodeString composed = nfc->normalize(fromCodePoints(in, count), status);
    return U_FAILURE(status) ? -1 : codePoints(composed, out, room);
}

long rolvane_full_text_plain_latin(uint32_t c, uint32_t* out, size_t room) {
    icu::Transliterator* t = plainLatin();
    if (!t) return -1;
    icu::UnicodeString u(static_cast<UChar32>(c));
    t->transliterate(u);
    return codePoints(u, out, room);
}

void rolvane_full_text_read_xml(const rolvane_xml_handlers* handlers,
                                rolvane_xml_outcome* outcome) {
    *outcome = rolvane_xml_outcome{};
    std::unique_ptr<xmlParserCtxt, ContextFree> ctxt(xmlNewParserCtxt());
    if (!ctxt) {
        outcome->end = ROLVANE_XML_NO_MEMORY;
        return;
    }
    silenceLibxml();
    decodeLatin9Ourselves();
    ParseState state;
    state.handlers = handlers;
    ctxt->_private = &state;
    xmlSAXHandler* sax = ctxt->sax;
    sax->internalSubset = stopAtDoctype;
    sax->externalSubset = stopAtDoctype;
    sax->startElementNs = onStart;
    sax->endElementNs = onEnd;
    sax->characters = sax->cdataBlock = sax->ignorableWhitespace = onText;
    sax->comment = nullptr;
    sax->processingInstruction = nullptr;
    sax->reference = nullptr;
    // No network, no messages on the terminal: the program names the file itself.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOENT;
    const std::unique_ptr<xmlDoc, DocFree> doc(
        xmlCtxtReadIO(ctxt.get(), readBlock, keepOpen, const_cast<rolvane_xml_handlers*>(handlers),
                      nullptr, nullptr, options));
    if (state.doctype)
        outcome->end = ROLVANE_XML_DOCTYPE;
    else if (!doc)
        refused(xmlCtxtGetLastError(ctxt.get()), outcome);
    else
        outcome->end = ROLVANE_XML_READ;
}

} // extern "C"
