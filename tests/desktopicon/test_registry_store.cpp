#include "base/registry_store.h"
#include "desktopicon/component/component_registration.h"
#include "support/temp_home.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QTest>

using namespace kova;

class TestRegistryStore : public QObject {
    Q_OBJECT
private slots:
    void storeLivesUnderTheConfigFolderAndIsPrivate();
    void missingKeyFailsAndMissingValueFailsTheSizeQuery();
    void namesMatchWithoutRegardToCase_data();
    void namesMatchWithoutRegardToCase();
    void classesRootIsAViewOfLocalMachineSoftwareClasses();
    void unnamedValueIsApartFromNamedOnes();
    void valuesSurviveTheFile_data();
    void valuesSurviveTheFile();
    void malformedKeyPathsAreRefused_data();
    void malformedKeyPathsAreRefused();
    void deleteTreeTakesTheKeyAndItsSubkeysOnly();
    void unregisteringMakesNothingAndLeavesNothingEmpty();
    void damagedLinesCostOnlyThemselves();
    void keyRemovedByAnotherWriterRefusesValues();
    void whatIsThereAlreadyNeedsNoLock();
    void classIdTextRoundTrips();
    void strictClassIdTakesAsciiHexDigitsOnly();
    void progIdResolvesOnlyToAStrictClassId();
};

void TestRegistryStore::storeLivesUnderTheConfigFolderAndIsPrivate() {
    test::TempHome home(test::TempHome::Unregistered);
    QCOMPARE(RegistryStore::defaultPath(), home.file("config/KovaShell/registry.reg"));
    RegistryStore store;
    QVERIFY(store.createKey(RegistryRoot::LocalMachine, QStringLiteral("Software\\X")));
    const QFileDevice::Permissions perms = QFile::permissions(store.path());
    QVERIFY(perms.testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QVERIFY(!(perms & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup |
                       QFileDevice::WriteOther)));
}

void TestRegistryStore::missingKeyFailsAndMissingValueFailsTheSizeQuery() {
    test::TempHome home(test::TempHome::Unregistered);
    RegistryStore store;
    QVERIFY(!store.openKey(RegistryRoot::LocalMachine, QStringLiteral("Software\\Nothing")));
    const auto key = store.createKey(RegistryRoot::LocalMachine, QStringLiteral("Software\\A"));
    QVERIFY(key);
    QVERIFY(!key->queryValueSize(QString()));
    QVERIFY(!key->queryValue(QStringLiteral("named")));
    QVERIFY(key->setStringValue(QString(), QStringLiteral("abc")));
    QCOMPARE(key->queryValueSize(QString()), 4); // with its NUL
    QCOMPARE(*key->queryValue(QString()), QByteArray("abc\0", 4));
}

void TestRegistryStore::namesMatchWithoutRegardToCase_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("read");
    QTest::newRow("upper") << "Software\\Kova\\Clsid"
                           << "SOFTWARE\\KOVA\\CLSID";
    QTest::newRow("lower") << "Software\\CLASSES\\Kova"
                           << "software\\classes\\kova";
    QTest::newRow("non-ascii") << "Software\\Ärger"
                               << "software\\ärger";
}

void TestRegistryStore::namesMatchWithoutRegardToCase() {
    QFETCH(QString, written);
    QFETCH(QString, read);
    test::TempHome home(test::TempHome::Unregistered);
    RegistryStore store;
    QVERIFY(store.createKey(RegistryRoot::LocalMachine, written)
                ->setStringValue(QStringLiteral("Name"), QStringLiteral("v")));
    const auto key = store.openKey(RegistryRoot::LocalMachine, read);
    QVERIFY(key);
    QCOMPARE(*key->queryValue(QStringLiteral("NAME")), QByteArray("v\0", 2));
    // Writing through the other spelling changes the same value.
    QVERIFY(key->setStringValue(QStringLiteral("name"), QStringLiteral("w")));
    QCOMPARE(
        *store.openKey(RegistryRoot::LocalMachine, written)->queryValue(QStringLiteral("Name")),
        QByteArray("w\0", 2));
    QCOMPARE(QString::fromUtf8(home.read(QStringLiteral("config/KovaShell/registry.reg")))
                 .count(QStringLiteral("=\"")),
             1);
}

