#include "platform/settings.h"

#include "support/temp_home.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kova;

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void settingsLiveInTheDataFolder() {
        test::TempHome home;
        QVERIFY(!SettingsFileExists());
        QCOMPARE(ReadSetting("a1", "b7"), QString());
        QVERIFY(!SettingsFileExists()); // reading never creates the file
        WriteSetting("kmc", "Left", "1530");
        QVERIFY(SettingsFileExists());
        QCOMPARE(settingsFilePath(), home.file("KovaShell.ini"));
        QCOMPARE(home.read("KovaShell.ini"), QByteArray("[kmc]\r\nLeft=1530\r\n"));
        QCOMPARE(ReadSetting("kmc", "left"), u"1530"_s);
    }

    void everyReadGoesToTheFile() {
        test::TempHome home;
        WriteSetting("a1", "b7", "True");
        QCOMPARE(ReadSetting("a1", "b7"), u"True"_s);
        // Another program (the desktop-icon component, an editor) changes the file.
        home.write("KovaShell.ini", "[a1]\r\n");
        QCOMPARE(ReadSetting("a1", "b7"), QString());
    }

    void aFolderNamedLikeTheFileIsNoSettingsFile() {
        test::TempHome home;
        QVERIFY(QDir(home.path()).mkdir("KovaShell.ini"));
        QVERIFY(!SettingsFileExists());
        WriteSetting("a1", "b7", "True"); // fails quietly
        QCOMPARE(ReadSetting("a1", "b7"), QString());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
