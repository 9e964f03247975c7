#include "base/single_instance.h"

#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using kova::SingleInstance;

namespace {

const QString kName = QStringLiteral("KovaShell.lock");

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray firstLine(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readLine().trimmed() : QByteArray();
}

// Another process that holds the lock on `path` until killed (one process, no
// forked child keeping it); returns once it holds it.
void holdLockInOtherProcess(QProcess* holder, const QString& path) {
    holder->start(QStringLiteral("flock"),
                  {QStringLiteral("--exclusive"), QStringLiteral("--nonblock"),
                   QStringLiteral("--no-fork"), path, QStringLiteral("-c"),
                   QStringLiteral("echo locked; exec sleep 600")});
    QVERIFY(holder->waitForStarted());
    QVERIFY(holder->waitForReadyRead(-1));
    QCOMPARE(holder->readAllStandardOutput(), QByteArray("locked\n"));
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void secondCopyOnTheSameFolderFailsWhileTheFirstLives() {
        QTemporaryDir dir;
        auto first = std::make_unique<SingleInstance>(dir.path(), kName);
        QVERIFY(first->acquired());
        QCOMPARE(firstLine(dir.filePath(kName)),
                 QByteArray::number(QCoreApplication::applicationPid()));
        {
            SingleInstance second(dir.path(), kName);
            QVERIFY(!second.acquired());
        }
        // The refused copy leaves the first one's lock as it was.
        SingleInstance third(dir.path(), kName);
        QVERIFY(!third.acquired());
        first.reset();
        SingleInstance fourth(dir.path(), kName);
        QVERIFY(fourth.acquired());
    }

    void copiesOnDifferentFoldersRunSideBySide() {
        QTemporaryDir a;
        QTemporaryDir b;
        SingleInstance first(a.path(), kName);
        SingleInstance second(b.path(), kName);
        QVERIFY(first.acquired());
        QVERIFY(second.acquired());
    }

    void leftoverLockFileIsTakenOver_data() {
        QTest::addColumn<QByteArray>("content");
        // As QLockFile writes it, for a process number beyond the kernel's largest.
        QTest::newRow("dead process") << QByteArray::number(999999999) + "\nKovaShell\n" +
                                             QSysInfo::machineHostName().toUtf8() + '\n' +
                                             QSysInfo::machineUniqueId() + '\n' +
                                             QSysInfo::bootUniqueId() + '\n';
        QTest::newRow("our own number from an earlier run")
            << QByteArray::number(QCoreApplication::applicationPid()) + '\n';
        // A crash between creating and writing the file.
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("garbage") << QByteArray("\x01\x02not a lock\n");
    }
    void leftoverLockFileIsTakenOver() {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        writeFile(dir.filePath(kName), content);
        SingleInstance instance(dir.path(), kName);
        QVERIFY(instance.acquired());
        QCOMPARE(firstLine(dir.filePath(kName)),
                 QByteArray::number(QCoreApplication::applicationPid()));
    }

    void lockHeldByAnotherProcessIsRespectedUntilItEnds() {
        QTemporaryDir dir;
        QProcess holder;
        const auto stop = qScopeGuard([&] {
            holder.kill();
            holder.waitForFinished();
        });
        holdLockInOtherProcess(&holder, dir.filePath(kName));
        {
            SingleInstance refused(dir.path(), kName);
            QVERIFY(!refused.acquired());
        }
        // Killed without any clean-up: the lock goes with the process.
        holder.kill();
        QVERIFY(holder.waitForFinished());
        SingleInstance instance(dir.path(), kName);
        QVERIFY(instance.acquired());
    }

    void programsStartedMeanwhileDoNotKeepTheLock() {
        QTemporaryDir dir;
        auto first = std::make_unique<SingleInstance>(dir.path(), kName);
        QVERIFY(first->acquired());
        // A launcher entry or mail program started while running outlives the program.
        QProcess child;
        child.start(QStringLiteral("sleep"), {QStringLiteral("600")});
        QVERIFY(child.waitForStarted());
        const auto stop = qScopeGuard([&] {
            child.kill();
            child.waitForFinished();
        });
        first.reset();
        SingleInstance next(dir.path(), kName);
        QVERIFY(next.acquired());
    }

    void folderThatCannotHoldALockStillAllowsOneCopy() {
        QTemporaryDir runtime;
        QTemporaryDir dir;
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const auto restore = qScopeGuard([&] { qputenv("XDG_RUNTIME_DIR", savedRuntime); });
        // A file where the folder should be: no lock can be made in it.
        writeFile(dir.filePath("media"), "x");
        const QString folder = dir.filePath("media");

        SingleInstance first(folder, kName);
        QVERIFY(first.acquired());
        QCOMPARE(first.lockPath(), SingleInstance::fallbackLockPath(folder, kName));
        QVERIFY(first.lockPath().startsWith(runtime.path()));
        SingleInstance second(folder + "/", kName);
        QVERIFY(!second.acquired());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
