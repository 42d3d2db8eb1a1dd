// The SIECLE and STS-web exports read through libxml2's tree: a lycée's file is a
// few megabytes, which the tree holds easily, and the pupils' divisions lie in a
// part of the file after the pupils themselves. A document type declaration is
// refused as soon as it is met: the exports never carry one, and the entities it
// could declare would let a file of a few kilobytes expand into gigabytes.
#include "sources/siecle_reader.h"

#include "text/files.h"
#include "text/source_text.h"
#include "text/text.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <cstring>
#include <memory>
#include <unordered_map>

namespace modvesk {

namespace {

using Node = xmlNode*;

bool named(Node n, const char* name) {
    return n && n->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}

// The child elements of `parent` called `name`, in document order.
std::vector<Node> children(Node parent, const char* name) {
    std::vector<Node> found;
    if (!parent) return found;
    for (Node n = parent->children; n; n = n->next)
        if (named(n, name)) found.push_back(n);
    return found;
}

Node child(Node parent, const char* name) {
    if (!parent) return nullptr;
    for (Node n = parent->children; n; n = n->next)
        if (named(n, name)) return n;
    return nullptr;
}

// The element at the end of a path of child names ("DONNEES", "ELEVES"), or nullptr.
Node descend(Node from, std::initializer_list<const char*> path) {
    for (const char* name : path)
        from = child(from, name);
    return from;
}

std::string ansiOf(const xmlChar* utf8Text) {
    return utf8Text ? Utf8ToAnsi(reinterpret_cast<const char*>(utf8Text)) : std::string();
}

// The text of the child element `name`, "" when it is absent.
std::string text(Node parent, const char* name) {
    Node n = child(parent, name);
    if (!n) return "";
    xmlChar* content = xmlNodeGetContent(n);
    std::string out = ansiOf(content);
    xmlFree(content);
    return out;
}

std::string attribute(Node n, const char* name) {
    xmlChar* value = xmlGetProp(n, reinterpret_cast<const xmlChar*>(name));
    std::string out = ansiOf(value);
    xmlFree(value);
    return out;
}

// ELEVE_ID -> CODE_STRUCTURE of the pupil's first structure of type "D".
std::unordered_map<std::string, std::string> pupilDivisions(Node data) {
    std::unordered_map<std::string, std::string> divisions;
    for (Node owner : children(child(data, "STRUCTURES"), "STRUCTURES_ELEVE")) {
        const std::string id = Trim(attribute(owner, "ELEVE_ID"));
        if (divisions.count(id)) continue;
        for (Node structure : children(owner, "STRUCTURE"))
            if (Upper(Trim(text(structure, "TYPE_STRUCTURE"))) == "D") {
                divisions.emplace(id, text(structure, "CODE_STRUCTURE"));
                break;
            }
    }
    return divisions;
}

void readPupils(Node root, SchoolXml& out) {
    out.uaj = text(child(root, "PARAMETRES"), "UAJ");
    Node data = child(root, "DONNEES");
    const auto divisions = pupilDivisions(data);
    for (Node e : children(child(data, "ELEVES"), "ELEVE")) {
        SieclePupil p;
        p.eleveId = attribute(e, "ELEVE_ID");
        p.elenoet = attribute(e, "ELENOET");
        p.birthName = child(e, "NOM_DE_FAMILLE") ? text(e, "NOM_DE_FAMILLE") : text(e, "NOM");
        p.usageName = text(e, "NOM_USAGE");
        p.firstName = text(e, "PRENOM");
        p.birthDate = text(e, "DATE_NAISS");
        p.leftOn = text(e, "DATE_SORTIE");
        const auto d = divisions.find(Trim(p.eleveId));
        if (d != divisions.end()) p.division = d->second;
        out.pupils.push_back(std::move(p));
    }
}

// The ENSEIGNANT IDs of the services of a division or group, in document order.
std::vector<std::string> serviceTeachers(Node holder) {
    std::vector<std::string> ids;
    for (Node service : children(child(holder, "SERVICES"), "SERVICE"))
        for (Node teacher : children(child(service, "ENSEIGNANTS"), "ENSEIGNANT"))
            ids.push_back(attribute(teacher, "ID"));
    return ids;
}

void readStaff(Node root, SchoolXml& out) {
    Node school = descend(root, {"PARAMETRES", "UAJ"});
    if (school) out.uaj = attribute(school, "CODE");
    Node data = child(root, "DONNEES");
    for (Node i : children(child(data, "INDIVIDUS"), "INDIVIDU")) {
        StsPerson p;
        p.id = attribute(i, "ID");
        p.type = attribute(i, "TYPE");
        p.usageName = text(i, "NOM_USAGE");
        p.birthName = text(i, "NOM_PATRONYMIQUE");
        p.firstName = text(i, "PRENOM");
        p.birthDate = text(i, "DATE_NAISSANCE");
        p.function = text(i, "FONCTION");
        out.staff.push_back(std::move(p));
    }
    for (Node d : children(descend(data, {"STRUCTURE", "DIVISIONS"}), "DIVISION"))
        out.divisions.push_back(StsClass{attribute(d, "CODE"), {}, serviceTeachers(d)});
    for (Node g : children(descend(data, {"STRUCTURE", "GROUPES"}), "GROUPE")) {
        StsClass group{attribute(g, "CODE"), {}, serviceTeachers(g)};
        for (Node d : children(child(g, "DIVISIONS_APPARTENANCE"), "DIVISION_APPARTENANCE"))
            group.divisions.push_back(attribute(d, "CODE"));
        out.groups.push_back(std::move(group));
    }
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
    *static_cast<bool*>(ctxt->_private) = true;
    xmlStopParser(ctxt);
}

struct ContextFree {
    void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); }
};
struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

} // namespace

