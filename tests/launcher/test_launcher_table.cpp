#include "launcher/launcher.h"
#include "launcher/launcher_table.h"
#include "platform/settings.h"

#include "support/fake_platform.h"
#include "support/file_size_limit.h"
#include "support/read_only_folder.h"
#include "support/temp_home.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;
using kova::LauncherTable;
using kova::LaunchPlan;
using kova::test::FakePlatform;
using kova::test::TempHome;

Q_DECLARE_METATYPE(LaunchPlan::Kind)
using Names = QMap<int, QString>;

namespace {

// The key lines of one section of a settings file, in file order.
QList<QByteArray> sectionLines(const QByteArray& file, const QByteArray& section) {
    QList<QByteArray> lines;
    bool inside = false;
    for (const QByteArray& line : file.split('\n')) {
        const QByteArray l = line.trimmed();
        if (l.startsWith('['))
            inside = l == '[' + section + ']';
        else if (inside && !l.isEmpty())
            lines << l;
    }
    return lines;
}

// `script` made executable at `path`.
void writeProgram(const QString& path, QFile::Permissions extra = QFile::ExeOwner) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | extra);
}

} // namespace

class TestLauncherTable : public QObject {
    Q_OBJECT
private slots:
    void menuShowsNamedEntriesInOrderOrOnlyThePlaceholder_data();
    void menuShowsNamedEntriesInOrderOrOnlyThePlaceholder();
    void saveWritesAllFortyKeysWithEmptyValues();
    void saveIsOneRewriteThatLeavesTheFileWhenItFails();
    void savedTextLoadsBackQuotesIncludedAndRowTwentyStaysEmpty();
    void unwritableFolderTellsOnceAndKeepsTheFile();
    void planFollowsFilesAndPath_data();
    void planFollowsFilesAndPath();
    void launchingAnEntryStartsOpensOrTells_data();
    void launchingAnEntryStartsOpensOrTells();
    void pathWithBlanksAndQuotesSurvivesAsOneWord();

private:
    QTemporaryDir files_;
};

void TestLauncherTable::menuShowsNamedEntriesInOrderOrOnlyThePlaceholder_data() {
    QTest::addColumn<Names>("names");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("none named") << Names{} << QStringList{u"(なし)"_s};
    QTest::newRow("entries 3 and 7")
        << Names{{6, u"七番"_s}, {2, u"三番"_s}} << QStringList{u"三番"_s, u"七番"_s};
    QTest::newRow("first and last")
        << Names{{0, u"a"_s}, {19, u"t"_s}} << QStringList{u"a"_s, u"t"_s};
}

void TestLauncherTable::menuShowsNamedEntriesInOrderOrOnlyThePlaceholder() {
    QFETCH(Names, names);
    QFETCH(QStringList, shown);
    QMenu menu;
    std::array<QAction*, kova::kLauncherEntryCount + 1> items{};
    for (int n = 0; n <= kova::kLauncherEntryCount; ++n) {
        items[n] = menu.addAction(n == 20 ? u"(なし)"_s : QString());
        items[n]->setVisible(n == 20);
    }
    kova::Launcher launcher;
    launcher.attachMenu(items);
    // A name removed since the last rebuild must leave the menu.
    launcher.table()[4].name = u"消える"_s;
    launcher.RebuildLauncherMenu();
    launcher.table()[4].name.clear();
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        launcher.table()[it.key()].name = it.value();
    launcher.RebuildLauncherMenu();
    QStringList visible;
    for (const QAction* a : menu.actions()) {
        if (a->isVisible())
            visible << a->text();
    }
    QCOMPARE(visible, shown);
}

void TestLauncherTable::saveWritesAllFortyKeysWithEmptyValues() {
    TempHome home;
    LauncherTable table;
    table[1] = {u"エディタ"_s, u"mousepad"_s};
    QVERIFY(kova::SaveLauncherTable(table));
    const QByteArray file = home.read(QLatin1String(kova::kSettingsFileName));
    for (const QByteArray section : {"Lunch0", "Lunch1"}) {
        const QList<QByteArray> lines = sectionLines(file, section);
        QCOMPARE(lines.size(), 20);
        for (int n = 0; n < 20; ++n) {
            const QByteArray key = QByteArray::number(n) + '=';
            QVERIFY2(lines[n].startsWith(key), lines[n].constData());
            if (n != 1)
                QCOMPARE(lines[n], key);
        }
    }
    QCOMPARE(kova::ReadSetting(u"Lunch1"_s, u"1"_s), u"mousepad"_s);
}

