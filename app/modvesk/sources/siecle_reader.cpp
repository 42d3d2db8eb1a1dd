// The SIECLE and STS-web exports read as a stream of elements: the elements the
// accounts need are taken as the reader meets them, and no tree is built, so
// that a district's export of tens of megabytes costs its reading and the records
// kept, not a tree ten times its size. The plain XML reader (sources/xml_scan.h)
// reads the exports as they are written; a file it gives up on is read again by
// libxml2's SAX parser (through the full-text module, loaded then), whose answer,
// refusal and reason included, is then the file's. The pupils' divisions lie in a part of the file
// after the pupils themselves: they are joined once the file is read. A document type declaration
// is refused as soon as libxml2 meets it: the exports never carry one, and the
// entities it could declare would let a file of a few kilobytes expand into
// gigabytes.
#include "sources/siecle_reader.h"

#include "sources/siecle_reader_internal.h"
#include "sources/xml_scan.h"

#include "text/files.h"
#include "text/full_text_client.h"
#include "text/source_text.h"
#include "text/text.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace modvesk {

namespace {

// The element names the exports' paths are made of. An element's tag is the
// number of its name here; 0 for every other name.
using Tag = uint8_t;
constexpr std::string_view kTagNames[] = {"",
                                          "BEE_ELEVES",
                                          "STS_EDT",
                                          "PARAMETRES",
                                          "UAJ",
                                          "DONNEES",
                                          "ELEVES",
                                          "ELEVE",
                                          "NOM_DE_FAMILLE",
                                          "NOM",
                                          "NOM_USAGE",
                                          "PRENOM",
                                          "DATE_NAISS",
                                          "DATE_SORTIE",
                                          "STRUCTURES",
                                          "STRUCTURES_ELEVE",
                                          "STRUCTURE",
                                          "TYPE_STRUCTURE",
                                          "CODE_STRUCTURE",
                                          "INDIVIDUS",
                                          "INDIVIDU",
                                          "NOM_PATRONYMIQUE",
                                          "DATE_NAISSANCE",
                                          "FONCTION",
                                          "DIVISIONS",
                                          "DIVISION",
                                          "GROUPES",
                                          "GROUPE",
                                          "SERVICES",
                                          "SERVICE",
                                          "ENSEIGNANTS",
                                          "ENSEIGNANT",
                                          "DIVISIONS_APPARTENANCE",
                                          "DIVISION_APPARTENANCE"};
constexpr size_t kTagCount = std::size(kTagNames);
static_assert(kTagCount <= 64, "an open element notes the tags of its children in 64 bits");

// The tag of a name of the list, for the code.
consteval Tag tagNamed(std::string_view name) {
    for (size_t i = 1; i < kTagCount; ++i)
        if (kTagNames[i] == name) return static_cast<Tag>(i);
    throw "not an element name of the exports";
}

// Each name's slot in a table of 128: a function of its length and its first and
// last letters that no two names of the list share (checked when compiling), so
// that a name met in a file is compared with one name of the list at most.
constexpr size_t slotOf(std::string_view name) {
    return (name.size() * 4 + static_cast<unsigned char>(name.front()) * 11 +
            static_cast<unsigned char>(name.back())) %
           128;
}

constexpr auto kTagSlots = [] {
    std::array<Tag, 128> slots{};
    for (size_t i = 1; i < kTagCount; ++i) {
        if (slots[slotOf(kTagNames[i])] != 0) throw "two element names share a slot";
        slots[slotOf(kTagNames[i])] = static_cast<Tag>(i);
    }
    return slots;
}();

// The tag of a name met in a file.
inline Tag tagOf(std::string_view n) {
    if (n.empty()) return 0;
    const Tag tag = kTagSlots[slotOf(n)];
    const std::string_view known = kTagNames[tag];
    return known.size() == n.size() && SameBytes(known.data(), n.data(), n.size()) ? tag : 0;
}

// Where an element stands among those the accounts need; None for every other
// element and all below it. A "*" marks the steps taken for every element of
// that name, the others for the first of their name in their parent only.
enum class Place : uint8_t {
    None,
    Root,
    Parametres,   // PARAMETRES
    Uaj,          // PARAMETRES/UAJ
    Donnees,      // DONNEES
    Eleves,       // DONNEES/ELEVES
    Eleve,        // DONNEES/ELEVES/ELEVE*
    PupilField,   // its NOM_DE_FAMILLE, NOM, NOM_USAGE, PRENOM, DATE_NAISS, DATE_SORTIE
    Structures,   // DONNEES/STRUCTURES
    PupilOwner,   // DONNEES/STRUCTURES/STRUCTURES_ELEVE*
    PupilStruct,  // its STRUCTURE*
    StructField,  // their TYPE_STRUCTURE, CODE_STRUCTURE
    Individus,    // DONNEES/INDIVIDUS
    Individu,     // DONNEES/INDIVIDUS/INDIVIDU*
    PersonField,  // its NOM_USAGE, NOM_PATRONYMIQUE, PRENOM, DATE_NAISSANCE, FONCTION
    StsStructure, // DONNEES/STRUCTURE
    Divisions,    // DONNEES/STRUCTURE/DIVISIONS
    Division,     // DONNEES/STRUCTURE/DIVISIONS/DIVISION*
    Groupes,      // DONNEES/STRUCTURE/GROUPES
    Groupe,       // DONNEES/STRUCTURE/GROUPES/GROUPE*
    Services,     // the SERVICES of a DIVISION* or a GROUPE*
    Service,      // their SERVICE*
    Enseignants,  // their ENSEIGNANTS
    Enseignant,   // their ENSEIGNANT*
    Memberships,  // the DIVISIONS_APPARTENANCE of a GROUPE*
    Membership,   // their DIVISION_APPARTENANCE*
    Count
};

// A step of the exports' paths: the place of an element named `tag` in one at
// `from`. A step is taken for the first child of that name only, or for `every` one.
struct Step {
    Place from = Place::None;
    Tag tag = 0;
    Place to = Place::None;
    bool every = false;
};

constexpr Step kSteps[] = {
    {Place::Root, tagNamed("PARAMETRES"), Place::Parametres},
    {Place::Parametres, tagNamed("UAJ"), Place::Uaj},
    {Place::Root, tagNamed("DONNEES"), Place::Donnees},
    {Place::Donnees, tagNamed("ELEVES"), Place::Eleves},
    {Place::Eleves, tagNamed("ELEVE"), Place::Eleve, true},
    {Place::Eleve, tagNamed("NOM_DE_FAMILLE"), Place::PupilField},
    {Place::Eleve, tagNamed("NOM"), Place::PupilField},
    {Place::Eleve, tagNamed("NOM_USAGE"), Place::PupilField},
    {Place::Eleve, tagNamed("PRENOM"), Place::PupilField},
    {Place::Eleve, tagNamed("DATE_NAISS"), Place::PupilField},
    {Place::Eleve, tagNamed("DATE_SORTIE"), Place::PupilField},
    {Place::Donnees, tagNamed("STRUCTURES"), Place::Structures},
    {Place::Structures, tagNamed("STRUCTURES_ELEVE"), Place::PupilOwner, true},
    {Place::PupilOwner, tagNamed("STRUCTURE"), Place::PupilStruct, true},
    {Place::PupilStruct, tagNamed("TYPE_STRUCTURE"), Place::StructField},
    {Place::PupilStruct, tagNamed("CODE_STRUCTURE"), Place::StructField},
    {Place::Donnees, tagNamed("INDIVIDUS"), Place::Individus},
    {Place::Individus, tagNamed("INDIVIDU"), Place::Individu, true},
    {Place::Individu, tagNamed("NOM_USAGE"), Place::PersonField},
    {Place::Individu, tagNamed("NOM_PATRONYMIQUE"), Place::PersonField},
    {Place::Individu, tagNamed("PRENOM"), Place::PersonField},
    {Place::Individu, tagNamed("DATE_NAISSANCE"), Place::PersonField},
    {Place::Individu, tagNamed("FONCTION"), Place::PersonField},
    {Place::Donnees, tagNamed("STRUCTURE"), Place::StsStructure},
    {Place::StsStructure, tagNamed("DIVISIONS"), Place::Divisions},
    {Place::Divisions, tagNamed("DIVISION"), Place::Division, true},
    {Place::StsStructure, tagNamed("GROUPES"), Place::Groupes},
    {Place::Groupes, tagNamed("GROUPE"), Place::Groupe, true},
    {Place::Division, tagNamed("SERVICES"), Place::Services},
    {Place::Groupe, tagNamed("SERVICES"), Place::Services},
    {Place::Services, tagNamed("SERVICE"), Place::Service, true},
    {Place::Service, tagNamed("ENSEIGNANTS"), Place::Enseignants},
    {Place::Enseignants, tagNamed("ENSEIGNANT"), Place::Enseignant, true},
    {Place::Groupe, tagNamed("DIVISIONS_APPARTENANCE"), Place::Memberships},
    {Place::Memberships, tagNamed("DIVISION_APPARTENANCE"), Place::Membership, true},
};

// The steps by place and tag.
constexpr auto kStepTable = [] {
    std::array<std::array<Step, kTagCount>, static_cast<size_t>(Place::Count)> table{};
    for (const Step& s : kSteps)
        table[static_cast<size_t>(s.from)][s.tag] = s;
    return table;
}();

// The place of an element named `tag` in an element at `parent`; `first` when
// it is the first child of that name of its parent.
Place placeIn(Place parent, Tag tag, bool first) {
    const Step& step = kStepTable[static_cast<size_t>(parent)][tag];
    return first || step.every ? step.to : Place::None;
}

// An open element: its place, and the tags of its children met so far (one bit
// each), which tell whether a child is the first of its name.
struct OpenElement {
    Place place;
    uint64_t childTags = 0;
};

bool isAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Puts the text in `into`. Most of the strings given are a new pupil's, empty:
// an append copies the text plainly, where an assign takes the general replace.
void copyInto(std::string& into, std::string_view text) {
    if (into.empty())
        into.append(text);
    else
        into.assign(text);
}

// The attributes of an element: the value of the one of that (local) name,
// "" when absent.
struct Attributes {
    std::span<const XmlAttribute> list;
    std::string operator()(std::string_view name) const {
        std::string value;
        into(name, value);
        return value;
    }
    // The same into `value`, whose room is kept; the text read (UTF-8) as
    // Windows-1252, plain ASCII as it is.
    void into(std::string_view name, std::string& value) const {
        for (const XmlAttribute& a : list) {
            if (a.name.size() != name.size() || !SameBytes(a.name.data(), name.data(), name.size()))
                continue;
            if (isAscii(a.value))
                copyInto(value, a.value);
            else
                value = Utf8ToAnsi(a.value);
            return;
        }
        value.clear();
    }
};

// A TYPE_STRUCTURE of "D", blanks around or in lower case: the structure is a division.
bool isDivisionType(std::string_view type) {
    const std::string_view t = TrimView(type);
    return t == "D" || t == "d";
}

// Takes what the accounts need from the parser's events, told by the place of
// each element.
class SchoolWalk final : public XmlEvents {
  public:
    explicit SchoolWalk(SchoolXml& out) : out_(out) { textWanted = false; }

