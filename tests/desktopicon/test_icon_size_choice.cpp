#include "desktopicon/component/desktop_commands.h"
#include "desktopicon/component/key_file.h"
#include "desktopicon/component/own_icon_size.h"

#include <QTest>

using namespace kova;

namespace {

// One line per setting: how it is reached, its small and default values.
QStringList describe(const QList<IconSizeSetting>& settings) {
    static const char* const kKinds[] = {"gsettings", "xfconf", "plasma", "file"};
    QStringList lines;
    for (const IconSizeSetting& s : settings) {
        QString line = QStringLiteral("%1 %2 %3 %4<%5")
                           .arg(QLatin1String(kKinds[s.kind]), s.store, s.key, s.small, s.standard);
        if (!s.schemaDir.isEmpty())
            line += QStringLiteral(" dir=") + s.schemaDir;
        if (!s.onlyIfKey.isEmpty())
            line += QStringLiteral(" if ") + s.onlyIfKey + QLatin1Char('=') + s.onlyIfValue;
        if (!s.process.isEmpty())
            line += QStringLiteral(" [%1] restart %2 %3 quit=%4")
                        .arg(s.group, s.process, s.processMarker, s.quitOption);
        lines << line;
    }
    return lines;
}

// An extension installed in the user's folder, for DING only.
QStringList dingInHome(const QString& uuid) {
    return uuid == QLatin1String("ding@rastersoft.com")
               ? QStringList{QStringLiteral("/home/u/.local/share/gnome-shell/extensions/"
                                            "ding@rastersoft.com/schemas")}
               : QStringList{};
}

} // namespace

class TestIconSizeChoice : public QObject {
    Q_OBJECT
private slots:
    void eachDesktopGetsItsOwnSetting_data();
    void eachDesktopGetsItsOwnSetting();
    void largeIsTheUsersOwnSize_data();
    void largeIsTheUsersOwnSize();
    void keyFileEditKeepsEverythingElse_data();
    void keyFileEditKeepsEverythingElse();
};

void TestIconSizeChoice::eachDesktopGetsItsOwnSetting_data() {
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QStringList>("settings");
    const QString ding = "gsettings org.gnome.shell.extensions.ding icon-size small<standard";
    const QString gtk4 = "gsettings org.gnome.shell.extensions.gtk4-ding icon-size small<standard";
    const QString dingHome = ding + " dir=/home/u/.local/share/gnome-shell/extensions/"
                                    "ding@rastersoft.com/schemas";
    const QStringList gnome{ding, dingHome, gtk4};
    const QStringList budgie{
        "gsettings org.buddiesofbudgie.budgie-desktop-view icon-size small<normal"};
    const QStringList flashback{
        "gsettings org.gnome.gnome-flashback.desktop.icons icon-size 32px<48px"};
    const QStringList xfce{"xfconf xfce4-desktop /desktop-icons/icon-size 32<48"};
    const QStringList mate{"gsettings org.mate.caja.icon-view default-zoom-level small<standard"};
    const QStringList plasma{"plasma  iconSize 1<3"};
    const QStringList cinnamon{"gsettings org.nemo.icon-view default-zoom-level small<standard"
                               " if org.nemo.desktop use-desktop-grid=false",
                               "file nemo/desktop-metadata nemo-icon-view-zoom-level 2<3"
                               " [desktop-monitor-*] restart nemo-desktop  quit=--quit"};
    const QStringList lxqt{"file pcmanfm-qt/lxqt/settings.conf DesktopIconSize 32<48"
                           " [Desktop] restart pcmanfm-qt --desktop quit=--quit"};
    const QStringList lxde{"file libfm/libfm.conf big_icon_size 32<48"
                           " [ui] restart pcmanfm --desktop quit="};

    QTest::newRow("GNOME") << "GNOME" << gnome;
    QTest::newRow("Ubuntu's list") << "ubuntu:GNOME" << gnome;
    QTest::newRow("any case") << "gnome" << gnome;
    QTest::newRow("Budgie before GNOME") << "Budgie:GNOME" << budgie;
    QTest::newRow("Flashback before GNOME") << "GNOME-Flashback:GNOME" << flashback;
    QTest::newRow("Xfce") << "XFCE" << xfce;
    QTest::newRow("MATE") << "MATE" << mate;
    QTest::newRow("Plasma") << "KDE" << plasma;
    QTest::newRow("Cinnamon") << "X-Cinnamon" << cinnamon;
    QTest::newRow("LXQt") << "LXQt" << lxqt;
    QTest::newRow("LXDE") << "LXDE" << lxde;
    QTest::newRow("first known wins") << "X-Foo:KDE:GNOME" << plasma;
    QTest::newRow("empty parts") << "::Xfce:" << xfce;
    QTest::newRow("part of a name") << "GNOME-Classic" << QStringList{};
    QTest::newRow("unknown") << "Unity7" << QStringList{};
    QTest::newRow("unset") << "" << QStringList{};
}

