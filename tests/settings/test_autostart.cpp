#include "settings/autostart.h"
#include "settings/startup_folder.h"

#include "support/read_only_folder.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace kova;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Reads an Exec value back the way a desktop reads it: string escapes
// first, then the words with their quoting.
QStringList execWords(const QString& value) {
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value.at(++i);
            unescaped += next == QLatin1Char('n')   ? QChar('\n')
                         : next == QLatin1Char('t') ? QChar('\t')
                         : next == QLatin1Char('r') ? QChar('\r')
                                                    : next;
        } else {
            unescaped += value.at(i);
        }
    }
    unescaped.replace(QStringLiteral("%%"), QStringLiteral("%"));
    QStringList words;
    QString word;
    bool quoted = false;
    for (qsizetype i = 0; i < unescaped.size(); ++i) {
        const QChar c = unescaped.at(i);
        if (quoted && c == QLatin1Char('\\') && i + 1 < unescaped.size())
            word += unescaped.at(++i);
        else if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(' ') && !quoted)
            words << std::exchange(word, QString());
        else
            word += c;
    }
    return words << word;
}

QString execLine(const QString& entry) {
    for (const QString& line : entry.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Exec=")))
            return line.mid(5);
    }
    return {};
}

} // namespace

class TestAutostart : public QObject {
    Q_OBJECT
private slots:
    void startupFolderIsTheXdgAutostartFolderMadeWhenMissing() {
        test::TempHome home;
        const QString expected = home.file("config/autostart");
        QVERIFY(!QFileInfo::exists(expected));
        QCOMPARE(SpecialFolderPath(kStartupFolder), expected);
        QVERIFY(QFileInfo(expected).isDir());
        QCOMPARE(SpecialFolderPath(8), QString());
        // A relative XDG_CONFIG_HOME is ignored: the home folder's .config (a
        // private one here, not the real user's).
        const QByteArray realHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.file("home")));
        qputenv("XDG_CONFIG_HOME", "relative/config");
        const QString fallback = SpecialFolderPath(kStartupFolder);
        qputenv("HOME", realHome);
        QCOMPARE(fallback, home.file("home") + QStringLiteral("/.config/autostart"));
    }

    void unresolvableFolderWritesAndDeletesNothing() {
        test::TempHome home;
        // A file where the configuration folder should be.
        home.write("blocker", "x");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.file("blocker")));
        QCOMPARE(SpecialFolderPath(kStartupFolder), QString());
        QCOMPARE(registerStartup("/opt/kova/KovaShell"), StartupResult::NoFolder);
        QCOMPARE(removeStartup(), StartupResult::NotFound); // nothing there to remove
        QCOMPARE(readAll(home.file("blocker")), QByteArray("x"));
        QVERIFY(!startupMessage(StartupResult::NoFolder).isEmpty());
    }

    void registerThenRemoveLeavesNoEntry() {
        test::TempHome home;
        const QString entry = home.file("config/autostart/KovaShell.desktop");
        QCOMPARE(registerStartup("/opt/kova/KovaShell"), StartupResult::Registered);
        QVERIFY(QFileInfo::exists(entry));
        QCOMPARE(QFileInfo(entry).permissions() & QFileDevice::ReadOther, QFileDevice::ReadOther);
        // Registering again rewrites the entry for the program's new place.
        QCOMPARE(registerStartup("/home/u/Kova/KovaShell"), StartupResult::Registered);
        QCOMPARE(
            execWords(execLine(QString::fromUtf8(readAll(entry)))),
            (QStringList{QStringLiteral("env"), QStringLiteral("KOVASHELL_HOME=") + home.path(),
                         QStringLiteral("/home/u/Kova/KovaShell")}));
        QCOMPARE(removeStartup(), StartupResult::Removed);
        QVERIFY(!QFileInfo::exists(entry));
        QCOMPARE(removeStartup(), StartupResult::NotFound);
        QCOMPARE(startupMessage(StartupResult::NotFound),
                 QStringLiteral("ファイルが見つかりません。"));
    }

    void entryFailsWithoutTouchingAReadOnlyFolder() {
        test::TempHome home;
        QDir().mkpath(home.file("config/autostart"));
        test::ReadOnlyFolder folder(home.file("config/autostart"));
        if (!folder.usable())
            QSKIP(qPrintable(folder.why()));
        QFile old(home.file("config/autostart/KovaShell.desktop"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        QVERIFY(folder.seal());
        QCOMPARE(registerStartup("/opt/kova/KovaShell"), StartupResult::WriteFailed);
        QCOMPARE(removeStartup(), StartupResult::DeleteFailed);
        QCOMPARE(readAll(home.file("config/autostart/KovaShell.desktop")), QByteArray("old"));
    }

    // Started at log-on on the data folder it was registered from; a path no
    // entry can hold is refused with a message.
    void entryCarriesKovashellHome_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("kovaHome");
        QTest::addColumn<QStringList>("words"); // none: refused
        const QString kova = QStringLiteral("/opt/kova/KovaShell");
        QTest::newRow("unset") << kova << QString() << QStringList{kova};
        QTest::newRow("relative") << kova << QStringLiteral("data/../kova")
                                  << QStringList{QStringLiteral("env"),
                                                 QStringLiteral("KOVASHELL_HOME=") +
                                                     QDir::currentPath() + QStringLiteral("/kova"),
                                                 kova};
        QTest::newRow("tab in the program")
            << QStringLiteral("/a\tb") << QString() << QStringList{};
        QTest::newRow("escape in KOVASHELL_HOME")
            << kova << QStringLiteral("/u/\x1b[31m") << QStringList{};
    }
    void entryCarriesKovashellHome() {
        QFETCH(QString, program);
        QFETCH(QString, kovaHome);
        QFETCH(QStringList, words);
        test::TempHome home;
        qputenv("KOVASHELL_HOME", QFile::encodeName(kovaHome));
        const StartupResult result = registerStartup(program);
        const QString entry =
            QString::fromUtf8(readAll(home.file("config/autostart/KovaShell.desktop")));
        QCOMPARE(entry.isEmpty() ? QStringList{} : execWords(execLine(entry)), words);
        QCOMPARE(startupMessage(result).contains(QStringLiteral("制御文字")), words.isEmpty());
    }

    void execArgumentSurvivesQuoting_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/opt/kova/KovaShell";
        QTest::newRow("blank") << "/home/u/Kova Shell/KovaShell";
        QTest::newRow("double quote") << "/home/u/say \"hi\"/KovaShell";
        QTest::newRow("backslash and dollar") << "/home/u/a\\b$HOME/KovaShell";
        QTest::newRow("percent") << "/home/u/100%/KovaShell";
        QTest::newRow("japanese") << "/home/u/ツール/KovaShell";
    }
    void execArgumentSurvivesQuoting() {
        QFETCH(QString, path);
        const QString entry = autostartEntryText(path);
        QCOMPARE(execWords(execLine(entry)), QStringList{path});
        // With the data folder too.
        const QString withHome = autostartEntryText(path, path);
        QCOMPARE(
            execWords(execLine(withHome)),
            (QStringList{QStringLiteral("env"), QStringLiteral("KOVASHELL_HOME=") + path, path}));
        // The desktop's own checker accepts the entry.
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed (Debian: desktop-file-utils)");
        test::TempHome home;
        const QString file = home.file("KovaShell.desktop");
        home.write("KovaShell.desktop", withHome.toUtf8());
        QProcess check;
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start(validator, {file});
        QVERIFY(check.waitForFinished());
        QVERIFY2(check.exitCode() == 0, check.readAll().constData());
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "test_autostart.moc"
