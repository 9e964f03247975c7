#include "note_fixtures.h"
#include "notes/note_store.h"
#include "support/temp_home.h"

#include <QFile>
#include <QTest>

using namespace kova;
using namespace kova::test;

class TestNoteStore : public QObject {
    Q_OBJECT
private slots:
    void newNoteTakesLowestFreeNumber();
    void noFreeNumberWhenAll101AreUsed();
    void numbersOutsideTheRangeAreNeverWritten();
    void defaultNoteIsWrittenByteExact();
    void fieldLinesParse_data();
    void fieldLinesParse();
    void quotesInValuesSurviveARoundTrip();
    void textReadDropsOnlyTheWritersFinalLineBreak_data();
    void textReadDropsOnlyTheWritersFinalLineBreak();
    void textIsWrittenWithCrLfAndOneTrailingBreak();
    void textOutsideShiftJisIsKeptAsUtf8();
    void invalidShiftJisTextStillReads();
    void changingOneFieldLeavesTheRestAndTheText_data();
    void changingOneFieldLeavesTheRestAndTheText();
    void removingDeletesBothFiles();
};

void TestNoteStore::newNoteTakesLowestFreeNumber() {
    TempHome home;
    for (int n : {0, 1, 3})
        storeNote(home, n, noteFields(0, 0));
    QCOMPARE(FindFreeNoteNumber(), 2);
    storeNote(home, 2, noteFields(0, 0));
    QCOMPARE(FindFreeNoteNumber(), 4);
    // A text file alone does not hold a number.
    home.write(QStringLiteral("KovaShell4.log"), "x\r\n");
    QCOMPARE(FindFreeNoteNumber(), 4);
}

void TestNoteStore::noFreeNumberWhenAll101AreUsed() {
    TempHome home;
    for (int n = 0; n <= 100; ++n)
        home.write(QStringLiteral("KovaShell%1.hsn").arg(n), "\"\"\r\n");
    QCOMPARE(FindFreeNoteNumber(), kNoFreeNoteNumber);
    QFile::remove(home.file(QStringLiteral("KovaShell57.hsn")));
    QCOMPARE(FindFreeNoteNumber(), 57);
}

void TestNoteStore::numbersOutsideTheRangeAreNeverWritten() {
    TempHome home;
    QVERIFY(!WriteNoteFields(101, noteFields(0, 0)));
    QVERIFY(!WriteNoteText(101, QStringLiteral("x")));
    QVERIFY(!WriteNoteFields(-1, noteFields(0, 0)));
    QVERIFY(!QFile::exists(home.file(QStringLiteral("KovaShell101.hsn"))));
    QVERIFY(!QFile::exists(home.file(QStringLiteral("KovaShell101.log"))));
}

void TestNoteStore::defaultNoteIsWrittenByteExact() {
    TempHome home;
    QVERIFY(WriteNoteFields(0, noteFields(2310, 4035)));
    const QByteArray expected = "\"" + kMsPGothicSjis +
                                "\"\r\n\"9\"\r\n\"False\"\r\n\"False\"\r\n\"&HFFFFFF\"\r\n"
                                "\"&H0\"\r\n\"True\"\r\n\"2310\"\r\n\"4035\"\r\n"
                                "\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"False\"\r\n";
    QCOMPARE(home.read(QStringLiteral("KovaShell0.hsn")), expected);
}

void TestNoteStore::fieldLinesParse_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("comma belongs to the value")
        << QByteArray("\"a,b\"\r\n\"\"\r\n") << QStringList{"a,b", ""};
    QTest::newRow("no final line break") << QByteArray("\"1\"\r\n\"2\"") << QStringList{"1", "2"};
    QTest::newRow("LF only") << QByteArray("\"1\"\n\"2\"\n") << QStringList{"1", "2"};
    QTest::newRow("CR only") << QByteArray("\"1\"\r\"2\"\r") << QStringList{"1", "2"};
    QTest::newRow("mixed line ends")
        << QByteArray("\"1\"\r\"2\"\n\"3\"\r\n\"4\"") << QStringList{"1", "2", "3", "4"};
    QTest::newRow("unquoted damaged line")
        << QByteArray("abc\r\n\"x\r\n") << QStringList{"abc", "x"};
    QTest::newRow("Shift-JIS value") << QByteArray("\"" + kMsPGothicSjis + "\"\r\n")
                                     << QStringList{QStringLiteral("ＭＳ Ｐゴシック")};
    // These bytes are valid UTF-8 too; they still read as Shift-JIS.
    QTest::newRow("Shift-JIS value that is also UTF-8")
        << QByteArray("\"\xEA\xA1\xB6 2024\"\r\n") << QStringList{QStringLiteral("遙ｶ 2024")};
    const QByteArray longValue(5000, 'A');
    QTest::newRow("5000-byte line") << QByteArray("\"" + longValue + "\"\r\n\"9\"\r\n")
                                    << QStringList{QString::fromLatin1(longValue), "9"};
}

