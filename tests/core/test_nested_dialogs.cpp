#include "core/main_window.h"
#include "launcher/launcher_page.h"
#include "mail/result_window.h"
#include "notes/note_board.h"
#include "notes/note_editor.h"
#include "settings/settings_dialog.h"

#include "support/running_program.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace kova;

namespace {

void click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton);
}

// A window, the press that opens one of its dialogs, and what closes the
// window while that dialog is open.
struct Scene {
    QPointer<QWidget> window;
    std::function<void()> press;
    std::function<void()> closeIt;
};

enum Case {
    SettingsOkDuringFontDialog,
    SettingsCloseBoxDuringColourDialog,
    SettingsCancelDuringLauncherFileBrowser,
    SettingsOkDuringStartupMessage,
    EditorCancelDuringFontDialog,
    EditorClosedDuringColourDialog,
    ResultWindowClosedDuringMailerMessage,
};

Scene scene(test::RunningProgram& run, Case which) {
    if (which == ResultWindowClosedDuringMailerMessage) {
        Form2a::Hooks hooks;
        hooks.mailer = [] { return QStringLiteral("kova-no-such-mailer"); };
        auto* w = new Form2a(std::move(hooks));
        return {w, [w] { click(w->Label2); }, [w] { w->close(); }};
    }
    if (which == EditorCancelDuringFontDialog || which == EditorClosedDuringColourDialog) {
        run.form.notes().mnuNewHusen_Click();
        Form4a* e = run.form.notes().editorWindow();
        if (which == EditorCancelDuringFontDialog)
            return {e, [e] { e->mnuFont->trigger(); }, [e] { click(e->Command2); }};
        return {e, [e] { e->mnuBackColor->trigger(); }, [e] { e->close(); }};
    }
    run.form.openSettings(0);
    Form1a* d = run.form.settingsDialog();
    switch (which) {
    case SettingsOkDuringFontDialog:
        return {d, [d] { click(d->Command9); }, [d] { click(d->Command1); }};
    case SettingsCloseBoxDuringColourDialog:
        return {d, [d] { click(d->Command11); }, [d] { d->close(); }};
    case SettingsCancelDuringLauncherFileBrowser:
        return {d, [d] { click(d->launcherPage->Command4); }, [d] { click(d->Command2); }};
    default:
        return {d, [d] { click(d->Command6); }, [d] { click(d->Command1); }};
    }
}

} // namespace

class TestNestedDialogs : public QObject {
    Q_OBJECT
private slots:
    void windowClosedWhileItsDialogIsOpenGoesOnlyAfterIt_data() {
        QTest::addColumn<int>("which");
        QTest::newRow("settings: OK, font dialog") << int(SettingsOkDuringFontDialog);
        QTest::newRow("settings: close box, colour dialog")
            << int(SettingsCloseBoxDuringColourDialog);
        QTest::newRow("settings: Cancel, launcher file browser")
            << int(SettingsCancelDuringLauncherFileBrowser);
        QTest::newRow("settings: OK, startup message") << int(SettingsOkDuringStartupMessage);
        QTest::newRow("editor: Cancel, font dialog") << int(EditorCancelDuringFontDialog);
        QTest::newRow("editor: closed, colour dialog") << int(EditorClosedDuringColourDialog);
        QTest::newRow("result window: closed, mailer message")
            << int(ResultWindowClosedDuringMailerMessage);
    }
    void windowClosedWhileItsDialogIsOpenGoesOnlyAfterIt() {
        QFETCH(int, which);
        test::RunningProgram run;
        QVERIFY(run.started);
        run.platform.fontAnswer = QFont(QStringLiteral("DejaVu Sans"));
        run.platform.colorAnswer = QColor(Qt::red);
        run.platform.fileAnswer = QStringLiteral("/bin/true");
        Scene s = scene(run, Case(which));
        QVERIFY(!s.window.isNull());
        bool aliveWhileOpen = false;
        run.platform.whileOpen = [&] {
            s.closeIt();
            // Whatever deletion the close asked for has its chance here.
            QTimer::singleShot(0, [&] {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                aliveWhileOpen = !s.window.isNull() && !s.window->isVisible();
            });
        };
        s.press();
        QVERIFY2(!run.platform.whileOpen, "the dialog never opened");
        QVERIFY(aliveWhileOpen);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(s.window.isNull());
        QVERIFY(run.form.settingsDialog() == nullptr);
        QVERIFY(run.form.notes().editorWindow() == nullptr);
    }
};

QTEST_MAIN(TestNestedDialogs)
#include "test_nested_dialogs.moc"
