#include "desktop_commands.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace kova {

namespace {

const QStringList kGnomeZoom{"tiny", "small", "standard", "large"};
const QStringList kFileManagerZoom{"smallest", "smaller", "small",  "standard",
                                   "large",    "larger",  "largest"};
const QStringList kZoomIndex{"0", "1", "2", "3", "4", "5", "6"};

IconSizeSetting gsettings(const char* schema, const char* key, const QStringList& levels,
                          const char* small, const char* standard) {
    IconSizeSetting s;
    s.kind = IconSizeSetting::GSettings;
    s.store = QLatin1String(schema);
    s.key = QLatin1String(key);
    s.levels = levels;
    s.small = QLatin1String(small);
    s.standard = QLatin1String(standard);
    return s;
}

// The desktop-icons extensions keep their schema with the system's or in
// their own folder, which plain gsettings does not look into.
void addExtension(QList<IconSizeSetting>& settings, const char* schema, const char* uuid,
                  const SchemaFolders& schemaFolders) {
    const IconSizeSetting system = gsettings(schema, "icon-size", kGnomeZoom, "small", "standard");
    settings << system;
    for (const QString& folder : schemaFolders(QLatin1String(uuid))) {
        IconSizeSetting own = system;
        own.schemaDir = folder;
        settings << own;
    }
}

// A desktop process that reads its file only when it starts.
IconSizeSetting keyFile(const char* path, const char* group, const char* key, const char* process,
                        const char* marker, const char* quit) {
    IconSizeSetting s;
    s.kind = IconSizeSetting::KeyFile;
    s.store = QLatin1String(path);
    s.group = QLatin1String(group);
    s.newGroup = QString(s.group).remove(QLatin1Char('*'));
    s.key = QLatin1String(key);
    s.small = QStringLiteral("32");
    s.standard = QStringLiteral("48");
    s.process = QLatin1String(process);
    s.processMarker = QLatin1String(marker);
    s.quitOption = QLatin1String(quit);
    return s;
}

} // namespace

// The names XDG_CURRENT_DESKTOP gives them; the first of each is the log's.
const std::pair<const char*, Desktop> kNames[] = {
    {"GNOME", Desktop::Gnome},
    {"Budgie", Desktop::Budgie},
    {"GNOME-Flashback", Desktop::GnomeFlashback},
    {"MATE", Desktop::Mate},
    {"XFCE", Desktop::Xfce},
    {"KDE", Desktop::Kde},
    {"X-Cinnamon", Desktop::Cinnamon},
    {"Cinnamon", Desktop::Cinnamon},
    {"LXQt", Desktop::Lxqt},
    {"LXDE", Desktop::Lxde},
};

