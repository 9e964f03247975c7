#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace kova {

// Held by a window's handler around a modal dialog or message box, which runs
// an event loop of its own. Closed meanwhile (by its own "OK" through a screen
// reader, by its owner), the window unloads as always and the dialogs it owns
// are closed with it, but its deletion waits until the handler is done: the
// handler's stack never points into a deleted window. windowGone() then tells
// the handler to leave the window alone.
class NestedDialogGuard : public QObject {
public:
    explicit NestedDialogGuard(QWidget* window);
    ~NestedDialogGuard() override;
    NestedDialogGuard(const NestedDialogGuard&) = delete;
    NestedDialogGuard& operator=(const NestedDialogGuard&) = delete;

    bool windowGone() const { return window_.isNull() || deleteHeld_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    bool deleteHeld_ = false;
};

} // namespace kova
