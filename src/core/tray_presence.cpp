#include "core/tray_presence.h"

#include "base/logging.h"
#include "core/tray_handle.h"
#include "platform/seam.h"
#include "platform/status_notifier_item.h"
#include "platform/tray_icon.h"
#include "platform/tray_watcher.h"

#include <QIcon>

namespace kova {

namespace {
QIcon trayPicture() {
    return QIcon(QStringLiteral(":/kovashell.png"));
}
const QString kTip = QStringLiteral("KovaShell");
} // namespace

TrayPresence::TrayPresence(QMenu* menu, QObject* parent) : QObject(parent), menu_(menu) {
    wait_.setSingleShot(true);
    wait_.setInterval(kWaitMs);
    connect(&wait_, &QTimer::timeout, this, &TrayPresence::update);
}

TrayPresence::~TrayPresence() = default;

StatusNotifierItem* TrayPresence::notifierItem() const {
    return notifier_ && notifier_->isShown() ? notifier_.get() : nullptr;
}

void TrayPresence::add() {
    watcher_ = std::make_unique<TrayWatcher>();
    connect(watcher_.get(), &TrayWatcher::changed, this, &TrayPresence::update);
    // Made while no status-notifier host is there, Qt's icon is the XEmbed
    // kind for the rest of the run, whatever panel comes later.
    if (!watcher_->notifierHostAvailable())
        makeXEmbedIcon();
    unwatchedTray_ = !watcher_->trayAvailable() && Platform::instance().trayAvailable();
    if (!watcher_->trayAvailable() && !unwatchedTray_)
        wait_.start();
    update();
}

void TrayPresence::remove() {
    removed_ = true;
    wait_.stop();
    if (xembed_)
        xembed_->remove();
    if (notifier_)
        notifier_->remove();
    if (handle_)
        handle_->hide();
}

void TrayPresence::update() {
    if (removed_)
        return;
    // One face at a time: a panel hosting both kinds would show two icons.
    const bool notifier = watcher_->notifierHostAvailable();
    const bool xembed = !notifier && (watcher_->xembedAvailable() || unwatchedTray_);
    if (notifier) {
        if (!notifier_) {
            notifier_ = std::make_unique<StatusNotifierItem>(trayPicture(), kTip, menu_);
            connect(notifier_.get(), &StatusNotifierItem::message, this, &TrayPresence::message);
        }
        if (!notifier_->isShown())
            notifier_->add();
    } else if (notifier_) {
        notifier_->remove();
    }
    if (xembed) {
        if (!xembed_)
            makeXEmbedIcon();
        xembed_->add();
    } else if (notifier && xembed_) {
        xembed_->remove();
    }
    if (inTray_ && !notifier && !xembed)
        qCWarning(kovaLog, "the notification area went away; the icon waits for one to come");
    inTray_ = notifier || xembed;
    // Without a tray, Qt's icon stays ready to dock in one that comes.
    if (notifier || xembed) {
        wait_.stop();
        if (handle_)
            handle_->hide();
    } else if (!wait_.isActive()) {
        showHandle();
    }
}

void TrayPresence::makeXEmbedIcon() {
    xembed_ = std::make_unique<TrayIcon>(trayPicture(), kTip);
    connect(xembed_.get(), &TrayIcon::message, this, &TrayPresence::message);
}

void TrayPresence::showHandle() {
    if (!handle_) {
        handle_ = std::make_unique<TrayHandle>(trayPicture());
        connect(handle_.get(), &TrayHandle::message, this, &TrayPresence::message);
    }
    if (!handle_->isVisible())
        handle_->showAtItsPlace();
}

} // namespace kova
