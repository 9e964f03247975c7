#pragma once

#include <QPointer>

#include <functional>
#include <utility>

namespace kova {

// A window that exists at most once (the settings dialog, the mail result
// window, the note editor, the timer dialog), held by its one owner as a
// member. Made by the owner's factory on first reference, which runs its load
// steps; forgotten as soon as it is closed (its `unloaded` signal), even
// before its deferred delete has run, so the next reference makes a fresh
// one. A window still there when the owner goes is deleted with it.
template <typename Window> class SingleWindow {
public:
    using Factory = std::function<Window*()>;

    explicit SingleWindow(Factory make) : make_(std::move(make)) {}
    ~SingleWindow() { delete window_.data(); }
    SingleWindow(const SingleWindow&) = delete;
    SingleWindow& operator=(const SingleWindow&) = delete;

    // The window, made now when there is none.
    Window* get() {
        if (window_.isNull()) {
            Window* made = make_();
            window_ = made;
            QObject::connect(made, &Window::unloaded, made, [this, made] {
                if (window_.data() == made)
                    window_.clear();
            });
        }
        return window_.data();
    }

    // The window if it exists, else nullptr; never makes one.
    Window* existing() const { return window_.data(); }

    // Closes nothing: deletes the window (if any) once control returns to
    // the event loop, and forgets it now.
    void discard() {
        if (Window* w = window_.data())
            w->deleteLater();
        window_.clear();
    }

private:
    Factory make_;
    QPointer<Window> window_;
};

} // namespace kova
