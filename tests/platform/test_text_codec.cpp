#include "base/text_codec.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

using namespace kova;

namespace {
const QByteArray kBom("\xEF\xBB\xBF");
const QChar kReplacement(0xFFFD);

bool isUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringConverter::Utf8);
    const QString text = decoder.decode(bytes);
    return text.toUtf8() == bytes && !decoder.hasError();
}

// Random text CP932 holds: byte pieces from the regions of its table, decoded.
// With `utf8Shaped` only ASCII and kanji-plus-half-width-kana pieces whose three
// bytes also form one UTF-8 character are used.
QString randomCp932Text(QRandomGenerator& rng, bool utf8Shaped) {
    using Ranges = QList<std::pair<int, int>>;
    static const QList<Ranges> kPieces = {
        {{0x20, 0x7E}},                             // ASCII
        {{0x0D, 0x0D}, {0x0A, 0x0A}},               // CR LF
        {{0xE1, 0xEA}, {0x80, 0xBF}, {0xA1, 0xBF}}, // UTF-8-shaped
        {{0xA1, 0xDF}},                             // half-width katakana
        {{0x82, 0x83}, {0x40, 0xFC}},               // hiragana, katakana
        {{0x88, 0x98}, {0x40, 0xFC}},               // level-1 kanji
        {{0x98, 0xEA}, {0x40, 0xFC}},               // level-2 kanji
        {{0x87, 0x87}, {0x40, 0x9C}},               // NEC row 13
        {{0xED, 0xEE}, {0x40, 0xFC}},               // NEC-selected IBM extensions
        {{0xFA, 0xFC}, {0x40, 0xFC}},               // IBM extensions
    };
    QByteArray bytes;
    for (int n = rng.bounded(1, 16); n > 0; --n) {
        QByteArray piece;
        for (const auto& [lo, hi] : kPieces.at(rng.bounded(utf8Shaped ? 3 : int(kPieces.size()))))
            piece += char(rng.bounded(lo, hi + 1));
        // Codes the table leaves unassigned are no text.
        if (!fromShiftJis(piece).contains(kReplacement))
            bytes += piece;
    }
    return fromShiftJis(bytes);
}
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
        // Characters glibc writes as bytes that read back as something else.
        QTest::newRow("overline") << QStringLiteral("\u203E");
        QTest::newRow("em dash") << QStringLiteral("a\u2014b");
        QTest::newRow("tag character") << QStringLiteral("a\U000E0001b");
        QTest::newRow("replacement character") << QStringLiteral("\uFFFD");
        // Only the file's own BOM is one; the text's first character stays.
        QTest::newRow("text beginning with U+FEFF") << QStringLiteral("\uFEFF付箋");
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
        QTest::addColumn<bool>("utf8");
        QTest::newRow("empty") << QByteArray() << QString() << false;
        QTest::newRow("ascii") << QByteArray("[a1]\r\nb7=True\r\n") << "[a1]\r\nb7=True\r\n"
                               << false;
        QTest::newRow("shift-jis") << QByteArray("\x95\x74\xE2\xB3\x8E\x86") << "付箋紙" << false;
        QTest::newRow("shift-jis half-width") << QByteArray("\xB6\xC5") << "ｶﾅ" << false;
        QTest::newRow("IBM extension") << QByteArray("\xFB\xFC") << "髙" << false;
        QTest::newRow("NEC-selected IBM extension") << QByteArray("\xEE\xE0") << "髙" << false;
        QTest::newRow("utf-8 with BOM") << kBom + QByteArray("付箋紙") << "付箋紙" << true;
        QTest::newRow("BOM only") << kBom << QString() << true;
        // Shift-JIS that is valid UTF-8 as well stays Shift-JIS.
        QTest::newRow("half-width pair") << QByteArray("\xC3\xBD") << "ﾃｽ" << false;
        QTest::newRow("kanji, kanji") << QByteArray("\xE4\xA9\x91\x52\r\n") << "茫然\r\n" << false;
        // A file saved by a UTF-8 editor that CP932 cannot read: read as UTF-8,
        // so a later write keeps its text.
        QTest::newRow("utf-8 without BOM")
            << QByteArray("[Fusen]\r\nFontName=ゴシック\r\n") << "[Fusen]\r\nFontName=ゴシック\r\n"
            << true;
    }
    void fileTextDecodingRecognisesItsEncoding() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(bool, utf8);
        bool wasUtf8 = !utf8;
        QCOMPARE(decodeFileText(bytes, &wasUtf8), text);
        QCOMPARE(wasUtf8, utf8);
        // A UTF-8 file without BOM is one that CP932 rejects.
        if (utf8 && !bytes.startsWith(kBom))
            QVERIFY(fromShiftJis(bytes).contains(kReplacement));
    }

    void everyCp932TextReadsBackAsWritten() {
        // Texts once misread, then random ones.
        QStringList texts{"茫然\r\n", "苺。", "罠！", "筍。", "遙ｶ 2024", "爛ｱ"};
        QRandomGenerator rng(932);
        for (int i = 0; i < 4000; ++i)
            texts << randomCp932Text(rng, i % 3 == 0);
        int misreadAsUtf8 = 0;
        for (const QString& text : texts) {
            bool ok = false;
            const QByteArray bytes = toShiftJis(text, &ok);
            QVERIFY2(ok, qPrintable(text));
            QCOMPARE(encodeFileText(text), bytes);
            bool utf8 = true;
            QCOMPARE(decodeFileText(bytes, &utf8), text);
            QVERIFY(!utf8);
            misreadAsUtf8 += isUtf8(bytes) && QString::fromUtf8(bytes) != text ? 1 : 0;
        }
        // The property must meet the files a UTF-8 guess would misread.
        QVERIFY(misreadAsUtf8 > 500);
    }

    void controlAndStrayBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("writesBack"); // text encodes to the same bytes
        for (const char c : {'\x1A', '\x1C', '\x7F', '\x00', '\x1F'})
            QTest::newRow(QByteArray(1, c).toHex().constData())
                << QByteArray(1, c) << QString(QChar(uchar(c))) << true;
        for (const char c : {'\x80', '\xA0', '\xFD', '\xFE', '\xFF'})
            QTest::newRow(QByteArray(1, c).toHex().constData())
                << QByteArray(1, c) << QString(kReplacement) << false;
        QTest::newRow("decoding goes on")
            << QByteArray("a\x80\x82\xA0\xFFz") << "a\uFFFDあ\uFFFDz" << false;
        QTest::newRow("bad trail byte") << QByteArray("\x82\x0Ax") << "\uFFFD\nx" << false;
        QTest::newRow("lone lead byte at the end") << QByteArray("ab\x82") << "ab\uFFFD" << false;
        QTest::newRow("user-defined area")
            << QByteArray("\xF0\x40\xF9\xFC") << "\uE000\uE757" << true;
    }
    void controlAndStrayBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(bool, writesBack);
        QCOMPARE(fromShiftJis(bytes), text);
        QCOMPARE(decodeFileText(bytes), text);
        bool ok = !writesBack;
        const QByteArray back = toShiftJis(text, &ok);
        QCOMPARE(ok, writesBack);
        if (writesBack)
            QCOMPARE(back, bytes);
    }
};

QTEST_GUILESS_MAIN(TestTextCodec)
#include "test_text_codec.moc"
