#include "tray_watcher.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace kova {

namespace {

const QString kNotifierWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kNotifierWatcherPath = QStringLiteral("/StatusNotifierWatcher");

QDBusMessage askIfHostRegistered() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kNotifierWatcher, kNotifierWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kNotifierWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    return get;
}

bool hostRegistered(const QDBusMessage& answer) {
    return answer.type() == QDBusMessage::ReplyMessage && !answer.arguments().isEmpty() &&
           answer.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const QByteArray& name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.constData()), nullptr);
    if (reply == nullptr)
        return XCB_ATOM_NONE;
    const xcb_atom_t a = reply->atom;
    std::free(reply);
    return a;
}

// Adds `mask` to the events this client hears from `window`.
void listenTo(xcb_connection_t* c, xcb_window_t window, uint32_t mask) {
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    const uint32_t value = (attributes != nullptr ? attributes->your_event_mask : 0) | mask;
    std::free(attributes);
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &value);
}

} // namespace

TrayWatcher::TrayWatcher(QObject* parent) : QObject(parent) {
    if (xcb_connection_t* c = x11Connection()) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        int number = 0;
        if (const char* display = std::getenv("DISPLAY"); display != nullptr) {
            if (const char* dot = std::strrchr(display, '.'); dot != nullptr)
                number = std::atoi(dot + 1);
        }
        selection_ = atom(c, "_NET_SYSTEM_TRAY_S" + QByteArray::number(number));
        manager_ = atom(c, "MANAGER");
        // A new tray manager says so to every client on the root window.
        listenTo(c, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
        xcb_get_selection_owner_reply_t* owner =
            xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection_), nullptr);
        if (owner != nullptr) {
            followOwner(owner->owner);
            std::free(owner);
        }
        xcb_flush(c);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    watchNotifierHosts();
}

void TrayWatcher::watchNotifierHosts() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus_ = new QDBusServiceWatcher(kNotifierWatcher, bus, QDBusServiceWatcher::WatchForOwnerChange,
                                   this);
    // A watcher replaced by another has forgotten the items: as gone and come.
    connect(bus_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString& before, const QString& now) {
                if (!before.isEmpty())
                    setNotifier(false, false);
                if (!now.isEmpty()) {
                    setNotifier(true, false);
                    askNotifierHost();
                }
            });
    for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
        bus.connect(kNotifierWatcher, kNotifierWatcherPath, kNotifierWatcher,
                    QString::fromLatin1(signal), this, SLOT(askNotifierHost()));
    // At start the answer decides which tray icon is made: wait for it.
    if (bus.interface()->isServiceRegistered(kNotifierWatcher)) {
        constexpr int kTimeoutMs = 2000;
        notifierWatcher_ = true;
        notifierHost_ = hostRegistered(bus.call(askIfHostRegistered(), QDBus::Block, kTimeoutMs));
    }
}

void TrayWatcher::askNotifierHost() {
    auto* reply = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(askIfHostRegistered()), this);
    connect(reply, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* r) {
        r->deleteLater();
        if (notifierWatcher_)
            setNotifier(true, hostRegistered(r->reply()));
    });
}

void TrayWatcher::setNotifier(bool watcher, bool host) {
    if (notifierWatcher_ == watcher && notifierHost_ == host)
        return;
    const bool before = notifierHostAvailable();
    notifierWatcher_ = watcher;
    notifierHost_ = host;
    if (notifierHostAvailable() != before)
        emit changed();
}

TrayWatcher::~TrayWatcher() {
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void TrayWatcher::followOwner(quint32 owner) {
    xembedOwner_ = owner;
    // Its window's end is the manager's end.
    if (owner != 0)
        listenTo(x11Connection(), owner, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
}

bool TrayWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7F;
    if (type == XCB_CLIENT_MESSAGE) {
        const auto* m = reinterpret_cast<const xcb_client_message_event_t*>(event);
        if (m->type == manager_ && m->format == 32 && m->data.data32[1] == selection_) {
            const bool before = xembedAvailable();
            followOwner(m->data.data32[2]);
            xcb_flush(x11Connection());
            if (xembedAvailable() != before)
                emit changed();
        }
    } else if (type == XCB_DESTROY_NOTIFY) {
        const auto* d = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
        if (xembedOwner_ != 0 && d->window == xembedOwner_) {
            xembedOwner_ = 0;
            emit changed();
        }
    }
    return false;
}

} // namespace kova
