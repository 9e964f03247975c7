#include "tray_watcher.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace kova {

namespace {

const QString kNotifierWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

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
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        notifierWatcher_ = bus.interface()->isServiceRegistered(kNotifierWatcher);
        bus_ = new QDBusServiceWatcher(kNotifierWatcher, bus,
                                       QDBusServiceWatcher::WatchForRegistration |
                                           QDBusServiceWatcher::WatchForUnregistration,
                                       this);
        connect(bus_, &QDBusServiceWatcher::serviceRegistered, this, [this] {
            const bool before = trayAvailable();
            notifierWatcher_ = true;
            report(before);
        });
        connect(bus_, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
            const bool before = trayAvailable();
            notifierWatcher_ = false;
            report(before);
        });
    }
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

void TrayWatcher::report(bool before) {
    if (trayAvailable() != before)
        emit availabilityChanged(trayAvailable());
}

bool TrayWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7F;
    if (type == XCB_CLIENT_MESSAGE) {
        const auto* m = reinterpret_cast<const xcb_client_message_event_t*>(event);
        if (m->type == manager_ && m->format == 32 && m->data.data32[1] == selection_) {
            const bool before = trayAvailable();
            followOwner(m->data.data32[2]);
            xcb_flush(x11Connection());
            report(before);
        }
    } else if (type == XCB_DESTROY_NOTIFY) {
        const auto* d = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
        if (xembedOwner_ != 0 && d->window == xembedOwner_) {
            const bool before = trayAvailable();
            xembedOwner_ = 0;
            report(before);
        }
    }
    return false;
}

} // namespace kova