void TestLauncherTable::saveIsOneRewriteThatLeavesTheFileWhenItFails() {
    TempHome home;
    const QByteArray before = "[a1]\r\nb7=True\r\n";
    home.write(QLatin1String(kova::kSettingsFileName), before);
    LauncherTable table;
    table[0] = {u"名前"_s, u"/bin/true"_s};
    bool saved = true;
    {
        // Room for a few keys written one by one, not for all forty at once.
        kova::test::FileSizeLimit limit(120);
        QVERIFY(limit.active());
        saved = kova::SaveLauncherTable(table);
    }
    QVERIFY(!saved);
    QCOMPARE(home.read(QLatin1String(kova::kSettingsFileName)), before);
    QCOMPARE(table[0].name, u"名前"_s); // the unsaved edit is kept for another try
}

void TestLauncherTable::savedTextLoadsBackQuotesIncludedAndRowTwentyStaysEmpty() {
    TempHome home;
    LauncherTable table;
    table[18] = {u"'引用'"_s, u"\"/opt/表 計算/run\" \"a b\""_s};
    table[19] = {u"ＭＳ 表計算"_s, u"\"/opt/表 計算/run\" -x"_s};
    table[20] = {u"stray"_s, u"/bin/false"_s};
    const LauncherTable typed = table;
    QVERIFY(kova::SaveLauncherTable(table));
    QCOMPARE(table[20].commandLine, QString());
    LauncherTable loaded;
    kova::LoadLauncherTable(loaded);
    for (int n : {18, 19}) {
        QCOMPARE(loaded[n].name, typed[n].name);
        QCOMPARE(loaded[n].commandLine, typed[n].commandLine);
        QCOMPARE(table[n].commandLine, typed[n].commandLine);
    }
    QCOMPARE(loaded[0].name, QString());
}

void TestLauncherTable::unwritableFolderTellsOnceAndKeepsTheFile() {
    TempHome home;
    kova::test::ReadOnlyFolder folder(home.path());
    if (!folder.usable())
        QSKIP(qPrintable(folder.why()));
    const QByteArray before = "[Lunch0]\r\n0=old\r\n";
    home.write(QLatin1String(kova::kSettingsFileName), before);
    QVERIFY(folder.seal());
    FakePlatform platform;
    kova::Launcher launcher;
    launcher.table()[0].name = u"new"_s;
    QVERIFY(!launcher.SaveLauncherTable());
    QCOMPARE(platform.messages, QStringList{kova::kSettingsNotSaved});
    QCOMPARE(platform.messageButtons, QList<kova::Buttons>{kova::Buttons::Ok});
    QCOMPARE(home.read(QLatin1String(kova::kSettingsFileName)), before);
}

void TestLauncherTable::planFollowsFilesAndPath_data() {
    QVERIFY(files_.isValid());
    const QString dir = files_.path();
    QDir(dir).mkpath(u"with blank/bin"_s);
    QDir(dir).mkpath(u"path"_s);
    writeProgram(dir + u"/with blank/bin/tool"_s);
    writeProgram(dir + u"/path/kova-launch-probe"_s);
    writeProgram(dir + u"/document.txt"_s, {});
    qputenv("PATH", QFile::encodeName(dir + u"/path:"_s) + qgetenv("PATH"));

    QTest::addColumn<QString>("line");
    QTest::addColumn<LaunchPlan::Kind>("kind");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("empty") << QString() << LaunchPlan::Nothing << QString() << QStringList{};
    QTest::newRow("folder marker") << dir + u"/with blank/"_s << LaunchPlan::OpenFolder
                                   << dir + u"/with blank/"_s << QStringList{};
    QTest::newRow("missing folder")
        << dir + u"/nowhere/"_s << LaunchPlan::NotFound << QString() << QStringList{};
    QTest::newRow("quoted path with a blank")
        << u"\""_s + dir + u"/with blank/bin/tool\" -a \"b c\""_s << LaunchPlan::Start
        << dir + u"/with blank/bin/tool"_s << QStringList{u"-a"_s, u"b c"_s};
    QTest::newRow("unquoted path with a blank")
        << dir + u"/with blank/bin/tool"_s << LaunchPlan::NotFound << QString() << QStringList{};
    QTest::newRow("bare name on PATH")
        << u"kova-launch-probe --now"_s << LaunchPlan::Start << dir + u"/path/kova-launch-probe"_s
        << QStringList{u"--now"_s};
    QTest::newRow("bare name nowhere")
        << u"kova-no-such-program"_s << LaunchPlan::NotFound << QString() << QStringList{};
    QTest::newRow("missing file") << dir + u"/gone/tool"_s << LaunchPlan::NotFound << QString()
                                  << QStringList{};
    QTest::newRow("folder without marker")
        << dir + u"/path"_s << LaunchPlan::NotStartable << QString() << QStringList{};
    QTest::newRow("not executable")
        << dir + u"/document.txt"_s << LaunchPlan::NotStartable << QString() << QStringList{};
    QTest::newRow("only blanks") << u"   "_s << LaunchPlan::NotFound << QString() << QStringList{};
}

