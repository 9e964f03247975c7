#include "desktopicon/component/component_names.h"
#include "desktopicon/component/component_registration.h"
#include "desktopicon/desktop_icon_extension.h"
#include "support/fake_platform.h"
#include "support/temp_home.h"

#include <QTest>

using namespace kova;

namespace {

const QString kAsk = QStringLiteral("インストールしますか？");
const QString kCannot = QStringLiteral(
    "KovaShell.dllを登録できません。フォルダを別の場所に移動してもう一度起動してください。");

// One extension as the main window holds it, with the exit recorded.
struct Harness {
    explicit Harness(QStringList args = {})
        : extension([this] { ++unloads; }, [this] { return unloads > 0; }),
          marker(extension.Text4) {
        extension.programFolder = QStringLiteral("/opt/Kova Shell");
        extension.arguments = std::move(args);
    }
    QString path(const char* name) const {
        return extension.programFolder + QLatin1Char('/') + QLatin1String(name);
    }
    int unloads = 0;
    DesktopIconExtension extension;
    QString& marker;
};

QString inprocServer() {
    return inprocServerPath(RegistryStore(), *parseClassIdText(QLatin1String(component::kClassId)));
}

} // namespace

class TestDesktopIconExtension : public QObject {
    Q_OBJECT
private slots:
    void registeredComponentIsLoadedWithoutAQuestion();
    void firstStartRegistersOnceAndLoadsAfterTheToolEnded();
    void registrationWithoutEffectEndsWithTheFailureMessage();
    void answeringNoEndsTheProgramWithoutRegistering();
    void neverASecondRegistrationInOneRun();
    void movedFolderIsRepointedWithoutAQuestion();
    void argumentsSuppressLoadingAndRepair_data();
    void argumentsSuppressLoadingAndRepair();
    void callsWhileTheToolRunsWaitForThatPass();
    void programEndedDuringTheWaitStopsThePass();
    void unregisteredClassIdIsNotRepointedIntoExistence();
};

void TestDesktopIconExtension::registeredComponentIsLoadedWithoutAQuestion() {
    test::TempHome home(test::TempHome::Registered);
    test::FakePlatform platform;
    Harness h;
    h.extension.LoadDesktopIconExtension();
    QVERIFY(platform.messages.isEmpty());
    QCOMPARE(platform.started.size(), 1);
    QCOMPARE(platform.started[0].first, h.path(component::kLoaderTool));
    QCOMPARE(platform.started[0].second, QStringList{QLatin1String(component::kClassId)});
    QCOMPARE(h.extension.classIdText(), QLatin1String(component::kClassId));
    QCOMPARE(h.unloads, 0);
}

void TestDesktopIconExtension::firstStartRegistersOnceAndLoadsAfterTheToolEnded() {
    test::TempHome home(test::TempHome::Unregistered);
    test::FakePlatform platform;
    Harness h;
    // The tool registers the library it was given, then ends.
    platform.onStartAndWait = [](const QString&, const QStringList& args) {
        registerComponent(RegistryStore(), args.last());
    };
    h.extension.LoadDesktopIconExtension();

    QCOMPARE(platform.messages, QStringList{kAsk});
    QCOMPARE(platform.messageButtons, QList<Buttons>{Buttons::YesNo});
    QCOMPARE(platform.started.size(), 2);
    // "<tool> /s <folder>/<library>": the path with its blank stays one argument.
    QCOMPARE(platform.started[0].first, h.path(component::kRegistrationTool));
    QCOMPARE(platform.started[0].second,
             (QStringList{QStringLiteral("/s"), h.path(component::kLibraryName)}));
    QCOMPARE(platform.waits, QList<int>{DesktopIconExtension::kRegistrationWaitMs});
    QCOMPARE(platform.started[1].first, h.path(component::kLoaderTool));
    QCOMPARE(h.marker, QStringLiteral("1"));
    QCOMPARE(h.unloads, 0);
    QCOMPARE(inprocServer(), h.path(component::kLibraryName));
}

void TestDesktopIconExtension::registrationWithoutEffectEndsWithTheFailureMessage() {
    test::TempHome home(test::TempHome::Unregistered);
    test::FakePlatform platform;
    Harness h;
    h.extension.LoadDesktopIconExtension();
    QCOMPARE(platform.messages, (QStringList{kAsk, kAsk, kCannot}));
    QCOMPARE(platform.messageButtons,
             (QList<Buttons>{Buttons::YesNo, Buttons::YesNo, Buttons::Ok}));
    QCOMPARE(platform.started.size(), 1);
    QCOMPARE(platform.started[0].first, h.path(component::kRegistrationTool));
    QCOMPARE(h.unloads, 1);
}