void TestNoteStore::fieldLinesParse() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, values);
    QCOMPARE(parseNoteFields(bytes), values);
    QCOMPARE(parseNoteFields(formatNoteFields(values)), values);
}

void TestNoteStore::quotesInValuesSurviveARoundTrip() {
    TempHome home;
    QStringList fields = noteFields(15, 30);
    fields[FieldFontName] = QStringLiteral("My \"Quoted\" Font");
    QVERIFY(WriteNoteFields(7, fields));
    QStringList back;
    QVERIFY(ReadNoteFields(7, &back));
    QCOMPARE(back, fields);
    QCOMPARE(back.size(), kNoteFieldCount);
}

void TestNoteStore::textReadDropsOnlyTheWritersFinalLineBreak_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("written text") << QByteArray("abc\r\n") << QStringLiteral("abc");
    QTest::newRow("text ending in a blank line")
        << QByteArray("abc\r\n\r\n") << QStringLiteral("abc\r\n");
    QTest::newRow("no final break") << QByteArray("abc") << QStringLiteral("abc");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("commas, quotes, lines")
        << QByteArray("a,\"b\"\r\nc\r\n") << QStringLiteral("a,\"b\"\r\nc");
}

void TestNoteStore::textReadDropsOnlyTheWritersFinalLineBreak() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    TempHome home;
    home.write(QStringLiteral("KovaShell2.log"), bytes);
    QString read = QStringLiteral("stale");
    QVERIFY(ReadNoteText(2, &read));
    QCOMPARE(read, text);
}

void TestNoteStore::textIsWrittenWithCrLfAndOneTrailingBreak() {
    TempHome home;
    QVERIFY(WriteNoteText(0, QStringLiteral("買い物\n牛乳")));
    QCOMPARE(home.read(QStringLiteral("KovaShell0.log")),
             toShiftJis(QStringLiteral("買い物")) + "\r\n" + toShiftJis(QStringLiteral("牛乳")) +
                 "\r\n");
    // Edited and posted again: the text does not grow.
    QString text;
    QVERIFY(ReadNoteText(0, &text));
    QVERIFY(WriteNoteText(0, text));
    QVERIFY(ReadNoteText(0, &text));
    QCOMPARE(text, QStringLiteral("買い物\r\n牛乳"));
}

void TestNoteStore::textOutsideShiftJisIsKeptAsUtf8() {
    TempHome home;
    const QString text = QStringLiteral("emoji 😀 and ü");
    QVERIFY(WriteNoteText(1, text));
    QVERIFY(home.read(QStringLiteral("KovaShell1.log")).startsWith("\xEF\xBB\xBF"));
    QString back;
    QVERIFY(ReadNoteText(1, &back));
    QCOMPARE(back, text);
}

void TestNoteStore::invalidShiftJisTextStillReads() {
    TempHome home;
    home.write(QStringLiteral("KovaShell1.log"), QByteArray("ok\x81\xFF\xA0\x82", 6));
    QString back;
    QVERIFY(ReadNoteText(1, &back));
    QVERIFY(back.startsWith(QStringLiteral("ok")));
    // The bad bytes stand as replacement characters; nothing after them is lost.
    QVERIFY(back.size() > 2);
}

void TestNoteStore::changingOneFieldLeavesTheRestAndTheText_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("value");
    QTest::newRow("hide") << 15 << 6 << "False";
    QTest::newRow("top-most on a 15-line file") << 15 << 14 << "True";
    QTest::newRow("top-most on a 14-line file") << 14 << 14 << "True";
    QTest::newRow("back-most on a 14-line file") << 14 << 14 << "0";
}

void TestNoteStore::changingOneFieldLeavesTheRestAndTheText() {
    QFETCH(int, lines);
    QFETCH(int, index);
    QFETCH(QString, value);
    TempHome home;
    const QStringList stored = noteFields(300, 600).mid(0, lines);
    storeNote(home, 4, stored, QStringLiteral("本文"));
    const QByteArray text = home.read(QStringLiteral("KovaShell4.log"));

    QVERIFY(changeNoteField(4, index, value, QStringLiteral("False")));

    QStringList expected = stored;
    if (expected.size() == index)
        expected << value;
    else
        expected[index] = value;
    QCOMPARE(home.read(QStringLiteral("KovaShell4.hsn")), fieldFile(expected));
    QCOMPARE(home.read(QStringLiteral("KovaShell4.log")), text);
}

void TestNoteStore::removingDeletesBothFiles() {
    TempHome home;
    storeNote(home, 9, noteFields(0, 0));
    removeNoteFiles(9);
    QVERIFY(!QFile::exists(home.file(QStringLiteral("KovaShell9.hsn"))));
    QVERIFY(!QFile::exists(home.file(QStringLiteral("KovaShell9.log"))));
    removeNoteFiles(9); // already gone: no error
    QCOMPARE(FindFreeNoteNumber(), 0);
}

QTEST_GUILESS_MAIN(TestNoteStore)
#include "test_note_store.moc"
