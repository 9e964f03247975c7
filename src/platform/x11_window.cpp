#include "x11_window.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
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

enum Atom {
    NetWmState,
    SkipTaskbar,
    SkipPager,
    Sticky,
    Above,
    Below,
    NetWmDesktop,
    NetCurrentDesktop,
    NetRestackWindow,
    NetSupported,
    NetWmUserTime,
    NetWmUserTimeWindow,
    kAtomCount
};
constexpr std::array<const char*, kAtomCount> kAtomNames = {
    "_NET_WM_STATE",        "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER",
    "_NET_WM_STATE_STICKY", "_NET_WM_STATE_ABOVE",        "_NET_WM_STATE_BELOW",
    "_NET_WM_DESKTOP",      "_NET_CURRENT_DESKTOP",       "_NET_RESTACK_WINDOW",
    "_NET_SUPPORTED",       "_NET_WM_USER_TIME",          "_NET_WM_USER_TIME_WINDOW",
};

// Atoms live as long as the display connection: all are asked for in one
// round trip, the first time one is needed.
xcb_atom_t atom(xcb_connection_t* c, Atom which) {
    static xcb_connection_t* cachedFor = nullptr;
    static std::array<xcb_atom_t, kAtomCount> cache{};
    if (cachedFor != c) {
        std::array<xcb_intern_atom_cookie_t, kAtomCount> cookies{};
        for (size_t i = 0; i < kAtomCount; ++i)
            cookies[i] = xcb_intern_atom(c, 0, uint16_t(std::strlen(kAtomNames[i])), kAtomNames[i]);
        for (size_t i = 0; i < kAtomCount; ++i) {
            xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookies[i], nullptr);
            cache[i] = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
            std::free(reply);
        }
        cachedFor = c;
    }
    return cache[size_t(which)];
}

xcb_window_t rootOf(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

xcb_window_t idOf(QWidget* window) {
    return window != nullptr ? xcb_window_t(window->internalWinId()) : 0;
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
constexpr uint32_t kPager = 2;
constexpr uint32_t kAllDesktops = 0xFFFFFFFF;

// The 32-bit values of a property (CARDINAL, ATOM ...), at most `count`.
QList<uint32_t> values(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property,
                       xcb_atom_t type, uint32_t count) {
    QList<uint32_t> result;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, type, 0, count), nullptr);
    if (reply == nullptr)
        return result;
    if (reply->format == 32) {
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        const int n = xcb_get_property_value_length(reply) / 4;
        for (int i = 0; i < n; ++i)
            result << data[i];
    }
    std::free(reply);
    return result;
}

std::optional<uint32_t> cardinal(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
    const QList<uint32_t> found = values(c, window, property, XCB_ATOM_CARDINAL, 1);
    return found.isEmpty() ? std::nullopt : std::optional<uint32_t>(found.first());
}

// Asks the window manager to add (or remove) up to two _NET_WM_STATE atoms of
// a mapped window.
void sendStateChange(xcb_connection_t* c, xcb_window_t window, bool add, xcb_atom_t first,
                     xcb_atom_t second = XCB_ATOM_NONE) {
    askWindowManager(c, window, atom(c, NetWmState),
                     {add ? 1U : 0U, first, second, kNormalApplication});
}

// WM_HINTS as ICCCM lays it out: flags, input, then the rest.
constexpr uint32_t kInputHint = 1;
constexpr uint32_t kWmHintsLength = 9;

void setInputHint(xcb_connection_t* c, xcb_window_t window, QList<uint32_t> hints, bool input) {
    hints.resize(kWmHintsLength, 0);
    hints[0] |= kInputHint;
    hints[1] = input ? 1 : 0;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32,
                        kWmHintsLength, hints.constData());
}

// "Now" as the X server counts it: the time of a property change on a window
// of a connection of our own, made for the purpose.
xcb_timestamp_t serverTime() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    if (xcb_connection_has_error(c) == 0) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        const xcb_window_t window = xcb_generate_id(c);
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &mask);
        xcb_change_property(c, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            0, nullptr);
        xcb_flush(c);
        while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
            const bool found = (event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY;
            if (found)
                time = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
            std::free(event);
            if (found)
                break;
        }
    }
    xcb_disconnect(c);
    return time;
}