void TestRegistryStore::classesRootIsAViewOfLocalMachineSoftwareClasses() {
    test::TempHome home(test::TempHome::Unregistered);
    RegistryStore store;
    store.createKey(RegistryRoot::ClassesRoot, QStringLiteral("Kova.Class\\Clsid"))
        ->setStringValue(QString(), QStringLiteral("{x}"));
    const auto key = store.openKey(RegistryRoot::LocalMachine,
                                   QStringLiteral("Software\\CLASSES\\Kova.Class\\Clsid"));
    QVERIFY(key);
    QCOMPARE(*key->queryValue(QString()), QByteArray("{x}\0", 4));
    QVERIFY(store.openKey(RegistryRoot::ClassesRoot, QString()));
    QVERIFY(!store.openKey(RegistryRoot::LocalMachine, QStringLiteral("Kova.Class")));
}

void TestRegistryStore::unnamedValueIsApartFromNamedOnes() {
    test::TempHome home(test::TempHome::Unregistered);
    RegistryStore store;
    const auto key = store.createKey(RegistryRoot::ClassesRoot, QStringLiteral("K"));
    key->setStringValue(QString(), QStringLiteral("default"));
    key->setStringValue(QStringLiteral("@"), QStringLiteral("at sign"));
    key->setStringValue(QStringLiteral("ThreadingModel"), QStringLiteral("Apartment"));
    QCOMPARE(*key->queryValue(QString()), QByteArray("default\0", 8));
    QCOMPARE(*key->queryValue(QStringLiteral("@")), QByteArray("at sign\0", 8));
    QCOMPARE(*key->queryValue(QStringLiteral("threadingmodel")), QByteArray("Apartment\0", 10));
}

void TestRegistryStore::valuesSurviveTheFile_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("path with blanks") << "/home/u/My Apps/KovaShell.so";
    QTest::newRow("quotes and backslashes") << "C:\\a \"b\"\\";
    QTest::newRow("line breaks") << "one\r\ntwo\n[HKEY_LOCAL_MACHINE\\Evil]";
    QTest::newRow("nul inside") << QString::fromUtf16(u"ab\0cd", 5);
    QTest::newRow("japanese") << "付箋紙ﾃﾞｽｸﾄｯﾌﾟ";
    QTest::newRow("empty") << "";
}

void TestRegistryStore::valuesSurviveTheFile() {
    QFETCH(QString, value);
    test::TempHome home(test::TempHome::Unregistered);
    RegistryStore store;
    store.createKey(RegistryRoot::LocalMachine, QStringLiteral("Software\\V"))
        ->setStringValue(QStringLiteral("n"), value);
    store.createKey(RegistryRoot::LocalMachine, QStringLiteral("Software\\After"))
        ->setStringValue(QString(), QStringLiteral("kept"));
    const auto key = store.openKey(RegistryRoot::LocalMachine, QStringLiteral("Software\\V"));
    QCOMPARE(*key->queryValue(QStringLiteral("n")), value.toUtf8() + '\0');
    QVERIFY(!store.openKey(RegistryRoot::LocalMachine, QStringLiteral("Evil")));
    QCOMPARE(*store.openKey(RegistryRoot::LocalMachine, QStringLiteral("Software\\After"))
                  ->queryValue(QString()),
             QByteArray("kept\0", 5));
}

void TestRegistryStore::malformedKeyPathsAreRefused_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("empty part") << "CLSID\\\\InprocServer32";
    QTest::newRow("leading backslash") << "\\CLSID";
    QTest::newRow("trailing backslash") << "CLSID\\";
    QTest::newRow("line break") << "CLSID\nX";
    QTest::newRow("bracket") << "CLSID]";
}

void TestRegistryStore::malformedKeyPathsAreRefused() {
    QFETCH(QString, path);
    test::TempHome home(test::TempHome::Unregistered);
    RegistryStore store;
    store.createKey(RegistryRoot::ClassesRoot, QStringLiteral("CLSID\\X\\InprocServer32"));
    QVERIFY(!store.createKey(RegistryRoot::ClassesRoot, path));
    QVERIFY(!store.openKey(RegistryRoot::ClassesRoot, path));
}

