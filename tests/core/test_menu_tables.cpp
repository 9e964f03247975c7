#include "core/main_window.h"
#include "core/tray_menus.h"

#include "support/running_program.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTest>

using namespace Qt::StringLiterals;

// The end-to-end tests find menu items by caption through these tables; a
// stale table would send their key presses to the wrong item.
namespace {

// The item lines of a table, without comments and blank lines.
QStringList readTable(const char* path) {
    QFile file(QString::fromUtf8(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {u"cannot read "_s + file.fileName()};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        lines << line;
    }
    return lines;
}

// The menu written as a table: a run of hidden items of one indexed array is
// its "{NAME}" line, and a shown item of such an array (a placeholder while
// the array shows nothing) is marked " !{NAME}".
void describe(const QMenu* menu, int depth, QStringList* out) {
    const QString indent(depth * 2, u' ');
    const QList<QAction*> actions = menu->actions();
    QStringList slotNames;
    for (const QAction* a : actions) {
        if (!a->isVisible())
            slotNames << a->objectName();
    }
    QString previousSlot;
    for (const QAction* a : actions) {
        if (!a->isVisible()) {
            if (a->objectName() != previousSlot)
                out->append(indent + u'{' + a->objectName() + u'}');
            previousSlot = a->objectName();
            continue;
        }
        previousSlot.clear();
        if (a->isSeparator()) {
            out->append(indent + u'-');
            continue;
        }
        QString line = indent + a->text();
        if (slotNames.contains(a->objectName()))
            line += u" !{"_s + a->objectName() + u'}';
        out->append(line);
        if (a->menu())
            describe(a->menu(), depth + 1, out);
    }
}

QStringList described(const QMenu* menu) {
    QStringList lines;
    describe(menu, 0, &lines);
    return lines;
}

// Empty when the menu matches the table, else where they part.
QString mismatch(const QMenu* menu, const char* tablePath) {
    const QStringList actual = described(menu);
    const QStringList table = readTable(tablePath);
    for (qsizetype i = 0; i < qMax(actual.size(), table.size()); ++i) {
        const QString want = i < table.size() ? table[i] : u"(end)"_s;
        const QString have = i < actual.size() ? actual[i] : u"(end)"_s;
        if (want != have)
            return u"item line %1 of %2: the table has \"%3\", the menu \"%4\""_s.arg(i + 1).arg(
                QString::fromUtf8(tablePath), want, have);
    }
    return {};
}

} // namespace

class TestMenuTables : public QObject {
    Q_OBJECT
private slots:
    void trayMenuTableMatchesTheBuiltMenu() {
        kova::TrayMenus menus;
        const QString diff = mismatch(menus.mnu, KOVA_TRAY_MENU_TABLE);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    void trayMenuTableMatchesTheMenuAfterAFreshStart() {
        kova::test::RunningProgram run;
        QVERIFY(run.started);
        const QString diff = mismatch(run.form.menus().mnu, KOVA_TRAY_MENU_TABLE);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    void noteMenuTableMatchesTheBuiltMenu() {
        kova::TrayMenus menus;
        const QString diff = mismatch(menus.mnuFusen, KOVA_NOTE_MENU_TABLE);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    void aNewItemMakesTheTableStale() {
        kova::TrayMenus menus;
        menus.mnuMailCheker->addAction(u"受信履歴"_s);
        QCOMPARE(mismatch(menus.mnu, KOVA_TRAY_MENU_TABLE),
                 u"item line 22 of %1: the table has \"-\", the menu \"  受信履歴\""_s.arg(
                     QString::fromUtf8(KOVA_TRAY_MENU_TABLE)));
    }

    void aShownHiddenNoteEntryMakesTheTableStale() {
        // The table describes a fresh start; entries shown later are the
        // callers' to name.
        kova::TrayMenus menus;
        menus.ensureFusenVisible(0)->setVisible(true);
        QVERIFY(!mismatch(menus.mnu, KOVA_TRAY_MENU_TABLE).isEmpty());
    }
};

QTEST_MAIN(TestMenuTables)
#include "test_menu_tables.moc"
