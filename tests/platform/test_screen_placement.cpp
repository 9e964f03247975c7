#include "platform/screen_placement.h"

#include <QTest>

using kova::keepReachable;
using kova::keepWhollyOnScreen;

namespace {
const QRect kLeft(0, 0, 1920, 1080);
const QRect kRight(1920, 0, 1280, 1024);
const QRect kAbove(0, -768, 1024, 768); // a monitor with a negative origin
} // namespace

class TestScreenPlacement : public QObject {
    Q_OBJECT
private slots:
    void placement_data() {
        QTest::addColumn<QList<QRect>>("areas");
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("reachable");
        QTest::addColumn<QRect>("whole");
        const QList<QRect> one{kLeft};
        const QList<QRect> two{kLeft, kRight};
        QTest::newRow("inside stays") << one << QRect(100, 100, 300, 200)
                                      << QRect(100, 100, 300, 200) << QRect(100, 100, 300, 200);
        QTest::newRow("title bar above the screen")
            << one << QRect(-1, -20, 400, 300) << QRect(-1, -20, 400, 300) << QRect(0, 0, 400, 300);
        QTest::newRow("half off the right edge")
            << one << QRect(1800, 500, 300, 200) << QRect(1800, 500, 300, 200)
            << QRect(1620, 500, 300, 200);
        QTest::newRow("off every screen, far right")
            << one << QRect(5000, 500, 300, 200) << QRect(1620, 500, 300, 200)
            << QRect(1620, 500, 300, 200);
        QTest::newRow("larger than the screen keeps its corner on it")
            << one << QRect(-50, -50, 3000, 2000) << QRect(-50, -50, 3000, 2000)
            << QRect(0, 0, 3000, 2000);
        QTest::newRow("across two screens goes to the one it covers most")
            << two << QRect(1800, 100, 400, 300) << QRect(1800, 100, 400, 300)
            << QRect(1920, 100, 400, 300);
        QTest::newRow("below the shorter right screen: onto the nearer one")
            << two << QRect(2000, 1050, 200, 100) << QRect(2000, 924, 200, 100)
            << QRect(2000, 924, 200, 100);
        QTest::newRow("screen removed: onto the one left")
            << one << QRect(2500, 300, 200, 100) << QRect(1720, 300, 200, 100)
            << QRect(1720, 300, 200, 100);
        QTest::newRow("negative origin screen")
            << QList<QRect>{kLeft, kAbove} << QRect(200, -700, 300, 200)
            << QRect(200, -700, 300, 200) << QRect(200, -700, 300, 200);
        QTest::newRow("above the negative origin screen")
            << QList<QRect>{kLeft, kAbove} << QRect(200, -1200, 300, 200)
            << QRect(200, -768, 300, 200) << QRect(200, -768, 300, 200);
        QTest::newRow("no screens leaves it")
            << QList<QRect>{} << QRect(-9, -9, 5, 5) << QRect(-9, -9, 5, 5) << QRect(-9, -9, 5, 5);
    }
    void placement() {
        QFETCH(QList<QRect>, areas);
        QFETCH(QRect, frame);
        QFETCH(QRect, reachable);
        QFETCH(QRect, whole);
        QCOMPARE(keepReachable(frame, areas), reachable);
        QCOMPARE(keepWhollyOnScreen(frame, areas), whole);
    }
};

QTEST_GUILESS_MAIN(TestScreenPlacement)
#include "test_screen_placement.moc"
