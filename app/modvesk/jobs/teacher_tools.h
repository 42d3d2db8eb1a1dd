// The teacher tools: the responsibilities of teachers for groups (form profsresp)
// and the deletion of teacher accounts (form frcmptesprofs). Both work on the
// teacher lines of the server's EXPORT file, which the library holds between the
// loading of the form and the next creationCarnet.
//
// The forms are plain structs here: the window shows them with widgets and calls
// these handlers; the batch program and the tests fill them directly.
#pragma once

#include "model/model.h"

#include <string>
#include <vector>

namespace modvesk {

// The form profsresp, "Définition des responsables des groupes pour les comptes du
// groupe PROFS".
struct ProfsRespForm {
    std::vector<std::string> Listprofs;    // "SURNAME;First name"
    int ListprofsIndex = -1;               // the selected teacher, -1 when none
    std::vector<std::string> Listgroupes;  // the groups of the EXPORT file
    std::vector<bool> ListgroupesSelected; // several groups may be selected
    std::string Textassoc;                 // the teacher's responsible groups, editable
    bool unloaded = false;                 // the form has asked to close
};

// The form frcmptesprofs: the teachers whose accounts are to go.
struct FrCmptesProfsForm {
    std::vector<std::string> Listprofs;
    std::vector<bool> ListprofsSelected; // several teachers may be selected
    bool unloaded = false;
};

// Hands the lines of the EXPORT file named by placeexport, after its header line,
// to the library (memligneprof). Nothing when the file is absent. Returns the
// bytes handed over, each line counted with one more.
size_t chargeExportProfs(Session& s);

// Menu "Définir les responsables de groupes": the notice, the form, then File1.
void defrespgroupes_Click(Session& s);
void profsresp_Form_Load(Session& s, ProfsRespForm& f);
void profsresp_Listprofs_Click(Session& s, ProfsRespForm& f);
void profsresp_Command1_Click(Session& s, ProfsRespForm& f); // "Associer"
void profsresp_Command2_Click(Session& s,
                              ProfsRespForm& f); // "Valider l'ensemble des associations"
void profsresp_Command3_Click(Session& s, ProfsRespForm& f); // "Annuler"

// Menu "Supprimer des comptes dans le groupe PROFS": shows the form, nothing else.
void supcpteProfs_m_Click(Session& s);
void frcmptesprofs_Form_Load(Session& s, FrCmptesProfsForm& f);
void frcmptesprofs_Command4_Click(Session& s, FrCmptesProfsForm& f);  // "OK"
void frcmptesprofs_quitter_m_Click(Session& s, FrCmptesProfsForm& f); // "Quitter"

// The surname and the first name of a list entry "SURNAME;First name".
void splitTeacherEntry(const std::string& entry, std::string& surname, std::string& firstName);

} // namespace modvesk
