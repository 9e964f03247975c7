#include "data_folder.h"

#include "base/settings_keys.h"

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

void makePrivateFolder(const QString& folder) {
    if (QFileInfo::exists(folder))
        return;
    QDir().mkpath(folder);
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QString chooseDataFolder(const QString& kovaHome, const QString& programFolder,
                         const QString& xdgDataHome, const QString& homeFolder) {
    if (!kovaHome.isEmpty()) {
        const QString folder = QDir::cleanPath(kovaHome);
        makePrivateFolder(folder);
        return folder;
    }
    if (QFileInfo::exists(programFolder + QLatin1Char('/') + QLatin1String(kSettingsFileName)))
        return programFolder;

    // A relative XDG_DATA_HOME is invalid and ignored, as the XDG rules say.
    QString base = xdgDataHome;
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = homeFolder + QStringLiteral("/.local/share");
    const QString folder = QDir::cleanPath(base + QStringLiteral("/KovaShell"));
    makePrivateFolder(folder);
    return folder;
}

QString dataFolder() {
    return chooseDataFolder(qEnvironmentVariable("KOVASHELL_HOME"), programFolder(),
                            qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath());
}

QString dataFilePath(const QString& name) {
    return dataFolder() + QLatin1Char('/') + name;
}

} // namespace kova
