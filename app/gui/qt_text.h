// Conversions at the window's edge. The job code holds Windows-1252 text; Qt holds
// Unicode. File paths are kept in the job code as the system's own narrow bytes,
// so they are converted with the file-name encoding, not the code page.
#pragma once

#include "text/text.h"

#include <QFile>
#include <QString>

#include <string>

namespace gui {

inline QString toQt(const std::string& ansiText) {
    return QString::fromStdString(modvesk::utf8(ansiText));
}

inline std::string fromQt(const QString& text) {
    return modvesk::ansi(text.toStdString());
}

inline QString pathToQt(const std::string& nativePath) {
    return QFile::decodeName(QByteArray::fromStdString(nativePath));
}

inline std::string pathFromQt(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The log box text: CR LF (and lone CR) shown as line breaks.
inline QString logToQt(const std::string& ansiText) {
    QString text = toQt(ansiText);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    return text;
}

} // namespace gui
