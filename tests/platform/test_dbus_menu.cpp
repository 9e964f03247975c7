#include "platform/dbus_menu.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using kova::DBusMenu;
using kova::DBusMenuLayoutItem;

namespace {

// One line per exported item: indent, then its properties as key=value.
void describe(const DBusMenuLayoutItem& item, int depth, QStringList* out) {
    QStringList properties;
    for (auto it = item.properties.constBegin(); it != item.properties.constEnd(); ++it)
        properties << it.key() + u'=' + it.value().toString();
    out->append(QString(depth * 2, u' ') + properties.join(u' '));
    for (const DBusMenuLayoutItem& child : item.children)
        describe(child, depth + 1, out);
}

QStringList layoutOf(DBusMenu& exported) {
    DBusMenuLayoutItem layout;
    exported.GetLayout(0, -1, {}, layout);
    QStringList lines;
    describe(layout, 0, &lines);
    return lines;
}

// A tray menu in small: a submenu with a hidden entry between two lines.
struct Menu {
    Menu() {
        notes = root.addMenu(u"付箋紙"_s);
        create = notes->addAction(u"[新規作成]"_s);
        notes->addSeparator();
        hidden = notes->addAction(QString());
        hidden->setVisible(false);
        notes->addSeparator();
        root.addAction(u"終了"_s)->setEnabled(false);
    }
    QMenu root;
    QMenu* notes = nullptr;
    QAction* create = nullptr;
    QAction* hidden = nullptr;
};

} // namespace

class TestDBusMenu : public QObject {
    Q_OBJECT
private slots:
    // Hidden items are left out; what the host shows is told once the loop is idle.
    void changesAreToldOnceTheLoopIsIdle() {
        Menu menu;
        DBusMenu exported(&menu.root);
        QSignalSpy layouts(&exported, &DBusMenu::LayoutUpdated);
        QSignalSpy properties(&exported, &DBusMenu::ItemsPropertiesUpdated);
        const uint before = exported.revision();
        QCOMPARE(layoutOf(exported),
                 (QStringList{u"children-display=submenu"_s,
                              u"  children-display=submenu enabled=true label=付箋紙"_s,
                              u"    enabled=true label=[新規作成]"_s, u"    type=separator"_s,
                              u"    type=separator"_s, u"  enabled=false label=終了"_s}));

        // A hidden note shown again: its entry comes into the layout, told once.
        menu.hidden->setText(u"メモ_1 &A"_s);
        menu.hidden->setVisible(true);
        QTRY_COMPARE(layouts.size(), 1);
        QCOMPARE(layouts.first().at(0).toUInt(), before + 1);
        QCOMPARE(properties.size(), 0);
        QVERIFY(layoutOf(exported).contains(u"    enabled=true label=メモ__1 _A"_s));

        // A caption changed: only that item's properties.
        menu.create->setText(u"new"_s);
        QTRY_COMPARE(properties.size(), 1);
        const auto updated = properties.first().at(0).value<QList<kova::DBusMenuItem>>();
        QCOMPARE(updated.size(), 1);
        QCOMPARE(updated.first().properties.value(u"label"_s).toString(), u"new"_s);
        QCOMPARE(exported.GetProperty(updated.first().id, u"label"_s).variant().toString(),
                 u"new"_s);

        // Items added to a submenu, and one taken out.
        menu.notes->addAction(u"later"_s);
        menu.notes->removeAction(menu.create);
        QTRY_COMPARE(layouts.size(), 2);
        QStringList shown = layoutOf(exported);
        QVERIFY(shown.contains(u"    enabled=true label=later"_s));
        QVERIFY(!shown.contains(u"    enabled=true label=new"_s));

        // Nothing a host shows changed: nothing told.
        menu.hidden->setToolTip(u"tip"_s);
        menu.notes->menuAction()->setStatusTip(u"tip"_s);
        QTest::qWait(20);
        QCOMPARE(layouts.size(), 2);
        QCOMPARE(properties.size(), 1);
    }

    void clickedItemIsTriggeredAfterTheReply() {
        Menu menu;
        DBusMenu exported(&menu.root);
        QSignalSpy created(menu.create, &QAction::triggered);
        QSignalSpy quitted(menu.root.actions().last(), &QAction::triggered);
        // Ids in menu order: 付箋紙 1, [新規作成] 2, the lines 3 and 4, 終了 5.
        exported.Event(2, u"hovered"_s, QDBusVariant(0), 0);
        exported.Event(2, u"clicked"_s, QDBusVariant(0), 0);
        QCOMPARE(created.size(), 0);
        QTRY_COMPARE(created.size(), 1);
        // A disabled item, a submenu, or an id never shown does nothing.
        const QList<int> unknown = exported.EventGroup({{5, u"clicked"_s, QDBusVariant(0), 0},
                                                        {1, u"clicked"_s, QDBusVariant(0), 0},
                                                        {99, u"clicked"_s, QDBusVariant(0), 0}});
        QCOMPARE(unknown, QList<int>{99});
        QTest::qWait(20);
        QCOMPARE(quitted.size(), 0);
        QCOMPARE(created.size(), 1);
    }

    void captionsWriteTheMnemonicAsDBusMenuDoes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("label");
        QTest::newRow("plain") << u"オプション設定"_s << u"オプション設定"_s;
        QTest::newRow("mnemonic") << u"&File"_s << u"_File"_s;
        QTest::newRow("ampersand") << u"A && B"_s << u"A & B"_s;
        QTest::newRow("underscore") << u"my_tool"_s << u"my__tool"_s;
        QTest::newRow("trailing ampersand") << u"A&"_s << u"A"_s;
    }
    void captionsWriteTheMnemonicAsDBusMenuDoes() {
        QFETCH(QString, text);
        QFETCH(QString, label);
        QCOMPARE(kova::dbusMenuLabel(text), label);
    }
};

QTEST_MAIN(TestDBusMenu)
#include "test_dbus_menu.moc"
