#include "seam.h"

#include "base/logging.h"
#include "base/process_start.h"
#include "platform/tray_watcher.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QScreen>

namespace kova {

namespace {
Platform* g_installed = nullptr;

} // namespace

Platform& Platform::instance() {
    static RealPlatform real;
    return g_installed != nullptr ? *g_installed : real;
}

void Platform::install(Platform* platform) {
    g_installed = platform;
}

namespace {

void prepareBox(QMessageBox& box, const QString& text) {
    box.setWindowTitle(QCoreApplication::applicationName());
    box.setText(text);
    box.setIcon(QMessageBox::NoIcon);
    // A resident program has no window of its own to sit on top of.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
}

// How far the boxes of two neighbouring slots stand apart, in pixels.
constexpr int kSlotOffset = 48;

} // namespace

void RealPlatform::notice(const QString& text, int slot, bool takeFocus) {
    QMessageBox box;
    prepareBox(box, text);
    box.setStandardButtons(QMessageBox::Ok);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // Centred as usual, then moved down and right by its slot.
        const QSize size = box.sizeHint();
        const QPoint centred =
            screen->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2);
        box.move(centred + QPoint(kSlotOffset, kSlotOffset) * slot);
    }
    if (!takeFocus)
        box.setAttribute(Qt::WA_ShowWithoutActivating);
    box.exec();
}

Answer RealPlatform::messageBox(const QString& text, Buttons buttons) {
    QMessageBox box;
    prepareBox(box, text);
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int result = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void RealPlatform::beep() {
    QApplication::beep();
}

bool RealPlatform::startDetached(const QString& program, const QStringList& arguments) {
    return startProcess(program, arguments);
}

bool RealPlatform::startAndWait(const QString& program, const QStringList& arguments, int waitMs) {
    qint64 pid = 0;
    if (!startProcess(program, arguments, &pid))
        return false;
    if (waitMs > 0 && !waitForProcessEnd(pid, waitMs))
        qCWarning(kovaLog, "%s did not end within %d ms; going on without waiting",
                  qUtf8Printable(program), waitMs);
    return true;
}

bool RealPlatform::openWithDesktop(const QString& target) {
    return startProcess(QStringLiteral("xdg-open"), {target});
}

namespace {

// On the heap: a dialog on the stack whose parent is deleted while it runs
// would be freed twice.
template <typename Dialog, typename Result>
std::optional<Result> runDialog(Dialog* made, Result (Dialog::*result)() const) {
    const QPointer<Dialog> dialog(made);
    const int code = dialog->exec();
    if (dialog.isNull() || code != QDialog::Accepted)
        return std::nullopt;
    const Result chosen = (dialog->*result)();
    delete dialog.data();
    return chosen;
}

std::optional<QString> firstOf(const std::optional<QStringList>& files) {
    if (!files || files->isEmpty())
        return std::nullopt;
    return files->first();
}

} // namespace

std::optional<QFont> RealPlatform::chooseFont(const QFont& initial, QWidget* parent) {
    return runDialog(new QFontDialog(initial, parent), &QFontDialog::selectedFont);
}

std::optional<QColor> RealPlatform::chooseColor(const QColor& initial, QWidget* parent) {
    return runDialog(new QColorDialog(initial, parent), &QColorDialog::selectedColor);
}

std::optional<QString> RealPlatform::chooseFile(const QString& title, const QStringList& filters,
                                                QWidget* parent) {
    auto* dialog = new QFileDialog(parent, title);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters(filters);
    return firstOf(runDialog(dialog, &QFileDialog::selectedFiles));
}

std::optional<QString> RealPlatform::chooseFolder(const QString& title, const QString& start,
                                                  QWidget* parent) {
    auto* dialog = new QFileDialog(parent, title, start);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    return firstOf(runDialog(dialog, &QFileDialog::selectedFiles));
}

bool RealPlatform::trayAvailable() {
    // Not Qt's answer: asking it fixes Qt's tray protocol for the whole run.
    return TrayWatcher().trayAvailable();
}

bool RealPlatform::logOff() {
    const QString session = qEnvironmentVariable("XDG_SESSION_ID");
    if (session.isEmpty())
        return false;
    QProcess loginctl;
    loginctl.start(QStringLiteral("loginctl"), {QStringLiteral("terminate-session"), session});
    // loginctl only asks logind and returns; a hung one must not hang us.
    if (!loginctl.waitForFinished(15000)) {
        qCWarning(kovaLog, "loginctl did not end within 15 s; stopped");
        loginctl.kill();
        loginctl.waitForFinished(1000);
        return false;
    }
    return loginctl.exitStatus() == QProcess::NormalExit && loginctl.exitCode() == 0;
}

} // namespace kova