void TestRegistryStore::deleteTreeTakesTheKeyAndItsSubkeysOnly() {
    test::TempHome home(test::TempHome::Unregistered);
    RegistryStore store;
    store.createKey(RegistryRoot::ClassesRoot, QStringLiteral("CLSID\\{A}\\InprocServer32"));
    store.createKey(RegistryRoot::ClassesRoot, QStringLiteral("CLSID\\{A}x"));
    QVERIFY(store.deleteTree(RegistryRoot::ClassesRoot, QStringLiteral("clsid\\{a}")));
    QVERIFY(
        !store.openKey(RegistryRoot::ClassesRoot, QStringLiteral("CLSID\\{A}\\InprocServer32")));
    QVERIFY(!store.openKey(RegistryRoot::ClassesRoot, QStringLiteral("CLSID\\{A}")));
    QVERIFY(store.openKey(RegistryRoot::ClassesRoot, QStringLiteral("CLSID\\{A}x")));
    QVERIFY(store.openKey(RegistryRoot::ClassesRoot, QStringLiteral("CLSID")));
    QVERIFY(!store.deleteTree(RegistryRoot::ClassesRoot, QStringLiteral("CLSID\\{A}")));
    QVERIFY(!store.deleteTree(RegistryRoot::ClassesRoot, QString()));
}

void TestRegistryStore::unregisteringMakesNothingAndLeavesNothingEmpty() {
    test::TempHome home(test::TempHome::Unregistered);
    const QString folder = home.file("config/KovaShell");
    RegistryStore store;
    QVERIFY(unregisterComponent(store)); // nothing was registered
    QVERIFY(!QFileInfo::exists(folder));

    QVERIFY(registerComponent(store, QStringLiteral("/opt/kova/KovaShell.so")));
    QVERIFY(unregisterComponent(store));
    QVERIFY2(!QFileInfo::exists(folder), qPrintable(QDir(folder).entryList().join(u' ')));

    // Another key keeps the store and the keys above it, and only those.
    QVERIFY(store.createKey(RegistryRoot::ClassesRoot, QStringLiteral("Other\\Key"))
                ->setStringValue(QString(), QStringLiteral("kept")));
    const QByteArray before = home.read("config/KovaShell/registry.reg");
    QVERIFY(registerComponent(store, QStringLiteral("/opt/kova/KovaShell.so")));
    QVERIFY(unregisterComponent(store));
    QCOMPARE(home.read("config/KovaShell/registry.reg"), before);
}

void TestRegistryStore::damagedLinesCostOnlyThemselves() {
    test::TempHome home(test::TempHome::Unregistered);
    QDir().mkpath(home.file(QStringLiteral("config/KovaShell")));
    home.write(QStringLiteral("config/KovaShell/registry.reg"),
               "@=\"before any key\"\r\n"
               "[HKEY_LOCAL_MACHINE\\Software\\A]\r\n"
               "@=\"unterminated\r\n"
               "garbage line\r\n"
               "\"name\"=\"good\"\r\n"
               "[\r\n"
               "[HKEY_LOCAL_MACHINE\\Software\\B]\r\n"
               "@=\"b\"\r\n");
    RegistryStore store;
    const auto a = store.openKey(RegistryRoot::LocalMachine, QStringLiteral("Software\\A"));
    QVERIFY(a);
    QVERIFY(!a->queryValue(QString()));
    QCOMPARE(*a->queryValue(QStringLiteral("name")), QByteArray("good\0", 5));
    QCOMPARE(*store.openKey(RegistryRoot::LocalMachine, QStringLiteral("Software\\B"))
                  ->queryValue(QString()),
             QByteArray("b\0", 2));
}

void TestRegistryStore::keyRemovedByAnotherWriterRefusesValues() {
    test::TempHome home(test::TempHome::Unregistered);
    RegistryStore store;
    const auto key = store.createKey(RegistryRoot::ClassesRoot, QStringLiteral("CLSID\\{A}\\S"));
    RegistryStore other;
    other.deleteTree(RegistryRoot::ClassesRoot, QStringLiteral("CLSID\\{A}"));
    QVERIFY(!key->setStringValue(QString(), QStringLiteral("x")));
    QVERIFY(!store.openKey(RegistryRoot::ClassesRoot, QStringLiteral("CLSID\\{A}\\S")));
}

