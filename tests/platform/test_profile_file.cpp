#include "base/profile_file.h"
#include "base/text_codec.h"
#include "support/file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using kova::ProfileFile;

namespace {

// One INI file in a fresh folder.
class Ini {
public:
    Ini() : file_(dir_.path() + QStringLiteral("/KovaShell.ini")) {}

    const ProfileFile& file() const { return file_; }
    QString folder() const { return dir_.path(); }
    QString path() const { return file_.path(); }

    void put(const QByteArray& bytes) const {
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray bytes() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
    ProfileFile file_;
};

const QByteArray kBom("\xEF\xBB\xBF");

QString repeated(const QString& piece, int times) {
    return piece.repeated(times);
}

int fileMode(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

// File modes do not bind the superuser: the test function then runs again in
// a copy of this program as user "nobody".
void runAsOrdinaryUser(const char* testFunction) {
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("setpriv"),
                {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                 QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                 QString::fromLatin1(testFunction)});
    if (!child.waitForStarted())
        QSKIP("setpriv is not available to drop the superuser's rights");
    QVERIFY(child.waitForFinished(-1));
    const QByteArray output = child.readAll();
    // 126 / 127: this program cannot be run by that user (a private build folder).
    if (child.exitCode() == 126 || child.exitCode() == 127)
        QSKIP(qPrintable("cannot run as an ordinary user: " + QString::fromLocal8Bit(output)));
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             output.constData());
    QVERIFY2(output.contains("Totals: 3 passed, 0 failed, 0 skipped"), output.constData());
}

} // namespace

class TestProfileFile : public QObject {
    Q_OBJECT
private slots:
    void namesMatchWithoutRegardToCase() {
        Ini ini;
        QVERIFY(ini.file().write("kmc", "Left", "1530"));
        QCOMPARE(ini.file().read("kmc", "left"), QStringLiteral("1530"));
        QCOMPARE(ini.file().read("KMC", "LEFT"), QStringLiteral("1530"));
        // A write under another spelling replaces the value and keeps the stored name.
        QVERIFY(ini.file().write("KMC", "LEFT", "0"));
        QCOMPARE(ini.bytes(), QByteArray("[kmc]\r\nLeft=0\r\n"));
    }

