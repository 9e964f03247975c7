// Start-up benchmark: time from starting KovaShell with an empty data folder to
// its icon being mapped in the tray, and the resident memory after start-up.
// Runs on the current X display, which must have an XEmbed tray host (trayer).
//
//   startup_bench PROGRAM [RUNS]

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

class Display {
public:
    Display() : connection_(xcb_connect(nullptr, nullptr)) {
        // Qt leaves WM_NAME empty and names its windows through _NET_WM_NAME.
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, 12, "_NET_WM_NAME"), nullptr);
        if (reply != nullptr) {
            netWmName_ = reply->atom;
            std::free(reply);
        }
    }
    ~Display() { xcb_disconnect(connection_); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    bool ok() const { return xcb_connection_has_error(connection_) == 0; }
    xcb_window_t root() const {
        return xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    }

    std::vector<xcb_window_t> children(xcb_window_t window) const {
        std::vector<xcb_window_t> result;
        xcb_query_tree_reply_t* reply =
            xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr);
        if (reply == nullptr)
            return result;
        const xcb_window_t* first = xcb_query_tree_children(reply);
        result.assign(first, first + xcb_query_tree_children_length(reply));
        std::free(reply);
        return result;
    }

    std::string name(xcb_window_t window) const {
        std::string text = property(window, netWmName_);
        return text.empty() ? property(window, XCB_ATOM_WM_NAME) : text;
    }

    bool viewable(xcb_window_t window) const {
        xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, window), nullptr);
        if (reply == nullptr)
            return false;
        const bool result = reply->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(reply);
        return result;
    }

private:
    std::string property(xcb_window_t window, xcb_atom_t atom) const {
        if (atom == XCB_ATOM_NONE)
            return {};
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, atom, XCB_ATOM_ANY, 0, 64),
            nullptr);
        if (reply == nullptr)
            return {};
        std::string text(static_cast<const char*>(xcb_get_property_value(reply)),
                         static_cast<size_t>(xcb_get_property_value_length(reply)));
        std::free(reply);
        return text;
    }

    xcb_connection_t* connection_;
    xcb_atom_t netWmName_ = XCB_ATOM_NONE;
};

// trayer's top-level panel window.
std::optional<xcb_window_t> findPanel(const Display& display) {
    for (xcb_window_t window : display.children(display.root()))
        if (display.name(window) == "panel")
            return window;
    return std::nullopt;
}

// True when a mapped "KovaShell" window sits in one of the panel's sockets.
bool iconShown(const Display& display, xcb_window_t panel) {
    for (xcb_window_t socket : display.children(panel))
        for (xcb_window_t icon : display.children(socket))
            if (display.name(icon) == "KovaShell" && display.viewable(icon))
                return true;
    return false;
}

long residentKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

bool waitFor(const Display& display, xcb_window_t panel, bool shown, std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    while (iconShown(display, panel) != shown) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return true;
}

template <typename T> T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [RUNS]\n", argv[0]);
        return 2;
    }
    const char* program = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;

    Display display;
    if (!display.ok()) {
        std::fprintf(stderr, "cannot open the X display\n");
        return 1;
    }
    const std::optional<xcb_window_t> panel = findPanel(display);
    if (!panel) {
        std::fprintf(stderr, "no tray panel (trayer) on this display\n");
        return 1;
    }

    std::vector<double> milliseconds;
    std::vector<long> kilobytes;
    for (int run = 1; run <= runs; ++run) {
        // An empty data folder each time: every run is a first run.
        char pattern[] = "/tmp/kova-bench.XXXXXX";
        const char* folder = mkdtemp(pattern);
        if (folder == nullptr) {
            std::perror("mkdtemp");
            return 1;
        }
        const auto started = Clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("KOVASHELL_HOME", folder, 1);
            execl(program, program, static_cast<char*>(nullptr));
            std::perror("exec");
            _exit(127);
        }
        const bool shown = waitFor(display, *panel, true, std::chrono::seconds(20));
        const double elapsed =
            std::chrono::duration<double, std::milli>(Clock::now() - started).count();
        // Let the event loop settle before measuring memory.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const long rss = residentKilobytes(pid);
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        waitFor(display, *panel, false, std::chrono::seconds(10));
        std::filesystem::remove_all(folder);
        if (!shown) {
            std::fprintf(stderr, "run %d: the tray icon did not appear\n", run);
            return 1;
        }
        std::printf("run %2d: %7.1f ms  %6.1f MB\n", run, elapsed, rss / 1024.0);
        std::fflush(stdout);
        milliseconds.push_back(elapsed);
        kilobytes.push_back(rss);
    }

    std::printf("start-up to tray icon: median %.1f ms (min %.1f, max %.1f) over %d runs\n",
                median(milliseconds), *std::min_element(milliseconds.begin(), milliseconds.end()),
                *std::max_element(milliseconds.begin(), milliseconds.end()), runs);
    std::printf("resident memory after start-up: median %.1f MB (max %.1f MB)\n",
                median(kilobytes) / 1024.0,
                *std::max_element(kilobytes.begin(), kilobytes.end()) / 1024.0);
    return 0;
}