bool ParseSchoolXml(std::string_view bytes, SchoolXml& out, std::string& reason) {
    out = SchoolXml{};
    if (bytes.size() > static_cast<size_t>(INT_MAX)) {
        reason = ansi("est trop grand pour être lu");
        return false;
    }
    std::unique_ptr<xmlParserCtxt, ContextFree> ctxt(xmlNewParserCtxt());
    if (!ctxt) {
        reason = ansi("n'a pas pu être lu (mémoire insuffisante)");
        return false;
    }
    silenceLibxml();
    bool doctype = false;
    ctxt->_private = &doctype;
    ctxt->sax->internalSubset = stopAtDoctype;
    ctxt->sax->externalSubset = stopAtDoctype;
    // No network, no messages on the terminal: the job names the file itself.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    std::unique_ptr<xmlDoc, DocFree> doc(xmlCtxtReadMemory(
        ctxt.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, options));
    if (doctype) {
        reason = ansi("contient une déclaration DOCTYPE, que les exports SIECLE et STS-web "
                      "n'ont jamais");
        return false;
    }
    if (!doc) {
        reason = refusal(xmlCtxtGetLastError(ctxt.get()));
        return false;
    }
    Node root = xmlDocGetRootElement(doc.get());
    if (named(root, "BEE_ELEVES")) {
        out.kind = SchoolXmlKind::Pupils;
        readPupils(root, out);
    } else if (named(root, "STS_EDT")) {
        out.kind = SchoolXmlKind::Staff;
        readStaff(root, out);
    }
    return true;
}

bool ReadSchoolXml(const std::filesystem::path& path, SchoolXml& out, std::string& reason) {
    std::string bytes;
    if (!ReadAll(path, bytes)) {
        out = SchoolXml{};
        reason = ansi("ne peut pas être lu");
        return false;
    }
    return ParseSchoolXml(bytes, out, reason);
}

std::string SiecleDate(const std::string& date) {
    const std::string t = Trim(date);
    if (t.size() != 10 || t[2] != '/' || t[5] != '/') return "";
    for (size_t i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (t[i] < '0' || t[i] > '9') return "";
    return t.substr(6, 4) + t.substr(3, 2) + t.substr(0, 2);
}

} // namespace modvesk