    void start(std::string_view name, std::span<const XmlAttribute> list) override {
        // Nothing below an element of no use, nor below the one whose text is
        // gathered, is of use.
        if (!open_.empty() && (gathering_ != 0 || open_.back().place == Place::None)) {
            open_.push_back({Place::None});
            return;
        }
        const Attributes attributes{list};
        const Tag tag = tagOf(name);
        Place place = Place::Root;
        if (!open_.empty()) {
            const uint64_t bit = uint64_t{1} << static_cast<unsigned>(tag);
            OpenElement& parent = open_.back();
            place = placeIn(parent.place, tag, (parent.childTags & bit) == 0);
            parent.childTags |= bit;
        } else {
            out_.kind = tag == tagNamed("BEE_ELEVES") ? SchoolXmlKind::Pupils
                        : tag == tagNamed("STS_EDT")  ? SchoolXmlKind::Staff
                                                      : SchoolXmlKind::Other;
        }
        open_.push_back({place});
        if (gathering_ == 0 && place != Place::None) {
            if (out_.kind == SchoolXmlKind::Pupils) startPupilElement(tag, place, attributes);
            if (out_.kind == SchoolXmlKind::Staff) startStaffElement(tag, place, attributes);
        }
    }

    void end() override {
        if (gathering_ == open_.size()) {
            if (!gatheredAscii_ && !isAscii(*into_)) *into_ = Utf8ToAnsi(*into_);
            gathering_ = 0;
            textWanted = false;
        } else if (gathering_ == 0) {
            const Place place = open_.back().place;
            if (out_.kind == SchoolXmlKind::Pupils) endPupilElement(place);
            if (out_.kind == SchoolXmlKind::Staff) endStaffElement(place);
        }
        open_.pop_back();
    }

