#include "base/settings.h"
#include "base/twips_and_numbers.h"
#include "core/main_window.h"
#include "core/tray_menus.h"
#include "mail/result_window.h"
#include "settings/settings_dialog.h"

#include "support/fake_platform.h"
#include "support/running_program.h"
#include "support/temp_home.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTest>

using namespace kova;
using namespace Qt::StringLiterals;

namespace {

// A result window with hooks that count and answer.
struct Window {
    explicit Window(const QString& mailer = {}) : mailerLine(mailer) {
        Form2a::Hooks hooks;
        hooks.closeSockets = [this] { ++socketCloses; };
        hooks.mailer = [this] { return mailerLine; };
        form = new Form2a(std::move(hooks));
    }
    ~Window() { delete form.data(); }
    QString mailerLine;
    int socketCloses = 0;
    QPointer<Form2a> form;
};

} // namespace

class TestResultWindow : public QObject {
    Q_OBJECT
private slots:
    void placeComesFromKmcAndIsKeptOnUnload_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QPoint>("place");
        QTest::newRow("stored") << QByteArray("[kmc]\r\nTop=1500\r\nleft=3000\r\n")
                                << QPoint(200, 100);
        QTest::newRow("not numbers") << QByteArray("[kmc]\r\nTop=abc\r\nLeft=\r\n") << QPoint(0, 0);
    }
    void placeComesFromKmcAndIsKeptOnUnload() {
        QFETCH(QByteArray, settings);
        QFETCH(QPoint, place);
        test::TempHome home;
        home.write("KovaShell.ini", settings);
        Window w;
        QCOMPARE(w.form->pos(), place);
        w.form->move(60, 30);
        w.form->unload();
        QCOMPARE(ReadSetting(kmc::Top), u"450"_s);
        QCOMPARE(ReadSetting(kmc::left), u"900"_s);
        QCOMPARE(w.socketCloses, 1);
    }

    void runLinesStackUnderEachOther() {
        test::TempHome home;
        Window w;
        for (int i = 0; i < 3; ++i)
            w.form->setResultLine(i, u"[%1] チェック中..."_s.arg(i + 1));
        w.form->stackLines({0, 2});
        QCOMPARE(w.form->Label1[0]->y(), 0);
        QCOMPARE(w.form->Label1[2]->y(), w.form->Label1[0]->height());
        QCOMPARE(w.form->height(), w.form->Label1[0]->height() * 2 + twipsToPixels(350));
        QCOMPARE(w.form->resultLine(2), u"[3] チェック中..."_s);
    }

    // "メーラー起動" covers no line, however long, and stays in the window.
    void mailerLabelCoversNoLine_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QList<int>>("run");
        QTest::newRow("checking") << u"[1] チェック中..."_s << QList<int>{0};
        QTest::newRow("long result")
            << u"[1] 2147483647 通 (2147483647 バイト) のメールがあります。"_s << QList<int>{0};
        QTest::newRow("long result of account 3 on top")
            << u"[3] 12 通 (409600 バイト) のメールがあります。"_s << QList<int>{2, 0};
    }
    void mailerLabelCoversNoLine() {
        QFETCH(QString, first);
        QFETCH(QList<int>, run);
        test::TempHome home;
        Window w;
        w.form->setResultLine(run.first(), first);
        for (int i : run.mid(1))
            w.form->setResultLine(i, u"[%1]  メールはありません。"_s.arg(i + 1));
        w.form->stackLines(run);
        for (QLabel* line : w.form->Label1) {
            if (line->text().isEmpty())
                continue;
            QVERIFY(line->width() >= line->sizeHint().width());
            QVERIFY(!line->geometry().intersects(w.form->Label2->geometry()));
        }
        QVERIFY(w.form->rect().contains(w.form->Label2->geometry()));
        QVERIFY(w.form->width() >= twipsToPixels(4620));
    }

    void mailerThatCannotBeFoundLeavesTheWindowOpen_data() {
        QTest::addColumn<QString>("mailer");
        QTest::newRow("no such file") << "/nonexistent/kova-mailer --compose";
        QTest::newRow("not on PATH") << "kova-no-such-mailer";
        QTest::newRow("empty") << "";
    }
    void mailerThatCannotBeFoundLeavesTheWindowOpen() {
        QFETCH(QString, mailer);
        test::TempHome home;
        test::FakePlatform platform;
        Window w(mailer);
        w.form->show();
        w.form->Label2_Click();
        QCOMPARE(platform.messages, QStringList{u"メーラーが見つかれません"_s});
        QVERIFY(w.form->isVisible());
        QCOMPARE(w.socketCloses, 1);
        QVERIFY(platform.started.isEmpty());
    }

    void mailerStartsAndTheWindowGoes() {
        test::TempHome home;
        test::FakePlatform platform;
        Window w(u"/bin/true --compose"_s);
        w.form->show();
        w.form->Label2_Click();
        QVERIFY(platform.messages.isEmpty());
        QCOMPARE(platform.started.size(), 1);
        QCOMPARE(platform.started.first().first, u"/bin/true"_s);
        QCOMPARE(platform.started.first().second, QStringList{u"--compose"_s});
        QVERIFY(!w.form->isVisible());
        QCOMPARE(w.socketCloses, 2); // the label, then the unload
    }

    void mailFoundComesForwardWithoutTheKeyboard() {
        test::TempHome home;
        Window w;
        w.form->showWindow(); // shown once the run's lines are in place
        QTRY_VERIFY(w.form->isVisible());
        auto* other = new QWidget;
        other->show();
        other->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(other));
        QVERIFY(!w.form->mailerLabelIsYellow());
        w.form->showMailFound();
        QCoreApplication::processEvents();
        QVERIFY(w.form->isVisible());
        QVERIFY(w.form->mailerLabelIsYellow());
        QCOMPARE(QApplication::activeWindow(), other);
        delete other;
    }

    // An automatic check shows the window for the first time with its result.
    // Mapped before the result line widens it, a window manager places the
    // resized window against a frame it did not know yet: the title bar went
    // above the screen. So it maps only once the line is in.
    void windowFirstShownByMailIsMappedWithItsResultLine() {
        test::TempHome home;
        Window w;
        const QString line = u"[1] 123456 通 (1234567890 バイト) のメールがあります。"_s;
        w.form->showMailFound();
        w.form->setResultLine(0, line);
        QVERIFY(!w.form->isVisible());
        QTRY_VERIFY(w.form->isVisible());
        QVERIFY(w.form->mailerLabelIsYellow());
        QVERIFY(w.form->Label1[0]->geometry().right() < w.form->Label2->geometry().left());
    }

    void checkWithoutAccountsOpensTheMailSettings() {
        test::RunningProgram run;
        QVERIFY(run.started);
        Form1& form = run.form;
        form.menus().MnuMailChk->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(run.platform.messages, QStringList{u"メール設定を行ってください。"_s});
        Form1a* dialog = form.settingsDialog();
        QVERIFY(dialog != nullptr && dialog->isVisible());
        QCOMPARE(dialog->SSTab1->currentIndex(), 1);
        QCOMPARE(dialog->SSTab2->currentIndex(), 0);
        QVERIFY(form.resultWindow() == nullptr || !form.resultWindow()->isVisible());
        dialog->close();
    }
};

QTEST_MAIN(TestResultWindow)
#include "test_result_window.moc"
