#include "component_action.h"

#include "platform/data_folder.h"
#include "platform/profile_file.h"

#include <QDir>

namespace kova {

QString componentDataFolder(const QString& libraryFolder) {
    return chooseDataFolder(qEnvironmentVariable("KOVASHELL_HOME"), libraryFolder,
                            qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath());
}

DesktopCommand commandForSettings(const QString& settingsFile, const QString& xdgCurrentDesktop,
                                  const ProgramFinder& find) {
    const ProfileFile settings(settingsFile);
    const IconSize size =
        iconSizeForCommand(settings.read(QStringLiteral("desktop"), QStringLiteral("click")),
                           settings.read(QStringLiteral("a1"), QStringLiteral("b6")));
    return iconSizeCommand(detectDesktop(xdgCurrentDesktop), size, find);
}

} // namespace kova
