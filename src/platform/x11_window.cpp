#include "x11_window.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QHash>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <optional>

namespace kova {

namespace {

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    // Atoms live as long as the display connection; ask the server once.
    static xcb_connection_t* cachedFor = nullptr;
    static QHash<QByteArray, xcb_atom_t> cache;
    if (cachedFor != c) {
        cache.clear();
        cachedFor = c;
    }
    const QByteArray key(name);
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return it.value();
    xcb_intern_atom_cookie_t cookie = xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
    if (reply == nullptr)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    cache.insert(key, atom);
    return atom;
}

struct StateAtoms {
    xcb_atom_t state, skipTaskbar, skipPager;
};

StateAtoms stateAtoms(xcb_connection_t* c) {
    return {internAtom(c, "_NET_WM_STATE"), internAtom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
            internAtom(c, "_NET_WM_STATE_SKIP_PAGER")};
}

// The window's current _NET_WM_STATE atoms.
QList<xcb_atom_t> currentStates(xcb_connection_t* c, xcb_window_t window, xcb_atom_t state) {
    QList<xcb_atom_t> atoms;
    xcb_get_property_cookie_t cookie =
        xcb_get_property(c, 0, window, state, XCB_ATOM_ATOM, 0, 1024);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
    if (reply == nullptr)
        return atoms;
    if (reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / int(sizeof(xcb_atom_t));
        for (int i = 0; i < count; ++i)
            atoms << data[i];
    }
    std::free(reply);
    return atoms;
}

xcb_window_t rootOf(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

// A request about a mapped window to the window manager (EWMH client
// message to the root window).
void askWindowManager(xcb_connection_t* c, xcb_window_t window, xcb_atom_t type,
                      std::initializer_list<uint32_t> data) {
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    Q_ASSERT(data.size() <= 5);
    std::copy(data.begin(), data.end(), event.data.data32);
    xcb_send_event(c, 0, rootOf(c),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
}

constexpr uint32_t kNormalApplication = 1; // the source of a request
constexpr uint32_t kAllDesktops = 0xFFFFFFFF;

// A window's 32-bit CARDINAL property; nullopt when it has none.
std::optional<uint32_t> cardinal(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    if (reply == nullptr)
        return std::nullopt;
    std::optional<uint32_t> value;
    if (reply->format == 32 && xcb_get_property_value_length(reply) == 4)
        value = *static_cast<const uint32_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return value;
}

// Asks the window manager to add (or remove) up to two _NET_WM_STATE atoms of
// a mapped window.
void sendStateChange(xcb_connection_t* c, xcb_window_t window, xcb_atom_t state, bool add,
                     xcb_atom_t first, xcb_atom_t second = XCB_ATOM_NONE) {
    askWindowManager(c, window, state, {add ? 1U : 0U, first, second, kNormalApplication});
}

} // namespace

void keepOutOfTaskbar(QWidget* window) {
    xcb_connection_t* c = x11Connection();
    if (c == nullptr || window == nullptr || window->internalWinId() == 0)
        return;
    const auto id = xcb_window_t(window->internalWinId());
    const StateAtoms a = stateAtoms(c);
    if (a.state == XCB_ATOM_NONE)
        return;

    // An unmapped window takes the property as its initial state ...
    QList<xcb_atom_t> atoms = currentStates(c, id, a.state);
    for (xcb_atom_t wanted : {a.skipTaskbar, a.skipPager}) {
        if (!atoms.contains(wanted))
            atoms << wanted;
    }
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, a.state, XCB_ATOM_ATOM, 32,
                        uint32_t(atoms.size()), atoms.constData());

    // ... a mapped one is changed through the window manager.
    sendStateChange(c, id, a.state, true, a.skipTaskbar, a.skipPager);
    xcb_flush(c);
}

void showOnAllDesktops(QWidget* window) {
    xcb_connection_t* c = x11Connection();
    if (c == nullptr || window == nullptr || window->internalWinId() == 0)
        return;
    const auto id = xcb_window_t(window->internalWinId());
    const xcb_atom_t desktop = internAtom(c, "_NET_WM_DESKTOP");
    // The initial desktop of an unmapped window ...
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1,
                        &kAllDesktops);
    // ... and the window manager's request for a mapped one.
    askWindowManager(c, id, desktop, {kAllDesktops, kNormalApplication});
    xcb_flush(c);
}

void moveToCurrentDesktop(QWidget* window) {
    xcb_connection_t* c = x11Connection();
    if (c == nullptr || window == nullptr || window->internalWinId() == 0)
        return;
    const auto id = xcb_window_t(window->internalWinId());
    const xcb_atom_t desktop = internAtom(c, "_NET_WM_DESKTOP");
    const std::optional<uint32_t> current =
        cardinal(c, rootOf(c), internAtom(c, "_NET_CURRENT_DESKTOP"));
    const std::optional<uint32_t> own = cardinal(c, id, desktop);
    if (!current || !own || *own == *current || *own == kAllDesktops)
        return;
    askWindowManager(c, id, desktop, {*current, kNormalApplication});
    xcb_flush(c);
}

void setWindowLayer(QWidget* window, bool above, bool below) {
    xcb_connection_t* c = x11Connection();
    if (c == nullptr || window == nullptr || window->internalWinId() == 0)
        return;
    const xcb_atom_t state = internAtom(c, "_NET_WM_STATE");
    const std::pair<xcb_atom_t, bool> changes[] = {
        {internAtom(c, "_NET_WM_STATE_BELOW"), below},
        {internAtom(c, "_NET_WM_STATE_ABOVE"), above},
    };
    for (const auto& [atom, set] : changes)
        sendStateChange(c, xcb_window_t(window->internalWinId()), state, set, atom);
    xcb_flush(c);
}

void raiseWithoutFocus(QWidget* window) {
    if (window == nullptr)
        return;
    window->raise();
    if (xcb_connection_t* c = x11Connection())
        xcb_flush(c);
}

bool x11DisplayReachable() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const bool ok = c != nullptr && xcb_connection_has_error(c) == 0;
    if (c != nullptr)
        xcb_disconnect(c);
    return ok;
}

int refuseWithoutX11Display(const char* program) {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return 0; // another platform chosen on purpose (tests: offscreen)
    if (x11DisplayReachable())
        return 0;
    std::fprintf(stderr,
                 "%s: X11 のディスプレイに接続できません。X11 か XWayland が必要です"
                 "（DISPLAY を確認してください）。\n",
                 program);
    return 1;
}

bool isKeptOutOfTaskbar(QWidget* window) {
    xcb_connection_t* c = x11Connection();
    if (c == nullptr || window == nullptr || window->internalWinId() == 0)
        return false;
    const StateAtoms a = stateAtoms(c);
    const QList<xcb_atom_t> atoms =
        currentStates(c, xcb_window_t(window->internalWinId()), a.state);
    return atoms.contains(a.skipTaskbar) && atoms.contains(a.skipPager);
}

} // namespace kova
