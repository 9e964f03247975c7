#include "startup_folder.h"

#include "base/atomic_file.h"

#include <QDir>
#include <QFileInfo>

namespace kova {

QString startupFolderLocation() {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        const QString home = QDir::homePath();
        if (home.isEmpty() || !QDir::isAbsolutePath(home))
            return {};
        base = home + QStringLiteral("/.config");
    }
    return QDir::cleanPath(base + QStringLiteral("/autostart"));
}

QString SpecialFolderPath(int folderId) {
    if (folderId != kStartupFolder)
        return {};
    const QString folder = startupFolderLocation();
    if (folder.isEmpty())
        return {};
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return {};
    return QFileInfo(folder).isDir() ? folder : QString();
}

void removeLeftoverStartupEntries() {
    const QString folder = startupFolderLocation();
    if (!folder.isEmpty())
        removeLeftoverTemporaryFiles(
            folder, [](const QString& name) { return name == kAutostartFileName; });
}

} // namespace kova
