#include "base/settings.h"
#include "launcher/launcher.h"
#include "launcher/launcher_page.h"

#include "support/fake_platform.h"
#include "support/file_size_limit.h"
#include "support/read_only_folder.h"
#include "support/temp_home.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace kova;
using kova::test::FakePlatform;
using kova::test::TempHome;
using Names = QMap<int, QString>;
using Chosen = std::optional<QString>;
Q_DECLARE_METATYPE(LaunchPlan::Kind)

namespace {

const QString kIni = QLatin1String(kSettingsFileName);

// A launcher whose tray items live in a menu of their own.
struct MenuLauncher {
    QMenu menu;
    Launcher launcher;
    MenuLauncher() {
        std::array<QAction*, kLauncherEntryCount + 1> items{};
        for (int n = 0; n <= kLauncherEntryCount; ++n)
            items[n] = menu.addAction(n == 20 ? u"(なし)"_s : QString());
        items[20]->setVisible(true);
        launcher.attachMenu(items);
    }
    QStringList shown() const {
        QStringList texts;
        for (const QAction* a : menu.actions())
            if (a->isVisible())
                texts << a->text();
        return texts;
    }
};

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

void writeFile(const QString& path, QFile::Permissions permissions) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    file.setPermissions(permissions);
}

// The register button's own colour, away from its border and caption.
bool isRed(QPushButton* button) {
    const QImage image = button->grab().toImage();
    return image.pixelColor(3, image.height() / 2) == QColor(Qt::red);
}

} // namespace

class TestLauncher : public QObject {
    Q_OBJECT
private slots:
    void menuShowsNamedEntriesInOrderOrOnlyThePlaceholder_data();
    void menuShowsNamedEntriesInOrderOrOnlyThePlaceholder();
    void saveWritesAllFortyKeysInOneRewrite();
    void savedQuotedTextLoadsBackWhole();
    void unwritableFolderTellsOnceAndKeepsTheFile();
    void planFollowsFilesAndPath_data();
    void planFollowsFilesAndPath();
    void launchingAnEntryStartsOpensOrTells_data();
    void launchingAnEntryStartsOpensOrTells();
    void mousePressStoresTheEditButKeyboardMoveDoesNot();
    void registerButtonIsRedOnlyWhileBothBoxesHoldText_data();
    void registerButtonIsRedOnlyWhileBothBoxesHoldText();
    void registeringEntryOneWritesKeysZeroOnlyWithAName();
    void eraseThenCancelKeepsTheEntry();
    void folderBrowserEndsThePathWithOneSlash_data();
    void folderBrowserEndsThePathWithOneSlash();
    void fileBrowserCancelKeepsTheBoxAndAChosenPathLaunches();

private:
    QTemporaryDir files_;
};

void TestLauncher::menuShowsNamedEntriesInOrderOrOnlyThePlaceholder_data() {
    QTest::addColumn<Names>("names");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("none named") << Names{} << QStringList{u"(なし)"_s};
    QTest::newRow("entries 3 and 7")
        << Names{{6, u"七番"_s}, {2, u"三番"_s}} << QStringList{u"三番"_s, u"七番"_s};
}

void TestLauncher::menuShowsNamedEntriesInOrderOrOnlyThePlaceholder() {
    QFETCH(Names, names);
    QFETCH(QStringList, shown);
    MenuLauncher m;
    // A name removed since the last rebuild leaves the menu.
    m.launcher.table()[4].name = u"消える"_s;
    m.launcher.RebuildLauncherMenu();
    m.launcher.table()[4].name.clear();
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        m.launcher.table()[it.key()].name = it.value();
    m.launcher.RebuildLauncherMenu();
    QCOMPARE(m.shown(), shown);
}

void TestLauncher::saveWritesAllFortyKeysInOneRewrite() {
    TempHome home;
    const QByteArray before = "[a1]\r\nb7=True\r\n";
    home.write(kIni, before);
    LauncherTable table;
    table[1] = {u"エディタ"_s, u"mousepad"_s};
    {
        // Room for keys written one by one, not for all forty at once.
        kova::test::FileSizeLimit limit(120);
        QVERIFY(limit.active());
        QVERIFY(!SaveLauncherTable(table));
    }
    QCOMPARE(home.read(kIni), before);
    QCOMPARE(table[1].name, u"エディタ"_s); // kept for another try

    QVERIFY(SaveLauncherTable(table));
    for (const QByteArray section : {"Lunch0", "Lunch1"}) {
        const QList<QByteArray> lines = sectionLines(home.read(kIni), section);
        QCOMPARE(lines.size(), 20);
        for (int n = 0; n < 20; ++n)
            QVERIFY(n == 1 ? lines[n].size() > 2 : lines[n] == QByteArray::number(n) + '=');
    }
    QCOMPARE(ReadSetting(u"Lunch1"_s, u"1"_s), u"mousepad"_s);
}

