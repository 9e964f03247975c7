#pragma once

// NoteBoard: the hub of the posted notes, owned by Form1.
//
// What it offers to the rest of the program (the editor Form4a included):
//   Scratch record   Text5 (note text, CR LF breaks) and List1 (field strings,
//                    item i = field i); one note at a time, private: read it
//                    with scratchText() / scratchFields(), fill it with
//                    setScratchRecord(); recordOf(w) reads a window without it.
//   NoteWindows(i)   the posted-note windows, 1-based, in creation order;
//                    noteWindowCount(); CurrentNoteIndex; EditedNoteNumber
//                    (kNewNoteNumber = the editor holds a new note).
//   CreateNoteWindow / ApplyNoteRecord / CaptureNoteRecord /
//   RenumberAfterRemoval / RestoreNote(N) / restoreNotes()   store steps.
//   WriteNoteFields(N) / WriteNoteText(N) / WriteNote(N)  write the scratch
//                    record (WriteNote: both files as one save); on
//                    failure the user is told which note was not saved and
//                    false comes back (the files on disk stay as they were).
//   restoreNotes() first finishes the pair saves a kill cut short.
//   freeNoteNumber() FindFreeNoteNumber, or -1 after telling the user that
//                    all 101 numbers are in use.
//   showScratchRecord(N, withZOrder)  create a window for note N from the
//                    scratch record, start its countdown / lay it out, and
//                    optionally apply its z-order state (posting, cancelling).
//   applyZOrderState(w), addHiddenNoteEntry(N, text).
//   takeNoteForEditing(w)  the board's part of "編集" once the editor has
//                    filled itself from w: EditedNoteNumber = w's number,
//                    capture w into the scratch record, remove w.
//   editorVisible() / openEditor(w)  the one place that knows the editor.
// Showing a hidden note while the editor is open keeps the scratch record
// intact, so the editor's "Cancel" still restores the note it holds.

#include "notes/note_record.h"
#include "notes/posted_note_window.h"
#include "platform/single_window.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QMenu;

namespace kova {

class Form4a;

constexpr int kNewNoteNumber = 1000;

// The menus the board acts through; they belong to the main window.
struct NoteMenus {
    QMenu* mnuFusen = nullptr;
    QAction* mnuEdit = nullptr;
    QAction* mnuFusenTOPMOST = nullptr;
    QAction* mnuFusenBACKMOST = nullptr;
    QAction* mnuFusenNonVisible = nullptr;
    QAction* mnuKill = nullptr;
    QAction* mnuNewHusen = nullptr;
    // Hidden-note entry N, created on demand / nullptr when it does not exist.
    std::function<QAction*(int)> ensureFusenVisible;
    std::function<QAction*(int)> fusenVisible;
};

// The tray caption of a hidden note: its first 7 characters + "(非表示タグ)".
QString hiddenNoteCaption(const QString& noteText);

class NoteBoard : public QObject {
    Q_OBJECT
public:
    explicit NoteBoard(QObject* parent = nullptr);
    ~NoteBoard() override;

    // Connects the command items of `menus`; entries are clicked through
    // mnuFusenVisible_Click.
    void attachMenus(const NoteMenus& menus);

    const QString& scratchText() const { return Text5; }
    const QStringList& scratchFields() const { return List1; }
    void setScratchRecord(const QString& text, const QStringList& fields);
    // A window's note as a record, leaving the scratch record alone.
    NoteRecord recordOf(const Form5a* w) const;

    int CurrentNoteIndex = 0;
    int EditedNoteNumber = kNewNoteNumber;

    Form5a* NoteWindows(int index) const;
    int noteWindowCount() const { return int(windows_.size()); }
    Form5a* currentNote() const { return NoteWindows(CurrentNoteIndex); }

    Form5a* CreateNoteWindow();
    void ApplyNoteRecord();
    void CaptureNoteRecord();
    void RenumberAfterRemoval();
    void RestoreNote(int number);
    void restoreNotes();

    bool WriteNoteFields(int number);
    bool WriteNoteText(int number);
    bool WriteNote(int number);
    int freeNoteNumber();
    Form5a* showScratchRecord(int number, bool withZOrder);
    void applyZOrderState(Form5a* window);
    void addHiddenNoteEntry(int number, const QString& noteText);
    void takeNoteForEditing(Form5a* window);

    // The screens changed: every note (and the editor) back on one.
    void rescueWindows();

    bool editorVisible() const;
    bool openEditor(Form5a* editedOrNull);
    // The open editor, or nullptr.
    Form4a* editorWindow() const;

    // Commands of the two menus.
    void mnuNewHusen_Click();
    void mnuEdit_Click();
    void mnuFusenTOPMOST_Click();
    void mnuFusenBACKMOST_Click();
    void mnuFusenNonVisible_Click();
    void mnuKill_Click();
    void mnuFusenVisible_Click(int number);

    // From Form5a: a press (false: ignore it, no drag) and the end of a drag.
    bool notePressed(Form5a* window, Qt::MouseButton button, const QPoint& globalPos);
    void noteDragEnded(Form5a* window);

private:
    void applyRecord(Form5a* w, const NoteRecord& record);
    void removeNoteWindow(int index);
    void startCountdownOrFit(Form5a* window);
    bool changeField(int number, int index, const QString& value, const QString& placeholder);
    void reassertTopMost();
    void tellNotSaved(int number, const QString& fileName);

    // The scratch record.
    QString Text5;
    QStringList List1;
    QList<Form5a*> windows_;
    NoteMenus menus_;
    SingleWindow<Form4a> editor_;
};

} // namespace kova