    void text(std::string_view utf8, bool ascii) override {
        if (gathering_ == 0) return;
        into_->append(utf8);
        gatheredAscii_ = gatheredAscii_ && ascii;
    }

    // Most elements are fields of one text: the text goes straight to its field,
    // without opening the element. Below an element of no use, a leaf is nothing;
    // below the element gathered, its text. Any other leaf is opened and closed.
    void leaf(std::string_view name, std::string_view ascii) override {
        if (gathering_ != 0)
            into_->append(ascii);
        else if (open_.empty() ||
                 (open_.back().place != Place::None && !takenAsField(tagOf(name), ascii)))
            XmlEvents::leaf(name, ascii);
    }

    // Each pupil's division, once the whole file is read: the first "D" code
    // found for his ID, whichever of the owner's elements held it.
    void finish() {
        if (!joinInOrder()) joinByTable();
    }

  private:
    // IDs in the order of their lengths, then of their bytes: the numbers' own
    // order for IDs of digits.
    static bool idLess(std::string_view a, std::string_view b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    }

    // The exports list the pupils and their structures in the same order of
    // IDs, each once: the two lists are then joined in one pass. False, nothing
    // joined, when either list is out of that order or holds an ID twice.
    bool joinInOrder() {
        SieclePupils& pupils = out_.pupils;
        const auto ascending = [](size_t n, const auto& idOf) {
            for (size_t i = 1; i < n; ++i)
                if (!idLess(idOf(i - 1), idOf(i))) return false;
            return true;
        };
        const auto pupilId = [&pupils](size_t i) { return TrimView(pupils.eleveId(i)); };
        const auto ownerId = [this](size_t i) { return std::string_view(divisions_[i].owner); };
        if (!ascending(pupils.size(), pupilId) || !ascending(divisions_.size(), ownerId))
            return false;
        auto d = divisions_.begin();
        for (size_t i = 0; i < pupils.size(); ++i) {
            const std::string_view id = pupilId(i);
            while (d != divisions_.end() && idLess(d->owner, id))
                ++d;
            if (d != divisions_.end() && d->owner == id) pupils.setDivision(i, (d++)->code);
        }
        return true;
    }

