#include "core/default_mailer.h"
#include "core/main_window.h"
#include "core/tray_menus.h"
#include "mail/mail_checker.h"
#include "platform/settings.h"
#include "platform/text_codec.h"

#include "support/fake_platform.h"
#include "support/running_program.h"
#include "support/temp_home.h"

#include <QAction>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using kova::Form1;
using kova::ReadSetting;
using kova::SettingsFileExists;
using kova::WriteSetting;
using kova::test::RunningProgram;

namespace {

const QString kAlreadyOpen = u"このアプリケーションはすでに開かれています。"_s;

// The settings file a first start writes, line by line; the mail program is
// whatever this machine's default mail handler says.
QByteArray firstRunFile(const QString& mailer) {
    const QByteArray font("\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");
    const char* lines[] = {"[a1]",
                           "b01=110",
                           "b02=",
                           "b03=",
                           "b04=",
                           "b11=110",
                           "b12=",
                           "b13=",
                           "b14=",
                           "b21=110",
                           "b22=",
                           "b23=",
                           "b24=",
                           "b5=0",
                           "Mailler=@MAILER@",
                           "b6=1",
                           "b7=True",
                           "b8=False",
                           "[Fusen]",
                           "FontName=@FONT@",
                           "FontSize=9",
                           "BackColor=&HFFFFFF",
                           "ForeColor=&H0",
                           "Top=0",
                           "Left=0",
                           "[Option]",
                           "Top=0",
                           "Left=0",
                           "[kmc]",
                           "Top=0",
                           "Left=0",
                           "[desktop]",
                           "click=0"};
    QByteArray file;
    for (const char* line : lines) {
        QByteArray l(line);
        l.replace("@MAILER@", kova::toShiftJis(mailer));
        l.replace("@FONT@", font);
        file += l + "\r\n";
    }
    return file;
}

// A data folder for starts one after the other, every message box answered
// by the double.
struct Session {
    kova::test::TempHome home;
    kova::test::FakePlatform platform;
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void firstStartWritesExactlyTheFirstRunValuesInOrder() {
        RunningProgram run;
        QVERIFY(run.started);
        const QString mailer = kova::defaultMailer();
        QVERIFY(!mailer.isEmpty());
        QCOMPARE(run.home.read("KovaShell.ini"), firstRunFile(mailer));
        QVERIFY(run.platform.messages.isEmpty());
        QVERIFY(!run.form.hasEnded());
    }

    // A save killed before its rename leaves "<name>.XXXXXX" behind (it may
    // hold a password): the next start takes those of our own files away.
    void startRemovesWhatKilledSavesOfOursLeftAndNothingElse() {
        RunningProgram run(RunningProgram::Later);
        const QStringList ours = {"KovaShell.ini.CaeQkL", "KovaShell7.hsn.x1Y2z3",
                                  "KovaShell100.log.QwErTy", "config/KovaShell/registry.reg.AbCdEf",
                                  "config/autostart/KovaShell.desktop.ZzYy09"};
        const QStringList others = {
            "KovaShell101.hsn.AbCdEf", "KovaShell07.hsn.AbCdEf",
            "KovaShell.ini.AbC",       "KovaShell.ini.AbCdEfG",
            "notes.txt.AbCdEf",        "config/autostart/Other.desktop.AbCdEf"};
        QDir().mkpath(run.home.file("config/autostart"));
        for (const QString& name : ours + others)
            run.home.write(name, "x");
        QVERIFY(run.start());
        for (const QString& name : ours)
            QVERIFY2(!QFileInfo::exists(run.home.file(name)), qPrintable(name));
        for (const QString& name : others)
            QVERIFY2(QFileInfo::exists(run.home.file(name)), qPrintable(name));
    }