void TestDesktopIconExtension::answeringNoEndsTheProgramWithoutRegistering() {
    test::TempHome home(test::TempHome::Unregistered);
    test::FakePlatform platform;
    platform.answers = {Answer::No};
    Harness h;
    h.extension.LoadDesktopIconExtension();
    QCOMPARE(platform.messages, QStringList{kAsk});
    QVERIFY(platform.started.isEmpty());
    QCOMPARE(h.marker, QStringLiteral("0"));
    QCOMPARE(h.unloads, 1);

    // No after a failed registration ends it just the same, without the message.
    test::FakePlatform second;
    second.answers = {Answer::Yes, Answer::No};
    Harness h2;
    h2.extension.LoadDesktopIconExtension();
    QCOMPARE(second.messages, (QStringList{kAsk, kAsk}));
    QCOMPARE(h2.unloads, 1);
}

void TestDesktopIconExtension::neverASecondRegistrationInOneRun() {
    test::TempHome home(test::TempHome::Unregistered);
    test::FakePlatform platform;
    Harness h;
    h.marker = QStringLiteral("1"); // tried earlier in this run
    h.extension.LoadDesktopIconExtension();
    QCOMPARE(platform.messages, (QStringList{kAsk, kCannot}));
    QVERIFY(platform.started.isEmpty());
    QCOMPARE(h.unloads, 1);
}

void TestDesktopIconExtension::movedFolderIsRepointedWithoutAQuestion() {
    test::TempHome home(test::TempHome::Unregistered);
    registerComponent(RegistryStore(), QStringLiteral("/old/place/KovaShell.so"));
    test::FakePlatform platform;
    Harness h;
    h.extension.LoadDesktopIconExtension();
    QVERIFY(platform.messages.isEmpty());
    QCOMPARE(inprocServer(), h.path(component::kLibraryName));
    QCOMPARE(platform.started.size(), 1);
    QCOMPARE(platform.started[0].first, h.path(component::kLoaderTool));
}

void TestDesktopIconExtension::argumentsSuppressLoadingAndRepair_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("plain") << QStringList{QStringLiteral("hello")};
    QTest::newRow("quoted class id")
        << QStringList{QLatin1String("\"") + component::kClassId + QLatin1String("\"")};
    QTest::newRow("prog id") << QStringList{QLatin1String(component::kProgId)};
    QTest::newRow("lone quote") << QStringList{QStringLiteral("\"")};
}

void TestDesktopIconExtension::argumentsSuppressLoadingAndRepair() {
    QFETCH(QStringList, arguments);
    for (const auto registration : {test::TempHome::Registered, test::TempHome::Unregistered}) {
        test::TempHome home(registration);
        const QString before = inprocServer();
        test::FakePlatform platform;
        Harness h(arguments);
        h.extension.LoadDesktopIconExtension();
        QVERIFY(platform.messages.isEmpty());
        QVERIFY(platform.started.isEmpty());
        QCOMPARE(inprocServer(), before);
        QCOMPARE(h.unloads, 0);
    }
}

void TestDesktopIconExtension::callsWhileTheToolRunsWaitForThatPass() {
    test::TempHome home(test::TempHome::Unregistered);
    test::FakePlatform platform;
    Harness h;
    platform.onStartAndWait = [&h](const QString&, const QStringList& args) {
        // A double-click while the tool still runs.
        h.extension.LoadDesktopIconExtension();
        registerComponent(RegistryStore(), args.last());
    };
    h.extension.LoadDesktopIconExtension();
    QCOMPARE(platform.messages, QStringList{kAsk});
    QCOMPARE(platform.started.size(), 2);
    QCOMPARE(platform.started[1].first, h.path(component::kLoaderTool));
}

void TestDesktopIconExtension::programEndedDuringTheWaitStopsThePass() {
    test::TempHome home(test::TempHome::Unregistered);
    test::FakePlatform platform;
    Harness h;
    platform.onStartAndWait = [&h](const QString&, const QStringList&) { ++h.unloads; };
    h.extension.LoadDesktopIconExtension();
    QCOMPARE(platform.messages, QStringList{kAsk});
    QCOMPARE(platform.started.size(), 1);
    QCOMPARE(h.unloads, 1);
}

void TestDesktopIconExtension::unregisteredClassIdIsNotRepointedIntoExistence() {
    test::TempHome home(test::TempHome::Unregistered);
    test::FakePlatform platform;
    platform.answers = {Answer::No};
    Harness h;
    h.extension.LoadDesktopIconExtension();
    QCOMPARE(h.extension.classIdText(), QStringLiteral("0"));
    QVERIFY(!RegistryStore().openKey(RegistryRoot::ClassesRoot, QStringLiteral("CLSID")));
}

QTEST_GUILESS_MAIN(TestDesktopIconExtension)
#include "test_desktop_icon_extension.moc"
