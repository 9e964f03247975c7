#include "base/settings.h"
#include "core/main_window.h"
#include "core/tray_menus.h"
#include "launcher/launcher.h"
#include "launcher/launcher_page.h"
#include "mail/mail_checker.h"
#include "settings/general_page.h"
#include "settings/mail_account_page.h"
#include "settings/mail_options_page.h"
#include "settings/notes_defaults_page.h"
#include "settings/settings_dialog.h"

#include "support/file_size_limit.h"
#include "support/log_capture.h"
#include "support/read_only_folder.h"
#include "support/running_program.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QTest>

using namespace kova;
using namespace Qt::StringLiterals;

namespace {

// A started program with its settings file as given, and its dialog.
struct Running : test::RunningProgram {
    using RunningProgram::RunningProgram;
    Form1a* open(int tab = 0) {
        form.openSettings(tab);
        return form.settingsDialog();
    }
};

void click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton);
}

} // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT
private slots:
    void trayItemsOpenTheirTabs_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("outer");
        QTest::addColumn<int>("inner");
        QTest::newRow("options") << "mnuAllSettei" << 0 << -1;
        QTest::newRow("mail") << "mnuMailSettei" << 1 << 3;
        QTest::newRow("launcher") << "mnuLunSettei" << 2 << -1;
        QTest::newRow("notes") << "mnuFusenSettei" << 3 << -1;
    }
    void trayItemsOpenTheirTabs() {
        QFETCH(QString, item);
        QFETCH(int, outer);
        QFETCH(int, inner);
        Running run;
        QVERIFY(run.started);
        QVERIFY(run.form.settingsDialog() == nullptr); // unloaded at the end of start-up
        auto* action = run.form.menus().mnu->findChild<QAction*>(item);
        QVERIFY(action != nullptr);
        action->trigger();
        Form1a* dialog = run.form.settingsDialog();
        QVERIFY(dialog != nullptr);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), u"KovaShell(設定)"_s);
        QCOMPARE(dialog->SSTab1->currentIndex(), outer);
        if (inner >= 0)
            QCOMPARE(dialog->SSTab2->currentIndex(), inner);
        dialog->close();
    }

    void hiddenDialogIsShownWithoutLoadingAgain() {
        Running run;
        run.form.mailChecker().setMailBusy(true);
        MailSettings& live = run.form.mailSettings();
        QVERIFY(!run.form.mailChecker().mailBusy()); // loading clears the flag
        Form1a* hidden = run.form.settingsDialog();
        QVERIFY(hidden != nullptr && !hidden->isVisible());
        hidden->accountPages[1]->Text3->setText(u"typed, not saved"_s);
        live.setMinuteCounter(u"4"_s);
        QCOMPARE(live.mailAccount(1).account, u"typed, not saved"_s);
        run.form.openSettings(0);
        QCOMPARE(run.form.settingsDialog(), hidden);
        QCOMPARE(hidden->accountPages[1]->Text3->text(), u"typed, not saved"_s);
        QCOMPARE(live.minuteCounter(), u"4"_s);
        // Unloading drops what was not saved; the next reference loads afresh.
        hidden->close();
        QCOMPARE(run.form.mailSettings().mailAccount(1).account, QString());
        QCOMPARE(run.form.mailSettings().minuteCounter(), u"0"_s);
    }

    void emptyPortShows110AndOkWritesIt() {
        Running run("[a1]\r\nb01=\r\nb11=995\r\n");
        Form1a* dialog = run.open(1);
        QCOMPARE(dialog->accountPages[0]->Text1->text(), u"110"_s);
        QCOMPARE(dialog->accountPages[1]->Text1->text(), u"995"_s);
        QCOMPARE(dialog->accountPages[2]->Text1->text(), u"110"_s); // missing key
        click(dialog->Command1);
        QVERIFY(run.form.settingsDialog() == nullptr);
        QCOMPARE(ReadSetting(a1::b01), u"110"_s);
        QCOMPARE(ReadSetting(a1::b11), u"995"_s);
    }

    void accountFieldsRoundTripAndPasswordsAreMasked() {
        Running run;
        Form1a* dialog = run.open(1);
        dialog->accountPages[2]->Text2->setText(u"pop.example.org"_s);
        dialog->accountPages[2]->Text3->setText(u"alice"_s);
        dialog->accountPages[2]->Text4->setText(u"secret"_s);
        dialog->mailOptionsPage->Text9->setText(u"/usr/bin/thunderbird -mail"_s);
        click(dialog->Command8); // apply: saved, still open
        QVERIFY(dialog->isVisible());
        QCOMPARE(ReadSetting(a1::b22), u"pop.example.org"_s);
        QCOMPARE(ReadSetting(a1::b23), u"alice"_s);
        QCOMPARE(ReadSetting(a1::b24), u"secret"_s);
        QCOMPARE(ReadSetting(a1::Mailler), u"/usr/bin/thunderbird -mail"_s);
        for (MailAccountPage* page : dialog->accountPages) {
            QLineEdit* password = page->Text4;
            QCOMPARE(password->echoMode(), QLineEdit::Password);
            QCOMPARE(password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr,
                                                  password),
                     int('*'));
        }
        QCOMPARE(dialog->accountPages[1]->Label1[4]->text(), u"←通常は110"_s);
        QCOMPARE(dialog->accountPages[2]->Label1[3]->text(), u"パスワード："_s);
    }

    // The protocol and encryption of account 1: read, chosen (the usual
    // port follows, and the server's caption and the port hint with it),
    // saved with the other fields.
    void protocolAndEncryptionChoice_data() {
        QTest::addColumn<QByteArray>("stored"); // b05, b07
        QTest::addColumn<QByteArray>("port");
        QTest::addColumn<QList<int>>("clicks"); // 0..2: an encryption, 10, 11: POP3, IMAP
        QTest::addColumn<QString>("portAfter");
        QTest::addColumn<QByteArray>("saved"); // b05, b07
        QTest::addColumn<QString>("server");   // the server's caption
        QTest::addColumn<QString>("hint");
        const auto row = [](const char* name, const QByteArray& stored, const QByteArray& port,
                            const QList<int>& clicks, const char* portAfter, const char* saved,
                            const char* usual, const QString& server = u"POP3サーバ："_s) {
            QTest::newRow(name) << stored << port << clicks << QString::fromLatin1(portAfter)
                                << QByteArray(saved) << server
                                << u"←通常は"_s + QString::fromLatin1(usual);
        };
        const QString imap = u"IMAPサーバ："_s;
        row("absent is none and POP3", ",", "110", {}, "110", "0,0", "110");
        row("unreadable is none and POP3", "x,x", "110", {}, "110", "0,0", "110");
        row("STARTTLS and IMAP kept", "1,1", "143", {}, "143", "1,1", "143", imap);
        row("SSL/TLS: 110 becomes 995", "0,0", "110", {2}, "995", "2,0", "995");
        row("none: 995 becomes 110", "2,0", "995", {0}, "110", "0,0", "110");
        row("STARTTLS: 995 becomes 110", "2,0", "995", {1}, "110", "1,0", "110");
        row("a port of its own stays", "0,0", "2110", {2, 11}, "2110", "2,1", "993", imap);
        row("IMAP: 110 becomes 143", "0,0", "110", {11}, "143", "0,1", "143", imap);
        row("IMAP with SSL/TLS: 995 becomes 993", "2,0", "995", {11}, "993", "2,1", "993", imap);
        row("SSL/TLS with IMAP: 143 becomes 993", "0,1", "143", {2}, "993", "2,1", "993", imap);
        row("back to POP3: 993 becomes 995", "2,1", "993", {10}, "995", "2,0", "995");
    }
    void protocolAndEncryptionChoice() {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, port);
        QFETCH(QList<int>, clicks);
        QFETCH(QString, portAfter);
        QFETCH(QByteArray, saved);
        QFETCH(QString, server);
        QFETCH(QString, hint);
        const QList<QByteArray> values = stored.split(',');
        Running run("[a1]\r\nb01=" + port + "\r\nb05=" + values[0] + "\r\nb07=" + values[1] +
                    "\r\n");
        Form1a* dialog = run.open(1);
        MailAccountPage* page = dialog->accountPages[0];
        QCOMPARE(page->Label19->text(), u"暗号化："_s);
        QCOMPARE(page->Label20->text(), u"受信方式："_s);
        for (int c : clicks) {
            if (c >= 10)
                page->Option4[size_t(c - 10)]->click();
            else
                page->Option3[size_t(c)]->click();
        }
        QCOMPARE(page->Text1->text(), portAfter);
        QCOMPARE(page->Label1[1]->text(), server);
        QCOMPARE(page->Label1[4]->text(), hint);
        const QList<QByteArray> expected = saved.split(',');
        QCOMPARE(int(dialog->mailAccount(0).security), expected[0].toInt());
        QCOMPARE(int(dialog->mailAccount(0).protocol), expected[1].toInt());
        click(dialog->Command8);
        QCOMPARE(ReadSetting(a1::b05), QString::fromLatin1(expected[0]));
        QCOMPARE(ReadSetting(a1::b07), QString::fromLatin1(expected[1]));
        QCOMPARE(ReadSetting(a1::b01), portAfter);
        QCOMPARE(ReadSetting(a1::b15), u"0"_s);
        QCOMPARE(ReadSetting(a1::b17), u"0"_s);
    }

    // A trusted certificate belongs to the server it was trusted for: another
    // server's certificate must be asked about, not called a change.
    void pinnedCertificateGoesWithItsServer_data() {
        QTest::addColumn<QString>("server"); // typed over "pop.example.jp"
        QTest::addColumn<bool>("kept");
        QTest::newRow("same server") << u"pop.example.jp"_s << true;
        QTest::newRow("same server in capitals") << u"POP.Example.JP"_s << true;
        QTest::newRow("another server") << u"mail.other.jp"_s << false;
        QTest::newRow("server emptied") << QString() << false;
    }
    void pinnedCertificateGoesWithItsServer() {
        QFETCH(QString, server);
        QFETCH(bool, kept);
        const QString pin = u"AB:CD:EF"_s;
        Running run("[a1]\r\nb02=pop.example.jp\r\nb06=AB:CD:EF\r\nb16=12:34\r\n");
        Form1a* dialog = run.open(1);
        QCOMPARE(dialog->mailAccount(0).pinnedCertificate, pin);
        dialog->accountPages[0]->Text2->setText(server);
        const QString expected = kept ? pin : QString();
        QCOMPARE(dialog->mailAccount(0).pinnedCertificate, expected); // before saving too
        click(dialog->Command8);
        QCOMPARE(ReadSetting(a1::b06), expected);
        QCOMPARE(ReadSetting(a1::b16), u"12:34"_s);
        // Trusted anew for the new server, it holds there.
        dialog->pinCertificate(0, u"11:22"_s);
        QCOMPARE(dialog->mailAccount(0).pinnedCertificate, u"11:22"_s);
    }

    void intervalDecidesTheTimerAndSavingRestartsTheCounter_data() {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<bool>("on");
        QTest::newRow("five") << "5" << true;
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("empty") << "" << false;
    }
    void intervalDecidesTheTimerAndSavingRestartsTheCounter() {
        QFETCH(QString, interval);
        QFETCH(bool, on);
        Running run("[a1]\r\nb5=15\r\n");
        QVERIFY(run.form.mailMinuteTimer().isActive());
        Form1a* dialog = run.open(1);
        dialog->setMinuteCounter(u"3"_s);
        dialog->mailOptionsPage->Text5->setText(interval);
        click(dialog->Command1);
        QCOMPARE(run.form.mailMinuteTimer().isActive(), on);
        QCOMPARE(ReadSetting(a1::b5), interval);
        QCOMPARE(run.form.mailSettings().minuteCounter(), u"0"_s);
    }

    void intervalTakesDigitsOnly() {
        Running run;
        Form1a* dialog = run.open(1);
        dialog->showTab(1, 3);
        QLineEdit* interval = dialog->mailOptionsPage->Text5;
        interval->clear();
        QTest::keyClicks(interval, "1a-2 b");
        QCOMPARE(interval->text(), u"12"_s);
        QTest::keyClick(interval, Qt::Key_Backspace);
        QCOMPARE(interval->text(), u"1"_s);
        interval->selectAll();
        interval->insert(u"3x"_s); // pasted text with a letter is refused whole
        QCOMPARE(interval->text(), u"1"_s);
        interval->insert(u"30"_s);
        QCOMPARE(interval->text(), u"30"_s);
    }

    void noteColoursAndFontAreSavedInTheirForms() {
        Running run;
        Form1a* dialog = run.open(3);
        run.platform.colorAnswer = QColor(0xFF, 0xFF, 0xC0); // &HC0FFFF, light yellow
        click(dialog->notesPage->Command11);
        run.platform.colorAnswer = QColor(Qt::black);
        click(dialog->notesPage->Command12);
        run.platform.fontAnswer = std::nullopt; // cancelled: nothing changes
        click(dialog->notesPage->Command9);
        QCOMPARE(dialog->notesPage->Label15->text(), u"9"_s);
        QFont chosen(u"DejaVu Sans"_s);
        chosen.setPointSizeF(10.5);
        run.platform.fontAnswer = chosen;
        click(dialog->notesPage->Command10);
        QCOMPARE(run.platform.fontDialogs, 2);
        click(dialog->Command1);
        QCOMPARE(ReadSetting(Fusen::BackColor), u"&HC0FFFF"_s);
        QCOMPARE(ReadSetting(Fusen::ForeColor), u"&H0"_s);
        QCOMPARE(ReadSetting(Fusen::FontName), u"DejaVu Sans"_s);
        QCOMPARE(ReadSetting(Fusen::FontSize), u"10.5"_s);
    }

    void unreadableValuesFallBackToTheFirstRunOnes() {
        Running run("[a1]\r\nb6=x\r\nb7=maybe\r\nb8=true\r\n[Option]\r\nTop=abc\r\nLeft=1e99\r\n"
                    "[Fusen]\r\nBackColor=zz\r\nForeColor=&HFF\r\n");
        Form1a* dialog = run.open(0);
        QVERIFY(dialog->generalPage->Check1->isChecked());
        QVERIFY(dialog->generalPage->Option2[0]->isChecked());
        QVERIFY(!dialog->generalPage->Option2[1]->isChecked());
        QCOMPARE(dialog->notesPage->backColor(), QColor(Qt::white));
        QCOMPARE(dialog->notesPage->foreColor(), QColor(255, 0, 0));
        QVERIFY(!QGuiApplication::screens().isEmpty());
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(dialog->pos()));
    }

    void labelsActLikeTheirControls() {
        Running run("[a1]\r\nb6=0\r\nb7=False\r\nb8=False\r\n");
        Form1a* dialog = run.open(0);
        QVERIFY(!dialog->generalPage->Check1->isChecked());
        QVERIFY(!dialog->generalPage->Option2[0]->isChecked() &&
                !dialog->generalPage->Option2[1]->isChecked());
        click(dialog->generalPage->Label3);
        QVERIFY(dialog->generalPage->Check1->isChecked());
        click(dialog->generalPage->Label11[1]);
        QVERIFY(dialog->generalPage->Option2[1]->isChecked() &&
                !dialog->generalPage->Option2[0]->isChecked());
        click(dialog->generalPage->Option2[0]);
        QVERIFY(dialog->generalPage->Option2[0]->isChecked() &&
                !dialog->generalPage->Option2[1]->isChecked());
        click(dialog->Command1);
        QCOMPARE(ReadSetting(a1::b6), u"1"_s);
        QCOMPARE(ReadSetting(a1::b7), u"True"_s);
        QCOMPARE(ReadSetting(a1::b8), u"False"_s);
    }

    // Screen readers hear each control by the text of its label, and the
    // two double-click choices as the radio buttons they are.
    void controlsAreNamedAfterTheirLabels() {
        Running run;
        Form1a* d = run.open(0);
        using A = QAccessible;
        const QList<std::tuple<QWidget*, QLabel*, A::Role>> controls = {
            {d->generalPage->Check1, d->generalPage->Label3, A::CheckBox},
            {d->generalPage->Option2[0], d->generalPage->Label11[0], A::RadioButton},
            {d->generalPage->Option2[1], d->generalPage->Label11[1], A::RadioButton},
            {d->mailOptionsPage->Text5, d->mailOptionsPage->Label1, A::EditableText},
            {d->mailOptionsPage->Text9, d->mailOptionsPage->Label18, A::EditableText},
            {d->accountPages[2]->Text1, d->accountPages[2]->Label1[0], A::EditableText},
            {d->accountPages[1]->Text4, d->accountPages[1]->Label1[3], A::EditableText},
            {d->notesPage->Command9, d->notesPage->Label13[0], A::Button},
            {d->notesPage->Command12, d->notesPage->Label13[3], A::Button},
            {d->mailOptionsPage->Command14, d->mailOptionsPage->Label18, A::Button}};
        for (const auto& [control, label, role] : controls) {
            QCOMPARE(A::queryAccessibleInterface(control)->text(A::Name), label->text().trimmed());
            QCOMPARE(A::queryAccessibleInterface(control)->role(), role);
        }
    }

    void placeIsKeptFromOneOpeningToTheNext() {
        Running run;
        Form1a* dialog = run.open(0);
        dialog->move(150, 90);
        click(dialog->Command1);
        QCOMPARE(ReadSetting(Option::Top), u"1350"_s);
        QCOMPARE(ReadSetting(Option::Left), u"2250"_s);
        QCOMPARE(run.open(0)->pos(), QPoint(150, 90));
    }

    void applyThenCancelKeepsTheAppliedValuesAndDropsLaterLauncherEdits() {
        Running run;
        Form1a* dialog = run.open(2);
        LauncherPage* page = dialog->launcherPage;
        page->Text7->setText(u"エディタ"_s);
        page->Text8->setText(u"mousepad"_s);
        dialog->accountPages[0]->Text3->setText(u"bob"_s);
        click(dialog->Command8);
        QCOMPARE(ReadSetting(a1::b03), u"bob"_s);
        QCOMPARE(ReadSetting(Lunch0::kSection, u"0"_s), u"エディタ"_s);
        // Erased after applying, then cancelled: the entry stays.
        click(page->Command13);
        QCOMPARE(run.form.launcher().table()[0].name, QString());
        click(dialog->Command2);
        QVERIFY(run.form.settingsDialog() == nullptr);
        QCOMPARE(run.form.launcher().table()[0].name, u"エディタ"_s);
        QCOMPARE(run.form.menus().mnuLun[0]->text(), u"エディタ"_s);
        QVERIFY(run.form.menus().mnuLun[0]->isVisible());
        QCOMPARE(ReadSetting(a1::b03), u"bob"_s);
    }

    void editedEntryClosedWithTheCloseBoxLaunchesUntilReloaded() {
        Running run("[Lunch0]\r\n0=tool\r\n[Lunch1]\r\n0=/bin/true old\r\n");
        Form1a* dialog = run.open(2);
        LauncherPage* page = dialog->launcherPage;
        page->Text8->setText(u"/bin/true edited"_s);
        // Choosing another number with the mouse stores the boxes first.
        QTest::mouseClick(page->Option1[1], Qt::LeftButton);
        dialog->close(); // the close box: nothing reloaded
        const qsizetype before = run.platform.started.size();
        run.form.menus().mnuLun[0]->trigger();
        QCOMPARE(run.platform.started.size(), before + 1);
        QCOMPARE(run.platform.started.last().first, u"/bin/true"_s);
        QCOMPARE(run.platform.started.last().second, QStringList{u"edited"_s});
        QCOMPARE(ReadSetting(Lunch1::kSection, u"0"_s), u"/bin/true old"_s);
        // Loading the dialog again reads the table from the file.
        run.form.mailSettings();
        run.form.menus().mnuLun[0]->trigger();
        QCOMPARE(run.platform.started.last().second, QStringList{u"old"_s});
    }

    void saveThatCannotBeWrittenSaysSoAndKeepsTheDialog() {
        Running run("[a1]\r\nb03=before\r\n");
        Form1a* dialog = run.open(1);
        test::ReadOnlyFolder folder(run.home.path());
        if (!folder.usable())
            QSKIP(qPrintable(folder.why()));
        // The folder is now an empty mount: put the file back, then seal it.
        run.home.write("KovaShell.ini", "[a1]\r\nb03=before\r\n");
        QVERIFY(folder.seal());
        dialog->accountPages[0]->Text3->setText(u"after"_s);
        click(dialog->Command1);
        QCOMPARE(run.platform.messages, QStringList{kSettingsNotSaved});
        QVERIFY(run.form.settingsDialog() == dialog);
        QCOMPARE(run.home.read("KovaShell.ini"), QByteArray("[a1]\r\nb03=before\r\n"));
        dialog->hide();
    }

    void failedSaveLogsTheFileButNeverThePassword() {
        Running run("[a1]\r\nb03=before\r\n");
        Form1a* dialog = run.open(1);
        const QString password = u"pw-秘密-4711"_s;
        dialog->accountPages[0]->Text3->setText(u"alice"_s);
        dialog->accountPages[0]->Text4->setText(password);
        test::LogCapture log;
        {
            test::FileSizeLimit limit(64);
            QVERIFY(limit.active());
            click(dialog->Command1);
        }
        QCOMPARE(run.platform.messages, QStringList{kSettingsNotSaved});
        QCOMPARE(log.lines.size(), 1);
        QVERIFY2(log.lines.first().contains(run.home.file("KovaShell.ini")),
                 qPrintable(log.lines.first()));
        QVERIFY2(!log.lines.first().contains(u"4711"_s), qPrintable(log.lines.first()));
        QVERIFY(!log.lines.first().contains(u"alice"_s));
        dialog->hide();
    }

    void startupRowRegistersAndRemovesTheAutostartEntry() {
        Running run;
        Form1a* dialog = run.open(0);
        const QString entry = run.home.file("config/autostart/KovaShell.desktop");
        click(dialog->generalPage->Command6);
        QVERIFY(QFileInfo::exists(entry));
        click(dialog->generalPage->Command7);
        QVERIFY(!QFileInfo::exists(entry));
        click(dialog->generalPage->Command7);
        QCOMPARE(run.platform.messages, (QStringList{u"スタートアップに登録しました。"_s,
                                                     u"スタートアップから削除しました。"_s,
                                                     u"ファイルが見つかりません。"_s}));
    }

    // Every control lies wholly on its page, apart from its neighbours, and
    // every text has its room at the dialog's own face, in the fonts of this
    // machine. The pictures are kept for a look.
    void everyPageShowsItsControlsWhole() {
        Running run("[a1]\r\nb01=43687\r\nb5=999\r\n");
        Form1a* dialog = run.open(0);
        QCoreApplication::processEvents();
        const QString folder = QStringLiteral(QT_TESTCASE_BUILDDIR "/screens");
        QDir().mkpath(folder);
        const int face = QFontInfo(dialog->font()).pixelSize();
        QStringList clipped;
        const auto check = [&clipped, face](QWidget* page, const QString& name) {
            QList<QWidget*> shown;
            for (QWidget* w : page->findChildren<QWidget*>()) {
                // The launcher page is a frame for its controls, larger than the tab.
                if (!w->isVisibleTo(page) || qobject_cast<LauncherPage*>(w) != nullptr)
                    continue;
                shown << w;
                const QString what = name + u": "_s + w->property("text").toString();
                const QRect place(w->mapTo(page, QPoint(0, 0)), w->size());
                if (!page->rect().contains(place) ||
                    !w->parentWidget()->rect().contains(w->geometry()))
                    clipped << what + u" outside"_s;
                if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().isEmpty()) {
                    if (!l->wordWrap() && l->width() < l->sizeHint().width())
                        clipped << what + u" cut"_s;
                    if (QFontInfo(l->font()).pixelSize() < face)
                        clipped << what + u" in a smaller face"_s;
                }
                // A box shows its text from the first character on.
                if (auto* e = qobject_cast<QLineEdit*>(w); e && !e->text().isEmpty()) {
                    e->end(false);
                    if (e->cursorPositionAt(QPoint(4, e->height() / 2)) != 0)
                        clipped << what + u" scrolled"_s;
                }
            }
            // Neighbours on one row never overlap, and a caption keeps a gap
            // before the next control.
            for (QWidget* a : shown) {
                for (QWidget* b : shown) {
                    const QRect ga = a->geometry();
                    const QRect gb = b->geometry();
                    if (a == b || a->parentWidget() != b->parentWidget() || ga.x() > gb.x() ||
                        !(ga.contains(ga.center().x(), gb.center().y()) ||
                          gb.contains(gb.center().x(), ga.center().y())))
                        continue;
                    const int gap = gb.left() - ga.right() - 1;
                    const QString text = a->property("text").toString();
                    if (gap < 0 || (gap < 2 && !text.isEmpty()))
                        clipped << name + u": "_s + text + u" | "_s +
                                       b->property("text").toString() + u" touch"_s;
                }
            }
        };
        for (int tab = 0; tab < 4; ++tab) {
            dialog->showTab(tab);
            QCoreApplication::processEvents();
            check(dialog->SSTab1->widget(tab), u"tab "_s + QString::number(tab));
            dialog->grab().save(folder + u"/settings-tab%1.png"_s.arg(tab));
        }
        for (int page = 0; page < 4; ++page) {
            dialog->showTab(1, page);
            QCoreApplication::processEvents();
            check(dialog->SSTab2->widget(page), u"mail page "_s + QString::number(page));
            dialog->grab().save(folder + u"/settings-mail%1.png"_s.arg(page));
        }
        check(dialog, u"dialog"_s);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u"; "_s)));
    }

    void logoOpensTheHomePage() {
        Running run;
        Form1a* dialog = run.open(0);
        click(dialog->Picture1);
        QCOMPARE(run.platform.opened, QStringList{u"https://kovashell.example.org/"_s});
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "test_settings_dialog.moc"
