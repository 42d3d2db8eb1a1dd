// The form frmaccess, "Créer un fichier CSV à partir d'une base Access": the
// tables of an Access database, the fields of one table chosen in order, and the
// button that writes them as a CSV file (and, ticked, as ELEVES.CSV with the
// account files). It shows the AccessForm of the job code and calls its handlers.
// The main window keeps one such form for the whole run, so that its lists are
// still there when the menu item is used again.
#pragma once

#include "jobs/access_export.h"
#include "model/model.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace gui {

class FrmAccessDialog : public QDialog {
    Q_OBJECT
  public:
    FrmAccessDialog(modvesk::Session& session, QWidget* parent);
    // Each time the form is shown: asks for the database and lists its tables.
    void Form_Activate();
    const modvesk::AccessForm& state() const { return form_; }

  private:
    QWidget* buildLists();
    QWidget* buildChoiceFrame();
    void buildMenu();
    void connectControls();
    // Runs a handler of the job code and shows the form's state again; a failure
    // that escapes it is shown as a message instead of leaving the event loop.
    void run(const std::function<void()>& handler);
    void push();

    void listtables_Click();
    void listchamps_Click();
    void Command1_Click();
    void Command2_Click();
    void chrgbaseAccess_m_Click();
    void quitter_m_Click();

    modvesk::Session& session_;
    modvesk::AccessForm form_;
    std::vector<std::string> shownTables_, shownFields_;
    QCheckBox* chkinvdate_ = nullptr;
    QCheckBox* checkwartz_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLabel* lbchamps_ = nullptr;
    QListWidget* listchamps_ = nullptr;
    QListWidget* listtables_ = nullptr;
};

} // namespace gui
