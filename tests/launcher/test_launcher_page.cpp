#include "launcher/launcher.h"
#include "launcher/launcher_page.h"
#include "platform/settings.h"

#include "support/fake_platform.h"
#include "support/temp_home.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;
using kova::Launcher;
using kova::LauncherPage;
using kova::test::FakePlatform;
using kova::test::TempHome;

namespace {

// The register button's own colour, away from its border and caption.
QColor faceOf(QPushButton* button) {
    const QImage image = button->grab().toImage();
    return image.pixelColor(3, image.height() / 2);
}

// A launcher whose tray items live in a menu of their own.
struct MenuLauncher {
    QMenu menu;
    Launcher launcher;
    MenuLauncher() {
        std::array<QAction*, kova::kLauncherEntryCount + 1> items{};
        for (int n = 0; n <= kova::kLauncherEntryCount; ++n)
            items[n] = menu.addAction(n == 20 ? u"(なし)"_s : QString());
        launcher.attachMenu(items);
    }
    QStringList shown() const {
        QStringList texts;
        for (const QAction* a : menu.actions()) {
            if (a->isVisible())
                texts << a->text();
        }
        return texts;
    }
};

} // namespace

class TestLauncherPage : public QObject {
    Q_OBJECT
private slots:
    void opensOnNumberOneShowingEntryOne();
    void mousePressStoresTheEditButKeyboardMoveDoesNot();
    void registerButtonIsRedOnlyWhileBothBoxesHoldText_data();
    void registerButtonIsRedOnlyWhileBothBoxesHoldText();
    void pressOnANumberButtonTurnsRedBack();
    void registeringWithoutANameTellsAndStoresNothing();
    void registeringEntryOneWritesKeysZeroAndShowsInTheMenu();
    void eraseThenCancelKeepsTheEntry();
    void folderBrowserEndsThePathWithOneSlash_data();
    void folderBrowserEndsThePathWithOneSlash();
    void fileBrowserCancelKeepsTheBoxAndAChosenPathLaunches();
};

void TestLauncherPage::opensOnNumberOneShowingEntryOne() {
    Launcher launcher;
    launcher.table()[0] = {u"一"_s, u"cmd1"_s};
    launcher.table()[1] = {u"二"_s, u"cmd2"_s};
    LauncherPage page(launcher);
    QVERIFY(page.Option1[0]->isChecked());
    QCOMPARE(page.selectedEntry(), 0);
    QCOMPARE(page.Text7->text(), u"一"_s);
    QCOMPARE(page.Text8->text(), u"cmd1"_s);
}

void TestLauncherPage::mousePressStoresTheEditButKeyboardMoveDoesNot() {
    Launcher launcher;
    launcher.table()[0] = {u"一"_s, u"cmd1"_s};
    launcher.table()[1] = {u"二"_s, u"cmd2"_s};
    launcher.table()[2] = {u"三"_s, u"cmd3"_s};
    LauncherPage page(launcher);
    page.show();
    QVERIFY(QTest::qWaitForWindowActive(&page));

    page.Text7->setText(u"一改"_s);
    QTest::mouseClick(page.Option1[1], Qt::LeftButton);
    QCOMPARE(launcher.table()[0].name, u"一改"_s);
    QCOMPARE(page.selectedEntry(), 1);
    QCOMPARE(page.Text7->text(), u"二"_s);

    page.Text8->setText(u"cmd2改"_s);
    page.Option1[1]->setFocus();
    QTest::keyClick(page.Option1[1], Qt::Key_Down);
    QVERIFY(page.Option1[2]->isChecked());
    QCOMPARE(page.selectedEntry(), 2);
    QCOMPARE(page.Text8->text(), u"cmd3"_s);
    QCOMPARE(launcher.table()[1].commandLine, u"cmd2"_s);
}

void TestLauncherPage::registerButtonIsRedOnlyWhileBothBoxesHoldText_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("red");
    QTest::newRow("both") << u"名前"_s << u"/bin/true"_s << true;
    QTest::newRow("name only") << u"名前"_s << QString() << false;
    QTest::newRow("line only") << QString() << u"/bin/true"_s << false;
    QTest::newRow("neither") << QString() << QString() << false;
}

void TestLauncherPage::registerButtonIsRedOnlyWhileBothBoxesHoldText() {
    QFETCH(QString, name);
    QFETCH(QString, line);
    QFETCH(bool, red);
    Launcher launcher;
    launcher.table()[3] = {name, line};
    LauncherPage page(launcher);
    QVERIFY(faceOf(page.Command3) != QColor(Qt::red));
    // Chosen with its boxes filled from the table, and typed in afterwards.
    page.selectEntry(3);
    QCOMPARE(faceOf(page.Command3) == QColor(Qt::red), red);
    page.selectEntry(0);
    page.Text7->setText(name);
    page.Text8->setText(line);
    QCOMPARE(faceOf(page.Command3) == QColor(Qt::red), red);
    page.grab().save(QStringLiteral(KOVA_ARTIFACTS "/launcher_page-%1.png")
                         .arg(QString::fromLatin1(QTest::currentDataTag())));
}