// Marks the window as just used, where Qt keeps its user time (a window of
// its own named by _NET_WM_USER_TIME_WINDOW): window managers that refuse a
// raise from a window used less recently than the active one then let it be.
void markJustUsed(xcb_connection_t* c, xcb_window_t window) {
    const QList<uint32_t> timeWindow =
        values(c, window, atom(c, NetWmUserTimeWindow), XCB_ATOM_WINDOW, 1);
    const xcb_timestamp_t now = serverTime();
    if (now == XCB_CURRENT_TIME)
        return;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, timeWindow.value(0, window),
                        atom(c, NetWmUserTime), XCB_ATOM_CARDINAL, 32, 1, &now);
}

} // namespace

void keepPostedOnDesktop(QWidget* window, QEvent::Type event) {
    const bool beforeMap = event == QEvent::Show;
    if (!beforeMap && !(event == QEvent::WinIdChange && window->isVisible()))
        return;
    xcb_connection_t* c = x11Connection();
    const xcb_window_t id = idOf(window);
    if (c == nullptr || id == 0)
        return;
    const xcb_atom_t skipTaskbar = atom(c, SkipTaskbar), skipPager = atom(c, SkipPager),
                     sticky = atom(c, Sticky);
    if (beforeMap) {
        // A withdrawn window has no state of the window manager's; Qt adds its
        // own (above, below) to these as it maps the window.
        const std::array<xcb_atom_t, 3> states = {skipTaskbar, skipPager, sticky};
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, NetWmState), XCB_ATOM_ATOM, 32,
                            states.size(), states.data());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, NetWmDesktop), XCB_ATOM_CARDINAL,
                            32, 1, &kAllDesktops);
    } else {
        sendStateChange(c, id, true, skipTaskbar, skipPager);
        sendStateChange(c, id, true, sticky);
        askWindowManager(c, id, atom(c, NetWmDesktop), {kAllDesktops, kNormalApplication});
    }
    xcb_flush(c);
}

void moveToCurrentDesktop(QWidget* window) {
    xcb_connection_t* c = x11Connection();
    const xcb_window_t id = idOf(window);
    if (c == nullptr || id == 0)
        return;
    const std::optional<uint32_t> current = cardinal(c, rootOf(c), atom(c, NetCurrentDesktop));
    const std::optional<uint32_t> own = cardinal(c, id, atom(c, NetWmDesktop));
    if (!current || !own || *own == *current || *own == kAllDesktops)
        return;
    askWindowManager(c, id, atom(c, NetWmDesktop), {*current, kNormalApplication});
    xcb_flush(c);
}

void setWindowLayer(QWidget* window, bool above, bool below) {
    xcb_connection_t* c = x11Connection();
    const xcb_window_t id = idOf(window);
    if (c == nullptr || id == 0)
        return;
    sendStateChange(c, id, below, atom(c, Below));
    sendStateChange(c, id, above, atom(c, Above));
    xcb_flush(c);
}

void raiseWithoutFocus(QWidget* window) {
    xcb_connection_t* c = x11Connection();
    const xcb_window_t id = idOf(window);
    if (c == nullptr || id == 0) {
        if (window != nullptr)
            window->raise();
        return;
    }
    const QList<uint32_t> supported =
        values(c, rootOf(c), atom(c, NetSupported), XCB_ATOM_ATOM, 4096);
    if (supported.contains(atom(c, NetRestackWindow))) {
        // What a pager asks for on the user's behalf: raised, focus untouched.
        askWindowManager(c, id, atom(c, NetRestackWindow),
                         {kPager, XCB_NONE, XCB_STACK_MODE_ABOVE});
        xcb_flush(c);
        return;
    }
    // Without it, the client's own raise: as just used (metacity's family
    // ignores a raise from a window used less recently than the active one),
    // and refusing input meanwhile (xfwm4 activates a window that raises
    // itself).
    markJustUsed(c, id);
    const bool acceptsFocus = !window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus);
    QList<uint32_t> hints;
    if (acceptsFocus) {
        hints = values(c, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, kWmHintsLength);
        setInputHint(c, id, hints, false);
    }
    window->raise();
    if (acceptsFocus) {
        if (hints.size() < 2 || (hints[0] & kInputHint) == 0)
            hints = {kInputHint, 1};
        setInputHint(c, id, hints, hints[1] != 0);
    }
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

} // namespace kova
