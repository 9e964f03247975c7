#include "platform/seam.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace kova;

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// The registration tool is started and waited for through this call.
class TestStartAndWait : public QObject {
    Q_OBJECT
private slots:
    void returnsAfterTheProgramHasEnded();
    void eventsAreHandledWhileWaiting();
    void programOutlivingTheWaitIsNotKilled();
    void programThatCannotStartIsReported();
};

void TestStartAndWait::returnsAfterTheProgramHasEnded() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out"));
    RealPlatform platform;
    QVERIFY(platform.startAndWait(QStringLiteral("/bin/sh"),
                                  {QStringLiteral("-c"),
                                   QStringLiteral("sleep 0.3; echo done > \"$1\""),
                                   QStringLiteral("sh"), file},
                                  600000));
    QCOMPARE(readFile(file), QByteArray("done\n"));
}

void TestStartAndWait::eventsAreHandledWhileWaiting() {
    RealPlatform platform;
    bool handled = false;
    QTimer::singleShot(0, this, [&handled] { handled = true; });
    QVERIFY(platform.startAndWait(QStringLiteral("/bin/sh"),
                                  {QStringLiteral("-c"), QStringLiteral("sleep 0.5")}, 600000));
    QVERIFY(handled);
}

void TestStartAndWait::programOutlivingTheWaitIsNotKilled() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("late"));
    RealPlatform platform;
    QVERIFY(platform.startAndWait(QStringLiteral("/bin/sh"),
                                  {QStringLiteral("-c"),
                                   QStringLiteral("sleep 0.5; echo late > \"$1\""),
                                   QStringLiteral("sh"), file},
                                  1));
    QTRY_COMPARE_WITH_TIMEOUT(readFile(file), QByteArray("late\n"), 60000);
}

void TestStartAndWait::programThatCannotStartIsReported() {
    RealPlatform platform;
    QVERIFY(!platform.startAndWait(QStringLiteral("/nonexistent/kovashell-regsvr"),
                                   {QStringLiteral("/s")}, 1000));
}

QTEST_GUILESS_MAIN(TestStartAndWait)
#include "test_start_and_wait.moc"
