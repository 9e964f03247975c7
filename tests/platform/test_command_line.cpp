#include "base/command_line.h"

#include <QDir>
#include <QTest>

using namespace kova;
using namespace Qt::StringLiterals;

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    // Lines and the words a shell makes of them; "open" marks a quote left open.
    void splitsAsAShellDoes_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("words");
        const QString home = QDir::homePath();
        const QStringList open{u"open"_s};
        QTest::newRow("blanks") << u"  a\tb  c\n"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("single quotes and backslash")
            << u"rec.sh a 'b c' f\\ g"_s << QStringList{u"rec.sh"_s, u"a"_s, u"b c"_s, u"f g"_s};
        QTest::newRow("double quotes in single ones")
            << u"sh -c 'echo \"hi  there\"'"_s
            << QStringList{u"sh"_s, u"-c"_s, u"echo \"hi  there\""_s};
        QTest::newRow("windows style")
            << u"\"C:\\Program Files\\a.exe\" /x \"b c\""_s
            << QStringList{u"C:\\Program Files\\a.exe"_s, u"/x"_s, u"b c"_s};
        QTest::newRow("escapes in double quotes")
            << u"\"a\\\"b\" \"c\\\\d\" \"e\\f\" \"\\$x\""_s
            << QStringList{u"a\"b"_s, u"c\\d"_s, u"e\\f"_s, u"$x"_s};
        QTest::newRow("empty words, pieces join")
            << u"a '' \"\" b'c'\"d\"\\e"_s << QStringList{u"a"_s, u""_s, u""_s, u"bcde"_s};
        QTest::newRow("leading tilde")
            << u"~/bin/x ~ '~/y' a~ ~user \\~"_s
            << QStringList{home + u"/bin/x"_s, home, u"~/y"_s, u"a~"_s, u"~user"_s, u"~"_s};
        QTest::newRow("nothing else expanded")
            << u"$HOME *.txt `id` a;b"_s
            << QStringList{u"$HOME"_s, u"*.txt"_s, u"`id`"_s, u"a;b"_s};
        QTest::newRow("full-width and no-break spaces are letters")
            << u"a\u3000b c\u00A0d"_s << QStringList{u"a\u3000b"_s, u"c\u00A0d"_s};
        QTest::newRow("backslash at the end") << u"a\\"_s << QStringList{u"a\\"_s};
        QTest::newRow("single quote open") << u"sh -c 'echo"_s << open;
    }
    void splitsAsAShellDoes() {
        QFETCH(QString, line);
        QFETCH(QStringList, words);
        const std::optional<QStringList> split = splitCommandLine(line);
        QCOMPARE(split.value_or(QStringList{u"open"_s}), words);
    }

    // Whatever a file browser returns comes back as that one word, quoted
    // only where the splitter would split or take something away.
    void pathAsAWordSplitsBackWhole_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("quoted");
        QTest::newRow("plain") << u"/usr/bin/xterm"_s << false;
        QTest::newRow("full-width space") << u"/home/u/\u8868\u3000\u8a08\u7b97/run"_s << false;
        QTest::newRow("dollar and backquote") << u"/home/u/$HOME`x`"_s << false;
        QTest::newRow("blank") << u"/home/u/My Apps/run"_s << true;
        QTest::newRow("single quote") << u"/home/u/it's"_s << true;
        QTest::newRow("double quotes") << u"/home/u/say \"hi\""_s << true;
        QTest::newRow("backslash") << u"/home/u/a\\b"_s << true;
        QTest::newRow("leading tilde") << u"~/literal"_s << true;
    }
    void pathAsAWordSplitsBackWhole() {
        QFETCH(QString, path);
        QFETCH(bool, quoted);
        const QString word = commandLineWord(path);
        QCOMPARE(splitCommandLine(word + u" arg"_s), (QStringList{path, u"arg"_s}));
        QCOMPARE(word != path, quoted);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
