#include "base/settings.h"
#include "core/main_window.h"
#include "core/tray_menus.h"
#include "desktopicon/desktop_icon_extension.h"

#include "support/running_program.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using kova::Form1;
using kova::ReadSetting;
using kova::WriteSetting;

namespace {

using Running = kova::test::RunningProgram;

// One line per item: indent, object name, caption, kind (">" submenu, "-"
// separator, " " item), "v" visible or "h" hidden.
void describe(const QMenu* menu, int depth, QStringList* out) {
    for (const QAction* a : menu->actions()) {
        const QString kind = a->menu() ? u">"_s : a->isSeparator() ? u"-"_s : u" "_s;
        out->append(QString(depth * 2, u' ') + a->objectName() + u'|' +
                    (a->isSeparator() ? QString() : a->text()) + u'|' + kind + u'|' +
                    (a->isVisible() ? u"v"_s : u"h"_s));
        if (a->menu())
            describe(a->menu(), depth + 1, out);
    }
}

} // namespace

class TestTrayBehaviour : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        // A menu left open by one test must not be seen by the next.
        for (QWidget* w : QApplication::topLevelWidgets())
            w->hide();
    }

    void doubleClickCountsTheDesktopIconCommandUp() {
        Running run("[a1]\r\nb7=True\r\n");
        QVERIFY(run.started);
        QCOMPARE(ReadSetting("desktop", "click"), u"0"_s);
        // Start-up handed the component its command once; each double-click does again.
        QCOMPARE(run.platform.started.size(), 1);
        const QString loader = run.platform.started.first().first;
        for (int i = 1; i <= 3; ++i) {
            run.form.trayMessage(515);
            QCOMPARE(ReadSetting("desktop", "click"), QString::number(i));
            QCOMPARE(run.platform.started.size(), 1 + i);
            QCOMPARE(run.platform.started.last().first, loader);
        }
    }

    void doubleClickLeavesTheCommandAloneUnlessSwitchingIsOn_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::newRow("False") << QByteArray("[a1]\r\nb7=False\r\n");
        QTest::newRow("lower-case true") << QByteArray("[a1]\r\nb7=true\r\n");
        QTest::newRow("upper-case TRUE") << QByteArray("[a1]\r\nb7=TRUE\r\n");
        QTest::newRow("key missing") << QByteArray("[a1]\r\nb8=True\r\n");
        QTest::newRow("empty") << QByteArray("[a1]\r\nb7=\r\n");
        QTest::newRow("one") << QByteArray("[a1]\r\nb7=1\r\n");
    }
    void doubleClickLeavesTheCommandAloneUnlessSwitchingIsOn() {
        QFETCH(QByteArray, settings);
        Running run(settings);
        QVERIFY(run.started);
        const auto startsBefore = run.platform.started.size();
        run.form.trayMessage(515);
        run.form.trayMessage(515);
        QCOMPARE(ReadSetting("desktop", "click"), u"0"_s);
        QCOMPARE(run.platform.started.size(), startsBefore);
    }

    void doubleClickReadsTheCommandByItsLeadingNumber_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("text") << u"abc"_s << u"1"_s;
        QTest::newRow("empty") << QString() << u"1"_s;
        QTest::newRow("number then text") << u"12abc"_s << u"13"_s;
        QTest::newRow("small icons") << u"2"_s << u"3"_s;
        QTest::newRow("large number") << u"2147483647"_s << u"2147483648"_s;
    }
    void doubleClickReadsTheCommandByItsLeadingNumber() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        Running run("[a1]\r\nb7=True\r\n");
        WriteSetting("desktop", "click", before);
        run.form.trayMessage(515);
        QCOMPARE(ReadSetting("desktop", "click"), after);
    }

    void rightPressOpensTheTrayMenu() {
        Running run("[a1]\r\nb7=True\r\n");
        QMenu* mnu = run.form.menus().mnu;
        QSignalSpy aboutToShow(mnu, &QMenu::aboutToShow);
        QVERIFY(!mnu->isVisible());
        run.form.trayMessage(516);
        QCOMPARE(aboutToShow.count(), 1);
        QVERIFY(mnu->isVisible());
        QCOMPARE(ReadSetting("desktop", "click"), u"0"_s);
    }

    void otherMouseMessagesDoNothing_data() {
        QTest::addColumn<int>("message");
        QTest::newRow("move") << 512;
        QTest::newRow("left down") << 513;
        QTest::newRow("left up") << 514;
        QTest::newRow("right up") << 517;
        QTest::newRow("right double-click") << 518;
        QTest::newRow("middle down") << 519;
        QTest::newRow("middle up") << 520;
        QTest::newRow("middle double-click") << 521;
        QTest::newRow("zero") << 0;
        QTest::newRow("negative") << -515;
    }
    void otherMouseMessagesDoNothing() {
        QFETCH(int, message);
        for (const QByteArray b7 : {"True", "False"}) {
            Running run("[a1]\r\nb7=" + b7 + "\r\n");
            const QByteArray before = run.home.read("KovaShell.ini");
            const auto startsBefore = run.platform.started.size();
            QSignalSpy aboutToShow(run.form.menus().mnu, &QMenu::aboutToShow);
            run.form.trayMessage(message);
            QCOMPARE(run.home.read("KovaShell.ini"), before);
            QCOMPARE(aboutToShow.count(), 0);
            QCOMPARE(run.platform.started.size(), startsBefore);
            QVERIFY(!run.form.hasEnded());
        }
    }

    void iconSizeItemsWriteTheirCommand_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("large from start") << 0 << u"0"_s << u"1"_s;
        QTest::newRow("large from small") << 0 << u"2"_s << u"1"_s;
        QTest::newRow("large from count") << 0 << u"7"_s << u"1"_s;
        QTest::newRow("small from large") << 1 << u"1"_s << u"2"_s;
        QTest::newRow("small from garbage") << 1 << u"abc"_s << u"2"_s;
        QTest::newRow("small twice") << 1 << u"2"_s << u"2"_s;
    }
    void iconSizeItemsWriteTheirCommand() {
        QFETCH(int, index);
        QFETCH(QString, before);
        QFETCH(QString, after);
        Running run;
        WriteSetting("desktop", "click", before);
        const auto startsBefore = run.platform.started.size();
        run.form.menus().mnuIcon[size_t(index)]->trigger();
        QCOMPARE(ReadSetting("desktop", "click"), after);
        // The component is handed the new command at once.
        QCOMPARE(run.platform.started.size(), startsBefore + 1);
    }

    void iconSizeHandlerIgnoresOtherIndexes() {
        Running run;
        WriteSetting("desktop", "click", "5");
        const auto startsBefore = run.platform.started.size();
        run.form.desktopIcon().mnuIcon_Click(2);
        run.form.desktopIcon().mnuIcon_Click(-1);
        QCOMPARE(ReadSetting("desktop", "click"), u"5"_s);
        QCOMPARE(run.platform.started.size(), startsBefore);
    }

    void trayMenuTreeIsAsDesigned() {
        Running run;
        const QStringList expected{u"mnuDesk|DesktopIcon|>|v"_s,
                                   u"  mnuIcon|「大きなアイコン」| |v"_s,
                                   u"  mnuIcon|「小さなアイコン」| |v"_s,
                                   u"mnuLine0||-|v"_s,
                                   u"mnuFusenshi|付箋紙|>|v"_s,
                                   u"  mnuNewHusen|[新規作成]| |v"_s,
                                   u"  mnuLine356||-|v"_s,
                                   u"  mnuFusenVisible|| |h"_s,
                                   u"  mnuLine04||-|v"_s,
                                   u"  mnuFusenSettei|(設定)| |v"_s,
                                   u"mnuLine12||-|v"_s,
                                   u"mnuLunch|ランチャー|>|v"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|| |h"_s,
                                   u"  mnuLun|(なし)| |v"_s,
                                   u"  mnuLine63||-|v"_s,
                                   u"  mnuLunSettei|(設定)| |v"_s,
                                   u"mnuLine1||-|v"_s,
                                   u"mnuMailCheker|メールチェッカー|>|v"_s,
                                   u"  MnuMailChk|メールチェック| |v"_s,
                                   u"  mnuLine234||-|v"_s,
                                   u"  mnuMailSettei|(設定)| |v"_s,
                                   u"mnuLine2||-|v"_s,
                                   u"mnuAllSettei|オプション設定| |v"_s,
                                   u"mnuLine3||-|v"_s,
                                   u"MnuEnd|終了| |v"_s};
        QStringList actual;
        describe(run.form.menus().mnu, 0, &actual);
        QCOMPARE(actual, expected);
        QCOMPARE(run.form.menus().mnu->title(), u"メニュー"_s);
        QCOMPARE(run.form.menus().mnu->objectName(), u"mnu"_s);
    }

    void noteMenuIsAsDesigned() {
        Running run;
        const QStringList expected{u"mnuEdit|編集| |v"_s, u"mnuFusenTOPMOST|最前面に表示| |v"_s,
                                   u"mnuFusenBACKMOST|最背面に表示| |v"_s,
                                   u"mnuFusenNonVisible|非表示| |v"_s, u"mnuKill|はがす| |v"_s};
        QStringList actual;
        describe(run.form.menus().mnuFusen, 0, &actual);
        QCOMPARE(actual, expected);
        QCOMPARE(run.form.menus().mnuFusen->title(), u"付箋"_s);
        QCOMPARE(run.form.menus().mnuFusen->objectName(), u"mnuFusen"_s);
    }

    void indexedItemsCarryTheirIndex() {
        Running run;
        const kova::TrayMenus& m = run.form.menus();
        for (int i = 0; i < 2; ++i)
            QCOMPARE(m.mnuIcon[size_t(i)]->property("index").toInt(), i);
        for (int i = 0; i <= 20; ++i) {
            QCOMPARE(m.mnuLun[size_t(i)]->property("index").toInt(), i);
            QCOMPARE(m.mnuLun[size_t(i)]->isVisible(), i == 20);
        }
        QCOMPARE(m.mnuLun[20]->text(), u"(なし)"_s);
        QAction* hiddenNote = m.fusenVisible(0);
        QVERIFY(hiddenNote != nullptr);
        QVERIFY(!hiddenNote->isVisible());
        QCOMPARE(hiddenNote->property("index").toInt(), 0);
    }

    void hiddenNoteEntriesStandBetweenTheSeparatorsInNumberOrder() {
        kova::TrayMenus menus;
        QSignalSpy triggered(&menus, &kova::TrayMenus::fusenVisibleTriggered);
        menus.ensureFusenVisible(7)->setText(u"seven"_s);
        menus.ensureFusenVisible(3)->setText(u"three"_s);
        QAction* again = menus.ensureFusenVisible(7);
        QCOMPARE(again->text(), u"seven"_s);
        QStringList order;
        for (const QAction* a : menus.mnuFusenshi->actions())
            order << a->objectName() + u':' + a->property("index").toString();
        QCOMPARE(order, (QStringList{u"mnuNewHusen:"_s, u"mnuLine356:"_s, u"mnuFusenVisible:0"_s,
                                     u"mnuFusenVisible:3"_s, u"mnuFusenVisible:7"_s,
                                     u"mnuLine04:"_s, u"mnuFusenSettei:"_s}));
        menus.fusenVisible(3)->trigger();
        QCOMPARE(triggered.count(), 1);
        QCOMPARE(triggered.first().first().toInt(), 3);
    }

    void notesSubmenuKeepsBothSeparatorsWithoutHiddenNotes() {
        kova::TrayMenus menus;
        menus.mnuFusenshi->popup(QPoint(0, 0));
        const QRect first = menus.mnuFusenshi->actionGeometry(menus.mnuLine356);
        const QRect second = menus.mnuFusenshi->actionGeometry(menus.mnuLine04);
        menus.mnuFusenshi->hide();
        // A collapsed separator gets no room of its own.
        QVERIFY(!first.isEmpty());
        QVERIFY(!second.isEmpty());
        QVERIFY(second.top() >= first.bottom());
    }
};

QTEST_MAIN(TestTrayBehaviour)
#include "test_tray_behaviour.moc"
