// The SIECLE and STS-web exports read through libxml2's SAX parser: the elements
// the accounts need are taken as the parser meets them, and no tree is built, so
// that a district's export of tens of megabytes costs its reading and the records
// kept, not a tree ten times its size. The pupils' divisions lie in a part of the
// file after the pupils themselves: they are joined once the file is read. A
// document type declaration is refused as soon as it is met: the exports never
// carry one, and the entities it could declare would let a file of a few
// kilobytes expand into gigabytes.
#include "sources/siecle_reader.h"

#include "text/files.h"
#include "text/source_text.h"
#include "text/text.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_map>

namespace modvesk {

namespace {

const char* nameOf(const xmlChar* name) {
    return reinterpret_cast<const char*>(name);
}

// An open element: its name, and whether it is the first child of that name of
// its parent (the elements read once, such as DONNEES or PRENOM, are the first
// of their name), with the names of its own children met so far.
struct OpenElement {
    std::string name;
    bool first = true;
    std::vector<std::string> childNames;
};

// The attributes of an element as the SAX parser hands them: (local name,
// prefix, URI, value, end of value) for each.
struct Attributes {
    int count;
    const xmlChar** values;
    // The value of the attribute of that local name, "" when absent.
    std::string operator()(const char* name) const {
        for (int i = 0; i < count; ++i)
            if (std::strcmp(nameOf(values[5 * i]), name) == 0)
                return Utf8ToAnsi(
                    std::string_view(nameOf(values[5 * i + 3]),
                                     static_cast<size_t>(values[5 * i + 4] - values[5 * i + 3])));
        return "";
    }
};

// Takes what the accounts need from the parser's events. A path names the open
// elements below the root, "/" between them; a step ending with "*" stands for
// every element of that name, the others for the first of their name only.
class SchoolWalk {
  public:
    explicit SchoolWalk(SchoolXml& out) : out_(out) {}

    void start(const char* name, const Attributes& attributes) {
        OpenElement e{name, true, {}};
        if (!open_.empty()) {
            auto& siblings = open_.back().childNames;
            e.first = std::find(siblings.begin(), siblings.end(), e.name) == siblings.end();
            if (e.first) siblings.push_back(e.name);
        } else {
            out_.kind = e.name == "BEE_ELEVES" ? SchoolXmlKind::Pupils
                        : e.name == "STS_EDT"  ? SchoolXmlKind::Staff
                                               : SchoolXmlKind::Other;
        }
        open_.push_back(std::move(e));
        if (gathering_ == 0) {
            if (out_.kind == SchoolXmlKind::Pupils) startPupilElement(attributes);
            if (out_.kind == SchoolXmlKind::Staff) startStaffElement(attributes);
        }
    }

    void end() {
        if (gathering_ == open_.size()) {
            *into_ = Utf8ToAnsi(text_);
            gathering_ = 0;
        } else if (gathering_ == 0) {
            if (out_.kind == SchoolXmlKind::Pupils) endPupilElement();
            if (out_.kind == SchoolXmlKind::Staff) endStaffElement();
        }
        open_.pop_back();
    }

    void characters(const xmlChar* text, int length) {
        if (gathering_ > 0) text_.append(nameOf(text), static_cast<size_t>(length));
    }

    // Each pupil's division, once the whole file is read.
    void finish() {
        for (SieclePupil& p : out_.pupils) {
            const auto d = divisions_.find(Trim(p.eleveId));
            if (d != divisions_.end()) p.division = d->second;
        }
    }

  private:
    // The open elements below the root, but the last `skipped` ones, follow `path`.
    bool at(std::string_view path, size_t skipped = 0) const {
        size_t depth = 1;
        while (!path.empty()) {
            const size_t slash = path.find('/');
            std::string_view step = path.substr(0, slash);
            path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
            const bool every = !step.empty() && step.back() == '*';
            if (every) step.remove_suffix(1);
            if (depth + skipped >= open_.size() || open_[depth].name != step ||
                (!every && !open_[depth].first))
                return false;
            ++depth;
        }
        return depth + skipped == open_.size();
    }
    // The element just opened is the first of its name in an element at `path`.
    bool firstChildOf(std::string_view path) const { return open_.back().first && at(path, 1); }

    // The text of the element just opened (of its descendants too) goes into `into`.
    void gather(std::string& into) {
        into_ = &into;
        text_.clear();
        gathering_ = open_.size();
    }

