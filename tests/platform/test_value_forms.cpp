#include "base/twips_and_numbers.h"
#include "platform/colors.h"

#include <QGuiApplication>
#include <QPalette>
#include <QTest>

#include <limits>

using namespace kova;

class TestValueForms : public QObject {
    Q_OBJECT
private slots:
    void colourTextReadsInBlueGreenRedOrder_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("black") << "&H0" << QColor(0, 0, 0);
        QTest::newRow("white") << "&HFFFFFF" << QColor(255, 255, 255);
        QTest::newRow("red") << "&HFF" << QColor(255, 0, 0);
        QTest::newRow("green") << "&HFF00" << QColor(0, 255, 0);
        QTest::newRow("blue") << "&HFF0000" << QColor(0, 0, 255);
        QTest::newRow("note yellow") << "&H80FFFF" << QColor(255, 255, 128);
        QTest::newRow("lower case") << "&hc0c0ff" << QColor(255, 192, 192);
        QTest::newRow("trailing long marker") << "&HFF&" << QColor(255, 0, 0);
        QTest::newRow("decimal") << "255" << QColor(255, 0, 0);
    }
    void colourTextReadsInBlueGreenRedOrder() {
        QFETCH(QString, text);
        QFETCH(QColor, colour);
        bool ok = false;
        QCOMPARE(colorFromText(text, &ok), colour);
        QVERIFY(ok);
    }

    void colourIsWrittenUpperCaseWithoutLeadingZeros_data() {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("text");
        QTest::newRow("black") << QColor(0, 0, 0) << "&H0";
        QTest::newRow("white") << QColor(255, 255, 255) << "&HFFFFFF";
        QTest::newRow("red") << QColor(255, 0, 0) << "&HFF";
        QTest::newRow("dark blue") << QColor(0, 0, 10) << "&HA0000";
        QTest::newRow("mixed") << QColor(0xAB, 0x0C, 0x01) << "&H10CAB";
    }
    void colourIsWrittenUpperCaseWithoutLeadingZeros() {
        QFETCH(QColor, colour);
        QFETCH(QString, text);
        QCOMPARE(colorToText(colour), text);
        QCOMPARE(colorFromText(text), colour);
    }

    void systemColoursComeFromThePalette() {
        const QPalette palette = QGuiApplication::palette();
        QCOMPARE(colorFromText("&H8000000D"), palette.color(QPalette::Highlight));
        QCOMPARE(colorFromText("&H8000000F"), palette.color(QPalette::Button));
    }

    void unreadableColourTextIsReported_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("word") << "white";
        QTest::newRow("bad digits") << "&HXYZ";
    }
    void unreadableColourTextIsReported() {
        QFETCH(QString, text);
        bool ok = true;
        colorFromText(text, &ok);
        QVERIFY(!ok);
    }

    void leadingNumberTakesTheDigitsAtTheStart_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<long long>("number");
        QTest::newRow("plain") << "3" << 3LL;
        QTest::newRow("digits then text") << "12abc" << 12LL;
        QTest::newRow("empty") << "" << 0LL;
        QTest::newRow("text") << "abc" << 0LL;
        QTest::newRow("text then digits") << "a12" << 0LL;
        QTest::newRow("leading blank") << " 7" << 7LL;
        QTest::newRow("negative") << "-4x" << -4LL;
        QTest::newRow("fraction cut") << "2.9" << 2LL;
    }
    void leadingNumberTakesTheDigitsAtTheStart() {
        QFETCH(QString, text);
        QFETCH(long long, number);
        QCOMPARE(leadingNumber(text), number);
    }

    void hugeLeadingNumberStaysLargeAndPositive() {
        const long long n = leadingNumber(QStringLiteral("9").repeated(40));
        QVERIFY(n >= 100000000000000LL);
        QVERIFY(n + 1 > n);
    }

    void twipsConvertAtFifteenPerPixel_data() {
        QTest::addColumn<double>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("zero") << 0.0 << 0;
        QTest::newRow("one pixel") << 15.0 << 1;
        QTest::newRow("position") << 1530.0 << 102;
        QTest::newRow("rounds down") << 7.0 << 0;
        QTest::newRow("rounds up") << 8.0 << 1;
        QTest::newRow("negative") << -1530.0 << -102;
        QTest::newRow("negative rounds away") << -8.0 << -1;
    }
    void twipsConvertAtFifteenPerPixel() {
        QFETCH(double, twips);
        QFETCH(int, pixels);
        QCOMPARE(twipsToPixels(twips), pixels);
        QCOMPARE(twipsToPixels(pixelsToTwips(pixels)), pixels);
    }

    void damagedPositionsDoNotOverflow_data() {
        QTest::addColumn<double>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("huge") << 1e30 << std::numeric_limits<int>::max();
        QTest::newRow("huge negative") << -1e30 << std::numeric_limits<int>::min();
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity()
                                  << std::numeric_limits<int>::max();
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0;
    }
    void damagedPositionsDoNotOverflow() {
        QFETCH(double, twips);
        QFETCH(int, pixels);
        QCOMPARE(twipsToPixels(twips), pixels);
    }

    void numbersAreWrittenPlain_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("twips") << 1530.0 << "1530";
        QTest::newRow("negative") << -45.0 << "-45";
        QTest::newRow("fraction") << 1.5 << "1.5";
    }
    void numbersAreWrittenPlain() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(numberText(value), text);
    }
};

QTEST_MAIN(TestValueForms)
#include "test_value_forms.moc"
