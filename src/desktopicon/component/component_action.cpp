#include "component_action.h"

#include "base/data_folder.h"
#include "base/logging.h"
#include "base/profile_file.h"
#include "base/registry_store.h"
#include "base/settings_keys.h"
#include "desktopicon/component/own_icon_size.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kova {

QString componentDataFolder(const QString& libraryFolder) {
    return chooseDataFolder(qEnvironmentVariable("KOVASHELL_HOME"), libraryFolder,
                            qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath());
}

QString actOnceLockPath() {
    const QString folder = QFileInfo(RegistryStore::defaultPath()).absolutePath();
    makePrivateFolder(folder);
    return folder + QStringLiteral("/desktopicon.lock");
}

IconSize iconSizeForSettings(const QString& settingsFile) {
    const ProfileFile settings(settingsFile);
    return iconSizeForCommand(settings.read(desktop::click.section, desktop::click.name),
                              settings.read(a1::b6.section, a1::b6.name));
}

int actOnSettings(const QString& settingsFile, const QString& xdgCurrentDesktop) {
    const IconSize size = iconSizeForSettings(settingsFile);
    if (size == IconSize::Unchanged)
        return 0;
    const Desktop desktop = detectDesktop(xdgCurrentDesktop);
    if (desktop == Desktop::Unknown) {
        qCWarning(kovaLog,
                  "desktop \"%s\" has no icon-size setting known here; icons left as they are",
                  qUtf8Printable(xdgCurrentDesktop));
        return 0;
    }
    return applyIconSize(desktop, size) ? 0 : 2;
}

} // namespace kova