    void startPupilElement(const Attributes& attributes) {
        static constexpr std::string_view kPupil = "DONNEES/ELEVES/ELEVE*";
        static constexpr std::string_view kStructure =
            "DONNEES/STRUCTURES/STRUCTURES_ELEVE*/STRUCTURE*";
        const std::string& name = open_.back().name;
        if (at("PARAMETRES/UAJ")) {
            gather(out_.uaj);
        } else if (at(kPupil)) {
            pupil_ = SieclePupil{};
            pupil_.eleveId = attributes("ELEVE_ID");
            pupil_.elenoet = attributes("ELENOET");
            familyName_.clear(), oldName_.clear();
            hasFamilyName_ = false;
        } else if (firstChildOf(kPupil)) {
            std::string* into = name == "NOM_DE_FAMILLE" ? &familyName_
                                : name == "NOM"          ? &oldName_
                                : name == "NOM_USAGE"    ? &pupil_.usageName
                                : name == "PRENOM"       ? &pupil_.firstName
                                : name == "DATE_NAISS"   ? &pupil_.birthDate
                                : name == "DATE_SORTIE"  ? &pupil_.leftOn
                                                         : nullptr;
            hasFamilyName_ = hasFamilyName_ || into == &familyName_;
            if (into) gather(*into);
        } else if (at("DONNEES/STRUCTURES/STRUCTURES_ELEVE*")) {
            owner_ = Trim(attributes("ELEVE_ID"));
            ownerDone_ = divisions_.count(owner_) > 0;
        } else if (at(kStructure)) {
            structureType_.clear(), structureCode_.clear();
        } else if (!ownerDone_ && firstChildOf(kStructure)) {
            if (name == "TYPE_STRUCTURE") gather(structureType_);
            if (name == "CODE_STRUCTURE") gather(structureCode_);
        }
    }

    void endPupilElement() {
        if (at("DONNEES/ELEVES/ELEVE*")) {
            pupil_.birthName = hasFamilyName_ ? familyName_ : oldName_;
            out_.pupils.push_back(std::move(pupil_));
        } else if (!ownerDone_ && at("DONNEES/STRUCTURES/STRUCTURES_ELEVE*/STRUCTURE*") &&
                   Upper(Trim(structureType_)) == "D") {
            divisions_.emplace(owner_, structureCode_);
            ownerDone_ = true;
        }
    }

    void startStaffElement(const Attributes& attributes) {
        static constexpr std::string_view kPerson = "DONNEES/INDIVIDUS/INDIVIDU*";
        const std::string& name = open_.back().name;
        if (at("PARAMETRES/UAJ")) {
            out_.uaj = attributes("CODE");
        } else if (at(kPerson)) {
            person_ = StsPerson{};
            person_.id = attributes("ID");
            person_.type = attributes("TYPE");
        } else if (firstChildOf(kPerson)) {
            std::string* into = name == "NOM_USAGE"          ? &person_.usageName
                                : name == "NOM_PATRONYMIQUE" ? &person_.birthName
                                : name == "PRENOM"           ? &person_.firstName
                                : name == "DATE_NAISSANCE"   ? &person_.birthDate
                                : name == "FONCTION"         ? &person_.function
                                                             : nullptr;
            if (into) gather(*into);
        } else if (at("DONNEES/STRUCTURE/DIVISIONS/DIVISION*") ||
                   at("DONNEES/STRUCTURE/GROUPES/GROUPE*")) {
            class_ = StsClass{attributes("CODE"), {}, {}};
        } else if (at("DONNEES/STRUCTURE/DIVISIONS/DIVISION*/SERVICES/SERVICE*/ENSEIGNANTS/"
                      "ENSEIGNANT*") ||
                   at("DONNEES/STRUCTURE/GROUPES/GROUPE*/SERVICES/SERVICE*/ENSEIGNANTS/"
                      "ENSEIGNANT*")) {
            class_.teachers.push_back(attributes("ID"));
        } else if (at("DONNEES/STRUCTURE/GROUPES/GROUPE*/DIVISIONS_APPARTENANCE/"
                      "DIVISION_APPARTENANCE*")) {
            class_.divisions.push_back(attributes("CODE"));
        }
    }

    void endStaffElement() {
        if (at("DONNEES/INDIVIDUS/INDIVIDU*")) out_.staff.push_back(std::move(person_));
        if (at("DONNEES/STRUCTURE/DIVISIONS/DIVISION*"))
            out_.divisions.push_back(std::move(class_));
        if (at("DONNEES/STRUCTURE/GROUPES/GROUPE*")) out_.groups.push_back(std::move(class_));
    }

