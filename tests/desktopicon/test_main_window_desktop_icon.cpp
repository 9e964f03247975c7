#include "base/settings.h"
#include "core/main_window.h"
#include "desktopicon/component/component_names.h"
#include "desktopicon/component/component_registration.h"
#include "desktopicon/desktop_icon_extension.h"
#include "platform/tray_icon.h"
#include "support/running_program.h"

#include <QSignalSpy>
#include <QTest>

using namespace kova;

namespace {

const QString kAsk = QStringLiteral("インストールしますか？");

QString click() {
    return ReadSetting(QStringLiteral("desktop"), QStringLiteral("click"));
}

// Which of our tools the main window started, by name, in order.
QStringList toolsStarted(const test::FakePlatform& platform) {
    QStringList tools;
    for (const auto& [program, args] : platform.started) {
        const QString name = program.section(QLatin1Char('/'), -1);
        if (name == QLatin1String(component::kLoaderTool) ||
            name == QLatin1String(component::kRegistrationTool))
            tools << name;
    }
    return tools;
}

} // namespace

class TestMainWindowDesktopIcon : public QObject {
    Q_OBJECT
private slots:
    void everyCommandIsWrittenBeforeTheComponentActs();
    void firstStartAsksOnceRegistersOnceAndGoesOn();
    void declinedInstallEndsTheStartUpBeforeTheTrayIcon();
    void componentGoneWhileRunningAsksAndNoEndsTheProgram();
    void argumentsKeepEveryCallWithoutEffect();
};

void TestMainWindowDesktopIcon::everyCommandIsWrittenBeforeTheComponentActs() {
    test::RunningProgram run;
    QStringList seen; // the command each start of the loader would read
    QVERIFY(run.started);
    Form1& form = run.form;
    const test::FakePlatform& platform = run.platform;
    WriteSetting(QStringLiteral("a1"), QStringLiteral("b7"), QStringLiteral("True"));
    const auto record = [&] {
        for (qsizetype i = seen.size(); i < toolsStarted(platform).size(); ++i)
            seen << click();
    };
    seen << click();
    form.trayMessage(kTrayLeftDoubleClick);
    record();
    form.trayMessage(kTrayLeftDoubleClick);
    record();
    form.desktopIcon().mnuIcon_Click(1);
    record();
    form.desktopIcon().mnuIcon_Click(0);
    record();
    form.desktopIcon().mnuIcon_Click(2); // no such item: nothing written, nothing loaded
    record();
    QSignalSpy ended(&form, &Form1::ended);
    form.MnuEnd_Click();
    record();
    QCOMPARE(seen, (QStringList{"0", "1", "2", "2", "1", "1"}));
    QCOMPARE(toolsStarted(platform).size(), 6);
    QCOMPARE(toolsStarted(platform).count(QLatin1String(component::kLoaderTool)), 6);
    QCOMPARE(ended.size(), 1);
    QVERIFY(platform.messages.isEmpty());
}

void TestMainWindowDesktopIcon::firstStartAsksOnceRegistersOnceAndGoesOn() {
    test::RunningProgram run(test::RunningProgram::Later, test::TempHome::Unregistered);
    test::FakePlatform& platform = run.platform;
    Form1& form = run.form;
    platform.onStartAndWait = [](const QString&, const QStringList& args) {
        registerComponent(RegistryStore(), args.last());
    };
    QVERIFY(run.start());
    QCOMPARE(platform.messages, QStringList{kAsk});
    QCOMPARE(toolsStarted(platform),
             (QStringList{component::kRegistrationTool, component::kLoaderTool}));
    QCOMPARE(form.desktopIcon().Text4, QStringLiteral("1"));
    // Later calls in the same run load straight away.
    form.desktopIcon().mnuIcon_Click(0);
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(toolsStarted(platform).count(QLatin1String(component::kRegistrationTool)), 1);
}

void TestMainWindowDesktopIcon::declinedInstallEndsTheStartUpBeforeTheTrayIcon() {
    test::RunningProgram run(test::RunningProgram::Later, test::TempHome::Unregistered);
    test::FakePlatform& platform = run.platform;
    Form1& form = run.form;
    platform.answers = {Answer::No};
    QSignalSpy ended(&form, &Form1::ended);
    QVERIFY(!run.start());
    QVERIFY(form.hasEnded());
    QCOMPARE(ended.size(), 1);
    QCOMPARE(platform.messages, QStringList{kAsk});
    QVERIFY(toolsStarted(platform).isEmpty());
    QVERIFY(!form.mailMinuteTimer().isActive());
}

void TestMainWindowDesktopIcon::componentGoneWhileRunningAsksAndNoEndsTheProgram() {
    test::RunningProgram run;
    test::FakePlatform& platform = run.platform;
    Form1& form = run.form;
    QVERIFY(run.started);
    unregisterComponent(RegistryStore());
    platform.answers = {Answer::No};
    QSignalSpy ended(&form, &Form1::ended);
    form.desktopIcon().mnuIcon_Click(1);
    QCOMPARE(platform.messages, QStringList{kAsk});
    QCOMPARE(ended.size(), 1);
    QVERIFY(form.hasEnded());
}

void TestMainWindowDesktopIcon::argumentsKeepEveryCallWithoutEffect() {
    test::RunningProgram run(test::RunningProgram::Later, test::TempHome::Unregistered);
    const test::FakePlatform& platform = run.platform;
    Form1& form = run.form;
    QVERIFY(run.start({QStringLiteral("\"%1\"").arg(component::kClassId)}));
    WriteSetting(QStringLiteral("a1"), QStringLiteral("b7"), QStringLiteral("True"));
    form.trayMessage(kTrayLeftDoubleClick);
    form.desktopIcon().mnuIcon_Click(1);
    QCOMPARE(click(), QStringLiteral("2"));
    form.MnuEnd_Click();
    QVERIFY(platform.messages.isEmpty());
    QVERIFY(toolsStarted(platform).isEmpty());
    QVERIFY(!RegistryStore().openKey(RegistryRoot::ClassesRoot, QStringLiteral("CLSID")));
}

QTEST_MAIN(TestMainWindowDesktopIcon)
#include "test_main_window_desktop_icon.moc"
