#include "base/atomic_file.h"
#include "base/profile_file.h"
#include "base/settings.h"
#include "core/default_mailer.h"
#include "core/first_run_settings.h"
#include "core/main_window.h"
#include "core/tray_menus.h"
#include "desktopicon/desktop_icon_extension.h"
#include "mail/mail_checker.h"

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

// The settings file a first start writes, as the key table gives it: the
// first-run values, then the start-up command. The mail program is whatever
// this machine's default mail handler says.
QByteArray firstRunFile(const QString& mailer) {
    const QTemporaryDir dir;
    QList<kova::ProfileFile::Entry> entries;
    for (const kova::SettingValue& v : kova::firstRunSettings(mailer))
        entries.append({v.section, v.key, v.value});
    entries.append({u"desktop"_s, u"click"_s, u"0"_s});
    const QString path = dir.filePath(u"KovaShell.ini"_s);
    QByteArray bytes;
    if (!kova::ProfileFile(path).write(entries) || !kova::readWholeFile(path, &bytes))
        qFatal("cannot write a settings file in %s", qPrintable(dir.path()));
    return bytes;
}

// The same file byte for byte, kept once, as a first start on a desktop
// without a mail handler writes it; the end-to-end test compares against it too.
QByteArray goldenFirstRunFile() {
    QFile file(QFINDTESTDATA("../fixtures/first_run.ini"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("the golden first-run file is missing");
    return file.readAll();
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
    void firstRunValuesAreTheGoldenFile() {
        QCOMPARE(firstRunFile(u"thunderbird"_s), goldenFirstRunFile());
    }

    void firstStartWritesExactlyTheFirstRunValuesInOrder() {
        RunningProgram run;
        QVERIFY(run.started);
        const QString mailer = kova::defaultMailer();
        QVERIFY(!mailer.isEmpty());
        QCOMPARE(run.home.read("KovaShell.ini"), firstRunFile(mailer));
        QVERIFY(run.platform.messages.isEmpty());
        QVERIFY(!run.form.hasEnded());
    }

    // A save killed before its rename leaves "<name>.kova-save.XXXXXX" behind
    // (it may hold a password): the next start takes those of our own files
    // away, and nothing else: not the user's own copies either.
    void startRemovesWhatKilledSavesOfOursLeftAndNothingElse() {
        RunningProgram run(RunningProgram::Later);
        const QStringList ours = {
            "KovaShell.ini.kova-save.CaeQkL", "KovaShell7.hsn.kova-save.x1Y2z3",
            "KovaShell100.log.kova-save.QwErTy", "config/KovaShell/registry.reg.kova-save.AbCdEf",
            "config/autostart/KovaShell.desktop.kova-save.ZzYy09"};
        const QStringList others = {"KovaShell101.hsn.kova-save.AbCdEf",
                                    "KovaShell07.hsn.kova-save.AbCdEf",
                                    "KovaShell.ini.kova-save.AbC",
                                    "KovaShell.ini.kova-save.AbCdEfG",
                                    "notes.txt.kova-save.AbCdEf",
                                    "config/autostart/Other.desktop.kova-save.AbCdEf",
                                    "KovaShell.ini.backup",
                                    "KovaShell.ini.2024v1",
                                    "KovaShell3.log.before",
                                    "config/KovaShell/registry.reg.saved"};
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
            form.desktopIcon().mnuIcon_Click(1);
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
        first.form.desktopIcon().mnuIcon_Click(1);
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
