#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

namespace kova {

// Mouse message numbers the tray callback works with.
constexpr int kTrayLeftDoubleClick = 515; // WM_LBUTTONDBLCLK
constexpr int kTrayRightButtonDown = 516; // WM_RBUTTONDOWN

// Turns the tray backend's activation reasons into the message numbers.
// XEmbed trays report a right press as Context and a double-click of their own;
// the D-Bus status-notifier protocol only sends Trigger ("activate"), so there
// two activations within the double-click interval count as one double-click.
class TrayClickDecoder {
public:
    explicit TrayClickDecoder(bool backendSendsDoubleClick)
        : backendSendsDoubleClick_(backendSendsDoubleClick) {}
    // Returns the message number, or 0 for an activation that means nothing.
    int decode(QSystemTrayIcon::ActivationReason reason, qint64 msecsNow, int doubleClickInterval);

private:
    bool backendSendsDoubleClick_;
    qint64 lastTrigger_ = -1;
};

// The notification-area icon in an XEmbed tray (Qt's own). Reports decoded
// message numbers. Qt fixes its tray protocol for the whole run when the
// first one is made: make it while no status-notifier host is there, so
// that it is the XEmbed kind (StatusNotifierItem serves those hosts).
class TrayIcon : public QObject {
    Q_OBJECT
public:
    TrayIcon(const QIcon& icon, const QString& tip, QObject* parent = nullptr);
    ~TrayIcon() override;

    void add();
    void remove();
    bool isShown() const;

signals:
    void message(int number);

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    std::unique_ptr<QSystemTrayIcon> icon_;
    TrayClickDecoder decoder_;
    QElapsedTimer clock_;
};

} // namespace kova
