// "OK" in the settings dialog, with the program killed at each rename of its
// saves in turn (strace's fault injection).

#include "base/profile_file.h"
#include "base/settings.h"
#include "core/main_window.h"
#include "launcher/launcher_page.h"
#include "settings/mail_account_page.h"
#include "settings/settings_dialog.h"

#include "support/fake_platform.h"
#include "support/skip.h"
#include "support/temp_home.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace kova;
using namespace Qt::StringLiterals;

namespace {

// The child: starts, edits values of three tabs, moves the dialog, "OK".
int pressOk() {
    test::FakePlatform platform;
    Form1 form;
    form.Form_Load({});
    form.openSettings(1);
    Form1a* dialog = form.settingsDialog();
    dialog->accountPages[0]->Text3->setText(u"new"_s);
    dialog->launcherPage->Text7->setText(u"new"_s);
    dialog->launcherPage->Text8->setText(u"/bin/new"_s);
    dialog->move(150, 90);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    return 0;
}

QStringList pressedValues() {
    const ProfileFile ini(settingsFilePath());
    return {ini.read(u"a1"_s, u"b03"_s), ini.read(u"Lunch0"_s, u"0"_s),
            ini.read(u"Lunch1"_s, u"0"_s), ini.read(u"Option"_s, u"Top"_s)};
}

// Of the settings file and of the registry store, which every start writes.
QStringList leftovers(const test::TempHome& home) {
    return QDir(home.path()).entryList({u"KovaShell.ini.*"_s}, QDir::Files) +
           QDir(home.file("config/KovaShell")).entryList({u"registry.reg.*"_s}, QDir::Files);
}

} // namespace

class TestSaveKilled : public QObject {
    Q_OBJECT
private slots:
    // All old or all new at every kill, no temporary file after the next
    // start, and each rename made durable at once.
    void okIsAllOrNothingAtEveryKill() {
        const QStringList allOld{u"old"_s, u"old"_s, u"/bin/old"_s, u"0"_s};
        const QStringList allNew{u"new"_s, u"new"_s, u"/bin/new"_s, u"1350"_s};
        for (int kill = 1; kill < 50; ++kill) {
            test::TempHome home;
            home.write("KovaShell.ini", "[a1]\r\nb03=old\r\n[Option]\r\nTop=0\r\nLeft=0\r\n"
                                        "[Lunch0]\r\n0=old\r\n[Lunch1]\r\n0=/bin/old\r\n");
            QProcess child;
            child.start(u"strace"_s, {u"-f"_s, u"-qq"_s, u"-o"_s, home.file("trace"), u"-e"_s,
                                      u"trace=rename,fsync"_s, u"-e"_s,
                                      u"inject=rename:signal=SIGKILL:when=%1"_s.arg(kill),
                                      QCoreApplication::applicationFilePath(), u"--press-ok"_s});
            QVERIFY(child.waitForFinished(60000));
            const QString trace = QString::fromUtf8(home.read("trace"));
            const QStringList values = pressedValues();
            QVERIFY2(values == allOld || values == allNew,
                     qPrintable(u"killed at rename %1: %2"_s.arg(kill).arg(values.join(u", "_s))));
            if (!trace.contains(u"killed by SIGKILL"_s)) {
                QCOMPARE(values, allNew);
                QVERIFY(!trace.contains(QRegularExpression(u"rename\\(.*\\n(?!.*fsync\\()"_s)));
                qInfo("killed at each of %d renames in turn", kill - 1);
                return;
            }
            QVERIFY(!leftovers(home).isEmpty());
            test::FakePlatform platform;
            Form1 next;
            QVERIFY(next.Form_Load({}));
            QCOMPARE(leftovers(home), QStringList{});
        }
        QFAIL("the run never ended without a kill");
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--press-ok") == 0)
        return pressOk();
    if (!kova::test::straceWorks()) {
        qInfo("SKIP: strace cannot trace here (not installed, or ptrace is not allowed)");
        return kova::test::kSkipReturnCode;
    }
    TestSaveKilled test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_save_killed.moc"
