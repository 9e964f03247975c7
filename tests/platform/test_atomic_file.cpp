#include "base/atomic_file.h"
#include "support/file_size_limit.h"
#include "support/skip.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using kova::test::FileSizeLimit;

namespace {

constexpr rlim_t kLimit = 4096;

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& bytes, mode_t mode = 0600) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
    f.close();
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode) == 0);
}

int fileMode(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

// Runs a command; its output when it fails, a null string when it works.
QString failureOf(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForStarted())
        return program + QStringLiteral(" is not installed");
    p.waitForFinished(-1);
    if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return {};
    return QString::fromLocal8Bit(p.readAll()).trimmed();
}

QStringList everything(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

} // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT
private slots:
    void writeThatCannotGrowTheFileKeepsTheOldBytes_data() {
        QTest::addColumn<int>("size");
        // Small writes sit in Qt's buffer; their failure shows only at the end.
        QTest::newRow("fits the write buffer") << 8 * 1024;
        QTest::newRow("larger than the write buffer") << 64 * 1024;
    }
    void writeThatCannotGrowTheFileKeepsTheOldBytes() {
        QFETCH(int, size);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("KovaShell.ini"));
        const QByteArray old("[desktop]\r\nclick=1\r\n");
        put(path, old);
        bool written = true;
        {
            FileSizeLimit limit(kLimit);
            QVERIFY(limit.active());
            written = kova::writeFileAtomically(path, QByteArray(size, 'x'));
        }
        QVERIFY(!written);
        QCOMPARE(contentOf(path), old);
        QCOMPARE(everything(dir.path()), QStringList{QStringLiteral("KovaShell.ini")});
    }

    void writeJustUnderTheLimitSucceeds() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("KovaShell0.log"));
        put(path, "old\r\n");
        const QByteArray content(int(kLimit) - 1, 'y');
        bool written = false;
        {
            FileSizeLimit limit(kLimit);
            QVERIFY(limit.active());
            written = kova::writeFileAtomically(path, content);
        }
        QVERIFY(written);
        QCOMPARE(contentOf(path), content);
        QCOMPARE(everything(dir.path()), QStringList{QStringLiteral("KovaShell0.log")});
    }

    void fileReadableByOthersBecomesPrivateWhenWritten() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("KovaShell.ini"));
        put(path, "[a1]\r\nb04=secret\r\n", 0644);
        QVERIFY(kova::writeFileAtomically(path, "[a1]\r\nb04=other\r\n"));
        QCOMPARE(fileMode(path), 0600);
    }

    void askedPermissionsReplaceTheOldMode() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("KovaShell.desktop"));
        put(path, "[Desktop Entry]\n", 0600);
        const auto shared = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QVERIFY(kova::writeFileAtomically(path, "[Desktop Entry]\nType=Application\n", shared));
        QCOMPARE(fileMode(path), 0644);
    }

    // The sweep of leftovers leaves a folder alone while another process
    // saves into it (the save holds a lock on the folder).
    void leftoversWaitWhileTheFolderIsBeingSavedInto() {
        QTemporaryDir dir;
        const QString leftover = dir.filePath(QStringLiteral("KovaShell.ini.kova-save.CaeQkL"));
        put(leftover, "[a1]\r\nb04=new\r\n");
        const auto ours = [](const QString& name) { return name == u"KovaShell.ini"; };
        {
            const int fd = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY);
            QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX) == 0);
            const auto unlock = qScopeGuard([fd] { ::close(fd); });
            QCOMPARE(kova::removeLeftoverTemporaryFiles(dir.path(), ours), 0);
            QVERIFY(QFile::exists(leftover));
        }
        QCOMPARE(kova::removeLeftoverTemporaryFiles(dir.path(), ours), 1);
        QCOMPARE(everything(dir.path()), QStringList{});
    }

    // A portable copy on a FAT stick: the stick cannot hold modes, the
    // settings are written all the same.
    void fileOnAFileSystemWithoutModesIsStillWritten() {
        QTemporaryDir dir;
        const QString image = dir.filePath(QStringLiteral("stick.img"));
        const QString mountPoint = dir.filePath(QStringLiteral("stick"));
        QVERIFY(QDir().mkpath(mountPoint));
        QString why = failureOf(QStringLiteral("truncate"), {"-s", "2M", image});
        if (why.isNull())
            why = failureOf(QStringLiteral("mkfs.vfat"), {image});
        if (why.isNull())
            why =
                failureOf(QStringLiteral("mount"), {"-t", "vfat", "-o", "loop", image, mountPoint});
        if (!why.isNull())
            QSKIP(qPrintable(QStringLiteral("cannot mount a FAT file system here (%1)").arg(why)));
        const auto unmount =
            qScopeGuard([&] { failureOf(QStringLiteral("umount"), {mountPoint}); });
        const QString path = mountPoint + QStringLiteral("/KovaShell.ini");
        QVERIFY(kova::writeFileAtomically(path, "[a1]\r\nb04=old\r\n"));
        QVERIFY(kova::writeFileAtomically(path, "[a1]\r\nb04=new\r\n"));
        QCOMPARE(contentOf(path), QByteArray("[a1]\r\nb04=new\r\n"));
        QCOMPARE(everything(mountPoint), QStringList{QStringLiteral("KovaShell.ini")});
    }

    // strace makes the folder's lock or its sync fail: each is one log line;
    // without the lock the save goes on, without the sync it is no save.
    void durabilityFailuresAreLogged_data() {
        QTest::addColumn<QString>("inject");
        QTest::addColumn<QByteArray>("outcome");
        QTest::addColumn<QString>("line");
        QTest::newRow("no lock") << QStringLiteral("flock:error=ENOLCK") << QByteArray("saved")
                                 << QStringLiteral("without the folder lock");
        QTest::newRow("no folder sync")
            << QStringLiteral("fsync:error=EIO:when=2") << QByteArray("not saved")
            << QStringLiteral("syncing its folder");
    }
    void durabilityFailuresAreLogged() {
        QFETCH(QString, inject);
        QFETCH(QByteArray, outcome);
        QFETCH(QString, line);
        if (!kova::test::straceWorks())
            QSKIP("strace cannot trace here");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("KovaShell.ini"));
        put(path, "old");
        QProcess child;
        child.setProcessEnvironment(kova::test::tracedEnvironment());
        child.start(QStringLiteral("strace"),
                    {QStringLiteral("-qq"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                     QStringLiteral("-e"), QStringLiteral("inject=") + inject,
                     QCoreApplication::applicationFilePath(), QStringLiteral("--save"), path});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.readAllStandardOutput().trimmed(), outcome);
        const QStringList lines =
            QString::fromLocal8Bit(child.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(line) && lines.first().contains(path),
                 qPrintable(lines.first()));
    }
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // The child of durabilityFailuresAreLogged: one save, and what came of it.
    if (argc == 3 && qstrcmp(argv[1], "--save") == 0) {
        std::puts(kova::writeFileAtomically(QString::fromLocal8Bit(argv[2]), "new") ? "saved"
                                                                                    : "not saved");
        return 0;
    }
    TestAtomicFile test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_atomic_file.moc"
