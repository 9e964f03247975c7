// "OK" in the settings dialog, with the program killed at each rename of its
// saves in turn (strace's fault injection): the settings file is all old or
// all new, and the next start leaves no temporary file behind.

#include "core/main_window.h"
#include "launcher/launcher_page.h"
#include "platform/profile_file.h"
#include "platform/settings.h"
#include "settings/settings_dialog.h"

#include "support/fake_platform.h"
#include "support/temp_home.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace kova;
using namespace Qt::StringLiterals;

namespace {

constexpr int kSkip = 77; // CTest's SKIP_RETURN_CODE for this test

const QByteArray kOld = "[a1]\r\nb03=old\r\n[Option]\r\nTop=0\r\nLeft=0\r\n"
                        "[Lunch0]\r\n0=old\r\n[Lunch1]\r\n0=/bin/old\r\n";

// The child: starts, edits every tab's kind of value, moves the dialog, "OK".
int pressOk() {
    test::FakePlatform platform;
    Form1 form;
    if (!form.Form_Load({}))
        return 2;
    form.openSettings(1);
    Form1a* dialog = form.settingsDialog();
    dialog->Text3[0]->setText(u"new"_s);
    dialog->launcherPage->Text7->setText(u"new"_s);
    dialog->launcherPage->Text8->setText(u"/bin/new"_s);
    dialog->move(150, 90);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    return form.settingsDialog() == nullptr ? 0 : 3;
}

QStringList pressedValues() {
    const ProfileFile ini(settingsFilePath());
    return {ini.read(u"a1"_s, u"b03"_s), ini.read(u"Lunch0"_s, u"0"_s),
            ini.read(u"Lunch1"_s, u"0"_s), ini.read(u"Option"_s, u"Top"_s)};
}

// Temporary files of the settings file and of the registry store, which
// every start writes too.
QStringList leftovers(const test::TempHome& home) {
    return QDir(home.path()).entryList({u"KovaShell.ini.*"_s}, QDir::Files | QDir::Hidden) +
           QDir(home.file("config/KovaShell")).entryList({u"registry.reg.*"_s}, QDir::Files);
}

} // namespace

class TestSaveKilled : public QObject {
    Q_OBJECT
private slots:
    void okIsAllOrNothingAtEveryKillAndTheNextStartTidiesUp() {
        const QStringList allOld{u"old"_s, u"old"_s, u"/bin/old"_s, u"0"_s};
        const QStringList allNew{u"new"_s, u"new"_s, u"/bin/new"_s, u"1350"_s};
        for (int kill = 1;; ++kill) {
            QVERIFY2(kill < 50, "the run never ended without a kill");
            test::TempHome home;
            home.write("KovaShell.ini", kOld);
            const QString log = home.file("strace.log");
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(u"strace"_s,
                        {u"-f"_s, u"-qq"_s, u"-o"_s, log, u"-e"_s, u"trace=rename,fsync"_s, u"-e"_s,
                         u"inject=rename:signal=SIGKILL:when=%1"_s.arg(kill),
                         QCoreApplication::applicationFilePath(), u"--press-ok"_s});
            QVERIFY(child.waitForFinished(60000));
            const QString trace = QString::fromUtf8(home.read("strace.log"));
            const bool killed = trace.contains(u"+++ killed by SIGKILL"_s);
            const QStringList values = pressedValues();
            QVERIFY2(values == allOld || values == allNew,
                     qPrintable(u"killed at rename %1: %2"_s.arg(kill).arg(values.join(u", "_s))));
            if (!killed) {
                QCOMPARE(child.exitCode(), 0);
                QCOMPARE(values, allNew);
                // Each rename is made durable before anything else happens.
                const QStringList lines = trace.split(u'\n');
                for (qsizetype i = 0; i < lines.size(); ++i) {
                    if (lines[i].contains(u"rename("_s))
                        QVERIFY2(i + 1 < lines.size() && lines[i + 1].contains(u"fsync("_s),
                                 qPrintable(lines.mid(i, 2).join(u" / "_s)));
                }
                qInfo("killed at each of %d renames in turn", kill - 1);
                return;
            }
            QVERIFY2(!leftovers(home).isEmpty(), "the kill left no temporary file");
            test::FakePlatform platform;
            Form1 next;
            QVERIFY(next.Form_Load({}));
            QCOMPARE(leftovers(home), QStringList{});
            QCOMPARE(pressedValues(), values);
        }
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--press-ok") == 0)
        return pressOk();
    QProcess probe;
    probe.start(u"strace"_s, {u"-qq"_s, u"-e"_s, u"trace=none"_s, u"true"_s});
    if (!probe.waitForFinished() || probe.exitStatus() != QProcess::NormalExit ||
        probe.exitCode() != 0) {
        qInfo("SKIP: strace cannot trace here (not installed, or ptrace is not allowed)");
        return kSkip;
    }
    TestSaveKilled test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_save_killed.moc"
