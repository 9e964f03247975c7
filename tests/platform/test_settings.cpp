#include "base/settings.h"
#include "platform/colors.h"

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

    // What each typed read makes of a stored value; the file's own rules
    // (blanks and one pair of quotes stripped) come first.
    void typedReadsTakeOnlyWhatTheyCanRead_data() {
        QTest::addColumn<QByteArray>("line"); // under [a1], as key b7
        QTest::addColumn<int>("flag");        // -1: not a flag
        QTest::addColumn<QVariant>("number"); // invalid: not a number
        QTest::addColumn<int>("twips");
        QTest::addColumn<QString>("color"); // empty: not a colour
        const QVariant none;
        QTest::newRow("missing key") << QByteArray() << -1 << none << 0 << "";
        QTest::newRow("empty") << QByteArray("b7=") << -1 << none << 0 << "";
        QTest::newRow("True") << QByteArray("b7=True") << 1 << none << 0 << "";
        QTest::newRow("False") << QByteArray("b7=False") << 0 << none << 0 << "";
        QTest::newRow("true in lower case") << QByteArray("b7=true") << -1 << none << 0 << "";
        QTest::newRow("quoted, blanks") << QByteArray("b7 = \"True\" ") << 1 << none << 0 << "";
        QTest::newRow("whole number")
            << QByteArray("b7=1530") << -1 << QVariant(1530.0) << 1530 << "#fa0500";
        QTest::newRow("fraction") << QByteArray("b7=10.5") << -1 << QVariant(10.5) << 11 << "";
        QTest::newRow("negative") << QByteArray("b7=-15") << -1 << QVariant(-15.0) << -15 << "";
        QTest::newRow("number and more") << QByteArray("b7=12abc") << -1 << none << 0 << "";
        QTest::newRow("far off") << QByteArray("b7=1e99") << -1 << QVariant(1e99) << 15000000 << "";
        QTest::newRow("white") << QByteArray("b7=&HFFFFFF") << -1 << none << 0 << "#ffffff";
        QTest::newRow("black") << QByteArray("b7=&H0") << -1 << none << 0 << "#000000";
        QTest::newRow("lower case, closing &")
            << QByteArray("b7=&h80ffff&") << -1 << none << 0 << "#ffff80";
        QTest::newRow("not hexadecimal") << QByteArray("b7=&HXYZ") << -1 << none << 0 << "";
    }
    void typedReadsTakeOnlyWhatTheyCanRead() {
        QFETCH(QByteArray, line);
        QFETCH(int, flag);
        QFETCH(QVariant, number);
        QFETCH(int, twips);
        QFETCH(QString, color);
        test::TempHome home;
        home.write("KovaShell.ini", "[a1]\r\n" + line + "\r\n");
        const std::optional<bool> f = ReadFlag(a1::b7);
        QCOMPARE(f.has_value() ? int(*f) : -1, flag);
        const std::optional<double> n = ReadNumber(a1::b7);
        QCOMPARE(n.has_value(), number.isValid());
        if (n)
            QCOMPARE(*n, number.toDouble());
        QCOMPARE(ReadTwips(a1::b7), twips);
        const std::optional<QColor> c = ReadColor(a1::b7);
        QCOMPARE(c.has_value() ? c->name() : QString(), color);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
