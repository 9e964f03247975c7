#pragma once

#include <QDBusVariant>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

class QAction;
class QMenu;

namespace kova {

// The wire types of the dbusmenu protocol.
struct DBusMenuLayoutItem { // (ia{sv}av)
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};
struct DBusMenuItem { // (ia{sv})
    int id = 0;
    QVariantMap properties;
};
struct DBusMenuItemKeys { // (ias)
    int id = 0;
    QStringList names;
};
struct DBusMenuEvent { // (isvu)
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};

// A menu's caption as dbusmenu writes it: "_" marks the mnemonic where Qt
// writes "&".
QString dbusMenuLabel(const QString& text);

// Exports a QMenu tree as com.canonical.dbusmenu, the protocol a
// status-notifier host (KDE Plasma, LXQt, Xfce, GNOME's AppIndicator
// extension) reads an item's menu with: the host draws the menu and sends
// back the item chosen, which is triggered here. Hidden items are left out.
// Changes to the items (captions, visibility, items added or removed) are
// gathered until the event loop is next idle and then told to the host.
// The scriptable slots and signals are the protocol's.
class DBusMenu : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)
public:
    explicit DBusMenu(QMenu* menu, QObject* parent = nullptr);
    ~DBusMenu() override;

    uint version() const { return 3; }
    QString textDirection() const;
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }
    uint revision() const { return revision_; }

public slots:
    Q_SCRIPTABLE uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                kova::DBusMenuLayoutItem& layout);
    Q_SCRIPTABLE QList<kova::DBusMenuItem> GetGroupProperties(const QList<int>& ids,
                                                              const QStringList& propertyNames);
    Q_SCRIPTABLE QDBusVariant GetProperty(int id, const QString& name);
    Q_SCRIPTABLE void Event(int id, const QString& eventId, const QDBusVariant& data,
                            uint timestamp);
    Q_SCRIPTABLE QList<int> EventGroup(const QList<kova::DBusMenuEvent>& events);
    Q_SCRIPTABLE bool AboutToShow(int id);
    Q_SCRIPTABLE QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

signals:
    Q_SCRIPTABLE void ItemsPropertiesUpdated(const QList<kova::DBusMenuItem>& updated,
                                             const QList<kova::DBusMenuItemKeys>& removed);
    Q_SCRIPTABLE void LayoutUpdated(uint revision, int parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the host has been told: every shown item's properties and each
    // menu's shown items in order.
    struct Snapshot {
        QHash<int, QVariantMap> properties;
        QHash<int, QList<int>> children;
    };

    int idOf(QAction* action);
    QMenu* menuOf(int id) const;
    QVariantMap propertiesOf(int id) const;
    DBusMenuLayoutItem layoutOf(int id, int depth, const QStringList& names);
    void take(int id, Snapshot& into);
    void changed();
    void tellChanges();

    QPointer<QMenu> root_;
    QHash<QAction*, int> ids_;
    QHash<int, QPointer<QAction>> actions_;
    QSet<QMenu*> watched_;
    Snapshot told_;
    int nextId_ = 1;
    uint revision_ = 1;
    bool pending_ = false;
};

} // namespace kova

Q_DECLARE_METATYPE(kova::DBusMenuLayoutItem)
Q_DECLARE_METATYPE(kova::DBusMenuItem)
Q_DECLARE_METATYPE(kova::DBusMenuItemKeys)
Q_DECLARE_METATYPE(kova::DBusMenuEvent)
