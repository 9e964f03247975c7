#pragma once

#include "platform/tray_icon.h"

#include <QByteArray>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class QMenu;

namespace kova {

class DBusMenu;

struct DBusIconPixmap { // (iiay): ARGB32, network byte order
    int width = 0;
    int height = 0;
    QByteArray bytes;
};
using DBusIconPixmaps = QList<DBusIconPixmap>;
struct DBusToolTip { // (sa(iiay)ss)
    QString iconName;
    DBusIconPixmaps pixmaps;
    QString title;
    QString description;
};

// A tray icon over the D-Bus status-notifier protocol
// (org.kde.StatusNotifierItem), with its menu exported (DBusMenu). Qt's own
// tray icon chooses between this protocol and XEmbed once per process, so it
// cannot follow a panel that comes up after the program; this item is added
// whenever a status-notifier host is there. The host's activate is its
// click: two within the double-click interval make the double-click. The
// scriptable slots are the protocol's.
class StatusNotifierItem : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ title)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ noName)
    Q_PROPERTY(QString IconName READ noName)
    Q_PROPERTY(kova::DBusIconPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ noName)
    Q_PROPERTY(kova::DBusIconPixmaps OverlayIconPixmap READ noPixmap)
    Q_PROPERTY(QString AttentionIconName READ noName)
    Q_PROPERTY(kova::DBusIconPixmaps AttentionIconPixmap READ noPixmap)
    Q_PROPERTY(QString AttentionMovieName READ noName)
    Q_PROPERTY(kova::DBusToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menuPath)
public:
    StatusNotifierItem(const QIcon& icon, const QString& tip, QMenu* menu,
                       QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // On the session bus and registered with the watcher; again after remove().
    void add();
    void remove();
    bool isShown() const { return shown_; }
    // The bus name it is known by while shown.
    QString serviceName() const { return service_; }

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString title() const { return tip_; }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString noName() const { return {}; }
    DBusIconPixmaps iconPixmap() const { return pixmaps_; }
    DBusIconPixmaps noPixmap() const { return {}; }
    DBusToolTip toolTip() const { return {QString(), {}, tip_, QString()}; }
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menuPath() const;

public slots:
    Q_SCRIPTABLE void Activate(int x, int y);
    Q_SCRIPTABLE void ContextMenu(int x, int y);
    Q_SCRIPTABLE void SecondaryActivate(int x, int y);
    Q_SCRIPTABLE void Scroll(int delta, const QString& orientation);

signals:
    // The tray icon's message numbers (515 double-click, 516 right press).
    void message(int number);

private:
    QString tip_;
    DBusIconPixmaps pixmaps_;
    std::unique_ptr<DBusMenu> menu_;
    TrayClickDecoder decoder_{false};
    QElapsedTimer clock_;
    QString service_;
    bool shown_ = false;
};

} // namespace kova

Q_DECLARE_METATYPE(kova::DBusIconPixmap)
Q_DECLARE_METATYPE(kova::DBusToolTip)
