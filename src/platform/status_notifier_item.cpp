#include "status_notifier_item.h"

#include "base/logging.h"
#include "platform/dbus_menu.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>
#include <QImage>
#include <QStyleHints>
#include <QtEndian>

namespace kova {

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");

// The sizes panels draw tray icons at; a host scales the nearest.
DBusIconPixmaps pixmapsOf(const QIcon& icon) {
    DBusIconPixmaps pixmaps;
    for (int size : {16, 22, 24, 32, 48}) {
        QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        DBusIconPixmap pixmap{image.width(), image.height(), {}};
        pixmap.bytes.resize(qsizetype(image.width()) * image.height() * 4);
        auto* out = reinterpret_cast<quint32*>(pixmap.bytes.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                *out++ = qToBigEndian(line[x]);
        }
        pixmaps << pixmap;
    }
    return pixmaps;
}

} // namespace

QDBusArgument& operator<<(QDBusArgument& arg, const DBusIconPixmap& pixmap) {
    arg.beginStructure();
    arg << pixmap.width << pixmap.height << pixmap.bytes;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusIconPixmap& pixmap) {
    arg.beginStructure();
    arg >> pixmap.width >> pixmap.height >> pixmap.bytes;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusToolTip& tip) {
    arg.beginStructure();
    arg << tip.iconName << tip.pixmaps << tip.title << tip.description;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusToolTip& tip) {
    arg.beginStructure();
    arg >> tip.iconName >> tip.pixmaps >> tip.title >> tip.description;
    arg.endStructure();
    return arg;
}

StatusNotifierItem::StatusNotifierItem(const QIcon& icon, const QString& tip, QMenu* menu,
                                       QObject* parent)
    : QObject(parent), tip_(tip), pixmaps_(pixmapsOf(icon)),
      menu_(std::make_unique<DBusMenu>(menu)) {
    qDBusRegisterMetaType<DBusIconPixmap>();
    qDBusRegisterMetaType<DBusIconPixmaps>();
    qDBusRegisterMetaType<DBusToolTip>();
    clock_.start();
}

StatusNotifierItem::~StatusNotifierItem() {
    remove();
}

QDBusObjectPath StatusNotifierItem::menuPath() const {
    return QDBusObjectPath(kMenuPath);
}

void StatusNotifierItem::add() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    if (!shown_) {
        // Qt's own items count from 1: never the same name as one of those.
        service_ = QStringLiteral("org.kde.StatusNotifierItem-%1-0")
                       .arg(QCoreApplication::applicationPid());
        constexpr auto kExport = QDBusConnection::ExportScriptableSlots |
                                 QDBusConnection::ExportScriptableSignals |
                                 QDBusConnection::ExportAllProperties;
        if (!bus.registerObject(kItemPath, this, kExport) ||
            !bus.registerObject(kMenuPath, menu_.get(), kExport) ||
            !bus.registerService(service_)) {
            qCWarning(kovaLog, "cannot put the tray icon on the session bus: %s",
                      qUtf8Printable(bus.lastError().message()));
            bus.unregisterObject(kItemPath);
            bus.unregisterObject(kMenuPath);
            return;
        }
        shown_ = true;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kWatcher, QStringLiteral("/StatusNotifierWatcher"), kWatcher,
                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << service_;
    auto* reply = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(reply, &QDBusPendingCallWatcher::finished, this, [](QDBusPendingCallWatcher* r) {
        if (r->isError())
            qCWarning(kovaLog, "the status-notifier watcher refused the tray icon: %s",
                      qUtf8Printable(r->error().message()));
        r->deleteLater();
    });
}

void StatusNotifierItem::remove() {
    if (!shown_)
        return;
    shown_ = false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The watcher drops the item when its name goes.
    bus.unregisterService(service_);
    bus.unregisterObject(kItemPath);
    bus.unregisterObject(kMenuPath);
}

void StatusNotifierItem::Activate(int, int) {
    const int number = decoder_.decode(QSystemTrayIcon::Trigger, clock_.elapsed(),
                                       QGuiApplication::styleHints()->mouseDoubleClickInterval());
    if (number != 0)
        emit message(number);
}

void StatusNotifierItem::ContextMenu(int, int) {
    // Only a host that cannot read the exported menu asks for this.
    emit message(decoder_.decode(QSystemTrayIcon::Context, clock_.elapsed(), 0));
}

void StatusNotifierItem::SecondaryActivate(int, int) {}

void StatusNotifierItem::Scroll(int, const QString&) {}

} // namespace kova