    // Any other order: the first division of each owner, looked up by each pupil's ID.
    void joinByTable() {
        std::unordered_map<std::string_view, const std::string*, TextHash> first;
        first.reserve(divisions_.size());
        for (const OwnerDivision& d : divisions_)
            first.emplace(d.owner, &d.code);
        for (size_t i = 0; i < out_.pupils.size(); ++i) {
            const auto d = first.find(TrimView(out_.pupils.eleveId(i)));
            if (d != first.end()) out_.pupils.setDivision(i, *d->second);
        }
    }

    // The text of the element just opened (of its descendants too) goes into
    // `into`, in UTF-8 until the element ends.
    void gather(std::string& into) {
        into_ = &into;
        into.clear();
        gathering_ = open_.size();
        gatheredAscii_ = true;
        textWanted = true;
    }

    // A leaf of this tag met in the open element, when it is of no use or fills
    // a field: its text put in the field, and the leaf noted among its parent's
    // children. False, nothing done, for any other leaf.
    bool takenAsField(Tag tag, std::string_view ascii) {
        OpenElement& parent = open_.back();
        const uint64_t bit = uint64_t{1} << static_cast<unsigned>(tag);
        const Place place = placeIn(parent.place, tag, (parent.childTags & bit) == 0);
        std::string* field = nullptr;
        if (place == Place::None) {
            parent.childTags |= bit;
            return true;
        }
        if (out_.kind == SchoolXmlKind::Pupils) {
            if (place == Place::Uaj) field = &out_.uaj;
            if (place == Place::PupilField) field = pupilField(tag);
            if (place == Place::StructField && !ownerDone_)
                field = tag == tagNamed("TYPE_STRUCTURE") ? &structureType_ : &structureCode_;
        } else if (out_.kind == SchoolXmlKind::Staff && place == Place::PersonField) {
            field = &personField(tag);
        }
        if (!field) return false;
        parent.childTags |= bit;
        copyInto(*field, ascii);
        return true;
    }

