#include "program_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace gui {

bool isWritableDir(const QString& dir) {
    if (dir.isEmpty() || !QFileInfo(dir).isDir()) return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".rolvane-XXXXXX")));
    return probe.open();
}

std::filesystem::path chooseProgramDir(const QString& exeDir, const QString& fallback) {
    QString chosen = exeDir;
    if (!isWritableDir(exeDir)) {
        QDir().mkpath(fallback);
        chosen = fallback;
    }
    return std::filesystem::path(QFile::encodeName(QDir(chosen).absolutePath()).toStdString());
}

std::filesystem::path programDir() {
    return chooseProgramDir(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

QString defaultLockPath() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (QFileInfo(runtime).isDir())
            return QDir(runtime).filePath(QStringLiteral("rolvane.lock"));
    }
#ifdef _WIN32
    return QDir(QDir::tempPath()).filePath(QStringLiteral("rolvane.lock"));
#else
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("rolvane-%1.lock").arg(static_cast<qulonglong>(getuid())));
#endif
}

SingleInstance::SingleInstance(const QString& lockPath) : lock_(lockPath) {
    // A lock is taken over only when its process has died, never for its age.
    lock_.setStaleLockTime(std::chrono::milliseconds(0));
    acquired_ = lock_.tryLock(0);
}

} // namespace gui