    SchoolXml& out_;
    std::vector<OpenElement> open_;
    size_t gathering_ = 0; // depth of the element whose text is gathered, 0 when none
    std::string* into_ = nullptr;
    std::string text_; // UTF-8
    SieclePupil pupil_;
    std::string familyName_, oldName_;
    bool hasFamilyName_ = false;
    std::unordered_map<std::string, std::string> divisions_; // ELEVE_ID -> first "D" code
    std::string owner_, structureType_, structureCode_;
    bool ownerDone_ = false;
    StsPerson person_;
    StsClass class_;
};

// What the parser's handlers reach through the context.
struct ParseState {
    bool doctype = false;
    SchoolWalk* walk = nullptr;
};

SchoolWalk& walkOf(void* context) {
    return *static_cast<ParseState*>(static_cast<xmlParserCtxt*>(context)->_private)->walk;
}

void onStart(void* context, const xmlChar* name, const xmlChar*, const xmlChar*, int,
             const xmlChar**, int attributeCount, int, const xmlChar** attributes) {
    walkOf(context).start(nameOf(name), Attributes{attributeCount, attributes});
}

void onEnd(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    walkOf(context).end();
}

void onText(void* context, const xmlChar* text, int length) {
    walkOf(context).characters(text, length);
}

// Why libxml2 refused the document, in French.
std::string refusal(const xmlError* e) {
    if (!e) return ansi("n'est pas un fichier XML bien formé");
    if (e->code == XML_ERR_UNSUPPORTED_ENCODING || e->code == XML_ERR_UNKNOWN_ENCODING) {
        const std::string name = e->str1 ? std::string(e->str1) : std::string();
        return ansi("déclare un codage inconnu") + (name.empty() ? "" : " (" + Trim(name) + ")");
    }
    return ansi("n'est pas un fichier XML bien formé (ligne ") + Str(e->line) + ")";
}

// libxml2 also reports some errors (those of its encoding converters) through its
// global error handlers, which print them in English on standard error. Here they
// print nothing: the parser context keeps the error that the reason is made of.
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

struct ContextFree {
    void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); }
};
struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

// Reads the document through `read` (libxml2's reading of memory or of a file):
// the elements go to the walk instead of a tree. The entities are replaced where
// they stand: with the DOCTYPE refused, only the five predefined ones can occur.
template <typename Read> bool parse(SchoolXml& out, std::string& reason, Read read) {
    out = SchoolXml{};
    std::unique_ptr<xmlParserCtxt, ContextFree> ctxt(xmlNewParserCtxt());
    if (!ctxt) {
        reason = ansi("n'a pas pu être lu (mémoire insuffisante)");
        return false;
    }
    silenceLibxml();
    SchoolWalk walk(out);
    ParseState state{false, &walk};
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
    // No network, no messages on the terminal: the job names the file itself.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOENT;
    std::unique_ptr<xmlDoc, DocFree> doc(read(ctxt.get(), options));
    if (state.doctype) {
        out = SchoolXml{};
        reason = ansi("contient une déclaration DOCTYPE, que les exports SIECLE et STS-web "
                      "n'ont jamais");
        return false;
    }
    if (!doc) {
        out = SchoolXml{};
        reason = refusal(xmlCtxtGetLastError(ctxt.get()));
        return false;
    }
    walk.finish();
    return true;
}

// A file read a block at a time by the parser; `failed` tells a read error from
// the end of the file.
struct FileInput {
    std::FILE* file;
    bool failed = false;
};

int readBlock(void* context, char* buffer, int length) {
    auto* input = static_cast<FileInput*>(context);
    const size_t got = std::fread(buffer, 1, static_cast<size_t>(length), input->file);
    if (got == 0 && std::ferror(input->file)) {
        input->failed = true;
        return -1;
    }
    return static_cast<int>(got);
}

int keepOpen(void*) {
    return 0;
}

} // namespace

bool ParseSchoolXml(std::string_view bytes, SchoolXml& out, std::string& reason) {
    if (bytes.size() > static_cast<size_t>(INT_MAX)) {
        out = SchoolXml{};
        reason = ansi("est trop grand pour être lu");
        return false;
    }
    return parse(out, reason, [&](xmlParserCtxt* ctxt, int options) {
        return xmlCtxtReadMemory(ctxt, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                 nullptr, options);
    });
}

bool ReadSchoolXml(const std::filesystem::path& path, SchoolXml& out, std::string& reason) {
    const fs::path resolved = resolvePath(path);
    std::error_code ec;
    const auto size = fs::file_size(resolved, ec);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        FileExists(path) ? std::fopen(resolved.c_str(), "rb") : nullptr, std::fclose);
    if (!file || ec) {
        out = SchoolXml{};
        reason = ansi("ne peut pas être lu");
        return false;
    }
    if (size > static_cast<uintmax_t>(INT_MAX)) {
        out = SchoolXml{};
        reason = ansi("est trop grand pour être lu");
        return false;
    }
    FileInput input{file.get()};
    const bool read = parse(out, reason, [&](xmlParserCtxt* ctxt, int options) {
        return xmlCtxtReadIO(ctxt, readBlock, keepOpen, &input, nullptr, nullptr, options);
    });
    if (input.failed) {
        out = SchoolXml{};
        reason = ansi("ne peut pas être lu");
        return false;
    }
    return read;
}

std::string SiecleDate(const std::string& date) {
    const std::string t = Trim(date);
    if (t.size() != 10 || t[2] != '/' || t[5] != '/') return "";
    for (size_t i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (t[i] < '0' || t[i] > '9') return "";
    return t.substr(6, 4) + t.substr(3, 2) + t.substr(0, 2);
}

} // namespace modvesk
