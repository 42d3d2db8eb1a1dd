// The two XML exports schools make today: their pupils from SIECLE (root
// BEE_ELEVES, "ElevesSansAdresses.xml" or "ElevesAvecAdresses.xml") and their
// staff and teaching services from STS-web (root STS_EDT, "sts_emp_RNE_ANNEE.xml").
// Each file is decoded from the encoding its declaration names, as libxml2
// decodes it; every text handed on is Windows-1252, the characters the code page
// lacks turned into their plain Latin letters. Only the elements the accounts
// need are read.
#pragma once

#include "model/packed_texts.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace modvesk {

// A pupil of DONNEES/ELEVES/ELEVE, with the division of his structures: texts
// as written in the file, not trimmed, seen in the file's pupils (SieclePupils).
struct SieclePupil {
    std::string_view eleveId;   // attribute ELEVE_ID
    std::string_view elenoet;   // attribute ELENOET, "" when absent
    std::string_view birthName; // NOM_DE_FAMILLE, or NOM in older files
    std::string_view usageName; // NOM_USAGE
    std::string_view firstName; // PRENOM
    std::string_view birthDate; // DATE_NAISS, JJ/MM/AAAA
    std::string_view leftOn;    // DATE_SORTIE, "" for a pupil who has not left
    std::string_view division;  // CODE_STRUCTURE of his first structure of type "D"
};

// The pupils of a file in the order read, packed: a district's tens of thousands
// hold their texts end to end, in less than half the memory of eight strings a
// pupil. A pupil is stored once read; his division comes once the file is.
class SieclePupils {
  public:
    // A pupil's texts but his division, in the order of SieclePupil's members.
    using Texts = PackedTexts<7>::Texts;

    size_t size() const { return fields_.size(); }
    bool empty() const { return size() == 0; }
    void add(const Texts& texts) { fields_.set(size(), texts); }
    // Pupil i, seen in the table.
    SieclePupil operator[](size_t i) const {
        return fields_.as<SieclePupil>(i, divisions_.text(i, 0));
    }
    std::string_view eleveId(size_t i) const { return fields_.text(i, 0); }
    void setDivision(size_t i, std::string_view code) { divisions_.set(i, {code}); }
    // Lets go of the pupils before i, read once in order: their memory serves
    // what comes next.
    void releaseBefore(size_t i) {
        fields_.releaseBefore(i);
        divisions_.releaseBefore(i);
    }

  private:
    PackedTexts<7> fields_;
    PackedTexts<1> divisions_;
};

// A member of staff: DONNEES/INDIVIDUS/INDIVIDU.
struct StsPerson {
    std::string id, type;  // attributes ID and TYPE
    std::string usageName; // NOM_USAGE
    std::string birthName; // NOM_PATRONYMIQUE
    std::string firstName; // PRENOM
    std::string birthDate; // DATE_NAISSANCE, AAAA-MM-JJ
    std::string function;  // FONCTION, "ENS" for teachers
};

// A division or a group of DONNEES/STRUCTURE.
struct StsClass {
    std::string code;                   // attribute CODE
    std::vector<std::string> divisions; // a group's DIVISION_APPARTENANCE codes
    std::vector<std::string> teachers;  // the ENSEIGNANT IDs of its services, in order
};

enum class SchoolXmlKind { Other, Pupils, Staff };

// What a file holds, told by its root element.
struct SchoolXml {
    SchoolXmlKind kind = SchoolXmlKind::Other;
    // The establishment the file comes from, PARAMETRES/UAJ: its text (SIECLE) or
    // its attribute CODE (STS-web); "" when absent.
    std::string uaj;
    SieclePupils pupils;                     // Pupils
    std::vector<StsPerson> staff;            // Staff
    std::vector<StsClass> divisions, groups; // Staff
};

// Parses an export held in memory. False, with the reason in French (Windows-1252,
// to follow the file's name), when the bytes are no well-formed XML, declare an
// encoding that is unknown, or hold a DOCTYPE (refused where it stands, before any
// entity it declares is read). libxml2 prints nothing itself.
bool ParseSchoolXml(std::string_view bytes, SchoolXml& out, std::string& reason);
// The same for a file; also false when the file cannot be read.
bool ReadSchoolXml(const std::filesystem::path& path, SchoolXml& out, std::string& reason);

// A date JJ/MM/AAAA as AAAAMMJJ; "" when the text is no such date.
std::string SiecleDate(std::string_view date);

} // namespace modvesk
