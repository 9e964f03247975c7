#pragma once

#include <QMap>
#include <QObject>

#include <array>

class QAction;
class QMenu;

namespace kova {

// The two menus of the main window: the tray menu `mnu` and the note menu
// `mnuFusen` that posted notes pop up. Every item carries its design name as
// object name; items of an indexed array also carry their index in the
// property "index".
class TrayMenus : public QObject {
    Q_OBJECT
public:
    explicit TrayMenus(QObject* parent = nullptr);
    ~TrayMenus() override;

    QMenu* mnu = nullptr;
    QMenu* mnuDesk = nullptr;
    std::array<QAction*, 2> mnuIcon{};
    QMenu* mnuFusenshi = nullptr;
    QAction* mnuNewHusen = nullptr;
    QAction* mnuLine356 = nullptr;
    QAction* mnuLine04 = nullptr;
    QAction* mnuFusenSettei = nullptr;
    QMenu* mnuLunch = nullptr;
    std::array<QAction*, 21> mnuLun{};
    QAction* mnuLunSettei = nullptr;
    QMenu* mnuMailCheker = nullptr;
    QAction* MnuMailChk = nullptr;
    QAction* mnuMailSettei = nullptr;
    QAction* mnuAllSettei = nullptr;
    QAction* MnuEnd = nullptr;

    QMenu* mnuFusen = nullptr;
    QAction* mnuEdit = nullptr;
    QAction* mnuFusenTOPMOST = nullptr;
    QAction* mnuFusenBACKMOST = nullptr;
    QAction* mnuFusenNonVisible = nullptr;
    QAction* mnuKill = nullptr;

    // Hidden-note entries by note number; element 0 exists from the start,
    // invisible and without caption.
    QAction* fusenVisible(int number) const { return mnuFusenVisible_.value(number, nullptr); }
    // Returns the entry for `number`, creating it in its place if needed.
    QAction* ensureFusenVisible(int number);

signals:
    void fusenVisibleTriggered(int number);

private:
    QMap<int, QAction*> mnuFusenVisible_;
};

} // namespace kova
