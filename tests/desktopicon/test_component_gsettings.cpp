#include "base/settings.h"
#include "core/main_window.h"
#include "desktopicon/component/component_names.h"
#include "desktopicon/desktop_icon_extension.h"
#include "platform/tray_icon.h"
#include "support/fake_platform.h"
#include "support/running_program.h"
#include "support/skip.h"
#include "support/temp_home.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kova;

namespace {

// A copy of the desktop-icons extension's schema, reduced to the key we set.
const char kSchema[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<schemalist>
  <enum id="org.gnome.shell.extensions.ding.ZoomLevel">
    <value nick="tiny" value="0"/>
    <value nick="small" value="1"/>
    <value nick="standard" value="2"/>
    <value nick="large" value="3"/>
  </enum>
  <schema id="org.gnome.shell.extensions.ding" path="/org/gnome/shell/extensions/ding/">
    <key name="icon-size" enum="org.gnome.shell.extensions.ding.ZoomLevel">
      <default>'standard'</default>
    </key>
  </schema>
</schemalist>
)";

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("<failed: %1>").arg(QString::fromLocal8Bit(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString iconSize() {
    return run(QStringLiteral("gsettings"),
               {QStringLiteral("get"), QStringLiteral("org.gnome.shell.extensions.ding"),
                QStringLiteral("icon-size")});
}

// Runs, for real, the loader starts the main window asked for since `from`.
void runLoaderStarts(const test::FakePlatform& platform, qsizetype from) {
    for (qsizetype i = from; i < platform.started.size(); ++i) {
        const auto& [program, args] = platform.started[i];
        if (program.endsWith(QLatin1Char('/') + QLatin1String(component::kLoaderTool)))
            run(program, args);
    }
}

} // namespace

class TestComponentGsettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void doubleClicksSwitchTheDesktopIconsSize();

private:
    QTemporaryDir schemas_;
};

void TestComponentGsettings::initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("glib-compile-schemas")).isEmpty())
        KOVA_SKIP_PROGRAM("gsettings and glib-compile-schemas (libglib2.0-bin) are needed");
    QFile xml(schemas_.filePath(QStringLiteral("org.gnome.shell.extensions.ding.gschema.xml")));
    QVERIFY(xml.open(QIODevice::WriteOnly));
    xml.write(kSchema);
    xml.close();
    QCOMPARE(run(QStringLiteral("glib-compile-schemas"), {schemas_.path()}), QString());
    qputenv("GSETTINGS_SCHEMA_DIR", schemas_.path().toLocal8Bit());
    qputenv("GSETTINGS_BACKEND", "keyfile");
    qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
}

void TestComponentGsettings::doubleClicksSwitchTheDesktopIconsSize() {
    test::RunningProgram run; // its home also the keyfile's XDG_CONFIG_HOME
    QVERIFY(run.started);
    // The user's own size, not the desktop's default: the large step gives it back.
    QCOMPARE(::run(QStringLiteral("gsettings"),
                   {QStringLiteral("set"), QStringLiteral("org.gnome.shell.extensions.ding"),
                    QStringLiteral("icon-size"), QStringLiteral("large")}),
             QString());
    Form1& form = run.form;
    const test::FakePlatform& platform = run.platform;
    runLoaderStarts(platform, 0);
    QCOMPARE(iconSize(), QStringLiteral("'small'")); // "0" with the first-run b6 "1"

    WriteSetting(QStringLiteral("a1"), QStringLiteral("b7"), QStringLiteral("True"));
    const QStringList expected{QStringLiteral("'large'"), QStringLiteral("'small'"),
                               QStringLiteral("'large'")};
    for (const QString& size : expected) {
        const qsizetype before = platform.started.size();
        form.trayMessage(kTrayLeftDoubleClick);
        runLoaderStarts(platform, before);
        QCOMPARE(iconSize(), size);
    }

    // As at the next start with the option off: the desktop stays as it is.
    WriteSetting(QStringLiteral("a1"), QStringLiteral("b6"), QStringLiteral("0"));
    WriteSetting(QStringLiteral("desktop"), QStringLiteral("click"), QStringLiteral("0"));
    const qsizetype before = platform.started.size();
    form.desktopIcon().LoadDesktopIconExtension();
    runLoaderStarts(platform, before);
    QCOMPARE(platform.started.size(), before + 1);
    QCOMPARE(iconSize(), QStringLiteral("'large'"));
    QVERIFY(QFile::exists(run.home.file(QStringLiteral("config/glib-2.0/settings/keyfile"))));
}

KOVA_TEST_MAIN(TestComponentGsettings)
#include "test_component_gsettings.moc"