void TestRegistryStore::whatIsThereAlreadyNeedsNoLock() {
    test::TempHome home(test::TempHome::Unregistered);
    RegistryStore store;
    const QString path = QStringLiteral("CLSID\\{A}\\InprocServer32");
    QVERIFY(store.createKey(RegistryRoot::ClassesRoot, path)
                ->setStringValue(QString(), QStringLiteral("a.so")));
    // Another program holds the store's lock (the tool, a component).
    QLockFile held(store.path() + QStringLiteral(".lock"));
    QVERIFY(held.tryLock(0));
    QElapsedTimer clock;
    clock.start();
    const auto key = store.createKey(RegistryRoot::ClassesRoot, path);
    QVERIFY(key);
    QVERIFY(key->setStringValue(QString(), QStringLiteral("a.so")));
    QVERIFY2(clock.elapsed() < 1000, "an unchanged key and value waited for the lock");
    // A change still waits for it, and gives up.
    QVERIFY(!key->setStringValue(QString(), QStringLiteral("b.so")));
    held.unlock();
    QVERIFY(key->setStringValue(QString(), QStringLiteral("b.so")));
}

void TestRegistryStore::classIdTextRoundTrips() {
    ClassId id;
    id.data1 = 0xD2CDDC34;
    id.data2 = 0x2016;
    id.data3 = 0x42EE;
    id.data4 = {0xBA, 0xFD, 0x4E, 0x7B, 0xA8, 0x89, 0xAB, 0x31};
    QCOMPARE(classIdText(id), QStringLiteral("{D2CDDC34-2016-42EE-BAFD-4E7BA889AB31}"));
    QCOMPARE(parseClassIdText(QStringLiteral("{d2cddc34-2016-42ee-bafd-4e7ba889ab31}")), id);
    QCOMPARE(classIdText(ClassId{}), QStringLiteral("{00000000-0000-0000-0000-000000000000}"));
    QVERIFY(!parseClassIdText(QStringLiteral("{D2CDDC34-2016-42EE-BAFD-4E7BA889AB3G}")));
    QVERIFY(!parseClassIdText(QStringLiteral("{D2CDDC34-2016-42EE-BAFD4-E7BA889AB31}")));
}

void TestRegistryStore::strictClassIdTakesAsciiHexDigitsOnly() {
    // Digits of other scripts (Malayalam, Arabic-Indic, full-width) are no hex digits.
    for (const char16_t digit : {u'\u0D66', u'\u0660', u'\uFF10'}) {
        QString text = QStringLiteral("{00000000-0000-0000-0000-000000000000}");
        text[1] = QChar(digit);
        QVERIFY2(!parseClassIdText(text), qPrintable(text));
    }
}

void TestRegistryStore::progIdResolvesOnlyToAStrictClassId() {
    test::TempHome home(test::TempHome::Unregistered);
    RegistryStore store;
    QVERIFY(!CLSIDFromProgID(store, QStringLiteral("Kova.Class")));
    const auto key =
        store.createKey(RegistryRoot::ClassesRoot, QStringLiteral("Kova.Class\\CLSID"));
    key->setStringValue(QString(), QStringLiteral("{D2CDDC34-2016-42EE-BAFD-4E7BA889AB31}"));
    const auto id = CLSIDFromProgID(store, QStringLiteral("KOVA.CLASS"));
    QVERIFY(id);
    QCOMPARE(id->data1, 0xD2CDDC34u);
    key->setStringValue(QString(), QStringLiteral("{D2CDDC34-2016-42EE-BAFD-4E7BA889ABzz}"));
    QVERIFY(!CLSIDFromProgID(store, QStringLiteral("Kova.Class")));
    QVERIFY(!CLSIDFromProgID(store, QString()));
    QVERIFY(!CLSIDFromProgID(store, QStringLiteral("Kova.Class\\CLSID")));
}

QTEST_GUILESS_MAIN(TestRegistryStore)
#include "test_registry_store.moc"
