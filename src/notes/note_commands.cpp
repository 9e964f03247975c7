// The note commands of the tray's notes submenu and of the note menu, and
// what a press on a posted note does.

#include "notes/note_board.h"
#include "notes/note_store.h"
#include "platform/seam.h"
#include "platform/x11_window.h"

#include <QAction>
#include <QMenu>

namespace kova {

namespace {

const QString& kTrue = kFlagTrue;
const QString& kFalse = kFlagFalse;
const QString& kBackMost = kZOrderBackMost;

// Menu texts treat '&' as a mnemonic and a tab as the shortcut column, and a
// menu item has one line.
QString menuText(const QString& caption) {
    QString t = caption;
    t.replace(QLatin1Char('&'), QStringLiteral("&&"));
    for (QChar& c : t) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    return t;
}

} // namespace

QString hiddenNoteCaption(const QString& noteText) {
    // Seven characters, a surrogate pair counting as one.
    int end = 0;
    for (int taken = 0; taken < 7 && end < noteText.size(); ++taken) {
        end += (noteText.at(end).isHighSurrogate() && end + 1 < noteText.size()) ? 2 : 1;
    }
    return noteText.left(end) + QStringLiteral("(非表示タグ)");
}

void NoteBoard::attachMenus(const NoteMenus& menus) {
    menus_ = menus;
    const std::pair<QAction*, void (NoteBoard::*)()> commands[] = {
        {menus.mnuNewHusen, &NoteBoard::mnuNewHusen_Click},
        {menus.mnuEdit, &NoteBoard::mnuEdit_Click},
        {menus.mnuFusenTOPMOST, &NoteBoard::mnuFusenTOPMOST_Click},
        {menus.mnuFusenBACKMOST, &NoteBoard::mnuFusenBACKMOST_Click},
        {menus.mnuFusenNonVisible, &NoteBoard::mnuFusenNonVisible_Click},
        {menus.mnuKill, &NoteBoard::mnuKill_Click},
    };
    for (const auto& [action, handler] : commands) {
        if (action != nullptr)
            connect(action, &QAction::triggered, this, handler);
    }
}

void NoteBoard::addHiddenNoteEntry(int number, const QString& noteText) {
    if (!menus_.ensureFusenVisible)
        return;
    if (QAction* entry = menus_.ensureFusenVisible(number)) {
        entry->setText(menuText(hiddenNoteCaption(noteText)));
        entry->setVisible(true);
    }
}

bool NoteBoard::notePressed(Form5a* window, Qt::MouseButton button, const QPoint& globalPos) {
    if (editorVisible())
        return false;
    CurrentNoteIndex = window->Text1;
    if (button == Qt::LeftButton)
        return true;
    if (button == Qt::RightButton && menus_.mnuFusen != nullptr) {
        menus_.mnuFusenTOPMOST->setChecked(window->Text9 == kTrue);
        menus_.mnuFusenBACKMOST->setChecked(window->Text9 == kBackMost);
        menus_.mnuFusen->popup(globalPos);
    }
    return false;
}

void NoteBoard::noteDragEnded(Form5a* window) {
    Q_UNUSED(window);
    Form5a* w = currentNote();
    if (w == nullptr)
        return;
    List1.clear();
    CaptureNoteRecord();
    WriteNoteFields(w->Text3);
}

void NoteBoard::mnuNewHusen_Click() {
    if (editorVisible()) {
        Platform::instance().messageBox(QStringLiteral("他のタグを編集中です。"), Buttons::Ok);
        return;
    }
    if (freeNoteNumber() < 0)
        return;
    openEditor(nullptr);
}

void NoteBoard::mnuEdit_Click() {
    Form5a* w = currentNote();
    if (w == nullptr)
        return;
    if (editorVisible()) {
        Platform::instance().messageBox(QStringLiteral("他のタグを編集中です。"), Buttons::Ok);
        return;
    }
    // The note leaves the desktop only once the editor holds it.
    if (openEditor(w))
        takeNoteForEditing(w);
}

void NoteBoard::reassertTopMost() {
    // Hidden notes restored at start-up stay hidden.
    for (Form5a* w : std::as_const(windows_)) {
        if (w->isVisible() && w->Text9 == kTrue) {
            w->setStacking(NoteStacking::TopMost);
            raiseWithoutFocus(w);
        }
    }
}

void NoteBoard::mnuFusenTOPMOST_Click() {
    Form5a* w = currentNote();
    if (w == nullptr)
        return;
    const int n = w->Text3;
    if (w->Text9 == kFalse || w->Text9 == kBackMost) {
        if (!changeField(n, FieldZOrder, kTrue, kFalse))
            return;
        w->Text9 = kTrue;
        w->setStacking(NoteStacking::TopMost);
    } else if (w->Text9 == kTrue) {
        if (!changeField(n, FieldZOrder, kFalse, kTrue))
            return;
        w->Text9 = kFalse;
        w->setStacking(NoteStacking::Normal);
        reassertTopMost();
    }
}

void NoteBoard::mnuFusenBACKMOST_Click() {
    Form5a* w = currentNote();
    if (w == nullptr)
        return;
    const int n = w->Text3;
    if (w->Text9 == kTrue || w->Text9 == kFalse) {
        if (!changeField(n, FieldZOrder, kBackMost, kFalse))
            return;
        w->Text9 = kBackMost;
        w->setStacking(NoteStacking::BackMost);
        reassertTopMost();
    } else if (w->Text9 == kBackMost) {
        if (!changeField(n, FieldZOrder, kFalse, kBackMost))
            return;
        w->Text9 = kFalse;
        w->setStacking(NoteStacking::Normal);
    }
}

void NoteBoard::mnuFusenNonVisible_Click() {
    Form5a* w = currentNote();
    if (w == nullptr)
        return;
    const int n = w->Text3;
    if (!changeField(n, FieldVisible, kFalse, kTrue))
        return;
    addHiddenNoteEntry(n, w->noteText());
    removeNoteWindow(CurrentNoteIndex);
}

void NoteBoard::mnuKill_Click() {
    Form5a* w = currentNote();
    if (w == nullptr)
        return;
    if (Platform::instance().messageBox(QStringLiteral("このタグを消去しますか？"),
                                        Buttons::YesNo) != Answer::Yes)
        return;
    const int n = w->Text3;
    if (!removeNoteFiles(n)) {
        // Gone from the screen but back at the next start would be a lie.
        Platform::instance().messageBox(QStringLiteral("タグ（%1）を削除できませんでした。"
                                                       "書き込み権限を確認してください。")
                                            .arg(noteFieldsFileName(n)),
                                        Buttons::Ok);
        return;
    }
    if (menus_.fusenVisible) {
        if (QAction* entry = menus_.fusenVisible(n))
            entry->setVisible(false);
    }
    removeNoteWindow(int(windows_.indexOf(w)) + 1);
}

void NoteBoard::mnuFusenVisible_Click(int number) {
    // The editor may hold an edited note's record in the scratch record; it
    // must still be there when the editor is cancelled.
    const QString keptText = Text5;
    const QStringList keptList = List1;
    const bool keep = editorVisible();

    QAction* entry = menus_.fusenVisible ? menus_.fusenVisible(number) : nullptr;
    if (!noteFieldsExist(number)) {
        Platform::instance().messageBox(
            noteFieldsFileName(number) + QStringLiteral("が見つかりません"), Buttons::Ok);
        if (entry != nullptr)
            entry->setVisible(false);
        return;
    }
    if (!noteTextExists(number)) {
        Platform::instance().messageBox(
            noteTextFileName(number) + QStringLiteral("が見つかりません"), Buttons::Ok);
        return;
    }
    if (!changeField(number, FieldVisible, kTrue, kTrue))
        return;
    List1.clear();
    Text5.clear();
    if (!kova::ReadNoteFields(number, &List1) || !kova::ReadNoteText(number, &Text5)) {
        Platform::instance().messageBox(
            QStringLiteral("タグ（%1）を読み込めませんでした。").arg(noteFieldsFileName(number)),
            Buttons::Ok);
        return;
    }

    // A note restored hidden at start-up has an invisible window; the note
    // gets one window only.
    for (int p = noteWindowCount(); p >= 1; --p) {
        Form5a* old = NoteWindows(p);
        if (old->Text3 == number && old->isHidden())
            removeNoteWindow(p);
    }

    showScratchRecord(number, true);
    if (entry != nullptr)
        entry->setVisible(false);
    if (keep) {
        Text5 = keptText;
        List1 = keptList;
    }
}

} // namespace kova