    void longValueReadsBackAsItsFirst1023Bytes_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ascii") << repeated("x", 1500) << repeated("x", 1023);
        // 2 bytes each in Shift-JIS: 511 fit, the 512th would be cut in half.
        QTest::newRow("double-byte") << repeated("あ", 750) << repeated("あ", 511);
        QTest::newRow("odd start") << "a" + repeated("あ", 750) << "a" + repeated("あ", 511);
        QTest::newRow("half-width kana") << repeated("ｱ", 1500) << repeated("ｱ", 1023);
        // Text Shift-JIS cannot hold makes the file UTF-8: the cap counts UTF-8 bytes.
        QTest::newRow("utf-8 file") << "😀" + repeated("あ", 500) << "😀" + repeated("あ", 339);
        QTest::newRow("exactly 1023") << repeated("y", 1023) << repeated("y", 1023);
    }
    void longValueReadsBackAsItsFirst1023Bytes() {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        Ini ini;
        QVERIFY(ini.file().write("a1", "b02", value));
        QCOMPARE(ini.file().read("a1", "b02"), expected);
        // The cap is a read rule: the file keeps the whole value.
        QVERIFY(kova::decodeFileText(ini.bytes()).contains(value));
    }

    void capCountsUtf8BytesInAUtf8FileWithoutBom() {
        Ini ini;
        // The closing katakana leave bytes CP932 rejects, so the file reads as UTF-8.
        const QByteArray file = "[a1]\r\nb02=" + (repeated("あ", 500) + "テスト").toUtf8() + "\r\n";
        QVERIFY(kova::fromShiftJis(file).contains(QChar(0xFFFD)));
        ini.put(file);
        QCOMPARE(ini.file().read("a1", "b02"), repeated("あ", 341));
    }

    void shiftJisValueThatIsAlsoUtf8SurvivesARewrite() {
        Ini ini;
        // "遙ｶ" in Shift-JIS; the same bytes are one UTF-8 character.
        ini.put("[Lunch0]\r\n0=\xEA\xA1\xB6\r\n");
        QCOMPARE(ini.file().read("Lunch0", "0"), QStringLiteral("遙ｶ"));
        QVERIFY(ini.file().write("Lunch0", "1", "x"));
        QCOMPARE(ini.bytes(), QByteArray("[Lunch0]\r\n0=\xEA\xA1\xB6\r\n1=x\r\n"));
        QCOMPARE(ini.file().read("Lunch0", "0"), QStringLiteral("遙ｶ"));
    }

    void emptyValueStaysAKeyAndReadsEmpty() {
        Ini ini;
        QVERIFY(ini.file().write("Lunch0", "0", ""));
        QCOMPARE(ini.bytes(), QByteArray("[Lunch0]\r\n0=\r\n"));
        QCOMPARE(ini.file().read("Lunch0", "0"), QString());
        // Overwriting a value with the empty one keeps the key too.
        QVERIFY(ini.file().write("Lunch0", "1", "メモ帳"));
        QVERIFY(ini.file().write("Lunch0", "1", ""));
        QCOMPARE(ini.bytes(), QByteArray("[Lunch0]\r\n0=\r\n1=\r\n"));
    }

    void missingPiecesReadEmpty_data() {
        QTest::addColumn<QByteArray>("content"); // null = no file at all
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("empty file") << QByteArray("");
        QTest::newRow("no section") << QByteArray("[Fusen]\r\nb7=True\r\n");
        QTest::newRow("no key") << QByteArray("[a1]\r\nb8=False\r\n");
        QTest::newRow("key in a later section") << QByteArray("[a1]\r\n[kmc]\r\nb7=True\r\n");
    }
    void missingPiecesReadEmpty() {
        QFETCH(QByteArray, content);
        Ini ini;
        if (!content.isNull())
            ini.put(content);
        QCOMPARE(ini.file().read("a1", "b7"), QString());
        QCOMPARE(ini.file().exists(), !content.isNull());
    }

    void readRulesOfTheClassicFormat_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blanks around name and value")
            << QByteArray("[ a1 ]\r\n  b7 =  True  \r\n") << "True";
        QTest::newRow("quotes stripped") << QByteArray("[a1]\r\nb7=\"True\"\r\n") << "True";
        QTest::newRow("no trailing newline") << QByteArray("[a1]\r\nb7=True") << "True";
        QTest::newRow("LF only") << QByteArray("[a1]\nb8=x\nb7=True\n") << "True";
        QTest::newRow("line without =") << QByteArray("[a1]\r\njunk\r\nb7=True\r\n") << "True";
        QTest::newRow("first duplicate key wins")
            << QByteArray("[a1]\r\nb7=True\r\nb7=False\r\n") << "True";
        QTest::newRow("first duplicate section wins")
            << QByteArray("[a1]\r\nb7=True\r\n[x]\r\n[A1]\r\nb7=False\r\n") << "True";
        QTest::newRow("key only in second duplicate")
            << QByteArray("[a1]\r\nb8=1\r\n[a1]\r\nb7=True\r\n") << "";
        QTest::newRow("key before any section is no key of a1")
            << QByteArray("b7=orphan\r\n[a1]\r\nb8=1\r\n") << "";
        QTest::newRow("shift-jis value")
            << QByteArray("[a1]\r\nb7=\x83\x65\x83\x58\x83\x67\r\n") << "テスト";
        QTest::newRow("utf-8 with BOM") << kBom + QByteArray("[a1]\r\nb7=テスト😀\r\n") << "テスト😀";
        QTest::newRow("utf-8 without BOM")
            << QByteArray("[a1]\r\nb7=付箋紙のテスト\r\n") << "付箋紙のテスト";
        // A value ends at its first NUL, as the classic reader's buffer does.
        QTest::newRow("NUL") << QByteArray("[a1]\r\nb7=nu\0l\r\n", 15) << "nu";
        QTest::newRow("NUL in quotes") << QByteArray("[a1]\r\nb7=\"a\0b\"\r\n", 16) << "a";
    }
    void readRulesOfTheClassicFormat() {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        Ini ini;
        ini.put(content);
        QCOMPARE(ini.file().read("a1", "b7"), expected);
    }

    void writeKeepsEveryOtherLineInPlace_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("after");
        const QByteArray base("; comment\r\n"
                              "orphan=1\r\n"
                              "[a1]\r\n"
                              "b01=110\r\n"
                              "junk line\r\n"
                              "b02=host\r\n"
                              "\r\n"
                              "[Fusen]\r\n"
                              "FontSize=9\r\n");
        QTest::newRow("replace value") << base << "a1"
                                       << "B02" << QByteArray(base).replace("b02=host", "b02=V");
        QTest::newRow("new key after the section's last line")
            << base << "a1"
            << "b5" << QByteArray(base).replace("b02=host\r\n", "b02=host\r\nb5=V\r\n");
        QTest::newRow("new key in the last section") << base << "fusen"
                                                     << "BackColor" << base + "BackColor=V\r\n";
        QTest::newRow("new section at the end") << base << "kmc"
                                                << "Top" << base + "[kmc]\r\nTop=V\r\n";
        QTest::newRow("no trailing newline") << QByteArray("[a1]\r\nb7=True") << "a1"
                                             << "b8" << QByteArray("[a1]\r\nb7=True\r\nb8=V\r\n");
        QTest::newRow("LF file becomes CR LF") << QByteArray("[a1]\nb7=True\n") << "a1"
                                               << "b8" << QByteArray("[a1]\r\nb7=True\r\nb8=V\r\n");
        QTest::newRow("first duplicate section takes the write")
            << QByteArray("[a1]\r\nb7=1\r\n[a1]\r\nb7=2\r\n") << "a1"
            << "b7" << QByteArray("[a1]\r\nb7=V\r\n[a1]\r\nb7=2\r\n");
        QTest::newRow("new key goes to the first duplicate")
            << QByteArray("[a1]\r\nb7=1\r\n[a1]\r\nb8=2\r\n") << "a1"
            << "b8" << QByteArray("[a1]\r\nb7=1\r\nb8=V\r\n[a1]\r\nb8=2\r\n");
        // Found by fuzzing: the line read as U+FFFD was written back as
        // UTF-8, and a long value then read back shorter.
        const QByteArray unreadable =
            "[a1]\r\nb5=F0u\xFF\x85\x85\x87" + QByteArray(1200, '\xFF') + "\r\n";
        QTest::newRow("bytes CP932 cannot read stay as they were")
            << unreadable << "a1"
            << "b03" << unreadable + "b03=V\r\n";
        QTest::newRow("key before any section is left alone")
            << QByteArray("b7=orphan\r\n[a1]\r\nb8=1\r\n") << "a1"
            << "b7" << QByteArray("b7=orphan\r\n[a1]\r\nb8=1\r\nb7=V\r\n");
    }
    void writeKeepsEveryOtherLineInPlace() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, after);
        Ini ini;
        ini.put(before);
        const QString other = ini.file().read(QStringLiteral("a1"), QStringLiteral("b5"));
        QVERIFY(ini.file().write(section, key, "V"));
        QCOMPARE(ini.bytes(), after);
        QCOMPARE(ini.file().read(section, key), QStringLiteral("V"));
        if (key.compare(QStringLiteral("b5"), Qt::CaseInsensitive) != 0)
            QCOMPARE(ini.file().read(QStringLiteral("a1"), QStringLiteral("b5")), other);
    }

    void fileEncodingFollowsWhatTheTextNeeds() {
        Ini ini;
        ini.put(kBom + QByteArray("[Fusen]\r\nFontName=ゴシック\r\n"));
        // Everything fits Shift-JIS: the rewrite drops the BOM.
        QVERIFY(ini.file().write("a1", "b03", "ユーザー"));
        QCOMPARE(ini.bytes(), QByteArray("[Fusen]\r\nFontName=\x83\x53\x83\x56\x83\x62\x83\x4E\r\n"
                                         "[a1]\r\nb03=\x83\x86\x81\x5B\x83\x55\x81\x5B\r\n"));
        // One character Shift-JIS cannot hold turns the whole file into UTF-8 with a BOM,
        // and nothing written before is lost.
        QVERIFY(ini.file().write("a1", "b04", "pa😀ss"));
        QCOMPARE(ini.bytes(), kBom + QByteArray("[Fusen]\r\nFontName=ゴシック\r\n[a1]\r\n"
                                                "b03=ユーザー\r\nb04=pa😀ss\r\n"));
        QCOMPARE(ini.file().read("fusen", "fontname"), QStringLiteral("ゴシック"));
        QCOMPARE(ini.file().read("a1", "b04"), QStringLiteral("pa😀ss"));
        // Once the text fits again the file returns to Shift-JIS.
        QVERIFY(ini.file().write("a1", "b04", "pass"));
        QVERIFY(!ini.bytes().startsWith(kBom));
        QCOMPARE(ini.file().read("a1", "b03"), QStringLiteral("ユーザー"));
    }

    void lineBreakInAValueDoesNotSplitTheEntry_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("CR LF") << "pass\r\nb7=True";
        QTest::newRow("LF") << "pass\nb7=True";
        QTest::newRow("CR") << "pass\rb7=True";
        QTest::newRow("section header") << "pass\r\n[a1]\r\nb7=True";
    }
    void lineBreakInAValueDoesNotSplitTheEntry() {
        QFETCH(QString, value);
        Ini ini;
        QVERIFY(ini.file().write("a1", "b7", "False"));
        QVERIFY(ini.file().write("a1", "b04", value));
        QCOMPARE(ini.file().read("a1", "b7"), QStringLiteral("False"));
        QCOMPARE(ini.bytes().count("\r\n"), 3);
        QVERIFY(ini.file().read("a1", "b04").startsWith(QStringLiteral("pass")));
    }

    void severalValuesInOneWriteGiveTheSameFileAsOneByOne() {
        const QList<ProfileFile::Entry> entries{
            {"a1", "b01", "110"},    {"a1", "b02", ""},       {"Fusen", "FontName", "ゴシック"},
            {"Option", "Top", "0"},  {"FUSEN", "top", "15"},  {"a1", "B01", "995"},
            {"kmc", "Left", "a\nb"}, {"fusen", "Left", "30"}, {"desktop", "click", "0"},
        };
        for (const QByteArray& start : {QByteArray(), QByteArray("x=1\r\n[kmc]\r\nTop=5\r\n")}) {
            Ini oneByOne;
            Ini together;
            if (!start.isNull()) {
                oneByOne.put(start);
                together.put(start);
            }
            for (const ProfileFile::Entry& e : entries)
                QVERIFY(oneByOne.file().write(e.section, e.key, e.value));
            QVERIFY(together.file().write(entries));
            QCOMPARE(together.bytes(), oneByOne.bytes());
        }
    }

    void severalValuesInOneReadAreThoseReadOneByOne() {
        Ini ini;
        ini.put("[a1]\r\nb01=110\r\nb04=\"q\"\r\n[A1]\r\nb05=second\r\n[Fusen]\r\nTop=15\r\n");
        const QList<ProfileFile::Key> keys{{"a1", "b01"},    {"A1", "B04"}, {"a1", "b05"},
                                           {"fusen", "top"}, {"none", "x"}, {"a1", "b01"}};
        const QStringList together = ini.file().read(keys);
        QCOMPARE(together.size(), keys.size());
        for (qsizetype i = 0; i < keys.size(); ++i)
            QCOMPARE(together[i], ini.file().read(keys[i].section, keys[i].key));
        QCOMPARE(together[0], QStringLiteral("110"));
        QCOMPARE(Ini().file().read(keys), QStringList(keys.size())); // no file
    }

    void unchangedValuesLeaveTheFileAsItIs() {
        Ini ini;
        QVERIFY(ini.file().write("desktop", "click", "0"));
        struct stat before {};
        QVERIFY(::stat(QFile::encodeName(ini.path()).constData(), &before) == 0);
        // The same value again: no rewrite (a rewrite is a new file).
        QVERIFY(ini.file().write("desktop", "click", "0"));
        struct stat same {};
        QVERIFY(::stat(QFile::encodeName(ini.path()).constData(), &same) == 0);
        QCOMPARE(same.st_ino, before.st_ino);
        QVERIFY(ini.file().write("desktop", "click", "1"));
        struct stat changed {};
        QVERIFY(::stat(QFile::encodeName(ini.path()).constData(), &changed) == 0);
        QVERIFY(changed.st_ino != before.st_ino);
    }

    void quotedValuesReadBackAsWritten() {
        Ini ini;
        for (const char* value : {"\"secret\"", "'x'", "\"/opt/my app/run\" \"a b\"", "\""}) {
            QVERIFY(ini.file().write("a1", "b04", QString::fromLatin1(value)));
            QCOMPARE(ini.file().read("a1", "b04"), QString::fromLatin1(value));
        }
    }

    void symlinkedFileStaysALink() {
        Ini ini;
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath("dotfiles.ini");
        QFile(target).open(QIODevice::WriteOnly);
        QVERIFY(QFile::link(target, ini.path()));
        QVERIFY(ini.file().write("a1", "b7", "True"));
        QVERIFY(QFileInfo(ini.path()).isSymLink());
        QFile linked(target);
        QVERIFY(linked.open(QIODevice::ReadOnly));
        QCOMPARE(linked.readAll(), QByteArray("[a1]\r\nb7=True\r\n"));
    }

    void unreadableFileIsNeverReplaced() {
        if (::geteuid() == 0)
            return runAsOrdinaryUser("unreadableFileIsNeverReplaced");
        Ini ini;
        QVERIFY(ini.file().write("a1", "b7", "True"));
        const QByteArray before = ini.bytes();
        QVERIFY(::chmod(QFile::encodeName(ini.path()).constData(), 0200) == 0);
        const auto restore =
            qScopeGuard([&] { ::chmod(QFile::encodeName(ini.path()).constData(), 0600); });
        QVERIFY(!ini.file().write("a1", "b8", "False"));
        ::chmod(QFile::encodeName(ini.path()).constData(), 0600);
        QCOMPARE(ini.bytes(), before);
    }

    void writtenFileIsPrivateEvenWhenItWasReadableByOthers() {
        Ini ini;
        QVERIFY(ini.file().write("a1", "b04", "secret"));
        QCOMPARE(fileMode(ini.path()), 0600);
        // A copy brought from elsewhere with a wider mode.
        QVERIFY(::chmod(QFile::encodeName(ini.path()).constData(), 0640) == 0);
        QVERIFY(ini.file().write("a1", "b04", "other"));
        QCOMPARE(fileMode(ini.path()), 0600);
    }

    void settingThatCannotGrowTheFileKeepsTheOldFile() {
        Ini ini;
        QVERIFY(ini.file().write("a1", "b04", "secret"));
        const QByteArray before = ini.bytes();
        bool written = true;
        {
            kova::test::FileSizeLimit limit(2048);
            QVERIFY(limit.active());
            written = ini.file().write("a1", "b02", repeated("x", 6000));
        }
        QVERIFY(!written);
        QCOMPARE(ini.bytes(), before);
        const QStringList entries =
            QDir(ini.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(entries, QStringList{QStringLiteral("KovaShell.ini")});
    }

    void writesLeaveNoTemporaryFilesBehind() {
        Ini ini;
        for (int i = 0; i < 5; ++i)
            QVERIFY(ini.file().write("a1", QString::number(i), "v"));
        const QStringList entries =
            QDir(ini.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(entries, QStringList{QStringLiteral("KovaShell.ini")});
    }

    void readOnlyFolderFailsWritesQuietlyAndKeepsTheOldContent() {
        if (::geteuid() == 0)
            return runAsOrdinaryUser("readOnlyFolderFailsWritesQuietlyAndKeepsTheOldContent");
        Ini ini;
        QVERIFY(ini.file().write("a1", "b7", "True"));
        const QByteArray before = ini.bytes();
        QVERIFY(::chmod(QFile::encodeName(ini.folder()).constData(), 0500) == 0);
        QVERIFY(::chmod(QFile::encodeName(ini.path()).constData(), 0400) == 0);
        const auto restore = qScopeGuard([&] {
            ::chmod(QFile::encodeName(ini.folder()).constData(), 0700);
            ::chmod(QFile::encodeName(ini.path()).constData(), 0600);
        });
        QVERIFY(!ini.file().write("a1", "b7", "False"));
        QVERIFY(!ini.file().write("a1", "b8", "x"));
        QCOMPARE(ini.file().read("a1", "b7"), QStringLiteral("True"));
        QCOMPARE(ini.bytes(), before);
    }

    void unwritableLocationFailsWritesQuietly() {
        // Holds for every user, the superuser included: the folder is a file.
        QTemporaryDir dir;
        QFile blocker(dir.filePath("notafolder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const ProfileFile file(dir.filePath("notafolder/KovaShell.ini"));
        QVERIFY(!file.write("a1", "b7", "True"));
        QCOMPARE(file.read("a1", "b7"), QString());
        QVERIFY(!file.exists());
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "test_profile_file.moc"