    void deletedSettingsFileIsRecreatedOnTheNextStart() {
        Session s;
        {
            Form1 form;
            QVERIFY(form.Form_Load({}));
            form.mnuIcon_Click(1);
        }
        QVERIFY(QFile::remove(s.home.file("KovaShell.ini")));
        Form1 again;
        QVERIFY(again.Form_Load({}));
        QCOMPARE(s.home.read("KovaShell.ini"), firstRunFile(kova::defaultMailer()));
        // Passwords live in it: only the owner may read it.
        QCOMPARE(QFileInfo(s.home.file("KovaShell.ini")).permissions().toInt() & 0x0077, 0);
    }

    void existingSettingsFileIsNotCompleted() {
        RunningProgram run("[a1]\r\nb7=True\r\n");
        QVERIFY(run.started);
        QCOMPARE(ReadSetting("a1", "b7"), u"True"_s);
        QCOMPARE(ReadSetting("desktop", "click"), u"0"_s);
        const QByteArray file = run.home.read("KovaShell.ini");
        for (const char* absent : {"b01=", "b8=", "Mailler=", "[Fusen]", "[kmc]", "FontName="})
            QVERIFY2(!file.contains(absent), absent);
        QVERIFY(file.startsWith("[a1]\r\nb7=True\r\n"));
    }

    void everyStartResetsTheDesktopIconCommand_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("large icons") << QByteArray("1");
        QTest::newRow("counted up") << QByteArray("17");
        QTest::newRow("garbage") << QByteArray("abc");
    }
    void everyStartResetsTheDesktopIconCommand() {
        QFETCH(QByteArray, stored);
        RunningProgram run("[desktop]\r\nclick=" + stored + "\r\n[a1]\r\nb7=True\r\n");
        QVERIFY(run.started);
        // The settings dialog's hidden load and unload also keeps its place.
        QCOMPARE(run.home.read("KovaShell.ini"),
                 QByteArray("[desktop]\r\nclick=0\r\n[a1]\r\nb7=True\r\n"
                            "[Option]\r\nTop=0\r\nLeft=0\r\n"));
    }

    void secondCopyShowsTheMessageOnceAndEnds() {
        RunningProgram first;
        QVERIFY(first.started);
        first.form.mnuIcon_Click(1);
        const QByteArray before = first.home.read("KovaShell.ini");

        Form1 second;
        QSignalSpy ended(&second, &Form1::ended);
        QVERIFY(!second.Form_Load({}));
        QCOMPARE(first.platform.messages, QStringList{kAlreadyOpen});
        QCOMPARE(first.platform.messageButtons, QList<kova::Buttons>{kova::Buttons::Ok});
        QCOMPARE(ended.count(), 1);
        QVERIFY(second.hasEnded());
        // The first copy runs on untouched: its click value was not reset.
        QVERIFY(!first.form.hasEnded());
        QCOMPARE(first.home.read("KovaShell.ini"), before);
        QCOMPARE(ReadSetting("desktop", "click"), u"2"_s);
    }

    void copyStartsAgainAfterTheFirstEnded() {
        Session s;
        {
            Form1 first;
            QVERIFY(first.Form_Load({}));
            first.MnuEnd_Click();
        }
        Form1 second;
        QVERIFY(second.Form_Load({}));
        QVERIFY(s.platform.messages.isEmpty());
    }

    void startsWhenTheDataFolderCannotBeWritten() {
        RunningProgram run(RunningProgram::Later);
        QTemporaryDir runtime;
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray savedHome = qgetenv("KOVASHELL_HOME");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        // A file stands where the data folder should be (as unusable as read-only media).
        run.home.write("blocked", "x");
        qputenv("KOVASHELL_HOME", QFile::encodeName(run.home.file("blocked")));
        const auto restore = qScopeGuard([&] {
            qputenv("XDG_RUNTIME_DIR", savedRuntime);
            qputenv("KOVASHELL_HOME", savedHome);
        });
        QVERIFY(run.start());
        QVERIFY(run.platform.messages.isEmpty());
        QVERIFY(!SettingsFileExists());
        QCOMPARE(ReadSetting("a1", "b7"), QString());
        // Still one copy only.
        Form1 second;
        QVERIFY(!second.Form_Load({}));
        QCOMPARE(run.platform.messages, QStringList{kAlreadyOpen});
    }

