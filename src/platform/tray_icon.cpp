#include "tray_icon.h"

#include <QApplication>
#include <QStyleHints>

namespace kova {

int TrayClickDecoder::decode(QSystemTrayIcon::ActivationReason reason, qint64 msecsNow,
                             int doubleClickInterval) {
    switch (reason) {
    case QSystemTrayIcon::Context:
        lastTrigger_ = -1;
        return kTrayRightButtonDown;
    case QSystemTrayIcon::DoubleClick:
        lastTrigger_ = -1;
        return kTrayLeftDoubleClick;
    case QSystemTrayIcon::Trigger:
        if (backendSendsDoubleClick_)
            return 0;
        if (lastTrigger_ >= 0 && msecsNow - lastTrigger_ <= doubleClickInterval) {
            lastTrigger_ = -1;
            return kTrayLeftDoubleClick;
        }
        lastTrigger_ = msecsNow;
        return 0;
    default:
        return 0;
    }
}

TrayIcon::TrayIcon(const QIcon& icon, const QString& tip, QObject* parent)
    : QObject(parent), icon_(std::make_unique<QSystemTrayIcon>(icon)), decoder_(true) {
    icon_->setToolTip(tip);
    connect(icon_.get(), &QSystemTrayIcon::activated, this, &TrayIcon::onActivated);
    clock_.start();
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::add() {
    icon_->show();
}

void TrayIcon::remove() {
    icon_->hide();
}

bool TrayIcon::isShown() const {
    return icon_->isVisible();
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason) {
    const int number = decoder_.decode(reason, clock_.elapsed(),
                                       QGuiApplication::styleHints()->mouseDoubleClickInterval());
    if (number != 0)
        emit message(number);
}

} // namespace kova
