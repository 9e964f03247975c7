#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace kova {

enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

// Everything that would block a test or touch the real desktop. The programs
// use the real implementation; tests install a double that scripts the answers
// and records what was asked and started.
//
// The program touches the system outside this seam only here; tests reach
// these through private folders (TempHome sets the variables below), a
// private X server and session bus, or a real server of their own:
// - files: platform/atomic_file (mkostemp, flock on the folder, fchmod,
//   fsync, rename), profile_file, registry_store (QLockFile, $XDG_CONFIG_HOME),
//   notes/note_store, core/leftover_saves, settings/startup_folder and
//   autostart ($XDG_CONFIG_HOME/autostart, $KOVASHELL_HOME);
// - the data folder: platform/data_folder ($KOVASHELL_HOME, $XDG_DATA_HOME,
//   the program folder), and its copy in desktopicon/component/component_action;
// - one running copy: platform/single_instance (open + flock, the runtime
//   folder);
// - processes: platform/process_start (QProcess::startDetached, pidfd_open,
//   kill(pid, 0); the real seam starts through it), platform/command_line
//   (PATH), core/default_mailer (xdg-mime, .desktop files), and in the
//   component desktopicon/component/desktop_settings (gsettings, xfconf-query,
//   plasmashell over Qt D-Bus, the desktops' files), desktop_process (/proc,
//   kill, restarting a desktop process), library_loader (dlopen) and
//   component (dladdr, QLockFile, $XDG_CURRENT_DESKTOP), regsvr_main ($DISPLAY);
// - signals: platform/unix_signals (sigaction, a pipe);
// - X11: platform/x11_window (xcb: task bar, workspaces, the display check),
//   platform/tray_watcher (xcb tray selection, $DISPLAY), platform/tray_icon
//   (QSystemTrayIcon);
// - the session bus: platform/status_notifier_item, dbus_menu, tray_watcher;
// - the network: mail/socket_adapter (QTcpSocket, QSslSocket, TCP_INFO of a
//   duplicated descriptor);
// - the session: app/main and remover/main ($WAYLAND_DISPLAY,
//   QT_QPA_PLATFORM), the session manager's commit-data request (app/main,
//   core/main_window);
// - Qt's own files: platform/japanese_translation (QLibraryInfo),
//   launcher/launcher_page (the desktop folder a folder dialog starts in).
class Platform {
public:
    virtual ~Platform() = default;

    // A modal message box titled with the program's name.
    virtual Answer messageBox(const QString& text, Buttons buttons) = 0;
    // An OK box of one of several sources (`slot`: a mail account): boxes of
    // different slots open apart, never exactly over one another. Without
    // `takeFocus` it leaves the keyboard where it is (nobody asked for it).
    virtual void notice(const QString& text, int slot, bool takeFocus) {
        (void)slot;
        (void)takeFocus;
        messageBox(text, Buttons::Ok);
    }
    virtual void beep() = 0;
    // Starts a program without waiting for it; false when it cannot be started.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
    // Starts a program without tying it to us, then waits at most `waitMs` for
    // it to end with the event loop running; it is never killed. False when it
    // cannot be started.
    virtual bool startAndWait(const QString& program, const QStringList& arguments, int waitMs) = 0;
    // Opens a folder or web address with the desktop's handler (xdg-open).
    virtual bool openWithDesktop(const QString& target) = 0;
    // Font and colour dialogs; nullopt when the user cancels.
    virtual std::optional<QFont> chooseFont(const QFont& initial, QWidget* parent) = 0;
    virtual std::optional<QColor> chooseColor(const QColor& initial, QWidget* parent) = 0;
    // A file to open: `filters` as QFileDialog takes them ("Programs (*)"...),
    // the first one preselected. nullopt when the user cancels.
    virtual std::optional<QString> chooseFile(const QString& title, const QStringList& filters,
                                              QWidget* parent) = 0;
    // A folder, starting at `start`; nullopt when the user cancels.
    virtual std::optional<QString> chooseFolder(const QString& title, const QString& start,
                                                QWidget* parent) = 0;
    virtual bool trayAvailable() = 0;
    // The certificates a mail server's TLS certificate chain is verified
    // against, as PEM text; empty: the system's trusted certificates.
    virtual QByteArray trustedCertificates() = 0;
    // Ends the user's desktop session (loginctl terminate-session
    // $XDG_SESSION_ID); false when there is no session id or the command fails.
    virtual bool logOff() = 0;

    static Platform& instance();
    // Installs a replacement (tests); nullptr goes back to the real one.
    // The caller keeps ownership.
    static void install(Platform* platform);
};

class RealPlatform : public Platform {
public:
    Answer messageBox(const QString& text, Buttons buttons) override;
    void notice(const QString& text, int slot, bool takeFocus) override;
    void beep() override;
    bool startDetached(const QString& program, const QStringList& arguments) override;
    bool startAndWait(const QString& program, const QStringList& arguments, int waitMs) override;
    bool openWithDesktop(const QString& target) override;
    std::optional<QFont> chooseFont(const QFont& initial, QWidget* parent) override;
    std::optional<QColor> chooseColor(const QColor& initial, QWidget* parent) override;
    std::optional<QString> chooseFile(const QString& title, const QStringList& filters,
                                      QWidget* parent) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& start,
                                        QWidget* parent) override;
    bool trayAvailable() override;
    QByteArray trustedCertificates() override { return {}; }
    bool logOff() override;
};

} // namespace kova