void TestLauncherTable::planFollowsFilesAndPath() {
    QFETCH(QString, line);
    QFETCH(LaunchPlan::Kind, kind);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const LaunchPlan plan = kova::planLaunch(line);
    QCOMPARE(plan.kind, kind);
    QCOMPARE(plan.program, program);
    QCOMPARE(plan.arguments, arguments);
    if (kind == LaunchPlan::NotStartable)
        QVERIFY2(plan.reason.contains(line), qPrintable(plan.reason));
}

void TestLauncherTable::launchingAnEntryStartsOpensOrTells_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("startSucceeds");
    QTest::addColumn<QStringList>("started");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("program") << 0 << u"/bin/sh -c true"_s << true
                             << QStringList{u"/bin/sh"_s, u"-c"_s, u"true"_s} << QStringList{}
                             << QStringList{};
    QTest::newRow("folder") << 5 << u"/tmp/"_s << true << QStringList{} << QStringList{u"/tmp/"_s}
                            << QStringList{};
    QTest::newRow("missing") << 19 << u"/no/such/program"_s << true << QStringList{}
                             << QStringList{} << QStringList{u"ファイルが見つかりません。"_s};
    QTest::newRow("start refused")
        << 3 << u"/bin/sh"_s << false << QStringList{u"/bin/sh"_s} << QStringList{}
        << QStringList{u"「/bin/sh」を起動できません。"_s};
    QTest::newRow("placeholder") << 20 << QString() << true << QStringList{} << QStringList{}
                                 << QStringList{};
    QTest::newRow("out of range") << 21 << QString() << true << QStringList{} << QStringList{}
                                  << QStringList{};
}

void TestLauncherTable::launchingAnEntryStartsOpensOrTells() {
    QFETCH(int, row);
    QFETCH(QString, line);
    QFETCH(bool, startSucceeds);
    QFETCH(QStringList, started);
    QFETCH(QStringList, opened);
    QFETCH(QStringList, messages);
    FakePlatform platform;
    platform.startSucceeds = startSucceeds;
    QMenu menu;
    std::array<QAction*, kova::kLauncherEntryCount + 1> items{};
    for (QAction*& item : items)
        item = menu.addAction(QString());
    kova::Launcher launcher;
    launcher.attachMenu(items);
    for (int n = 0; n < 20; ++n)
        launcher.table()[n].commandLine = u"/bin/false"_s;
    if (row <= 20)
        launcher.table()[row].commandLine = line;
    if (row <= 20)
        items[row]->trigger();
    else
        launcher.LaunchEntry(row);
    QStringList startedAll;
    for (const auto& [program, arguments] : platform.started)
        startedAll << program << arguments;
    QCOMPARE(startedAll, started);
    QCOMPARE(platform.opened, opened);
    QCOMPARE(platform.messages, messages);
}

void TestLauncherTable::pathWithBlanksAndQuotesSurvivesAsOneWord() {
    for (const QString& path : {u"/a/b"_s, u"/a b/c"_s, u"/a\"b/c d"_s, u"/tab\there"_s}) {
        const QStringList words = QProcess::splitCommand(kova::commandLineWord(path));
        QCOMPARE(words, QStringList{path});
    }
}

QTEST_MAIN(TestLauncherTable)
#include "test_launcher_table.moc"
