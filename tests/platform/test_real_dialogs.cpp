#include "platform/seam.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace kova;
using Ask = std::function<bool(RealPlatform&, QWidget*)>;
Q_DECLARE_METATYPE(Ask)

class TestRealDialogs : public QObject {
    Q_OBJECT
private slots:
    // The window that owns a dialog can go while the dialog runs (a screen
    // reader pressing its "OK"): the dialog goes with it and counts as cancelled.
    void dialogWhoseWindowGoesWhileItIsOpenIsCancelled_data() {
        QTest::addColumn<Ask>("ask");
        QTest::newRow("font") << Ask(
            [](RealPlatform& p, QWidget* w) { return p.chooseFont(QFont(), w).has_value(); });
        QTest::newRow("colour") << Ask(
            [](RealPlatform& p, QWidget* w) { return p.chooseColor(Qt::red, w).has_value(); });
        QTest::newRow("file") << Ask([](RealPlatform& p, QWidget* w) {
            return p.chooseFile(QStringLiteral("file"), {QStringLiteral("all (*)")}, w).has_value();
        });
        QTest::newRow("folder") << Ask([](RealPlatform& p, QWidget* w) {
            return p.chooseFolder(QStringLiteral("folder"), QStringLiteral("/"), w).has_value();
        });
    }
    void dialogWhoseWindowGoesWhileItIsOpenIsCancelled() {
        QFETCH(Ask, ask);
        RealPlatform platform;
        QPointer<QWidget> window = new QWidget;
        window->show();
        QTimer::singleShot(50, window, [&window] { delete window.data(); });
        QVERIFY(!ask(platform, window));
        QVERIFY(window.isNull());
    }
};

QTEST_MAIN(TestRealDialogs)
#include "test_real_dialogs.moc"
