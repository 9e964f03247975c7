#include "data_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace kova {

QString programFolder() {
    if (QCoreApplication::instance() != nullptr)
        return QCoreApplication::applicationDirPath();
    // The component may be loaded into a process without a QCoreApplication.
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

QString dataFolder() {
    const QString home = qEnvironmentVariable("KOVASHELL_HOME");
    if (!home.isEmpty()) {
        QDir().mkpath(home);
        return QDir::cleanPath(home);
    }
    const QString program = programFolder();
    if (QFileInfo::exists(program + QStringLiteral("/KovaShell.ini")))
        return program;

    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    const QString folder = base + QStringLiteral("/KovaShell");
    if (!QFileInfo::exists(folder)) {
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    }
    return folder;
}

QString dataFilePath(const QString& name) { return dataFolder() + QLatin1Char('/') + name; }

} // namespace kova