void TestIconSizeChoice::eachDesktopGetsItsOwnSetting() {
    QFETCH(QString, variable);
    QFETCH(QStringList, settings);
    const Desktop desktop = detectDesktop(variable);
    QCOMPARE(describe(iconSizeSettings(desktop, dingInHome)), settings);
    QCOMPARE(desktop == Desktop::Unknown, settings.isEmpty());
}

void TestIconSizeChoice::largeIsTheUsersOwnSize_data() {
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("current"); // "-": cannot be read
    QTest::addColumn<QString>("kept");    // "-": nothing kept
    QTest::addColumn<QString>("keep");    // what the step does; "-": nothing
    QTest::addColumn<QString>("set");
    QTest::addColumn<bool>("forget");
    const int small = int(IconSize::Small), large = int(IconSize::Large);
    // clang-format off
    QTest::newRow("small keeps the user's size") << "XFCE" << small << "64" << "-" << "64" << "32" << false;
    QTest::newRow("large gives it back") << "XFCE" << large << "32" << "64" << "-" << "64" << true;
    QTest::newRow("small again keeps the first") << "XFCE" << small << "32" << "64" << "-" << "-" << false;
    QTest::newRow("killed while small, kept stays") << "XFCE" << small << "32" << "48" << "-" << "-" << false;
    QTest::newRow("unreadable: the default kept") << "XFCE" << small << "-" << "-" << "48" << "32" << false;
    QTest::newRow("already small: the default kept") << "XFCE" << small << "36" << "-" << "48" << "32" << false;
    QTest::newRow("a quarter larger counts") << "XFCE" << small << "40" << "-" << "40" << "32" << false;
    QTest::newRow("large, nothing kept, user's size") << "XFCE" << large << "96" << "-" << "-" << "-" << false;
    QTest::newRow("large, nothing kept, small now") << "XFCE" << large << "32" << "-" << "-" << "48" << false;
    QTest::newRow("large, already back") << "XFCE" << large << "64" << "64" << "-" << "-" << true;
    QTest::newRow("kept value broken") << "XFCE" << large << "32" << "big" << "-" << "48" << true;
    QTest::newRow("MATE larger") << "MATE" << small << "larger" << "-" << "larger" << "small" << false;
    QTest::newRow("MATE smaller is small") << "MATE" << small << "smaller" << "-" << "standard" << "small" << false;
    QTest::newRow("MATE back") << "MATE" << large << "small" << "larger" << "-" << "larger" << true;
    QTest::newRow("DING unknown word") << "GNOME" << small << "huge" << "-" << "standard" << "small" << false;
    QTest::newRow("Budgie massive") << "Budgie:GNOME" << large << "small" << "massive" << "-" << "massive" << true;
    QTest::newRow("Flashback 64px") << "GNOME-Flashback:GNOME" << small << "64px" << "-" << "64px" << "32px" << false;
    QTest::newRow("Plasma index 4") << "KDE" << large << "1" << "4" << "-" << "4" << true;
    QTest::newRow("Plasma script text is no size") << "KDE" << large << "1" << "4);evil(" << "-" << "3" << true;
    // clang-format on
}

