// The modal forms that the jobs open: the group responsibilities of teachers
// (profsresp), the deletion of teacher accounts (frcmptesprofs) and the group of
// the trainees (saisiegroupes). Each shows a form struct of the job code and calls
// its handlers.
#pragma once

#include "jobs/teacher_tools.h"
#include "model/model.h"

#include <QDialog>

class QLineEdit;
class QListWidget;

namespace gui {

class ProfsRespDialog : public QDialog {
    Q_OBJECT
  public:
    ProfsRespDialog(modvesk::Session& session, QWidget* parent);
    // Form_Load: asks for the EXPORT file and fills the lists.
    void load();
    const modvesk::ProfsRespForm& state() const { return form_; }

  private:
    void pull();
    void showTextassoc();
    void Listprofs_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    modvesk::Session& session_;
    modvesk::ProfsRespForm form_;
    QListWidget* listprofs_;
    QListWidget* listgroupes_;
    QLineEdit* textassoc_;
};

class FrCmptesProfsDialog : public QDialog {
    Q_OBJECT
  public:
    FrCmptesProfsDialog(modvesk::Session& session, QWidget* parent);
    void load();
    const modvesk::FrCmptesProfsForm& state() const { return form_; }

  private:
    void Command4_Click();
    void quitter_m_Click();

    modvesk::Session& session_;
    modvesk::FrCmptesProfsForm form_;
    QListWidget* listprofs_;
};

class SaisieGroupesDialog : public QDialog {
    Q_OBJECT
  public:
    SaisieGroupesDialog(modvesk::Session& session, QWidget* parent);

  private:
    void Command1_Click();

    modvesk::Session& session_;
    QLineEdit* text2_;
    QLineEdit* text1_;
};

} // namespace gui
