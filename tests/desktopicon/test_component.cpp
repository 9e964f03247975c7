#include "base/profile_file.h"
#include "base/registry_store.h"
#include "desktopicon/component/component_names.h"
#include "desktopicon/component/component_registration.h"
#include "desktopicon/component/desktop_commands.h"
#include "desktopicon/component/icon_size.h"
#include "desktopicon/component/own_icon_size.h"
#include "support/temp_home.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace kova;

namespace {

QString binary(const char* name) {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(name);
}

// A folder of stand-ins for the desktops' tools; each appends its name and
// arguments (one per line, then a blank line) to a log.
class StandIns {
public:
    explicit StandIns(const QStringList& tools) {
        for (const QString& tool : tools) {
            QFile f(dir_.filePath(tool));
            f.open(QIODevice::WriteOnly);
            f.write("#!/bin/sh\n{ printf '%s\\n' \"${0##*/}\" \"$@\"; echo; } >> \"" +
                    QFile::encodeName(log()) + "\"\n");
            f.close();
            f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        }
    }
    QString path() const { return dir_.path(); }
    QString log() const { return dir_.filePath(QStringLiteral("log")); }
    // The calls that change a setting; the reads before them answer nothing.
    QStringList calls() const {
        QFile f(log());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList calls = QString::fromUtf8(f.readAll()).split(QStringLiteral("\n\n"));
        calls.removeIf([](const QString& call) {
            return !call.contains(QStringLiteral("\nset\n")) &&
                   !call.contains(QStringLiteral("\n-s\n"));
        });
        return calls;
    }

private:
    QTemporaryDir dir_;
};

// Starts the real loader for our class id, as the program does.
void startLoader(QProcess& loader, const QString& path, const QString& desktop,
                 const QStringList& unset = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : unset)
        env.remove(name);
    env.insert(QStringLiteral("PATH"), path);
    env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), desktop);
    loader.setProcessEnvironment(env);
    loader.start(binary(component::kLoaderTool), {QLatin1String(component::kClassId)});
}

int runLoader(const QString& path, const QString& desktop, const QStringList& unset = {},
              QString* log = nullptr) {
    QProcess loader;
    startLoader(loader, path, desktop, unset);
    if (!loader.waitForFinished(60000))
        return -1;
    if (log != nullptr)
        *log = QString::fromUtf8(loader.readAllStandardError());
    return loader.exitCode();
}

int runRegistrationTool(const QStringList& args) {
    QProcess tool;
    tool.start(binary(component::kRegistrationTool), args);
    if (!tool.waitForFinished(60000))
        return -1;
    return tool.exitCode();
}

QString registeredLibrary() {
    return inprocServerPath(RegistryStore(), *parseClassIdText(QLatin1String(component::kClassId)));
}

const char* const kGnomeSmall =
    "gsettings\nset\norg.gnome.shell.extensions.ding\nicon-size\n'small'";
// Nothing kept and nothing readable: the desktop's default.
const char* const kGnomeLarge =
    "gsettings\nset\norg.gnome.shell.extensions.ding\nicon-size\n'standard'";
const char* const kMateSmall =
    "gsettings\nset\norg.mate.caja.icon-view\ndefault-zoom-level\n'small'";
const char* const kMateLarge =
    "gsettings\nset\norg.mate.caja.icon-view\ndefault-zoom-level\n'standard'";
const char* const kXfceSmall =
    "xfconf-query\n-c\nxfce4-desktop\n-p\n/desktop-icons/icon-size\n-n\n-t\nuint\n-s\n32";
const char* const kXfceLarge =
    "xfconf-query\n-c\nxfce4-desktop\n-p\n/desktop-icons/icon-size\n-n\n-t\nuint\n-s\n48";

} // namespace

class TestComponent : public QObject {
    Q_OBJECT
private slots:
    void iconSizeFollowsTheCommand_data();
    void iconSizeFollowsTheCommand();
    void loadedComponentRunsTheDesktopsCommand_data();
    void loadedComponentRunsTheDesktopsCommand();
    void registrationToolRegistersAndUnregisters();
    void registrationToolTakesAnUnquotedPathWithBlanks();
    void registrationToolFailsForAMissingLibrary();
    void loaderIgnoresAnUnregisteredClass();
    void sizeThatCannotBeKeptLeavesTheDesktopAlone();
    void portableCopyReadsTheSettingsBesideTheLibrary();
    void quickSuccessionEndsOnTheLatestCommand();
};