void TestLauncherPage::pressOnANumberButtonTurnsRedBack() {
    Launcher launcher;
    LauncherPage page(launcher);
    page.show();
    page.Text7->setText(u"名前"_s);
    page.Text8->setText(u"/bin/true"_s);
    QCOMPARE(faceOf(page.Command3), QColor(Qt::red));
    QTest::mousePress(page.Option1[4], Qt::LeftButton);
    QVERIFY(faceOf(page.Command3) != QColor(Qt::red));
    QCOMPARE(launcher.table()[0].name, u"名前"_s);
    QTest::mouseRelease(page.Option1[4], Qt::LeftButton);
}

void TestLauncherPage::registeringWithoutANameTellsAndStoresNothing() {
    TempHome home;
    FakePlatform platform;
    Launcher launcher;
    LauncherPage page(launcher);
    page.Text8->setText(u"/bin/true"_s);
    page.Command3->click();
    QCOMPARE(platform.messages, QStringList{u"名前を付けてください。"_s});
    QCOMPARE(platform.messageButtons, QList<kova::Buttons>{kova::Buttons::Ok});
    QCOMPARE(launcher.table()[0].commandLine, QString());
    QVERIFY(!kova::SettingsFileExists());
}

void TestLauncherPage::registeringEntryOneWritesKeysZeroAndShowsInTheMenu() {
    TempHome home;
    FakePlatform platform;
    MenuLauncher menu;
    LauncherPage page(menu.launcher);
    page.Text7->setText(u"端末"_s);
    page.Text8->setText(u"xterm -e top"_s);
    page.Command3->click();
    QCOMPARE(kova::ReadSetting(u"Lunch0"_s, u"0"_s), u"端末"_s);
    QCOMPARE(kova::ReadSetting(u"Lunch1"_s, u"0"_s), u"xterm -e top"_s);
    QCOMPARE(menu.shown(), QStringList{u"端末"_s});
    QVERIFY(faceOf(page.Command3) != QColor(Qt::red));
    QCOMPARE(platform.messages, QStringList{});
}

void TestLauncherPage::eraseThenCancelKeepsTheEntry() {
    TempHome home;
    FakePlatform platform;
    MenuLauncher menu;
    menu.launcher.table()[0] = {u"端末"_s, u"xterm"_s};
    QVERIFY(menu.launcher.SaveLauncherTable());
    menu.launcher.RebuildLauncherMenu();
    const QByteArray file = home.read(QLatin1String(kova::kSettingsFileName));
    {
        LauncherPage page(menu.launcher);
        page.Command13->click();
        QCOMPARE(page.Text7->text(), QString());
        QCOMPARE(menu.launcher.table()[0].name, QString());
    }
    // The dialog's Cancel.
    menu.launcher.LoadLauncherTable();
    menu.launcher.RebuildLauncherMenu();
    QCOMPARE(menu.launcher.table()[0].name, u"端末"_s);
    QCOMPARE(menu.shown(), QStringList{u"端末"_s});
    QCOMPARE(home.read(QLatin1String(kova::kSettingsFileName)), file);
}

void TestLauncherPage::folderBrowserEndsThePathWithOneSlash_data() {
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QString>("line");
    QTest::newRow("folder") << std::optional(u"/home/u/文書"_s) << u"/home/u/文書/"_s;
    QTest::newRow("root") << std::optional(u"/"_s) << u"/"_s;
    QTest::newRow("cancelled") << std::optional<QString>() << u"before"_s;
}

void TestLauncherPage::folderBrowserEndsThePathWithOneSlash() {
    QFETCH(std::optional<QString>, answer);
    QFETCH(QString, line);
    FakePlatform platform;
    platform.folderAnswer = answer;
    Launcher launcher;
    LauncherPage page(launcher);
    page.Text8->setText(u"before"_s);
    page.Command5->click();
    QCOMPARE(page.Text8->text(), line);
    QCOMPARE(platform.folderDialogs.size(), 1);
    QCOMPARE(platform.folderDialogs[0].first, u"フォルダを選択してください"_s);
    QVERIFY(QFileInfo(platform.folderDialogs[0].second).isDir());
}

void TestLauncherPage::fileBrowserCancelKeepsTheBoxAndAChosenPathLaunches() {
    FakePlatform platform;
    Launcher launcher;
    LauncherPage page(launcher);
    page.Text8->setText(u"before"_s);
    page.Command4->click();
    QCOMPARE(page.Text8->text(), u"before"_s);

    QTemporaryDir dir;
    const QString program = dir.path() + u"/my tool"_s;
    QFile file(program);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    platform.fileAnswer = program;
    page.Command4->click();
    const kova::LaunchPlan plan = kova::planLaunch(page.Text8->text());
    QCOMPARE(plan.kind, kova::LaunchPlan::Start);
    QCOMPARE(plan.program, program);
}

QTEST_MAIN(TestLauncherPage)
#include "test_launcher_page.moc"
