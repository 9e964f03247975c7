#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include "platform/single_window.h"

#include <functional>
#include <memory>

class QSessionManager;

namespace kova {

class DesktopIconExtension;
class Form1a;
class Form2a;
class MailChecker;
class ScreenWatcher;
class MailSettings;
class SingleInstance;
class TrayHandle;
class TrayMenus;
class TrayPresence;
class NoteBoard;
class Launcher;

// Form1: the hidden main window. It is never shown; it owns the tray icon and
// both menus, runs the start-up and the two exits, and wires the subsystems.
class Form1 : public QObject {
    Q_OBJECT
public:
    explicit Form1(QObject* parent = nullptr);
    ~Form1() override;

    // The whole start-up. Returns false when the program ends during it
    // (second instance, extension declined); `ended` has then been emitted.
    bool Form_Load(const QStringList& arguments);

    // Tray callback with the decoded mouse message number.
    void trayMessage(int number);

    void MnuEnd_Click();
    // A close request (the guarded exit): refused with a beep while mail is
    // checked.
    void closeRequest();
    // SIGTERM, SIGINT, SIGHUP: the program ends whatever runs; a mail check
    // is cut off.
    void terminate();
    // The screens changed: every window of ours onto a screen.
    void rescueWindows();
    void commitDataRequest(QSessionManager& manager);
    // The session is ending: the guarded exit, or a refusal that the session
    // manager hears of through `cancel` when it lets us interact.
    void sessionEnding(bool allowsInteraction, const std::function<void()>& cancel);

    TrayMenus& menus() const { return *menus_; }
    // The desktop-icon component's side: its command channel and loading.
    DesktopIconExtension& desktopIcon() const { return *desktopIcon_; }
    NoteBoard& notes() const { return *notes_; }
    Launcher& launcher() const { return *launcher_; }
    // The settings dialog if it exists (shown or hidden), else nullptr.
    Form1a* settingsDialog() const;
    // Shows the settings dialog (made and loaded first if needed) with a tab
    // in front: the tray's settings items.
    void openSettings(int tab, int mailTab = -1);
    // The live mail settings: the dialog's fields, the dialog made hidden
    // when it does not exist.
    MailSettings& mailSettings();
    bool hasEnded() const { return ended_; }
    const QTimer& mailMinuteTimer() const;
    MailChecker& mailChecker() const { return *mail_; }
    // The mail result window if it exists, else nullptr.
    Form2a* resultWindow() const;
    // The icon in whichever tray the desktop has, or the handle.
    TrayPresence& tray() const { return *tray_; }
    // The stand-in for the tray icon if it was ever shown, else nullptr.
    TrayHandle* trayHandle() const;
    // Before Form_Load: how long to wait for a tray host (tests shorten it).
    void setTrayWait(int ms);

signals:
    // The program ends with this exit code.
    void ended(int code);

private:
    void AddTrayIcon();
    void RemoveTrayIcon();
    void endProgram();
    void wireMenus();
    void wireDesktopIcon();
    void wireNotes();
    void wireLauncher();
    void wireSettings();
    void wireMail();
    Form2a* makeResultWindow();
    Form1a* makeSettingsDialog();
    void startMailCheck();

    std::unique_ptr<TrayMenus> menus_;
    std::unique_ptr<TrayPresence> tray_;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<DesktopIconExtension> desktopIcon_;
    // The posted notes, their store and commands.
    std::unique_ptr<NoteBoard> notes_;
    // The launcher entries and their tray items.
    std::unique_ptr<Launcher> launcher_;
    SingleWindow<Form1a> settings_;
    // The mail checker: its sockets, the minute and chaining timers.
    std::unique_ptr<MailChecker> mail_;
    SingleWindow<Form2a> result_;
    std::unique_ptr<ScreenWatcher> screens_;
    bool ended_ = false;
};

} // namespace kova