    std::string* pupilField(Tag tag) {
        switch (tag) {
        case tagNamed("NOM_DE_FAMILLE"):
            hasFamilyName_ = true;
            return &pupil_.birthName;
        case tagNamed("NOM"):
            return &oldName_;
        case tagNamed("NOM_USAGE"):
            return &pupil_.usageName;
        case tagNamed("PRENOM"):
            return &pupil_.firstName;
        case tagNamed("DATE_NAISS"):
            return &pupil_.birthDate;
        default:
            return &pupil_.leftOn;
        }
    }

    void startPupilElement(Tag tag, Place place, const Attributes& attributes) {
        switch (place) {
        case Place::Uaj:
            gather(out_.uaj);
            break;
        case Place::Eleve:
            // The strings of the pupil read before keep their room.
            for (std::string* field : {&pupil_.birthName, &pupil_.usageName, &pupil_.firstName,
                                       &pupil_.birthDate, &pupil_.leftOn, &oldName_})
                field->clear();
            attributes.into("ELEVE_ID", pupil_.eleveId);
            attributes.into("ELENOET", pupil_.elenoet);
            hasFamilyName_ = false;
            break;
        case Place::PupilField:
            gather(*pupilField(tag));
            break;
        case Place::Structures:
            divisions_.reserve(out_.pupils.size());
            break;
        case Place::PupilOwner:
            attributes.into("ELEVE_ID", owner_);
            owner_.assign(TrimView(owner_));
            ownerDone_ = false;
            break;
        case Place::PupilStruct:
            structureType_.clear(), structureCode_.clear();
            break;
        case Place::StructField:
            if (!ownerDone_)
                gather(tag == tagNamed("TYPE_STRUCTURE") ? structureType_ : structureCode_);
            break;
        default:
            break;
        }
    }

    void endPupilElement(Place place) {
        if (place == Place::Eleve) {
            if (!hasFamilyName_) pupil_.birthName.swap(oldName_);
            out_.pupils.add({pupil_.eleveId, pupil_.elenoet, pupil_.birthName, pupil_.usageName,
                             pupil_.firstName, pupil_.birthDate, pupil_.leftOn});
        } else if (place == Place::PupilStruct && !ownerDone_ && isDivisionType(structureType_)) {
            divisions_.push_back({owner_, structureCode_});
            ownerDone_ = true;
        }
    }

    std::string& personField(Tag tag) {
        switch (tag) {
        case tagNamed("NOM_USAGE"):
            return person_.usageName;
        case tagNamed("NOM_PATRONYMIQUE"):
            return person_.birthName;
        case tagNamed("PRENOM"):
            return person_.firstName;
        case tagNamed("DATE_NAISSANCE"):
            return person_.birthDate;
        default:
            return person_.function;
        }
    }

    void startStaffElement(Tag tag, Place place, const Attributes& attributes) {
        switch (place) {
        case Place::Uaj:
            out_.uaj = attributes("CODE");
            break;
        case Place::Individu:
            person_ = StsPerson{};
            person_.id = attributes("ID");
            person_.type = attributes("TYPE");
            break;
        case Place::PersonField:
            gather(personField(tag));
            break;
        case Place::Division:
        case Place::Groupe:
            class_ = StsClass{attributes("CODE"), {}, {}};
            break;
        case Place::Enseignant:
            class_.teachers.push_back(attributes("ID"));
            break;
        case Place::Membership:
            class_.divisions.push_back(attributes("CODE"));
            break;
        default:
            break;
        }
    }

