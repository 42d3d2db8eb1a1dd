#include "french_locale.h"

#include "screen_prompts.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

#include <cstring>

namespace gui {

namespace {

// Qt 6 names the file types of its file dialog in the context QAbstractFileIconProvider,
// which the French catalogue of Qt 6.4 does not have; the words are those that
// catalogue gives the file dialog itself.
class FileTypeWords : public QTranslator {
  public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                      int /*n*/) const override {
        static constexpr const char* kWords[][2] = {{"Folder", "Dossier"},
                                                    {"Drive", "Disque"},
                                                    {"Shortcut", "Raccourci"},
                                                    {"Unknown", "Inconnu"}};
        if (!context || !source || std::strcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        for (const auto& word : kWords)
            if (std::strcmp(source, word[0]) == 0) return QString::fromUtf8(word[1]);
        return {};
    }
};

} // namespace

void useFrenchSystemLocale() {
    const bool wasSet = qEnvironmentVariableIsSet("LC_ALL");
    const QByteArray was = qgetenv("LC_ALL");
    qputenv("LC_ALL", "fr_FR.UTF-8");
    (void)QLocale::system(); // read now, and kept for the life of the program
    if (wasSet)
        qputenv("LC_ALL", was);
    else
        qunsetenv("LC_ALL");
}

bool installFrenchTexts() {
    static FileTypeWords* words = nullptr;
    const bool catalogue = loadFrenchQtTexts();
    if (!words) {
        words = new FileTypeWords(QCoreApplication::instance());
        QCoreApplication::installTranslator(words);
    }
    return catalogue;
}

} // namespace gui
