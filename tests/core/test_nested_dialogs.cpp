#include "mail/result_window.h"
#include "notes/note_board.h"
#include "notes/note_editor.h"
#include "settings/notes_defaults_page.h"
#include "settings/settings_dialog.h"

#include "support/running_program.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace kova;
using Ask = std::function<bool(RealPlatform&, QWidget*)>;
Q_DECLARE_METATYPE(Ask)

namespace {

void click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton);
}

enum Case { SettingsOkFont, EditorCancelFont, ResultWindowMessage };

// A window, the press that opens one of its dialogs, what closes the window.
struct Scene {
    QPointer<QWidget> window;
    std::function<void()> press, closeIt;
};

Scene scene(test::RunningProgram& run, Case which) {
    if (which == ResultWindowMessage) {
        auto* w = new Form2a({{}, [] { return QStringLiteral("kova-no-such-mailer"); }});
        return {w, [w] { click(w->Label2); }, [w] { w->close(); }};
    }
    if (which == EditorCancelFont) {
        run.form.notes().mnuNewHusen_Click();
        Form4a* e = run.form.notes().editorWindow();
        return {e, [e] { e->mnuFont->trigger(); }, [e] { click(e->Command2); }};
    }
    run.form.openSettings(3);
    Form1a* d = run.form.settingsDialog();
    return {d, [d] { click(d->notesPage->Command9); }, [d] { click(d->Command1); }};
}

} // namespace

class TestNestedDialogs : public QObject {
    Q_OBJECT
private slots:
    void windowClosedWhileItsDialogIsOpenGoesOnlyAfterIt_data() {
        QTest::addColumn<int>("which");
        QTest::newRow("settings: OK, font dialog") << int(SettingsOkFont);
        QTest::newRow("editor: Cancel, font dialog") << int(EditorCancelFont);
        QTest::newRow("result window: closed, message box") << int(ResultWindowMessage);
    }
    void windowClosedWhileItsDialogIsOpenGoesOnlyAfterIt() {
        QFETCH(int, which);
        test::RunningProgram run;
        run.platform.fontAnswer = QFont(QStringLiteral("DejaVu Sans"));
        Scene s = scene(run, Case(which));
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
        QVERIFY(!run.form.settingsDialog() && !run.form.notes().editorWindow());
    }

    // The real dialogs: the window that owns one goes while it runs.
    void realDialogWhoseWindowGoesIsCancelled_data() {
        QTest::addColumn<Ask>("ask");
        QTest::newRow("font") << Ask(
            [](RealPlatform& p, QWidget* w) { return p.chooseFont(QFont(), w).has_value(); });
        QTest::newRow("file") << Ask([](RealPlatform& p, QWidget* w) {
            return p.chooseFile(QString(), {QStringLiteral("all (*)")}, w).has_value();
        });
    }
    void realDialogWhoseWindowGoesIsCancelled() {
        QFETCH(Ask, ask);
        RealPlatform platform;
        QPointer<QWidget> window = new QWidget;
        window->show();
        QTimer::singleShot(50, window, [&window] { delete window.data(); });
        QVERIFY(!ask(platform, window));
        QVERIFY(window.isNull());
    }
};

QTEST_MAIN(TestNestedDialogs)
#include "test_nested_dialogs.moc"
