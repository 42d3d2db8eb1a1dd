// The dialogs a person answers at the screen: message boxes, Yes/No questions,
// the open-file dialog, and the text editor for a generated file.
#pragma once

#include "model/model.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace gui {

// The application's title, used by message boxes that have none of their own.
inline const char* const kApplicationTitle = "Rolvane";

// "Description|pattern|Description|pattern" (patterns separated by ";") as Qt
// name filters "Description (pattern pattern)". Each pattern is offered in its
// lower and upper case as well, since the server's and GEP's file names come in
// either case.
QStringList qtNameFilters(const std::string& filter);

// Gives Qt's own dialogs (file dialog, standard buttons) their French texts when
// Qt's translations are installed; false when they are not.
bool loadFrenchQtTexts();

class ScreenPrompts : public modvesk::Dialogs {
  public:
    // `parent` owns the dialogs; `startDir` is where the open-file dialog starts.
    ScreenPrompts(QWidget* parent, QString startDir);
    void message(const std::string& text, const std::string& title, modvesk::Icon icon) override;
    bool question(const std::string& text, const std::string& title, modvesk::Icon icon) override;
    // The same box with No as its default button.
    bool confirm(modvesk::Check check, const std::string& text, const std::string& title,
                 modvesk::Icon icon) override;
    std::string openFile(const std::string& title, const std::string& filter,
                         const std::string& initialName) override;
    std::string chooseFileToWrite(const std::string& title, const std::string& filter,
                                  const std::string& initialName) override;
    void attente(long) override {}
    void openInEditor(const std::string& path) override;

  private:
    QWidget* parent_;
    QString startDir_;
};

} // namespace gui
