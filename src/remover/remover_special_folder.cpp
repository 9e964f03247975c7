#include "remover_special_folder.h"

#include <QDir>
#include <QFileInfo>

namespace kova::remover {

QString SpecialFolderPath(int folderId) {
    if (folderId != kStartupFolder)
        return {};
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        const QString home = QDir::homePath();
        if (home.isEmpty() || !QDir::isAbsolutePath(home))
            return {};
        base = home + QStringLiteral("/.config");
    }
    const QString folder = QDir::cleanPath(base + QStringLiteral("/autostart"));
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return {};
    return QFileInfo(folder).isDir() ? folder : QString();
}

} // namespace kova::remover
