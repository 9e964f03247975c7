#include "base/data_folder.h"

#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using kova::chooseDataFolder;

namespace {

int folderMode(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return -1;
    return int(st.st_mode & 07777);
}

void touch(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

} // namespace

class TestDataFolder : public QObject {
    Q_OBJECT
private:
    QTemporaryDir root_;
    QString program_;
    QString home_;

private slots:
    void init() {
        QVERIFY(root_.isValid());
        program_ = root_.filePath("bin");
        home_ = root_.filePath("home");
        QDir().mkpath(program_);
        QDir().mkpath(home_);
    }
    void cleanup() {
        QDir(program_).removeRecursively();
        QDir(home_).removeRecursively();
        QDir(root_.filePath("xdg")).removeRecursively();
        QDir(root_.filePath("chosen")).removeRecursively();
    }

    void kovaShellHomeWinsOverEverything() {
        touch(program_ + "/KovaShell.ini");
        const QString chosen = root_.filePath("chosen/folder");
        QCOMPARE(chooseDataFolder(chosen + "/", program_, root_.filePath("xdg"), home_), chosen);
        QVERIFY(QFileInfo(chosen).isDir());
        QCOMPARE(folderMode(chosen), 0700);
        QVERIFY(!QFileInfo::exists(root_.filePath("xdg/KovaShell")));
    }

    void programFolderHoldingASettingsFileIsAPortableCopy() {
        touch(program_ + "/KovaShell.ini");
        QCOMPARE(chooseDataFolder({}, program_, root_.filePath("xdg"), home_), program_);
        QVERIFY(!QFileInfo::exists(root_.filePath("xdg/KovaShell")));
    }

    void otherFilesInTheProgramFolderDoNotMakeItPortable() {
        touch(program_ + "/KovaShell0.hsn");
        QDir().mkpath(program_ + "/KovaShell.ini.d");
        QCOMPARE(chooseDataFolder({}, program_, root_.filePath("xdg"), home_),
                 root_.filePath("xdg/KovaShell"));
    }

    void xdgDataHomeFolderIsCreatedPrivate() {
        const QString expected = root_.filePath("xdg/KovaShell");
        QCOMPARE(chooseDataFolder({}, program_, root_.filePath("xdg"), home_), expected);
        QCOMPARE(folderMode(expected), 0700);
    }

    void withoutXdgDataHomeTheDefaultUnderHomeIsUsed_data() {
        QTest::addColumn<QString>("xdgDataHome");
        QTest::newRow("unset") << QString();
        QTest::newRow("relative is invalid") << QStringLiteral("relative/data");
    }
    void withoutXdgDataHomeTheDefaultUnderHomeIsUsed() {
        QFETCH(QString, xdgDataHome);
        const QString expected = home_ + "/.local/share/KovaShell";
        QCOMPARE(chooseDataFolder({}, program_, xdgDataHome, home_), expected);
        QCOMPARE(folderMode(expected), 0700);
    }

    void existingFolderKeepsItsMode() {
        const QString existing = root_.filePath("xdg/KovaShell");
        QDir().mkpath(existing);
        QVERIFY(::chmod(QFile::encodeName(existing).constData(), 0750) == 0);
        QCOMPARE(chooseDataFolder({}, program_, root_.filePath("xdg"), home_), existing);
        QCOMPARE(folderMode(existing), 0750);
    }

    void environmentDecidesTheRunningProgramsFolder() {
        kova::test::TempHome home;
        QCOMPARE(kova::dataFolder(), home.path());
        QCOMPARE(kova::dataFilePath("KovaShell.ini"), home.path() + "/KovaShell.ini");
        qunsetenv("KOVASHELL_HOME");
        // The test program's folder holds no settings file: XDG_DATA_HOME decides.
        QCOMPARE(kova::dataFolder(), home.path() + "/data/KovaShell");
        // Removed while the program runs: made again at the next use.
        QVERIFY(QDir(home.path() + "/data/KovaShell").removeRecursively());
        QCOMPARE(kova::dataFilePath("KovaShell.ini"),
                 home.path() + "/data/KovaShell/KovaShell.ini");
        QVERIFY(QFileInfo(home.path() + "/data/KovaShell").isDir());
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "test_data_folder.moc"