void TestComponent::iconSizeFollowsTheCommand_data() {
    QTest::addColumn<QString>("click");
    QTest::addColumn<QString>("b6");
    QTest::addColumn<int>("size");
    const int unchanged = int(IconSize::Unchanged), small = int(IconSize::Small),
              large = int(IconSize::Large);
    QTest::newRow("start, b6 on") << "0"
                                  << "1" << small;
    QTest::newRow("start, b6 off") << "0"
                                   << "0" << unchanged;
    QTest::newRow("start, b6 unset") << "0"
                                     << "" << unchanged;
    QTest::newRow("large item / exit") << "1"
                                       << "1" << large;
    QTest::newRow("small item") << "2"
                                << "0" << small;
    QTest::newRow("double-click odd") << "3"
                                      << "1" << large;
    QTest::newRow("double-click even") << "14"
                                       << "0" << small;
    QTest::newRow("empty counts as start") << ""
                                           << "1" << small;
    QTest::newRow("text counts as start") << "abc"
                                          << "0" << unchanged;
    QTest::newRow("leading number") << "5x"
                                    << "0" << large;
    QTest::newRow("negative") << "-3"
                              << "1" << unchanged;
}

void TestComponent::iconSizeFollowsTheCommand() {
    QFETCH(QString, click);
    QFETCH(QString, b6);
    QFETCH(int, size);
    QCOMPARE(int(iconSizeForCommand(click, b6)), size);
}

void TestComponent::loadedComponentRunsTheDesktopsCommand_data() {
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QStringList>("tools");
    QTest::addColumn<QString>("click");
    QTest::addColumn<QString>("b6");
    QTest::addColumn<QString>("expected"); // empty: nothing runs

    const QStringList all{"gsettings", "xfconf-query"};
    struct Case {
        const char* desktop;
        const char* small;
        const char* large;
    };
    const Case cases[] = {{"ubuntu:GNOME", kGnomeSmall, kGnomeLarge},
                          {"MATE", kMateSmall, kMateLarge},
                          {"XFCE", kXfceSmall, kXfceLarge}};
    for (const Case& c : cases) {
        const QByteArray d = c.desktop;
        QTest::newRow(d + " 0 b6=1") << c.desktop << all << "0"
                                     << "1" << c.small;
        QTest::newRow(d + " 0 b6=0") << c.desktop << all << "0"
                                     << "0"
                                     << "";
        QTest::newRow(d + " 1") << c.desktop << all << "1"
                                << "0" << c.large;
        QTest::newRow(d + " 2") << c.desktop << all << "2"
                                << "1" << c.small;
        QTest::newRow(d + " 3") << c.desktop << all << "3"
                                << "0" << c.large;
    }
    QTest::newRow("unknown desktop") << "X-Foo" << all << "1"
                                     << "1"
                                     << "";
    QTest::newRow("tool missing") << "XFCE" << QStringList{"gsettings"} << "1"
                                  << "1"
                                  << "";
}

void TestComponent::loadedComponentRunsTheDesktopsCommand() {
    QFETCH(QString, desktop);
    QFETCH(QStringList, tools);
    QFETCH(QString, click);
    QFETCH(QString, b6);
    QFETCH(QString, expected);
    test::TempHome home(test::TempHome::Registered);
    const ProfileFile settings(home.file(QStringLiteral("KovaShell.ini")));
    settings.write(QStringLiteral("desktop"), QStringLiteral("click"), click);
    settings.write(QStringLiteral("a1"), QStringLiteral("b6"), b6);
    const StandIns standIns(tools);

    QString log;
    QCOMPARE(runLoader(standIns.path(), desktop, {}, &log), 0);
    QCOMPARE(standIns.calls(), expected.isEmpty() ? QStringList() : QStringList{expected});
    // A desktop without a setting we know is left alone, and the log says so once.
    const bool unknown = detectDesktop(desktop) == Desktop::Unknown;
    QCOMPARE(log.count(QStringLiteral("has no icon-size setting known here")), unknown ? 1 : 0);
}

void TestComponent::registrationToolRegistersAndUnregisters() {
    test::TempHome home(test::TempHome::Unregistered);
    const QString library = binary(component::kLibraryName);
    QCOMPARE(runRegistrationTool({QStringLiteral("/s"), library}), 0);
    const auto clsid =
        RegistryStore().openKey(RegistryRoot::LocalMachine,
                                QStringLiteral("Software\\CLASSES\\KovaShell.KovaClass\\Clsid"));
    QVERIFY(clsid);
    QCOMPARE(*clsid->queryValue(QString()), QByteArray(component::kClassId) + '\0');
    QCOMPARE(registeredLibrary(), library);

    QCOMPARE(runRegistrationTool({QStringLiteral("/u"), QStringLiteral("/s"), library}), 0);
    QVERIFY(!RegistryStore().openKey(RegistryRoot::ClassesRoot, QLatin1String(component::kProgId)));
    QCOMPARE(registeredLibrary(), QString());
}