    void endStaffElement(Place place) {
        if (place == Place::Individu) out_.staff.push_back(std::move(person_));
        if (place == Place::Division) out_.divisions.push_back(std::move(class_));
        if (place == Place::Groupe) out_.groups.push_back(std::move(class_));
    }

    SchoolXml& out_;
    std::vector<OpenElement> open_;
    size_t gathering_ = 0; // depth of the element whose text is gathered, 0 when none
    std::string* into_ = nullptr;
    bool gatheredAscii_ = true; // every text gathered so far was plain ASCII
    // The pupil being read, stored in out_.pupils at his end.
    struct {
        std::string eleveId, elenoet, birthName, usageName, firstName, birthDate, leftOn;
    } pupil_;
    std::string oldName_;
    bool hasFamilyName_ = false;
    // The first "D" code of each STRUCTURES_ELEVE that has one, in the file's order.
    struct OwnerDivision {
        std::string owner, code;
    };
    std::vector<OwnerDivision> divisions_;
    std::string owner_, structureType_, structureCode_;
    bool ownerDone_ = false; // the owner's element being read gave its division
    StsPerson person_;
    StsClass class_;
};

// libxml2's reading through the full-text module: its events go to the walk,
// and it reads the document's bytes from memory or from a file.
struct LibxmlReading {
    SchoolWalk* walk = nullptr;
    std::vector<XmlAttribute> attributes; // the element's, for the walk
    std::string_view bytes;               // the document, when read from memory
    std::FILE* file = nullptr;            // else the file it is read from
    bool failed = false;                  // a read of the file failed
};

LibxmlReading& readingOf(void* context) {
    return *static_cast<LibxmlReading*>(context);
}

void onStart(void* context, const char* name, const char* const* names, const char* const* values,
             const size_t* sizes, size_t count) {
    LibxmlReading& r = readingOf(context);
    r.attributes.clear();
    for (size_t i = 0; i < count; ++i)
        r.attributes.push_back({names[i], std::string_view(values[i], sizes[i])});
    r.walk->start(name, r.attributes);
}

void onEnd(void* context) {
    readingOf(context).walk->end();
}

void onText(void* context, const char* text, size_t size) {
    readingOf(context).walk->text(std::string_view(text, size), false);
}

// The next block of the document; `failed` tells a read error from the end of the file.
int readBlock(void* context, char* buffer, int length) {
    LibxmlReading& r = readingOf(context);
    if (!r.file) {
        const size_t n = r.bytes.copy(buffer, static_cast<size_t>(length));
        r.bytes.remove_prefix(n);
        return static_cast<int>(n);
    }
    const size_t got = std::fread(buffer, 1, static_cast<size_t>(length), r.file);
    if (got == 0 && std::ferror(r.file)) {
        r.failed = true;
        return -1;
    }
    return static_cast<int>(got);
}

// Why libxml2 did not read the document, in French; "" when it read it whole.
std::string refusal(const rolvane_xml_outcome& outcome) {
    switch (outcome.end) {
    case ROLVANE_XML_READ:
        return "";
    case ROLVANE_XML_NO_MEMORY:
        return ansi("n'a pas pu être lu (mémoire insuffisante)");
    case ROLVANE_XML_DOCTYPE:
        return ansi("contient une déclaration DOCTYPE, que les exports SIECLE et STS-web "
                    "n'ont jamais");
    case ROLVANE_XML_ENCODING: {
        const std::string name = Trim(outcome.encoding);
        return ansi("déclare un codage inconnu") + (name.empty() ? "" : " (" + name + ")");
    }
    case ROLVANE_XML_MALFORMED:
        return ansi("n'est pas un fichier XML bien formé (ligne ") + Str(outcome.line) + ")";
    default:
        return ansi("n'est pas un fichier XML bien formé");
    }
}

// Reads the document with libxml2's SAX parser: the elements go to the walk
// instead of a tree. The entities are replaced where they stand: with the DOCTYPE
// refused, only the five predefined ones can occur.
bool parse(SchoolXml& out, std::string& reason, LibxmlReading& reading) {
    out = SchoolXml{};
    SchoolWalk walk(out);
    reading.walk = &walk;
    const rolvane_xml_handlers handlers{&reading, onStart, onEnd, onText, readBlock};
    rolvane_xml_outcome outcome{};
    if (!fulltext::readXml(handlers, outcome)) {
        reason = ansi("ne peut pas être lu sans le module ") + fulltext::kFileName;
        return false;
    }
    reason = refusal(outcome);
    if (!reason.empty()) {
        out = SchoolXml{};
        return false;
    }
    walk.finish();
    return true;
}

// The plain XML reader's events through a walk: false, `out` left empty, when it gives up.
template <typename Scan> bool scanned(SchoolXml& out, Scan scan) {
    out = SchoolXml{};
    SchoolWalk walk(out);
    if (!scan(walk)) {
        out = SchoolXml{};
        return false;
    }
    walk.finish();
    return true;
}

} // namespace

