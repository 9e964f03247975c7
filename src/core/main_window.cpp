#include "main_window.h"

#include "base/data_folder.h"
#include "base/settings.h"
#include "base/single_instance.h"
#include "core/default_mailer.h"
#include "core/first_run_settings.h"
#include "core/leftover_saves.h"
#include "core/tray_handle.h"
#include "core/tray_menus.h"
#include "core/tray_presence.h"
#include "desktopicon/desktop_icon_extension.h"
#include "launcher/launcher.h"
#include "mail/mail_checker.h"
#include "mail/result_window.h"
#include "notes/note_board.h"
#include "platform/screen_placement.h"
#include "platform/seam.h"
#include "platform/tray_icon.h"
#include "platform/x11_window.h"
#include "settings/settings_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QSessionManager>

// The icon lives in this static library; register its resources explicitly.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

namespace kova {

Form1::Form1(QObject* parent)
    : QObject(parent), menus_(std::make_unique<TrayMenus>()),
      settings_([this] { return makeSettingsDialog(); }),
      result_([this] { return makeResultWindow(); }) {
    initResources();
    desktopIcon_ = std::make_unique<DesktopIconExtension>([this] { closeRequest(); },
                                                          [this] { return ended_; });
    notes_ = std::make_unique<NoteBoard>();
    launcher_ = std::make_unique<Launcher>();
    MailHooks hooks;
    hooks.settings = [this]() -> MailSettings& { return mailSettings(); };
    hooks.resultWindow = [this]() -> MailResultWindow& { return *result_.get(); };
    hooks.existingResultWindow = [this]() -> MailResultWindow* { return result_.existing(); };
    hooks.openSettings = [this](int outer, int inner) { openSettings(outer, inner); };
    mail_ = std::make_unique<MailChecker>(std::move(hooks));
    wireMenus();
    tray_ = std::make_unique<TrayPresence>(menus_->mnu);
    connect(tray_.get(), &TrayPresence::message, this, &Form1::trayMessage);
    screens_ = std::make_unique<ScreenWatcher>();
    connect(screens_.get(), &ScreenWatcher::screensChanged, this, &Form1::rescueWindows);
}

Form1::~Form1() = default;

bool Form1::Form_Load(const QStringList& arguments) {
    instance_ = std::make_unique<SingleInstance>(dataFolder(), QStringLiteral("KovaShell.lock"));
    if (!instance_->acquired()) {
        Platform::instance().messageBox(
            QStringLiteral("このアプリケーションはすでに開かれています。"), Buttons::Ok);
        closeRequest();
        return false;
    }
    // Only now: another copy on this data folder may be saving until it ends.
    removeLeftoverSaves();

    if (!SettingsFileExists())
        WriteFirstRunSettings(defaultMailer());

    desktopIcon_->atStartUp(arguments);
    if (ended_)
        return false;

    AddTrayIcon();
    mail_->setMailBusy(false);

    launcher_->LoadLauncherTable();
    launcher_->RebuildLauncherMenu();

    notes_->restoreNotes();

    // What loading and unloading the settings dialog would do, without
    // building it: the dialog is made when first needed, keeping start-up light.
    mail_->setMinuteTimerOn(automaticCheckWanted(ReadSetting(a1::b5)));
    Form1a::keepPlaceUnloaded();
    notes_->EditedNoteNumber = kNewNoteNumber;
    return true;
}

// One small wiring function per subsystem: the main window owns the tray
// items and hands each subsystem the ones it answers.
void Form1::wireMenus() {
    wireDesktopIcon();
    wireNotes();
    wireLauncher();
    wireSettings();
    wireMail();
    connect(menus_->MnuEnd, &QAction::triggered, this, &Form1::MnuEnd_Click);
}

void Form1::wireDesktopIcon() {
    for (int i = 0; i < 2; ++i)
        connect(menus_->mnuIcon[i], &QAction::triggered, this,
                [this, i] { desktopIcon_->mnuIcon_Click(i); });
}

void Form1::wireNotes() {
    NoteMenus notes;
    notes.mnuFusen = menus_->mnuFusen;
    notes.mnuEdit = menus_->mnuEdit;
    notes.mnuFusenTOPMOST = menus_->mnuFusenTOPMOST;
    notes.mnuFusenBACKMOST = menus_->mnuFusenBACKMOST;
    notes.mnuFusenNonVisible = menus_->mnuFusenNonVisible;
    notes.mnuKill = menus_->mnuKill;
    notes.mnuNewHusen = menus_->mnuNewHusen;
    notes.ensureFusenVisible = [this](int n) { return menus_->ensureFusenVisible(n); };
    notes.fusenVisible = [this](int n) { return menus_->fusenVisible(n); };
    notes_->attachMenus(notes);
    connect(menus_.get(), &TrayMenus::fusenVisibleTriggered, notes_.get(),
            &NoteBoard::mnuFusenVisible_Click);
}

void Form1::wireLauncher() {
    launcher_->attachMenu(menus_->mnuLun);
    connect(menus_->mnuLunSettei, &QAction::triggered, this, [this] { openSettings(2); });
}

void Form1::wireSettings() {
    connect(menus_->mnuAllSettei, &QAction::triggered, this, [this] { openSettings(0); });
    connect(menus_->mnuMailSettei, &QAction::triggered, this, [this] { openSettings(1, 3); });
    connect(menus_->mnuFusenSettei, &QAction::triggered, this, [this] { openSettings(3); });
}

Form1a* Form1::makeSettingsDialog() {
    auto* dialog = new Form1a(*launcher_);
    connect(dialog, &Form1a::mailBusyCleared, this, [this] { mail_->setMailBusy(false); });
    connect(dialog, &Form1a::minuteTimerSwitched, this,
            [this](bool on) { mail_->setMinuteTimerOn(on); });
    dialog->Form_Load();
    return dialog;
}

void Form1::wireMail() {
    connect(menus_->MnuMailChk, &QAction::triggered, this, &Form1::startMailCheck);
}

Form2a* Form1::makeResultWindow() {
    Form2a::Hooks hooks;
    hooks.closeSockets = [this] { mail_->closeSockets(); };
    hooks.mailer = [this] { return mailSettings().mailer(); };
    return new Form2a(std::move(hooks));
}

void Form1::rescueWindows() {
    notes_->rescueWindows();
    const QList<QRect> areas = screenAreas();
    const auto rescue = [&areas](QWidget* w) {
        if (w != nullptr && w->isVisible())
            w->move(keepReachable(w->frameGeometry(), areas).topLeft());
    };
    rescue(settings_.existing());
    rescue(result_.existing());
    rescue(trayHandle());
}

TrayHandle* Form1::trayHandle() const {
    return tray_->handle();
}

void Form1::setTrayWait(int ms) {
    tray_->setWait(ms);
}

Form2a* Form1::resultWindow() const {
    return result_.existing();
}

const QTimer& Form1::mailMinuteTimer() const {
    return mail_->minuteTimer();
}

void Form1::openSettings(int tab, int mailTab) {
    Form1a* dialog = settings_.get();
    dialog->showTab(tab, mailTab);
    // The user asked for it: in front, with the keyboard, on the workspace
    // the user is on.
    moveToCurrentDesktop(dialog);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

Form1a* Form1::settingsDialog() const {
    return settings_.existing();
}

MailSettings& Form1::mailSettings() {
    return *settings_.get();
}

void Form1::AddTrayIcon() {
    // Start-up does not wait for a tray: the icon comes when one does.
    tray_->add();
}

void Form1::RemoveTrayIcon() {
    tray_->remove();
}

void Form1::trayMessage(int number) {
    if (number == kTrayLeftDoubleClick) {
        // Anything but "True", a missing key too, is the mail check.
        if (ReadFlag(a1::b7).value_or(false))
            desktopIcon_->nextCommand();
        else
            startMailCheck();
    } else if (number == kTrayRightButtonDown) {
        menus_->mnu->popup(QCursor::pos());
        menus_->mnu->activateWindow();
    }
}

void Form1::startMailCheck() {
    mail_->MnuMailChk_Click();
}

void Form1::MnuEnd_Click() {
    desktopIcon_->atExit();
    RemoveTrayIcon();
    endProgram();
}

void Form1::closeRequest() {
    if (mail_->mailBusy()) {
        Platform::instance().beep();
        return;
    }
    RemoveTrayIcon();
    endProgram();
}

void Form1::terminate() {
    mail_->closeSockets();
    RemoveTrayIcon();
    endProgram();
}

void Form1::commitDataRequest(QSessionManager& manager) {
    sessionEnding(manager.allowsInteraction(), [&manager] { manager.cancel(); });
}

void Form1::sessionEnding(bool allowsInteraction, const std::function<void()>& cancel) {
    if (mail_->mailBusy()) {
        Platform::instance().beep();
        if (allowsInteraction)
            cancel();
        return;
    }
    // Ended for good: a log-off cancelled later must not leave us running
    // without an icon and holding the single-instance lock.
    closeRequest();
}

void Form1::endProgram() {
    if (ended_)
        return;
    ended_ = true;
    mail_->setMinuteTimerOn(false);
    emit ended(0);
}

} // namespace kova