void TestLauncher::savedQuotedTextLoadsBackWhole() {
    TempHome home;
    LauncherTable table;
    table[18] = {u"'引用'"_s, u"\"/opt/表 計算/run\" \"a b\""_s};
    table[20] = {u"stray"_s, u"/bin/false"_s};
    const LauncherTable typed = table;
    QVERIFY(SaveLauncherTable(table));
    QCOMPARE(table[18].name, typed[18].name);
    QCOMPARE(table[18].commandLine, typed[18].commandLine);
    QCOMPARE(table[20].commandLine, QString());
}

void TestLauncher::unwritableFolderTellsOnceAndKeepsTheFile() {
    TempHome home;
    kova::test::ReadOnlyFolder folder(home.path());
    if (!folder.usable())
        QSKIP(qPrintable(folder.why()));
    const QByteArray before = "[Lunch0]\r\n0=old\r\n";
    home.write(kIni, before);
    QVERIFY(folder.seal());
    FakePlatform platform;
    Launcher launcher;
    launcher.table()[0].name = u"new"_s;
    QVERIFY(!launcher.SaveLauncherTable());
    QCOMPARE(platform.messages, QStringList{kSettingsNotSaved});
    QCOMPARE(platform.messageButtons, QList<Buttons>{Buttons::Ok});
    QCOMPARE(home.read(kIni), before);
}

void TestLauncher::planFollowsFilesAndPath_data() {
    QVERIFY(files_.isValid());
    const QString dir = files_.path();
    QDir(dir).mkpath(u"with blank"_s);
    QDir(dir).mkpath(u"path"_s);
    writeFile(dir + u"/with blank/tool"_s, QFile::ReadOwner | QFile::ExeOwner);
    writeFile(dir + u"/path/kova-probe"_s, QFile::ReadOwner | QFile::ExeOwner);
    writeFile(dir + u"/document.txt"_s, QFile::ReadOwner);
    qputenv("PATH", QFile::encodeName(dir + u"/path:"_s) + qgetenv("PATH"));

    QTest::addColumn<QString>("line");
    QTest::addColumn<LaunchPlan::Kind>("kind");
    QTest::addColumn<QStringList>("programAndArguments");
    const QString tool = dir + u"/with blank/tool"_s;
    QTest::newRow("empty") << QString() << LaunchPlan::Nothing << QStringList{u""_s};
    QTest::newRow("folder marker") << dir + u"/with blank/"_s << LaunchPlan::OpenFolder
                                   << QStringList{dir + u"/with blank/"_s};
    QTest::newRow("missing folder")
        << dir + u"/nowhere/"_s << LaunchPlan::NotFound << QStringList{u""_s};
    QTest::newRow("quoted path with a blank")
        << u"\""_s + tool + u"\" -a \"b c\""_s << LaunchPlan::Start
        << QStringList{tool, u"-a"_s, u"b c"_s};
    QTest::newRow("unquoted path with a blank")
        << tool << LaunchPlan::NotFound << QStringList{u""_s};
    QTest::newRow("bare name on PATH") << u"kova-probe --now"_s << LaunchPlan::Start
                                       << QStringList{dir + u"/path/kova-probe"_s, u"--now"_s};
    QTest::newRow("shell words") << u"kova-probe a 'b c' f\\ g ~/x"_s << LaunchPlan::Start
                                 << QStringList{dir + u"/path/kova-probe"_s, u"a"_s, u"b c"_s,
                                                u"f g"_s, QDir::homePath() + u"/x"_s};
    QTest::newRow("quote left open")
        << u"kova-probe 'a"_s << LaunchPlan::NotStartable << QStringList{u""_s};
    QTest::newRow("bare name nowhere")
        << u"kova-no-such-program"_s << LaunchPlan::NotFound << QStringList{u""_s};
    QTest::newRow("folder without marker")
        << dir + u"/path"_s << LaunchPlan::NotStartable << QStringList{u""_s};
    QTest::newRow("not executable")
        << dir + u"/document.txt"_s << LaunchPlan::NotStartable << QStringList{u""_s};
}