void TestComponent::registrationToolTakesAnUnquotedPathWithBlanks() {
    test::TempHome home(test::TempHome::Unregistered);
    const QString folder = home.file(QStringLiteral("My Programs"));
    QDir().mkpath(folder);
    const QString library = folder + QLatin1Char('/') + QLatin1String(component::kLibraryName);
    QVERIFY(QFile::copy(binary(component::kLibraryName), library));
    // As a shell splits "<tool> /s <path>" written without quotes.
    QStringList args{QStringLiteral("/s")};
    args << library.split(QLatin1Char(' '));
    QCOMPARE(runRegistrationTool(args), 0);
    QCOMPARE(registeredLibrary(), library);
}

void TestComponent::registrationToolFailsForAMissingLibrary() {
    test::TempHome home(test::TempHome::Unregistered);
    QVERIFY(runRegistrationTool({QStringLiteral("/s"), home.file(QStringLiteral("none.so"))}) != 0);
    QVERIFY(runRegistrationTool({QStringLiteral("/s")}) != 0);
    QVERIFY(!QFile::exists(RegistryStore::defaultPath()));
}

void TestComponent::sizeThatCannotBeKeptLeavesTheDesktopAlone() {
    test::TempHome home(test::TempHome::Registered);
    home.write(QStringLiteral("KovaShell.ini"), "[desktop]\r\nclick=2\r\n");
    // A folder where the file of kept sizes goes: no save can replace it.
    QVERIFY(QDir().mkpath(keptSizesPath()));
    const StandIns standIns({QStringLiteral("gsettings")});
    QString log;
    QVERIFY(runLoader(standIns.path(), QStringLiteral("GNOME"), {}, &log) != 0);
    QCOMPARE(standIns.calls(), QStringList());
    QVERIFY2(log.contains(QStringLiteral("cannot keep the desktop's icon size")), qPrintable(log));
}

void TestComponent::loaderIgnoresAnUnregisteredClass() {
    test::TempHome home(test::TempHome::Unregistered);
    const StandIns standIns({QStringLiteral("gsettings")});
    home.write(QStringLiteral("KovaShell.ini"), "[desktop]\r\nclick=1\r\n");
    QVERIFY(runLoader(standIns.path(), QStringLiteral("GNOME")) != 0);
    QVERIFY(standIns.calls().isEmpty());
}

void TestComponent::portableCopyReadsTheSettingsBesideTheLibrary() {
    test::TempHome home(test::TempHome::Unregistered);
    const QString folder = home.file(QStringLiteral("portable"));
    QDir().mkpath(folder);
    const QString library = folder + QLatin1Char('/') + QLatin1String(component::kLibraryName);
    QVERIFY(QFile::copy(binary(component::kLibraryName), library));
    QVERIFY(registerComponent(RegistryStore(), library));
    ProfileFile(folder + QStringLiteral("/KovaShell.ini"))
        .write(QStringLiteral("desktop"), QStringLiteral("click"), QStringLiteral("1"));
    QDir().mkpath(home.file(QStringLiteral("data/KovaShell")));
    ProfileFile(home.file(QStringLiteral("data/KovaShell/KovaShell.ini")))
        .write(QStringLiteral("desktop"), QStringLiteral("click"), QStringLiteral("2"));
    const StandIns standIns({QStringLiteral("gsettings")});

    QCOMPARE(
        runLoader(standIns.path(), QStringLiteral("GNOME"), {QStringLiteral("KOVASHELL_HOME")}), 0);
    QCOMPARE(standIns.calls(), QStringList{kGnomeLarge});
}

void TestComponent::quickSuccessionEndsOnTheLatestCommand() {
    test::TempHome home(test::TempHome::Registered);
    const ProfileFile settings(home.file(QStringLiteral("KovaShell.ini")));
    settings.write(QStringLiteral("desktop"), QStringLiteral("click"), QStringLiteral("1"));
    // A stand-in that tells it runs, and is slow to apply large icons.
    QTemporaryDir tools;
    const QString running = tools.filePath(QStringLiteral("running"));
    const QString log = tools.filePath(QStringLiteral("log"));
    QFile script(tools.filePath(QStringLiteral("gsettings")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\n[ \"$1\" = set ] || exit 0\n: > '%1'\n"
                                "case \"$*\" in *standard*) /bin/sleep 1;; esac\n"
                                "echo \"$*\" >> '%2'\n")
                     .arg(running, log)
                     .toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);

    QProcess first;
    startLoader(first, tools.path(), QStringLiteral("GNOME"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(running), 60000);
    // The next double-click while the first is still busy.
    settings.write(QStringLiteral("desktop"), QStringLiteral("click"), QStringLiteral("2"));
    QProcess second;
    startLoader(second, tools.path(), QStringLiteral("GNOME"));
    QVERIFY(first.waitForFinished(60000));
    QVERIFY(second.waitForFinished(60000));

    QFile result(log);
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(result.readAll()),
             QStringLiteral("set org.gnome.shell.extensions.ding icon-size 'standard'\n"
                            "set org.gnome.shell.extensions.ding icon-size 'small'\n"));
}

QTEST_GUILESS_MAIN(TestComponent)
#include "test_component.moc"