Desktop detectDesktop(const QString& xdgCurrentDesktop) {
    for (const QString& name : xdgCurrentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        for (const auto& [known, desktop] : kNames)
            if (name.trimmed().compare(QLatin1String(known), Qt::CaseInsensitive) == 0)
                return desktop;
    return Desktop::Unknown;
}

QString desktopName(Desktop desktop) {
    for (const auto& [known, d] : kNames)
        if (d == desktop)
            return QLatin1String(known);
    return QStringLiteral("unknown");
}

QString IconSizeSetting::id() const {
    static const char* const kKinds[] = {"gsettings", "xfconf", "plasma", "file"};
    return QStringLiteral("%1 %2 %3").arg(QLatin1String(kKinds[kind]), store, key);
}

bool IconSizeSetting::isClearlyLarger(const QString& value) const {
    if (!levels.isEmpty()) {
        const qsizetype index = levels.indexOf(value);
        return index >= 0 && index > levels.indexOf(small);
    }
    bool ok = false;
    const int pixels = value.toInt(&ok);
    // A quarter more is the least step a user sees as larger.
    return ok && pixels * 4 >= small.toInt() * 5;
}

QStringList extensionSchemaFolders(const QString& extensionUuid) {
    QString userData = qEnvironmentVariable("XDG_DATA_HOME");
    if (userData.isEmpty())
        userData = QDir::homePath() + QStringLiteral("/.local/share");
    QString systemData = qEnvironmentVariable("XDG_DATA_DIRS");
    if (systemData.isEmpty())
        systemData = QStringLiteral("/usr/local/share:/usr/share");
    QStringList folders;
    for (const QString& data :
         QStringList{userData} + systemData.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString folder = data + QStringLiteral("/gnome-shell/extensions/") + extensionUuid +
                               QStringLiteral("/schemas");
        if (QFileInfo::exists(folder + QStringLiteral("/gschemas.compiled")))
            folders << folder;
    }
    return folders;
}

QList<IconSizeSetting> iconSizeSettings(Desktop desktop, const SchemaFolders& schemaFolders) {
    QList<IconSizeSetting> settings;
    switch (desktop) {
    case Desktop::Gnome:
        addExtension(settings, "org.gnome.shell.extensions.ding", "ding@rastersoft.com",
                     schemaFolders);
        addExtension(settings, "org.gnome.shell.extensions.gtk4-ding",
                     "gtk4-ding@smedius.gitlab.com", schemaFolders);
        break;
    case Desktop::Budgie:
        settings << gsettings("org.buddiesofbudgie.budgie-desktop-view", "icon-size",
                              {"small", "normal", "large", "massive"}, "small", "normal");
        break;
    case Desktop::GnomeFlashback:
        settings << gsettings(
            "org.gnome.gnome-flashback.desktop.icons", "icon-size",
            {"16px", "22px", "24px", "32px", "48px", "64px", "72px", "96px", "128px"}, "32px",
            "48px");
        break;
    case Desktop::Mate:
        settings << gsettings("org.mate.caja.icon-view", "default-zoom-level", kFileManagerZoom,
                              "small", "standard");
        break;
    case Desktop::Xfce: {
        IconSizeSetting s;
        s.kind = IconSizeSetting::Xfconf;
        s.store = QStringLiteral("xfce4-desktop");
        s.key = QStringLiteral("/desktop-icons/icon-size");
        s.small = QStringLiteral("32");
        s.standard = QStringLiteral("48");
        settings << s;
        break;
    }
    case Desktop::Kde: {
        // The folder view's index into its list of sizes.
        IconSizeSetting s;
        s.kind = IconSizeSetting::PlasmaScript;
        s.key = QStringLiteral("iconSize");
        s.levels = kZoomIndex;
        s.small = QStringLiteral("1");
        s.standard = QStringLiteral("3");
        settings << s;
        break;
    }
    case Desktop::Cinnamon: {
        // The legacy view follows the icon view's zoom live; the grid keeps
        // its own per monitor and reads it when nemo-desktop starts.
        IconSizeSetting legacy = gsettings("org.nemo.icon-view", "default-zoom-level",
                                           kFileManagerZoom, "small", "standard");
        legacy.onlyIfKey = QStringLiteral("org.nemo.desktop use-desktop-grid");
        legacy.onlyIfValue = QStringLiteral("false");
        IconSizeSetting grid = keyFile("nemo/desktop-metadata", "desktop-monitor-*",
                                       "nemo-icon-view-zoom-level", "nemo-desktop", "", "--quit");
        grid.newGroup = QStringLiteral("desktop-monitor-0");
        grid.levels = kZoomIndex;
        grid.small = QStringLiteral("2"); // 32 px; its default 3 is 48
        grid.standard = QStringLiteral("3");
        settings << legacy << grid;
        break;
    }
    case Desktop::Lxqt:
        settings << keyFile("pcmanfm-qt/lxqt/settings.conf", "Desktop", "DesktopIconSize",
                            "pcmanfm-qt", "--desktop", "--quit");
        break;
    case Desktop::Lxde:
        settings << keyFile("libfm/libfm.conf", "ui", "big_icon_size", "pcmanfm", "--desktop", "");
        break;
    case Desktop::Unknown:
        break;
    }
    return settings;
}

QList<IconSizeSetting> allIconSizeSettings(const SchemaFolders& schemaFolders) {
    QList<IconSizeSetting> all;
    for (const Desktop d :
         {Desktop::Gnome, Desktop::Budgie, Desktop::GnomeFlashback, Desktop::Mate, Desktop::Xfce,
          Desktop::Kde, Desktop::Cinnamon, Desktop::Lxqt, Desktop::Lxde})
        all << iconSizeSettings(d, schemaFolders);
    return all;
}

} // namespace kova
