#include "component_action.h"

#include "platform/data_folder.h"
#include "platform/profile_file.h"
#include "platform/registry_store.h"
#include "platform/settings_keys.h"

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

DesktopCommand commandForSettings(const QString& settingsFile, const QString& xdgCurrentDesktop,
                                  const ProgramFinder& find) {
    const ProfileFile settings(settingsFile);
    const IconSize size =
        iconSizeForCommand(settings.read(desktop::click.section, desktop::click.name),
                           settings.read(a1::b6.section, a1::b6.name));
    return iconSizeCommand(detectDesktop(xdgCurrentDesktop), size, find);
}

} // namespace kova
