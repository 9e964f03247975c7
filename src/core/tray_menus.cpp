#include "tray_menus.h"

#include <QAction>
#include <QMenu>

namespace kova {

namespace {

QAction* addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QAction* addLine(QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QMenu* addSubmenu(QMenu* menu, const char* name, const QString& caption) {
    QMenu* sub = menu->addMenu(caption);
    sub->setObjectName(QString::fromLatin1(name));
    sub->menuAction()->setObjectName(QString::fromLatin1(name));
    return sub;
}

} // namespace

TrayMenus::TrayMenus(QObject* parent) : QObject(parent) {
    mnu = new QMenu(QStringLiteral("メニュー"));
    mnu->setObjectName(QStringLiteral("mnu"));

    mnuDesk = addSubmenu(mnu, "mnuDesk", QStringLiteral("DesktopIcon"));
    mnuIcon[0] = addItem(mnuDesk, "mnuIcon", QStringLiteral("「大きなアイコン」"));
    mnuIcon[1] = addItem(mnuDesk, "mnuIcon", QStringLiteral("「小さなアイコン」"));
    for (int i = 0; i < 2; ++i)
        mnuIcon[i]->setProperty("index", i);
    addLine(mnu, "mnuLine0");

    mnuFusenshi = addSubmenu(mnu, "mnuFusenshi", QStringLiteral("付箋紙"));
    mnuNewHusen = addItem(mnuFusenshi, "mnuNewHusen", QStringLiteral("[新規作成]"));
    mnuLine356 = addLine(mnuFusenshi, "mnuLine356");
    mnuLine04 = addLine(mnuFusenshi, "mnuLine04");
    mnuFusenSettei = addItem(mnuFusenshi, "mnuFusenSettei", QStringLiteral("(設定)"));
    // With no hidden notes the two lines stand side by side; both stay.
    mnuFusenshi->setSeparatorsCollapsible(false);
    ensureFusenVisible(0)->setVisible(false);
    addLine(mnu, "mnuLine12");

    mnuLunch = addSubmenu(mnu, "mnuLunch", QStringLiteral("ランチャー"));
    for (int i = 0; i < 21; ++i) {
        mnuLun[i] = addItem(mnuLunch, "mnuLun", i == 20 ? QStringLiteral("(なし)") : QString());
        mnuLun[i]->setProperty("index", i);
        mnuLun[i]->setVisible(i == 20);
    }
    addLine(mnuLunch, "mnuLine63");
    mnuLunSettei = addItem(mnuLunch, "mnuLunSettei", QStringLiteral("(設定)"));
    addLine(mnu, "mnuLine1");

    mnuMailCheker = addSubmenu(mnu, "mnuMailCheker", QStringLiteral("メールチェッカー"));
    MnuMailChk = addItem(mnuMailCheker, "MnuMailChk", QStringLiteral("メールチェック"));
    addLine(mnuMailCheker, "mnuLine234");
    mnuMailSettei = addItem(mnuMailCheker, "mnuMailSettei", QStringLiteral("(設定)"));
    addLine(mnu, "mnuLine2");

    mnuAllSettei = addItem(mnu, "mnuAllSettei", QStringLiteral("オプション設定"));
    addLine(mnu, "mnuLine3");
    MnuEnd = addItem(mnu, "MnuEnd", QStringLiteral("終了"));

    mnuFusen = new QMenu(QStringLiteral("付箋"));
    mnuFusen->setObjectName(QStringLiteral("mnuFusen"));
    mnuEdit = addItem(mnuFusen, "mnuEdit", QStringLiteral("編集"));
    mnuFusenTOPMOST = addItem(mnuFusen, "mnuFusenTOPMOST", QStringLiteral("最前面に表示"));
    mnuFusenBACKMOST = addItem(mnuFusen, "mnuFusenBACKMOST", QStringLiteral("最背面に表示"));
    mnuFusenNonVisible = addItem(mnuFusen, "mnuFusenNonVisible", QStringLiteral("非表示"));
    mnuKill = addItem(mnuFusen, "mnuKill", QStringLiteral("はがす"));
    mnuFusenTOPMOST->setCheckable(true);
    mnuFusenBACKMOST->setCheckable(true);
}

TrayMenus::~TrayMenus() {
    delete mnu;
    delete mnuFusen;
}

QAction* TrayMenus::ensureFusenVisible(int number) {
    if (QAction* existing = fusenVisible(number))
        return existing;
    auto* action = new QAction(mnuFusenshi);
    action->setObjectName(QStringLiteral("mnuFusenVisible"));
    action->setProperty("index", number);
    // Entries stand between the two separators, in note-number order.
    QAction* before = mnuLine04;
    for (auto it = mnuFusenVisible_.constBegin(); it != mnuFusenVisible_.constEnd(); ++it) {
        if (it.key() > number) {
            before = it.value();
            break;
        }
    }
    mnuFusenshi->insertAction(before, action);
    mnuFusenVisible_.insert(number, action);
    connect(action, &QAction::triggered, this,
            [this, number] { emit fusenVisibleTriggered(number); });
    return action;
}

} // namespace kova
