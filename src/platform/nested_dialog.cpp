#include "nested_dialog.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>

namespace kova {

NestedDialogGuard::NestedDialogGuard(QWidget* window) : window_(window) {
    if (window != nullptr)
        window->installEventFilter(this);
}

NestedDialogGuard::~NestedDialogGuard() {
    if (window_.isNull())
        return;
    window_->removeEventFilter(this);
    // A fresh event rather than deleteLater(), which may ignore a second call.
    if (deleteHeld_)
        QCoreApplication::postEvent(window_, new QDeferredDeleteEvent());
}

bool NestedDialogGuard::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_ || event->type() != QEvent::DeferredDelete)
        return QObject::eventFilter(watched, event);
    deleteHeld_ = true;
    // The nested loop ends with the dialog, and the handler with it.
    for (QDialog* dialog : window_->findChildren<QDialog*>()) {
        if (dialog->isVisible())
            dialog->reject();
    }
    return true;
}

} // namespace kova
