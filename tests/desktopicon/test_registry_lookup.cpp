#include "desktopicon/registry_lookup.h"
#include "support/temp_home.h"

#include <QTest>

using namespace kova;

namespace {

ClassId makeId(quint32 d1, quint16 d2, quint16 d3, std::array<quint8, 8> d4) {
    ClassId id;
    id.data1 = d1;
    id.data2 = d2;
    id.data3 = d3;
    id.data4 = d4;
    return id;
}

} // namespace

namespace kova {
char* toString(const ClassId& id) {
    return QTest::toString(classIdText(id));
}
} // namespace kova

class TestRegistryLookup : public QObject {
    Q_OBJECT
private slots:
    void bracedTextIsReadByPosition_data();
    void bracedTextIsReadByPosition();
    void otherTextsAreNotFound_data();
    void otherTextsAreNotFound();
    void registeredProgIdWinsOverTheTextForm();
    void cutAtNul_data();
    void cutAtNul();
    void readRegistryStringFallsBackByWhatIsMissing();
};

void TestRegistryLookup::bracedTextIsReadByPosition_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<ClassId>("expected");
    QTest::newRow("all zero") << "{00000000-0000-0000-0000-000000000000}" << ClassId{};
    QTest::newRow("ours") << "{D2CDDC34-2016-42EE-BAFD-4E7BA889AB31}"
                          << makeId(0xD2CDDC34, 0x2016, 0x42EE,
                                    {0xBA, 0xFD, 0x4E, 0x7B, 0xA8, 0x89, 0xAB, 0x31});
    QTest::newRow("lower case") << "{d2cddc34-2016-42ee-bafd-4e7ba889ab31}"
                                << makeId(0xD2CDDC34, 0x2016, 0x42EE,
                                          {0xBA, 0xFD, 0x4E, 0x7B, 0xA8, 0x89, 0xAB, 0x31});
    // Each group counts up to its first non-hex character.
    QTest::newRow("leading hex digits") << "{12zz5678-9x00-x000-a1g1-0102030405z6}"
                                        << makeId(0x12, 0x9, 0, {0xA1, 0x0, 1, 2, 3, 4, 5, 0});
    QTest::newRow("blanks and signs")
        << "{ 1234567-+123-0 12-    -            }" << makeId(0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0});
    QTest::newRow("hyphen group stops the byte")
        << "{FFFFFFFF-FFFF-FFFF-F-FF-FFFFFFFFFFFF}"
        << makeId(0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
}

void TestRegistryLookup::bracedTextIsReadByPosition() {
    QFETCH(QString, text);
    QFETCH(ClassId, expected);
    test::TempHome home(test::TempHome::Unregistered);
    QCOMPARE(text.size(), 38);
    const ClassIdResult result = ResolveClassId(text);
    QVERIFY(result.found);
    QCOMPARE(result.id, expected);
}

void TestRegistryLookup::otherTextsAreNotFound_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("37 characters") << "{D2CDDC34-2016-42EE-BAFD-4E7BA889AB3}";
    QTest::newRow("39 characters") << "{D2CDDC34-2016-42EE-BAFD-4E7BA889AB311}";
    QTest::newRow("no hyphen at 20") << "{D2CDDC34-2016-42EEXBAFD-4E7BA889AB31}";
    QTest::newRow("no hyphen at 10") << "{D2CDDC340-2016-42EE-BAFD4E7BA889AB31}";
    QTest::newRow("no opening brace") << "(D2CDDC34-2016-42EE-BAFD-4E7BA889AB31}";
    QTest::newRow("no closing brace") << "{D2CDDC34-2016-42EE-BAFD-4E7BA889AB31)";
    QTest::newRow("the default 0") << "0";
    QTest::newRow("empty") << "";
    QTest::newRow("bare") << "D2CDDC34-2016-42EE-BAFD-4E7BA889AB31";
}

void TestRegistryLookup::otherTextsAreNotFound() {
    QFETCH(QString, text);
    test::TempHome home(test::TempHome::Unregistered);
    const ClassIdResult result = ResolveClassId(text);
    QVERIFY(!result.found);
    QCOMPARE(result.id, ClassId{});
}

void TestRegistryLookup::registeredProgIdWinsOverTheTextForm() {
    test::TempHome home(test::TempHome::Registered);
    const ClassIdResult byProgId = ResolveClassId(QStringLiteral("kovashell.kovaclass"));
    QVERIFY(byProgId.found);
    QCOMPARE(classIdText(byProgId.id), QStringLiteral("{D2CDDC34-2016-42EE-BAFD-4E7BA889AB31}"));
    QVERIFY(!ResolveClassId(QStringLiteral("Other.Class")).found);
}

void TestRegistryLookup::cutAtNul_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no nul") << "abc"
                            << "abc";
    QTest::newRow("trailing nul") << QString::fromUtf16(u"abc\0", 4) << "abc";
    QTest::newRow("nul inside") << QString::fromUtf16(u"ab\0c\0", 5) << "ab";
    QTest::newRow("nul first") << QString::fromUtf16(u"\0abc", 4) << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestRegistryLookup::cutAtNul() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(CutAtNul(text), expected);
}

void TestRegistryLookup::readRegistryStringFallsBackByWhatIsMissing() {
    test::TempHome home(test::TempHome::Unregistered);
    const RegistryStore store;
    const QString key = QStringLiteral("Software\\CLASSES\\KovaShell.KovaClass\\Clsid");
    const auto read = [&] {
        return ReadRegistryString(RegistryRoot::LocalMachine, key, QString(), QStringLiteral("0"));
    };
    QCOMPARE(read(), QStringLiteral("0"));
    const auto created = store.createKey(RegistryRoot::LocalMachine, key);
    QCOMPARE(read(), QString());
    created->setStringValue(QString(), QString::fromUtf16(u"{id}\0junk", 9));
    QCOMPARE(read(), QStringLiteral("{id}"));
    created->setStringValue(QStringLiteral("other"), QStringLiteral("x"));
    QCOMPARE(ReadRegistryString(RegistryRoot::LocalMachine, key, QStringLiteral("OTHER"),
                                QStringLiteral("0")),
             QStringLiteral("x"));
}

QTEST_GUILESS_MAIN(TestRegistryLookup)
#include "test_registry_lookup.moc"
