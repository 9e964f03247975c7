#include "platform/single_instance.h"

#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using kova::SingleInstance;

namespace {

const QString kName = QStringLiteral("KovaShell.lock");

// A lock file as QLockFile writes it, for process `pid` of program `app`.
void writeLockFile(const QString& path, qint64 pid, const QString& app) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::number(pid) + '\n' + app.toUtf8() + '\n' +
            QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n' +
            QSysInfo::bootUniqueId() + '\n');
}

QByteArray firstLine(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readLine().trimmed() : QByteArray();
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
        // The refused copy must not have removed the first one's lock.
        QVERIFY(QFile::exists(dir.filePath(kName)));
        first.reset();
        QVERIFY(!QFile::exists(dir.filePath(kName)));
        SingleInstance third(dir.path(), kName);
        QVERIFY(third.acquired());
    }

    void copiesOnDifferentFoldersRunSideBySide() {
        QTemporaryDir a;
        QTemporaryDir b;
        SingleInstance first(a.path(), kName);
        SingleInstance second(b.path(), kName);
        QVERIFY(first.acquired());
        QVERIFY(second.acquired());
    }

    void staleLockOfADeadProcessIsTakenOver() {
        QTemporaryDir dir;
        // Beyond the kernel's largest process number: this process cannot exist.
        writeLockFile(dir.filePath(kName), 999999999, QCoreApplication::applicationName());
        SingleInstance instance(dir.path(), kName);
        QVERIFY(instance.acquired());
        QCOMPARE(firstLine(dir.filePath(kName)),
                 QByteArray::number(QCoreApplication::applicationPid()));
    }

    void lockOfAnotherLiveProcessIsRespected() {
        QTemporaryDir dir;
        QProcess sleeper;
        sleeper.start(QStringLiteral("sleep"), {QStringLiteral("600")});
        QVERIFY(sleeper.waitForStarted());
        const auto stop = qScopeGuard([&] {
            sleeper.kill();
            sleeper.waitForFinished();
        });
        writeLockFile(dir.filePath(kName), sleeper.processId(), QStringLiteral("sleep"));
        SingleInstance instance(dir.path(), kName);
        QVERIFY(!instance.acquired());

        // The same number now belonging to another program is a leftover.
        writeLockFile(dir.filePath(kName), sleeper.processId(), QStringLiteral("KovaShell"));
        SingleInstance again(dir.path(), kName);
        QVERIFY(again.acquired());
    }

    void folderThatCannotHoldALockStillAllowsOneCopy() {
        QTemporaryDir runtime;
        QTemporaryDir dir;
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const auto restore = qScopeGuard([&] { qputenv("XDG_RUNTIME_DIR", savedRuntime); });
        // A file where the folder should be: no lock can be made in it.
        QFile blocker(dir.filePath("media"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
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