void TestLauncher::planFollowsFilesAndPath() {
    QFETCH(QString, line);
    QFETCH(LaunchPlan::Kind, kind);
    QFETCH(QStringList, programAndArguments);
    const LaunchPlan plan = planLaunch(line);
    QCOMPARE(plan.kind, kind);
    QCOMPARE(QStringList{plan.program} + plan.arguments, programAndArguments);
    if (kind == LaunchPlan::NotStartable)
        QVERIFY2(plan.reason.contains(line), qPrintable(plan.reason));
}

void TestLauncher::launchingAnEntryStartsOpensOrTells_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("startSucceeds");
    QTest::addColumn<QStringList>("startedOrOpened");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("program") << 0 << u"/bin/sh -c true"_s << true
                             << QStringList{u"/bin/sh"_s, u"-c"_s, u"true"_s} << QStringList{};
    QTest::newRow("folder") << 5 << u"/tmp/"_s << true << QStringList{u"open /tmp/"_s}
                            << QStringList{};
    QTest::newRow("missing") << 19 << u"/no/such/program"_s << true << QStringList{}
                             << QStringList{u"ファイルが見つかりません。"_s};
    QTest::newRow("start refused") << 3 << u"/bin/sh"_s << false << QStringList{u"/bin/sh"_s}
                                   << QStringList{u"「/bin/sh」を起動できません。"_s};
    QTest::newRow("placeholder") << 20 << QString() << true << QStringList{} << QStringList{};
}

void TestLauncher::launchingAnEntryStartsOpensOrTells() {
    QFETCH(int, row);
    QFETCH(QString, line);
    QFETCH(bool, startSucceeds);
    QFETCH(QStringList, startedOrOpened);
    QFETCH(QStringList, messages);
    FakePlatform platform;
    platform.startSucceeds = startSucceeds;
    MenuLauncher m;
    for (int n = 0; n < 20; ++n)
        m.launcher.table()[n].commandLine = u"/bin/false"_s;
    m.launcher.table()[row].commandLine = line;
    m.menu.actions()[row]->trigger();
    QStringList actual;
    for (const auto& [program, arguments] : platform.started)
        actual << program << arguments;
    for (const QString& target : platform.opened)
        actual << u"open "_s + target;
    QCOMPARE(actual, startedOrOpened);
    QCOMPARE(platform.messages, messages);
}

void TestLauncher::mousePressStoresTheEditButKeyboardMoveDoesNot() {
    Launcher launcher;
    for (int n = 0; n < 3; ++n)
        launcher.table()[n] = {QString::number(n), u"cmd"_s + QString::number(n)};
    LauncherPage page(launcher);
    QVERIFY(page.Option1[0]->isChecked());
    QCOMPARE(page.Text8->text(), u"cmd0"_s);
    page.show();
    QVERIFY(QTest::qWaitForWindowActive(&page));

    page.Text7->setText(u"edited"_s);
    QVERIFY(isRed(page.Command3));
    QTest::mousePress(page.Option1[1], Qt::LeftButton);
    QCOMPARE(launcher.table()[0].name, u"edited"_s);
    QVERIFY(!isRed(page.Command3));
    QTest::mouseRelease(page.Option1[1], Qt::LeftButton);
    QCOMPARE(page.selectedEntry(), 1);
    QCOMPARE(page.Text7->text(), u"1"_s);

    page.Text8->setText(u"lost"_s);
    page.Option1[1]->setFocus();
    QTest::keyClick(page.Option1[1], Qt::Key_Down);
    QCOMPARE(page.selectedEntry(), 2);
    QCOMPARE(page.Text8->text(), u"cmd2"_s);
    QCOMPARE(launcher.table()[1].commandLine, u"cmd1"_s);
}

void TestLauncher::registerButtonIsRedOnlyWhileBothBoxesHoldText_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("line");
    QTest::newRow("both") << u"名前"_s << u"/bin/true"_s;
    QTest::newRow("name only") << u"名前"_s << QString();
    QTest::newRow("line only") << QString() << u"/bin/true"_s;
}

