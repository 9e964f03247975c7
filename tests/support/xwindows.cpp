// kova-xwindows PID: the mapped windows of process PID, at any depth of the
// window tree (with or without a window manager), one line each:
//   ID <TAB> OVERRIDE <TAB> TYPE <TAB> TITLE <TAB> DESKTOP <TAB> STATES
// OVERRIDE is yes for popups such as menus; TYPE the end of the window type
// (NORMAL, DIALOG, POPUP_MENU ...); DESKTOP the _NET_WM_DESKTOP value or -;
// STATES the window's _NET_WM_STATE atoms without "_NET_WM_STATE_", comma
// separated. A tray icon's window, docked inside another program's window
// (XEmbed), is left out. One connection and a few pipelined round trips, however many
// windows there are: the end-to-end tests poll this.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

xcb_connection_t* c;

template <typename Reply> struct Owned {
    Reply* reply;
    explicit Owned(Reply* r) : reply(r) {}
    ~Owned() { std::free(reply); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Reply* operator->() const { return reply; }
    explicit operator bool() const { return reply != nullptr; }
};

xcb_atom_t intern(const char* name) {
    Owned reply(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name),
                                      nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Every window below the root, each with its parent.
std::vector<std::pair<xcb_window_t, xcb_window_t>> allWindows(xcb_window_t root) {
    std::vector<std::pair<xcb_window_t, xcb_window_t>> all;
    std::vector<xcb_window_t> level{root};
    while (!level.empty()) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        for (xcb_window_t w : level)
            cookies.push_back(xcb_query_tree(c, w));
        std::vector<xcb_window_t> next;
        for (size_t i = 0; i < cookies.size(); ++i) {
            Owned reply(xcb_query_tree_reply(c, cookies[i], nullptr));
            if (!reply)
                continue;
            const xcb_window_t* children = xcb_query_tree_children(reply.reply);
            for (int k = 0; k < xcb_query_tree_children_length(reply.reply); ++k) {
                next.push_back(children[k]);
                all.emplace_back(children[k], level[i]);
            }
        }
        level = std::move(next);
    }
    return all;
}

std::string atomName(xcb_atom_t atom, std::map<xcb_atom_t, std::string>& names) {
    if (auto it = names.find(atom); it != names.end())
        return it->second;
    Owned reply(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr));
    std::string name = reply ? std::string(xcb_get_atom_name_name(reply.reply),
                                           size_t(xcb_get_atom_name_name_length(reply.reply)))
                             : std::string();
    names[atom] = name;
    return name;
}

std::string without(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0 ? text.substr(prefix.size()) : text;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kova-xwindows PID\n");
        return 2;
    }
    const uint32_t pid = uint32_t(std::strtoul(argv[1], nullptr, 10));
    c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "kova-xwindows: no X display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t pidAtom = intern("_NET_WM_PID"), typeAtom = intern("_NET_WM_WINDOW_TYPE"),
                     nameAtom = intern("_NET_WM_NAME"), utf8 = intern("UTF8_STRING"),
                     desktopAtom = intern("_NET_WM_DESKTOP"), stateAtom = intern("_NET_WM_STATE");

    const auto windows = allWindows(root);
    std::vector<xcb_get_property_cookie_t> pids;
    for (const auto& [w, parent] : windows)
        pids.push_back(xcb_get_property(c, 0, w, pidAtom, XCB_ATOM_CARDINAL, 0, 1));
    std::map<xcb_window_t, std::pair<uint32_t, xcb_window_t>> owner; // pid (0: none), parent
    for (size_t i = 0; i < windows.size(); ++i) {
        Owned reply(xcb_get_property_reply(c, pids[i], nullptr));
        uint32_t value = 0;
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply.reply) == 4)
            value = *static_cast<const uint32_t*>(xcb_get_property_value(reply.reply));
        owner[windows[i].first] = {value, windows[i].second};
    }
    // Ours, and not inside a window of another program.
    const auto inOurs = [&](xcb_window_t w) {
        if (owner[w].first != pid)
            return false;
        for (w = owner[w].second; w != root && owner.count(w) != 0; w = owner[w].second) {
            if (owner[w].first != 0 && owner[w].first != pid)
                return false;
        }
        return true;
    };
    std::vector<xcb_window_t> ours;
    for (const auto& [w, parent] : windows) {
        if (inOurs(w))
            ours.push_back(w);
    }

    struct Cookies {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_property_cookie_t type, name, desktop, state;
    };
    std::vector<Cookies> asked;
    for (xcb_window_t w : ours)
        asked.push_back({xcb_get_window_attributes(c, w),
                         xcb_get_property(c, 0, w, typeAtom, XCB_ATOM_ATOM, 0, 8),
                         xcb_get_property(c, 0, w, nameAtom, utf8, 0, 1024),
                         xcb_get_property(c, 0, w, desktopAtom, XCB_ATOM_CARDINAL, 0, 1),
                         xcb_get_property(c, 0, w, stateAtom, XCB_ATOM_ATOM, 0, 64)});
    std::map<xcb_atom_t, std::string> names;
    for (size_t i = 0; i < ours.size(); ++i) {
        Owned attributes(xcb_get_window_attributes_reply(c, asked[i].attributes, nullptr));
        Owned type(xcb_get_property_reply(c, asked[i].type, nullptr));
        Owned name(xcb_get_property_reply(c, asked[i].name, nullptr));
        Owned desktop(xcb_get_property_reply(c, asked[i].desktop, nullptr));
        Owned state(xcb_get_property_reply(c, asked[i].state, nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        // The first of the standard types (Qt puts KDE's own before them).
        std::string typeText = "NORMAL";
        if (type && type->format == 32) {
            const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(type.reply));
            for (int k = 0; k < xcb_get_property_value_length(type.reply) / 4; ++k) {
                const std::string name = atomName(atoms[k], names);
                if (name.rfind("_NET_WM_WINDOW_TYPE_", 0) == 0) {
                    typeText = without(name, "_NET_WM_WINDOW_TYPE_");
                    break;
                }
            }
        }
        std::string title;
        if (name)
            title.assign(static_cast<const char*>(xcb_get_property_value(name.reply)),
                         size_t(xcb_get_property_value_length(name.reply)));
        std::string desktopText = "-";
        if (desktop && desktop->format == 32 && xcb_get_property_value_length(desktop.reply) == 4)
            desktopText = std::to_string(
                *static_cast<const uint32_t*>(xcb_get_property_value(desktop.reply)));
        std::string states;
        if (state && state->format == 32) {
            const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(state.reply));
            const int count = xcb_get_property_value_length(state.reply) / 4;
            for (int k = 0; k < count; ++k)
                states += (k > 0 ? "," : "") + without(atomName(atoms[k], names), "_NET_WM_STATE_");
        }
        std::printf("0x%x\t%s\t%s\t%s\t%s\t%s\n", ours[i],
                    attributes->override_redirect ? "yes" : "no", typeText.c_str(), title.c_str(),
                    desktopText.c_str(), states.c_str());
    }
    xcb_disconnect(c);
    return 0;
}
