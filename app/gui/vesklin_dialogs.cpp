// How the main window answers the job code: message boxes and file dialogs go to
// its prompts, the rest (pending events, progress, file lists, forms) it does
// itself.
#include "vesklin.h"

#include "forms.h"
#include "frmaccess.h"
#include "qt_text.h"
#include "screen_prompts.h"
#include "text/files.h"

#include <QApplication>
#include <QGuiApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>

namespace gui {

void Vesklin::setPrompts(modvesk::Dialogs* prompts) {
    prompts_ = prompts ? prompts : screen_.get();
}

void Vesklin::setFormDriver(std::function<void(QDialog*)> driver) {
    formDriver_ = std::move(driver);
}

void Vesklin::setQuitHandler(std::function<void()> handler) {
    quit_ = std::move(handler);
}

void Vesklin::message(const std::string& text, const std::string& title, modvesk::Icon icon) {
    prompts_->message(text, title, icon);
}

bool Vesklin::question(const std::string& text, const std::string& title, modvesk::Icon icon) {
    return prompts_->question(text, title, icon);
}

bool Vesklin::confirm(modvesk::Check check, const std::string& text, const std::string& title,
                      modvesk::Icon icon) {
    return prompts_->confirm(check, text, title, icon);
}

std::string Vesklin::openFile(const std::string& title, const std::string& filter,
                              const std::string& initialName) {
    const std::string chosen = prompts_->openFile(title, filter, initialName);
    // A dry run reads a copy of the file chosen, never the file itself.
    return dryRun_ && !chosen.empty() ? dryRun_->input(chosen).string() : chosen;
}

std::string Vesklin::chooseFileToWrite(const std::string& title, const std::string& filter,
                                       const std::string& initialName) {
    const std::string chosen = prompts_->chooseFileToWrite(title, filter, initialName);
    return dryRun_ && !chosen.empty() ? dryRun_->output(chosen).string() : chosen;
}

void Vesklin::openInEditor(const std::string& path) {
    prompts_->openInEditor(path);
}

void Vesklin::attente(long count) {
    for (long i = 0; i <= count; ++i)
        QCoreApplication::processEvents();
}

void Vesklin::progress(long done, long total) {
    if (total > 0) {
        progressBar_->setRange(0, static_cast<int>(std::min<long>(total, INT_MAX)));
        progressBar_->setValue(static_cast<int>(std::min(done, total)));
    } else {
        progressBar_->setRange(0, 0);
    }
}

void Vesklin::refreshList(QListWidget* list, const char* patterns) {
    const QListWidgetItem* current = list->currentItem();
    const QString selected = current ? current->text() : QString();
    list->clear();
    for (const auto& name : modvesk::ListFiles(session_.dir, patterns)) {
        list->addItem(pathToQt(name));
        if (list->item(list->count() - 1)->text() == selected)
            list->setCurrentRow(list->count() - 1);
    }
}

void Vesklin::refreshFileLists() {
    // A district's job writes a class file after another and asks each time: the
    // folder of a thousand files is then re-read a few times a second, and once
    // more when the job ends, not once per file.
    constexpr qint64 kQuietMs = 250;
    if (running_ && listsRead_.isValid() && listsRead_.elapsed() < kQuietMs) {
        listsStale_ = true;
        return;
    }
    refreshList(file1_, "*.txt");
    refreshList(file2_, kSourcePatterns);
    listsRead_.start();
    listsStale_ = false;
}

void Vesklin::redraw() {
    pushToWidgets();
    if (text1_->isVisible()) text1_->viewport()->repaint();
}

void Vesklin::busy(bool on) {
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++busyDepth_;
    } else if (busyDepth_ > 0) {
        QApplication::restoreOverrideCursor();
        --busyDepth_;
    }
}

void Vesklin::centreFenetre(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.x() + (area.width() - size.width()) / 2,
                 area.y() + (area.height() - size.height()) / 2);
}

void Vesklin::runForm(QDialog& form) {
    form.adjustSize();
    centreFenetre(&form);
    if (formDriver_) {
        QDialog* shown = &form;
        QTimer::singleShot(0, shown, [this, shown] { formDriver_(shown); });
    }
    form.exec();
}

void Vesklin::showForm(modvesk::Form form) {
    switch (form) {
    case modvesk::Form::ProfsResp: {
        ProfsRespDialog dialog(session_, this);
        dialog.load();
        if (!dialog.state().unloaded) runForm(dialog); // unloaded: its EXPORT was refused
        break;
    }
    case modvesk::Form::FrCmptesProfs: {
        FrCmptesProfsDialog dialog(session_, this);
        dialog.load();
        if (!dialog.state().unloaded) runForm(dialog); // unloaded: its EXPORT was refused
        break;
    }
    case modvesk::Form::SaisieGroupes: {
        SaisieGroupesDialog dialog(session_, this);
        runForm(dialog);
        break;
    }
    case modvesk::Form::FrmAccess: {
        // The form stays loaded for the whole run: its lists are still there when
        // the menu item is used again.
        auto* dialog = findChild<FrmAccessDialog*>(QStringLiteral("frmaccess"));
        if (!dialog) dialog = new FrmAccessDialog(session_, this);
        dialog->Form_Activate();
        runForm(*dialog);
        break;
    }
    }
}

} // namespace gui