void TestLauncher::registerButtonIsRedOnlyWhileBothBoxesHoldText() {
    QFETCH(QString, name);
    QFETCH(QString, line);
    const bool red = !name.isEmpty() && !line.isEmpty();
    Launcher launcher;
    launcher.table()[3] = {name, line};
    LauncherPage page(launcher);
    QVERIFY(!isRed(page.Command3));
    page.selectEntry(3); // filled from the table
    QCOMPARE(isRed(page.Command3), red);
    page.selectEntry(0); // typed
    page.Text7->setText(name);
    page.Text8->setText(line);
    QCOMPARE(isRed(page.Command3), red);
    page.grab().save(QStringLiteral(KOVA_ARTIFACTS "/launcher_page-%1.png")
                         .arg(QString::fromLatin1(QTest::currentDataTag())));
}

void TestLauncher::registeringEntryOneWritesKeysZeroOnlyWithAName() {
    TempHome home;
    FakePlatform platform;
    MenuLauncher m;
    LauncherPage page(m.launcher);
    page.Text8->setText(u"xterm -e top"_s);
    page.Command3->click();
    QCOMPARE(platform.messages, QStringList{u"名前を付けてください。"_s});
    QVERIFY(!SettingsFileExists());

    page.Text7->setText(u"端末"_s);
    page.Command3->click();
    QCOMPARE(ReadSetting(u"Lunch0"_s, u"0"_s), u"端末"_s);
    QCOMPARE(ReadSetting(u"Lunch1"_s, u"0"_s), u"xterm -e top"_s);
    QCOMPARE(m.shown(), QStringList{u"端末"_s});
    QVERIFY(!isRed(page.Command3));
    QCOMPARE(platform.messages.size(), 1);
}

void TestLauncher::eraseThenCancelKeepsTheEntry() {
    TempHome home;
    MenuLauncher m;
    m.launcher.table()[0] = {u"端末"_s, u"xterm"_s};
    QVERIFY(m.launcher.SaveLauncherTable());
    const QByteArray file = home.read(kIni);
    LauncherPage page(m.launcher);
    page.Command13->click();
    QCOMPARE(page.Text7->text(), QString());
    QCOMPARE(m.launcher.table()[0].name, QString());
    // The dialog's Cancel.
    m.launcher.LoadLauncherTable();
    m.launcher.RebuildLauncherMenu();
    QCOMPARE(m.shown(), QStringList{u"端末"_s});
    QCOMPARE(home.read(kIni), file);
}

void TestLauncher::folderBrowserEndsThePathWithOneSlash_data() {
    QTest::addColumn<Chosen>("answer");
    QTest::addColumn<QString>("line");
    QTest::newRow("folder") << Chosen(u"/home/u/文書"_s) << u"/home/u/文書/"_s;
    QTest::newRow("root") << Chosen(u"/"_s) << u"/"_s;
    QTest::newRow("cancelled") << Chosen() << u"before"_s;
}

void TestLauncher::folderBrowserEndsThePathWithOneSlash() {
    QFETCH(Chosen, answer);
    QFETCH(QString, line);
    FakePlatform platform;
    platform.folderAnswer = answer;
    Launcher launcher;
    LauncherPage page(launcher);
    page.Text8->setText(u"before"_s);
    page.Command5->click();
    QCOMPARE(page.Text8->text(), line);
    QCOMPARE(platform.folderDialogs.value(0).first, u"フォルダを選択してください"_s);
    QVERIFY(QFileInfo(platform.folderDialogs.value(0).second).isDir());
}

void TestLauncher::fileBrowserCancelKeepsTheBoxAndAChosenPathLaunches() {
    FakePlatform platform;
    Launcher launcher;
    LauncherPage page(launcher);
    page.Text8->setText(u"before"_s);
    page.Command4->click();
    QCOMPARE(page.Text8->text(), u"before"_s);

    QTemporaryDir dir;
    // Japanese file names often hold a full-width space.
    platform.fileAnswer = dir.path() + u"/\u8868\u3000\u8a08\u7b97"_s;
    writeFile(*platform.fileAnswer, QFile::ReadOwner | QFile::ExeOwner);
    page.Command4->click();
    const LaunchPlan plan = planLaunch(page.Text8->text());
    QCOMPARE(plan.kind, LaunchPlan::Start);
    QCOMPARE(plan.program, *platform.fileAnswer);
}

QTEST_MAIN(TestLauncher)
#include "test_launcher.moc"
