// The real message boxes under the offscreen platform.

#include "platform/seam.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace kova;
using namespace Qt::StringLiterals;

namespace {

QList<QMessageBox*> openBoxes() {
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible())
            boxes << box;
    }
    return boxes;
}

} // namespace

class TestMessageBoxes : public QObject {
    Q_OBJECT
private slots:
    // Two accounts' boxes with the same text, one opened while the other is:
    // both can be seen, and one nobody asked for leaves the keyboard alone.
    void boxesOfTwoSlotsOpenApart() {
        QList<QRect> seen;
        QList<bool> quiet;
        QTimer::singleShot(0, [&] {
            QTRY_COMPARE(openBoxes().size(), 1);
            QTimer::singleShot(0, [&] {
                QTRY_COMPARE(openBoxes().size(), 2);
                for (QMessageBox* box : openBoxes()) {
                    seen << box->frameGeometry();
                    quiet << box->testAttribute(Qt::WA_ShowWithoutActivating);
                }
                for (QMessageBox* box : openBoxes())
                    box->accept();
            });
            Platform::instance().notice(u"[2] パスワードが正しくありません。"_s, 1, false);
        });
        Platform::instance().notice(u"[2] パスワードが正しくありません。"_s, 0, true);
        QCOMPARE(seen.size(), 2);
        QVERIFY(seen[0].topLeft() != seen[1].topLeft());
        QVERIFY(!seen[0].contains(seen[1]) || seen[0].size() != seen[1].size());
        QCOMPARE(quiet.count(true), 1);
    }
};

QTEST_MAIN(TestMessageBoxes)
#include "test_message_boxes.moc"
