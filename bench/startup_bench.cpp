// Start-up benchmark: time from starting KovaShell until its icon is mapped in
// the tray and every stored note window is mapped, and the resident memory
// after start-up. Runs on the current X display, which must have an XEmbed tray
// host (trayer) and no window manager.
//
//   startup_bench PROGRAM [RUNS [TEMPLATE_FOLDER NOTES]]
//
// Each run starts from a fresh data folder: empty, or a copy of TEMPLATE_FOLDER
// (KovaShell.ini and the note files), which holds NOTES visible notes.

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
    Display() : c_(xcb_connect(nullptr, nullptr)) { netWmName_ = atom("_NET_WM_NAME"); }
    ~Display() { xcb_disconnect(c_); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    bool ok() const { return xcb_connection_has_error(c_) == 0; }
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root; }

    std::vector<xcb_window_t> children(xcb_window_t window) const {
        std::vector<xcb_window_t> result;
        xcb_query_tree_reply_t* reply =
            xcb_query_tree_reply(c_, xcb_query_tree(c_, window), nullptr);
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
        xcb_get_window_attributes_reply_t* reply =
            xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr);
        if (reply == nullptr)
            return false;
        const bool result = reply->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(reply);
        return result;
    }

    int countViewableNamed(const std::vector<xcb_window_t>& windows,
                           const std::string& wanted) const {
        std::vector<xcb_get_window_attributes_cookie_t> attributes;
        std::vector<xcb_get_property_cookie_t> names;
        for (xcb_window_t window : windows) {
            attributes.push_back(xcb_get_window_attributes(c_, window));
            names.push_back(xcb_get_property(c_, 0, window, netWmName_, XCB_ATOM_ANY, 0, 64));
        }
        int count = 0;
        for (size_t i = 0; i < windows.size(); ++i) {
            xcb_get_window_attributes_reply_t* a =
                xcb_get_window_attributes_reply(c_, attributes[i], nullptr);
            xcb_get_property_reply_t* p = xcb_get_property_reply(c_, names[i], nullptr);
            if (a != nullptr && p != nullptr && a->map_state == XCB_MAP_STATE_VIEWABLE &&
                std::string(static_cast<const char*>(xcb_get_property_value(p)),
                            size_t(xcb_get_property_value_length(p))) == wanted)
                ++count;
            std::free(a);
            std::free(p);
        }
        return count;
    }

private:
    xcb_atom_t atom(const char* name) const {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            c_, xcb_intern_atom(c_, 0, uint16_t(std::char_traits<char>::length(name)), name),
            nullptr);
        if (reply == nullptr)
            return XCB_ATOM_NONE;
        const xcb_atom_t result = reply->atom;
        std::free(reply);
        return result;
    }

    std::string property(xcb_window_t window, xcb_atom_t atom) const {
        if (atom == XCB_ATOM_NONE)
            return {};
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, window, atom, XCB_ATOM_ANY, 0, 64), nullptr);
        if (reply == nullptr)
            return {};
        std::string text(static_cast<const char*>(xcb_get_property_value(reply)),
                         static_cast<size_t>(xcb_get_property_value_length(reply)));
        std::free(reply);
        return text;
    }

    xcb_connection_t* c_;
    xcb_atom_t netWmName_ = XCB_ATOM_NONE;
};

// trayer's top-level panel window.
std::optional<xcb_window_t> findPanel(const Display& display) {
    for (xcb_window_t window : display.children(display.root()))
        if (display.name(window) == "panel")
            return window;
    return std::nullopt;
}

const std::string kNoteTitle = "付箋紙";

// Mapped note windows; the requests go out together so that one poll costs
// one round trip, not one per window.
int shownNotes(const Display& display) {
    return display.countViewableNamed(display.children(display.root()), kNoteTitle);
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

// CPU time the process's threads have used so far, in ms (schedstat: ns on
// the CPU). Unlike the wall time it hardly moves with the machine's load.
double cpuMilliseconds(pid_t pid) {
    double total = 0;
    std::error_code error;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double nanoseconds = 0;
        if (schedstat >> nanoseconds)
            total += nanoseconds / 1e6;
    }
    return total;
}

// Waits until the icon and `notes` note windows are shown, or until both are gone.
bool waitFor(const Display& display, xcb_window_t panel, bool shown, int notes,
             std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    const auto done = [&] {
        return shown ? iconShown(display, panel) && shownNotes(display) >= notes
                     : !iconShown(display, panel) && shownNotes(display) == 0;
    };
    while (!done()) {
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
        std::fprintf(stderr, "usage: %s PROGRAM [RUNS [TEMPLATE_FOLDER NOTES]]\n", argv[0]);
        return 2;
    }
    const char* program = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
    const std::filesystem::path templateFolder = argc > 4 ? argv[3] : "";
    const int notes = argc > 4 ? std::atoi(argv[4]) : 0;
    const std::string label =
        templateFolder.empty() ? "empty data folder" : std::to_string(notes) + " notes";

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
    std::vector<double> cpuTimes;
    for (int run = 1; run <= runs; ++run) {
        // A fresh data folder each time: without a template every run is a first run.
        char pattern[] = "/tmp/kova-bench.XXXXXX";
        const char* folder = mkdtemp(pattern);
        if (folder == nullptr) {
            std::perror("mkdtemp");
            return 1;
        }
        if (!templateFolder.empty())
            std::filesystem::copy(templateFolder, folder, std::filesystem::copy_options::recursive);
        const auto started = Clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("KOVASHELL_HOME", folder, 1);
            execl(program, program, static_cast<char*>(nullptr));
            std::perror("exec");
            _exit(127);
        }
        const bool shown = waitFor(display, *panel, true, notes, std::chrono::seconds(30));
        const double elapsed =
            std::chrono::duration<double, std::milli>(Clock::now() - started).count();
        const double cpu = cpuMilliseconds(pid);
        // Let the event loop settle before measuring memory.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const long rss = residentKilobytes(pid);
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        waitFor(display, *panel, false, 0, std::chrono::seconds(10));
        std::filesystem::remove_all(folder);
        if (!shown) {
            std::fprintf(stderr, "run %d: the tray icon or %d notes did not appear\n", run, notes);
            return 1;
        }
        std::printf("run %2d: %7.1f ms  %6.1f MB  cpu %6.1f ms\n", run, elapsed, rss / 1024.0, cpu);
        std::fflush(stdout);
        milliseconds.push_back(elapsed);
        cpuTimes.push_back(cpu);
        kilobytes.push_back(rss);
    }

    std::printf("%s, start-up to tray icon and notes shown: median %.1f ms (min %.1f, "
                "max %.1f) over %d runs\n",
                label.c_str(), median(milliseconds),
                *std::min_element(milliseconds.begin(), milliseconds.end()),
                *std::max_element(milliseconds.begin(), milliseconds.end()), runs);
    std::printf("%s, CPU time of the program until then: median %.1f ms (min %.1f)\n",
                label.c_str(), median(cpuTimes),
                *std::min_element(cpuTimes.begin(), cpuTimes.end()));
    std::printf("%s, resident memory after start-up: median %.1f MB (max %.1f MB)\n", label.c_str(),
                median(kilobytes) / 1024.0,
                *std::max_element(kilobytes.begin(), kilobytes.end()) / 1024.0);
    return 0;
}
