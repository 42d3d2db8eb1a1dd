// The Access export window frmaccess: pick an Access database, one of its tables
// and, in the wanted order, the fields to export; the fields are written as a
// ";"-separated CSV file and, on request, as ELEVES.CSV followed at once by the
// CSV conversion, so that the Kwartz account files come out in the same step.
// Every access to the database goes through the scripting component.
//
// The form is a plain struct here: the window shows it with widgets and calls
// these handlers; the batch program and the tests fill it directly. It stays
// loaded between two showings, so its lists survive "Quitter". The two check
// boxes live in the window model (WindowModel::chkinvdate, ::Checkwartz), where
// the CSV pupil builder reads chkinvdate.
#pragma once

#include "model/model.h"

#include <string>
#include <vector>

namespace modvesk {

// The caption of lbchamps before any field is chosen.
inline constexpr const char* kLbchampsDesignCaption =
    "champ1;champ2;champ3;champ4..............................................";

struct AccessForm {
    std::vector<std::string> listtables;           // the tables of the database
    int listtablesIndex = -1;                      // the selected table, -1 when none
    std::vector<std::string> listchamps;           // the fields of the chosen table
    int listchampsIndex = -1;                      // the field just clicked, -1 when none
    std::string lbchamps = kLbchampsDesignCaption; // the chosen field names, ";"-joined
    std::string Text1;                             // the chosen positions: " p1 p2 ..."
    bool visible = false;                          // shown (true) or hidden by "Quitter"
};

// The filters of the form's two file dialogs.
std::string accessBaseFilter(); // "Fichier ACCESS (.MDB) (*.MDB)|*.MDB"
std::string accessCsvFilter();  // "Nom du fichier .CSV(*.CSV)|*.CSV"

// Menu item csvaccess_m of the main window: empties LstTri2, then shows the form.
void csvaccess_m_Click(Session& s);

// Each time the form is shown: asks for the database and lists its tables.
void frmaccess_Form_Activate(Session& s, AccessForm& f);
// A table clicked: the choice of fields starts again and its fields are listed.
void frmaccess_listtables_Click(Session& s, AccessForm& f);
// A field clicked (listchampsIndex): its name and position are added to the choice.
void frmaccess_listchamps_Click(Session& s, AccessForm& f);
// "Valider la sélection des champs": writes the CSV file, and with Checkwartz the
// account files.
void frmaccess_Command1_Click(Session& s, AccessForm& f);
// "RAZ": the choice of fields starts again.
void frmaccess_Command2_Click(Session& s, AccessForm& f);
// "Charger une base Access": asks for another database and lists its tables.
void frmaccess_chrgbaseAccess_m_Click(Session& s, AccessForm& f);
// "Quitter": hides the form, which keeps its lists.
void frmaccess_quitter_m_Click(Session& s, AccessForm& f);

} // namespace modvesk
