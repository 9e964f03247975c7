#include "data_folder.h"

#include "base/settings_keys.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdlib>
#include <string>

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
    // Asked for at every file access (several times per note at start-up):
    // the choice is kept while the variables it rests on stay the same and
    // the folder is there; a folder removed meanwhile is made again.
    struct Choice {
        std::string inputs;
        QString folder;
    };
    thread_local Choice last;
    std::string inputs;
    for (const char* name : {"KOVASHELL_HOME", "XDG_DATA_HOME", "HOME"}) {
        const char* value = std::getenv(name);
        inputs += value != nullptr ? value : "";
        inputs += '\0';
    }
    if (inputs == last.inputs && !last.folder.isEmpty() && QFileInfo::exists(last.folder))
        return last.folder;
    last.folder = chooseDataFolder(qEnvironmentVariable("KOVASHELL_HOME"), programFolder(),
                                   qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath());
    last.inputs = std::move(inputs);
    return last.folder;
}

QString dataFilePath(const QString& name) {
    return dataFolder() + QLatin1Char('/') + name;
}

} // namespace kova
