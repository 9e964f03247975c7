#include "platform/text_codec.h"

#include <QTest>

using namespace kova;

namespace {
const QByteArray kBom("\xEF\xBB\xBF");
} // namespace

class TestTextCodec : public QObject {
    Q_OBJECT
private slots:
    void cp932CharactersRoundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("fullwidth tilde") << QStringLiteral("\uFF5E") << QByteArray("\x81\x60");
        QTest::newRow("circled one") << QStringLiteral("①") << QByteArray("\x87\x40");
        QTest::newRow("roman numeral") << QStringLiteral("Ⅰ") << QByteArray("\x87\x54");
        QTest::newRow("half-width katakana") << QStringLiteral("ｱﾞ") << QByteArray("\xB1\xDE");
        QTest::newRow("fullwidth minus") << QStringLiteral("\uFF0D") << QByteArray("\x81\x7C");
        // Paths keep their backslash; the tilde stays a tilde.
        QTest::newRow("ascii") << QStringLiteral("C:\\Mail~1") << QByteArray("C:\\Mail~1");
        QTest::newRow("font name") << QStringLiteral("ＭＳ Ｐゴシック")
                                   << QByteArray("\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56"
                                                 "\x83\x62\x83\x4E");
    }
    void cp932CharactersRoundTrip() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        bool ok = false;
        QCOMPARE(toShiftJis(text, &ok), bytes);
        QVERIFY(ok);
        QCOMPARE(fromShiftJis(bytes), text);
        QCOMPARE(encodeFileText(text), bytes);
        QCOMPARE(decodeFileText(bytes), text);
    }

    void jisLookAlikesAreStoredInTheirCp932Form_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("wave dash")
            << QStringLiteral("\u301C") << QStringLiteral("\uFF5E") << QByteArray("\x81\x60");
        QTest::newRow("minus sign")
            << QStringLiteral("\u2212") << QStringLiteral("\uFF0D") << QByteArray("\x81\x7C");
        QTest::newRow("double vertical line")
            << QStringLiteral("\u2016") << QStringLiteral("\u2225") << QByteArray("\x81\x61");
        QTest::newRow("cent") << QStringLiteral("\u00A2") << QStringLiteral("\uFFE0")
                              << QByteArray("\x81\x91");
        QTest::newRow("pound") << QStringLiteral("\u00A3") << QStringLiteral("\uFFE1")
                               << QByteArray("\x81\x92");
        QTest::newRow("not sign") << QStringLiteral("\u00AC") << QStringLiteral("\uFFE2")
                                  << QByteArray("\x81\xCA");
        QTest::newRow("in a sentence")
            << QStringLiteral("9時\u301C17時") << QStringLiteral("9時～17時")
            << QByteArray("9\x8E\x9E\x81\x60"
                          "17\x8E\x9E");
    }
    void jisLookAlikesAreStoredInTheirCp932Form() {
        QFETCH(QString, input);
        QFETCH(QString, stored);
        QFETCH(QByteArray, bytes);
        QCOMPARE(mapJisLookAlikes(input), stored);
        bool ok = false;
        QCOMPARE(toShiftJis(input, &ok), bytes);
        QVERIFY(ok);
        QCOMPARE(encodeFileText(input), bytes);
        QCOMPARE(decodeFileText(bytes), stored);
    }

    void textCp932CannotHoldIsWrittenAsUtf8WithBom_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("emoji") << QStringLiteral("予定😀");
        QTest::newRow("yen sign") << QStringLiteral("\u00A5100");
        QTest::newRow("hangul") << QStringLiteral("메모");
        QTest::newRow("accented latin") << QStringLiteral("café");
        QTest::newRow("wave dash beside emoji") << QStringLiteral("9\u301C17😀");
    }
    void textCp932CannotHoldIsWrittenAsUtf8WithBom() {
        QFETCH(QString, text);
        bool ok = true;
        toShiftJis(text, &ok);
        QVERIFY(!ok);
        const QByteArray file = encodeFileText(text);
        QCOMPARE(file, kBom + text.toUtf8());
        QCOMPARE(decodeFileText(file), text);
    }

    void fileTextDecodingRecognisesItsEncoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("ascii") << QByteArray("[a1]\r\nb7=True\r\n") << "[a1]\r\nb7=True\r\n";
        QTest::newRow("shift-jis") << QByteArray("\x95\x74\xE2\xB3\x8E\x86") << "付箋紙";
        QTest::newRow("shift-jis half-width") << QByteArray("\xB6\xC5") << "ｶﾅ";
        QTest::newRow("IBM extension") << QByteArray("\xFB\xFC") << "髙";
        QTest::newRow("NEC-selected IBM extension") << QByteArray("\xEE\xE0") << "髙";
        QTest::newRow("utf-8 with BOM") << kBom + QByteArray("付箋紙") << "付箋紙";
        QTest::newRow("BOM only") << kBom << QString();
        // A file saved by a UTF-8 editor: read as UTF-8, so a later write keeps its text.
        // Half-width katakana pairs that happen to form two-byte UTF-8 stay Shift-JIS.
        QTest::newRow("shift-jis that is also utf-8") << QByteArray("\xC3\xBD") << "ﾃｽ";
        QTest::newRow("utf-8 without BOM")
            << QByteArray("[Fusen]\r\nFontName=ゴシック\r\n") << "[Fusen]\r\nFontName=ゴシック\r\n";
    }
    void fileTextDecodingRecognisesItsEncoding() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(decodeFileText(bytes), text);
    }
};

QTEST_GUILESS_MAIN(TestTextCodec)
#include "test_text_codec.moc"
