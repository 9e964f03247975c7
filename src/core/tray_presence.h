#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

class QMenu;

namespace kova {

class StatusNotifierItem;
class TrayHandle;
class TrayIcon;
class TrayWatcher;

// The program's one face in the notification area, whichever tray the
// desktop has and whenever it comes: the status-notifier item (with the tray
// menu exported) where a status-notifier host is, else Qt's icon in an XEmbed
// tray, else the handle after a wait that lets a panel starting with the
// session come up first. Follows trays coming and going without polling.
class TrayPresence : public QObject {
    Q_OBJECT
public:
    static constexpr int kWaitMs = 10000;

    // `menu` is the tray menu the status-notifier item exports.
    explicit TrayPresence(QMenu* menu, QObject* parent = nullptr);
    ~TrayPresence() override;

    // Start-up: the face that fits now, or the wait for one.
    void add();
    // Exit: every face gone for good.
    void remove();
    // Before add(): how long to wait for a tray host (tests shorten it).
    void setWait(int ms) { wait_.setInterval(ms); }

    // The stand-in for the tray icon if it was ever shown, else nullptr.
    TrayHandle* handle() const { return handle_.get(); }
    // The status-notifier item while it is on the bus, else nullptr.
    StatusNotifierItem* notifierItem() const;

signals:
    // The tray icon's message numbers (515 double-click, 516 right press).
    void message(int number);

private:
    void update();
    void makeXEmbedIcon();
    void showHandle();

    QMenu* menu_;
    std::unique_ptr<TrayWatcher> watcher_;
    std::unique_ptr<TrayIcon> xembed_;
    std::unique_ptr<StatusNotifierItem> notifier_;
    std::unique_ptr<TrayHandle> handle_;
    QTimer wait_;
    // A tray the platform reports that the watcher cannot see (the tests'
    // offscreen desktop): Qt's icon is the face there.
    bool unwatchedTray_ = false;
    // The icon is in a tray (of either kind).
    bool inTray_ = false;
    bool removed_ = false;
};

} // namespace kova