    void mailTimerFollowsTheIntervalSetting_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("active");
        QTest::newRow("fifteen minutes") << QByteArray("[a1]\r\nb5=15\r\n") << true;
        QTest::newRow("zero") << QByteArray("[a1]\r\nb5=0\r\n") << false;
        QTest::newRow("empty") << QByteArray("[a1]\r\nb5=\r\n") << false;
        QTest::newRow("key missing") << QByteArray("[a1]\r\nb7=True\r\n") << false;
        QTest::newRow("first run") << QByteArray() << false;
    }
    void mailTimerFollowsTheIntervalSetting() {
        QFETCH(QByteArray, file);
        QFETCH(bool, active);
        RunningProgram run(file);
        QVERIFY(run.started);
        QCOMPARE(run.form.mailMinuteTimer().isActive(), active);
        QCOMPARE(run.form.mailMinuteTimer().interval(), 60000);
    }

    void exitFromTheMenuAsksForLargeIconsAndEnds_data() {
        QTest::addColumn<bool>("mailBusy");
        QTest::newRow("idle") << false;
        // The menu's exit does not wait for a running mail check.
        QTest::newRow("mail check running") << true;
    }
    void exitFromTheMenuAsksForLargeIconsAndEnds() {
        QFETCH(bool, mailBusy);
        RunningProgram run;
        QVERIFY(run.started);
        run.form.mailChecker().setMailBusy(mailBusy);
        QSignalSpy ended(&run.form, &Form1::ended);
        const auto startsBefore = run.platform.started.size();
        run.form.menus().MnuEnd->trigger();
        QCOMPARE(ReadSetting("desktop", "click"), u"1"_s);
        // The component sees the large-icon command before the program goes.
        QCOMPARE(run.platform.started.size(), startsBefore + 1);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ended.first().first().toInt(), 0);
        QCOMPARE(run.platform.beeps, 0);
        QVERIFY(!run.form.mailMinuteTimer().isActive());
    }

    void closeRequestIsRefusedWithABeepWhileMailIsBusy() {
        RunningProgram run("[a1]\r\nb5=15\r\n");
        QVERIFY(run.started);
        QSignalSpy ended(&run.form, &Form1::ended);
        run.form.mailChecker().setMailBusy(true);
        run.form.closeRequest();
        QCOMPARE(run.platform.beeps, 1);
        QCOMPARE(ended.count(), 0);
        QVERIFY(!run.form.hasEnded());
        QVERIFY(run.form.mailMinuteTimer().isActive());

        // Once the check is over the same request ends the program, without writing.
        run.form.mailChecker().setMailBusy(false);
        const QByteArray before = run.home.read("KovaShell.ini");
        run.form.closeRequest();
        QCOMPARE(run.platform.beeps, 1);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(run.home.read("KovaShell.ini"), before);
    }

    void sessionEndEndsTheProgramUnlessMailIsBusy() {
        RunningProgram run;
        QVERIFY(run.started);
        QSignalSpy ended(&run.form, &Form1::ended);
        int cancels = 0;
        run.form.mailChecker().setMailBusy(true);
        run.form.sessionEnding(true, [&cancels] { ++cancels; });
        QCOMPARE(run.platform.beeps, 1);
        QCOMPARE(cancels, 1);
        QVERIFY(!run.form.hasEnded());

        run.form.mailChecker().setMailBusy(false);
        run.form.sessionEnding(true, [&cancels] { ++cancels; });
        QCOMPARE(cancels, 1);
        QCOMPARE(ended.count(), 1);
        QVERIFY(run.form.hasEnded());
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