bool ScanSchoolXml(std::string_view bytes, SchoolXml& out) {
    return scanned(out, [&](SchoolWalk& walk) { return ScanPlainXml(bytes, walk); });
}

bool ScanSchoolXmlFile(std::FILE* file, std::span<char> buffer, SchoolXml& out) {
    return scanned(out, [&](SchoolWalk& walk) { return ScanPlainXmlFile(file, buffer, walk); });
}

bool ParseSchoolXmlWithLibxml(std::string_view bytes, SchoolXml& out, std::string& reason) {
    if (bytes.size() > static_cast<size_t>(INT_MAX)) {
        out = SchoolXml{};
        reason = ansi("est trop grand pour être lu");
        return false;
    }
    LibxmlReading reading;
    reading.bytes = bytes;
    return parse(out, reason, reading);
}

bool ParseSchoolXml(std::string_view bytes, SchoolXml& out, std::string& reason) {
    if (bytes.size() <= static_cast<size_t>(INT_MAX) && ScanSchoolXml(bytes, out)) return true;
    return ParseSchoolXmlWithLibxml(bytes, out, reason);
}

bool ReadSchoolXml(const std::filesystem::path& path, SchoolXml& out, std::string& reason) {
    const fs::path resolved = resolvePath(path);
    std::error_code ec;
    const auto size = fs::file_size(resolved, ec);
    // The parser asks for about 4 kB at a time: the stream reads through a
    // buffer of up to 512 kB (made before the stream, so it outlives it), a few
    // dozen reads for a district's export instead of thousands.
    const size_t block = ec ? 1 << 19 : std::clamp<size_t>(size + 1, 1 << 12, 1 << 19);
    const std::unique_ptr<char[]> buffer(new char[block]);
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
    // The plain reader first, through the same buffer (the stream's own is
    // turned off); when it gives up, libxml2 reads the file again from its start.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    if (ScanSchoolXmlFile(file.get(), {buffer.get(), block}, out)) return true;
    file.reset(std::fopen(resolved.c_str(), "rb"));
    if (!file) {
        out = SchoolXml{};
        reason = ansi("ne peut pas être lu");
        return false;
    }
    std::setvbuf(file.get(), buffer.get(), _IOFBF, block);
    LibxmlReading reading;
    reading.file = file.get();
    const bool read = parse(out, reason, reading);
    if (reading.failed) {
        out = SchoolXml{};
        reason = ansi("ne peut pas être lu");
        return false;
    }
    return read;
}

std::string SiecleDate(std::string_view date) {
    const std::string_view t = TrimView(date);
    if (t.size() != 10 || t[2] != '/' || t[5] != '/') return "";
    for (size_t i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (t[i] < '0' || t[i] > '9') return "";
    std::string out(t.substr(6, 4));
    return out.append(t.substr(3, 2)).append(t.substr(0, 2));
}

} // namespace modvesk
