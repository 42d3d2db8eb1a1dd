#include "update_page.h"

#include "text/text.h"

#include <filesystem>

#ifdef _WIN32
#include <shellapi.h>
#include <windows.h>
#else
#include <cstdlib>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#endif

namespace gui {

std::string avantNul(const std::string& text) {
    const size_t nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

#ifdef _WIN32

std::string repertoireTemporaire() {
    std::string buffer(256, ' ');
    GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data());
    return avantNul(buffer);
}

std::string navigateurParDefaut(long& resultCode) {
    const std::string dir = repertoireTemporaire();
    const std::string dummy = dir + "dummy.html";
    if (FILE* f = std::fopen(dummy.c_str(), "w")) std::fclose(f);
    std::string buffer(260, ' ');
    HINSTANCE code = FindExecutableA("dummy.html", dir.c_str(), buffer.data());
    resultCode = static_cast<long>(reinterpret_cast<INT_PTR>(code));
    std::remove(dummy.c_str());
    return avantNul(buffer);
}

bool ouvreAdresse(const std::string& address) {
    long code = 0;
    const std::string browser = navigateurParDefaut(code);
    if (code < 32) return false;
    std::string commandLine = " " + address;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessA(browser.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                       NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process);
    if (!started || !process.hProcess) return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

#else

std::string repertoireTemporaire() {
    std::error_code ec;
    std::string dir = std::filesystem::temp_directory_path(ec).string();
    if (dir.empty()) dir = "/tmp";
    if (dir.back() != '/') dir += '/';
    return avantNul(dir);
}

// The browser the user named in $BROWSER (its first choice), else the desktop's
// opener xdg-open, which starts the default browser for a web address.
std::string navigateurParDefaut(long& resultCode) {
    QStringList candidates;
    if (const char* env = std::getenv("BROWSER"); env && *env) {
        const QString first = QString::fromLocal8Bit(env).split(QChar(':')).first().trimmed();
        if (!first.isEmpty()) candidates << first;
    }
    candidates << QStringLiteral("xdg-open");
    for (const QString& name : candidates) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty()) {
            resultCode = 42;
            return avantNul(path.toStdString());
        }
    }
    resultCode = 2; // no program found for web pages
    return "";
}

bool ouvreAdresse(const std::string& address) {
    long code = 0;
    const std::string browser = navigateurParDefaut(code);
    if (code < 32) return false;
    return QProcess::startDetached(QString::fromStdString(browser),
                                   {QString::fromStdString(address)});
}

#endif

void msj_M_Click(modvesk::Dialogs& ui, const std::string& address) {
    if (!ouvreAdresse(address))
        ui.message(modvesk::ansi("Impossible d'accéder à l'adresse ") + address);
}

} // namespace gui