void TestIconSizeChoice::largeIsTheUsersOwnSize() {
    QFETCH(QString, desktop);
    QFETCH(int, size);
    QFETCH(QString, current);
    QFETCH(QString, kept);
    QFETCH(QString, keep);
    QFETCH(QString, set);
    QFETCH(bool, forget);
    const auto value = [](const QString& text) {
        return text == QLatin1String("-") ? std::nullopt : std::optional<QString>(text);
    };
    const IconSizeSetting setting = iconSizeSettings(detectDesktop(desktop), dingInHome).last();
    const SizeStep step = planIconSize(setting, IconSize(size), value(current), value(kept));
    QCOMPARE(step.keep, value(keep));
    QCOMPARE(step.set, value(set));
    QCOMPARE(step.forget, forget);
    // Small is always clearly smaller than what large gives.
    if (step.keep)
        QVERIFY(setting.isClearlyLarger(*step.keep));
}

void TestIconSizeChoice::keyFileEditKeepsEverythingElse_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QByteArray>("readBack"); // what the group's first key reads before
    QTest::newRow("replaced in place")
        << QByteArray("[Desktop]\nBgColor=#336699\nDesktopIconSize=48\nFont=\"Sans,9\"\n")
        << "Desktop"
        << QByteArray("[Desktop]\nBgColor=#336699\nDesktopIconSize=32\nFont=\"Sans,9\"\n")
        << QByteArray("48");
    QTest::newRow("added after the group's last line")
        << QByteArray("[ui]\nsmall_icon_size=24\n\n[config]\nterminal=xterm %s\n") << "ui"
        << QByteArray("[ui]\nsmall_icon_size=24\nbig_icon_size=32\n\n[config]\nterminal=xterm %s\n")
        << QByteArray();
    QTest::newRow("every monitor")
        << QByteArray("[desktop-monitor-0]\nnemo-icon-view-zoom-level=3\n[desktop-monitor-1]\n"
                      "nemo-icon-view-auto-layout=true\n")
        << "desktop-monitor-*"
        << QByteArray("[desktop-monitor-0]\nnemo-icon-view-zoom-level=32\n[desktop-monitor-1]\n"
                      "nemo-icon-view-auto-layout=true\nnemo-icon-view-zoom-level=32\n")
        << QByteArray("3");
    QTest::newRow("no such group: made at the end")
        << QByteArray("[Other]\r\nkey=value") << "Desktop"
        << QByteArray("[Other]\r\nkey=value\r\n\r\n[Desktop]\r\nDesktopIconSize=32\r\n")
        << QByteArray();
    QTest::newRow("empty file") << QByteArray() << "Desktop"
                                << QByteArray("[Desktop]\nDesktopIconSize=32\n") << QByteArray();
    QTest::newRow("same key in another group untouched")
        << QByteArray("[Window]\nDesktopIconSize=99\n[Desktop]\nDesktopIconSize = 64\n")
        << "Desktop" << QByteArray("[Window]\nDesktopIconSize=99\n[Desktop]\nDesktopIconSize=32\n")
        << QByteArray("64");
}

void TestIconSizeChoice::keyFileEditKeepsEverythingElse() {
    QFETCH(QByteArray, before);
    QFETCH(QString, group);
    QFETCH(QByteArray, after);
    QFETCH(QByteArray, readBack);
    const QString key = group == QLatin1String("ui") ? QStringLiteral("big_icon_size")
                        : group.startsWith(QLatin1String("desktop-monitor"))
                            ? QStringLiteral("nemo-icon-view-zoom-level")
                            : QStringLiteral("DesktopIconSize");
    const QString newGroup = QString(group).remove(QLatin1Char('*'));
    QCOMPARE(keyFileValue(before, group, key).value_or(QByteArray()), readBack);
    const QByteArray edited = setKeyFileValue(before, group, key, "32", newGroup);
    QCOMPARE(edited, after);
    QCOMPARE(keyFileValue(edited, group, key), std::optional<QByteArray>("32"));
}

QTEST_GUILESS_MAIN(TestIconSizeChoice)
#include "test_icon_size_choice.moc"
