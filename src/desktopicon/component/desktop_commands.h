#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kova {

enum class Desktop {
    Unknown,
    Gnome,
    Budgie,
    GnomeFlashback,
    Mate,
    Xfce,
    Kde,
    Cinnamon,
    Lxqt,
    Lxde,
};

// The first desktop of XDG_CURRENT_DESKTOP (a colon-separated list, most
// specific first, any case) that has a setting for the icon size.
Desktop detectDesktop(const QString& xdgCurrentDesktop);
// The name the log uses for it.
QString desktopName(Desktop desktop);

// Where and how one desktop keeps the size of its icons.
struct IconSizeSetting {
    enum Kind {
        GSettings,    // gsettings: `store` the schema, `key` its key
        Xfconf,       // xfconf-query: `store` the channel, `key` the property
        PlasmaScript, // plasmashell's evaluateScript: `key` the folder view's entry
        KeyFile,      // a file under the config folder: `store` its path, `group`, `key`
    };
    Kind kind = GSettings;
    QString store;
    QString key;
    QString group;     // KeyFile: '*' at the end matches every group so named
    QString newGroup;  // KeyFile: the group made when none matches
    QString schemaDir; // GSettings: the schema's own folder; empty for the system's
    // GSettings: used only while this key has this value (another view otherwise).
    QString onlyIfKey;
    QString onlyIfValue;
    // The values from smallest to largest; empty when the value is pixels.
    QStringList levels;
    QString small;    // the size for small icons
    QString standard; // the desktop's default
    // KeyFile: the desktop process that reads the file only when it starts,
    // the argument it must run with to be the desktop (empty: any), and its
    // quit option (empty: it ends on SIGTERM).
    QString process;
    QString processMarker;
    QString quitOption;

    // Where the user's own size is kept.
    QString id() const;
    // Whether a value is clearly larger than `small`.
    bool isClearlyLarger(const QString& value) const;
    bool operator==(const IconSizeSetting&) const = default;
};

// Folders where an extension installed from the extensions site, or by the
// distribution, keeps its schemas; the first that holds the schema is used.
using SchemaFolders = std::function<QStringList(const QString& extensionUuid)>;
QStringList extensionSchemaFolders(const QString& extensionUuid);

// The settings that may hold the desktop's icon size, in the order they are
// tried: the first one present on the machine is the one (a desktop's
// alternatives: system or extension schema, grid or legacy view).
QList<IconSizeSetting>
iconSizeSettings(Desktop desktop, const SchemaFolders& schemaFolders = extensionSchemaFolders);

// Every setting of every desktop, for putting all kept sizes back.
QList<IconSizeSetting>
allIconSizeSettings(const SchemaFolders& schemaFolders = extensionSchemaFolders);

} // namespace kova
