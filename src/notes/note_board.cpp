#include "note_board.h"

#include "base/twips_and_numbers.h"
#include "notes/note_editor.h"
#include "notes/note_store.h"
#include "platform/colors.h"
#include "platform/seam.h"

#include <QLabel>

#include <algorithm>
#include <cmath>

namespace kova {

NoteBoard::NoteBoard(QObject* parent)
    : QObject(parent), editor_([this] { return new Form4a(this); }) {}

NoteBoard::~NoteBoard() {
    qDeleteAll(windows_);
}

Form5a* NoteBoard::NoteWindows(int index) const {
    if (index < 1 || index > windows_.size())
        return nullptr;
    return windows_.at(index - 1);
}

Form5a* NoteBoard::CreateNoteWindow() {
    auto* window = new Form5a(this);
    window->Text1 = int(windows_.size()) + 1;
    CurrentNoteIndex = window->Text1;
    windows_.append(window);
    return window;
}

void NoteBoard::ApplyNoteRecord() {
    if (Form5a* w = currentNote())
        applyRecord(w, NoteRecord::fromFields(List1, Text5));
}

void NoteBoard::applyRecord(Form5a* w, const NoteRecord& r) {
    // The font before the text: the text is laid out once, in its own font.
    QFont font(r.fontName);
    font.setPointSizeF(r.fontSize);
    font.setBold(r.bold);
    font.setItalic(r.italic);
    w->setNoteFont(font);
    w->setNoteText(r.text);
    w->setNoteColors(r.backColor, r.foreColor);
    w->Text4 = r.timer.year;
    w->Text5 = r.timer.month;
    w->Text6 = r.timer.day;
    w->Text7 = r.timer.hour;
    w->Text8 = r.timer.minute;
    w->Text9 = r.zOrder ? zOrderText(*r.zOrder) : QString();
    // Sized before it is placed and shown, so it appears once, whole.
    w->FitNoteWindow();
    w->setPlaceTwips(r.top, r.left);
    w->setVisible(r.visible);
}

NoteRecord NoteBoard::recordOf(const Form5a* w) const {
    NoteRecord r;
    r.text = w->noteText();
    const QFont font = w->noteFont();
    r.fontName = font.family();
    r.fontSize = font.pointSizeF();
    r.bold = font.bold();
    r.italic = font.italic();
    r.backColor = w->noteBackColor();
    r.foreColor = w->noteForeColor();
    r.visible = w->isVisible();
    r.top = w->topTwips();
    r.left = w->leftTwips();
    r.timer = {w->Text4, w->Text5, w->Text6, w->Text7, w->Text8};
    r.zOrder = zOrderFromText(w->Text9);
    return r;
}

void NoteBoard::CaptureNoteRecord() {
    const Form5a* w = currentNote();
    if (w == nullptr)
        return;
    const NoteRecord r = recordOf(w);
    Text5 = r.text;
    List1 = r.toFields() + List1;
}

void NoteBoard::setScratchRecord(const QString& text, const QStringList& fields) {
    Text5 = text;
    List1 = fields;
}

void NoteBoard::RenumberAfterRemoval() {
    for (int p = CurrentNoteIndex; p <= kLastNoteNumber; ++p) {
        if (Form5a* w = NoteWindows(p))
            w->Text1 -= 1;
    }
}

void NoteBoard::removeNoteWindow(int index) {
    Form5a* w = NoteWindows(index);
    if (w == nullptr)
        return;
    w->Timer1.stop();
    w->hide();
    windows_.removeAt(index - 1);
    w->deleteLater();
    CurrentNoteIndex = index;
    RenumberAfterRemoval();
}

void NoteBoard::startCountdownOrFit(Form5a* window) {
    if (window->hasTimer())
        window->startCountdown();
    window->FitNoteWindow();
}

void NoteBoard::RestoreNote(int number) {
    if (!noteFieldsExist(number))
        return;
    List1.clear();
    if (!kova::ReadNoteFields(number, &List1)) {
        Platform::instance().messageBox(
            QStringLiteral("タグ（%1）を読み込めませんでした。").arg(noteFieldsFileName(number)),
            Buttons::Ok);
        return;
    }
    if (!noteTextExists(number)) {
        Platform::instance().messageBox(
            noteTextFileName(number) + QStringLiteral("が見つかりません"), Buttons::Ok);
        return;
    }
    if (!kova::ReadNoteText(number, &Text5)) {
        Platform::instance().messageBox(
            QStringLiteral("タグ（%1）を読み込めませんでした。").arg(noteTextFileName(number)),
            Buttons::Ok);
        return;
    }
    Form5a* w = CreateNoteWindow();
    w->Text3 = number;
    ApplyNoteRecord();
    if (w->isHidden()) {
        addHiddenNoteEntry(number, w->noteText());
        return;
    }
    startCountdownOrFit(w);
    applyZOrderState(w);
}

void NoteBoard::restoreNotes() {
    finishNoteSaves();
    for (int n = kFirstNoteNumber; n <= kLastNoteNumber; ++n)
        RestoreNote(n);
}

void NoteBoard::tellNotSaved(int number, const QString& fileName) {
    Q_UNUSED(number);
    Platform::instance().messageBox(
        QStringLiteral("タグ（%1）を保存できませんでした。"
                       "ディスクの空き容量と書き込み権限を確認してください。")
            .arg(fileName),
        Buttons::Ok);
}

bool NoteBoard::WriteNoteFields(int number) {
    if (kova::WriteNoteFields(number, List1))
        return true;
    tellNotSaved(number, noteFieldsFileName(number));
    return false;
}

bool NoteBoard::WriteNoteText(int number) {
    if (kova::WriteNoteText(number, Text5))
        return true;
    tellNotSaved(number, noteTextFileName(number));
    return false;
}

bool NoteBoard::WriteNote(int number) {
    QString unsaved;
    if (kova::WriteNote(number, List1, Text5, &unsaved))
        return true;
    tellNotSaved(number, unsaved);
    return false;
}

bool NoteBoard::changeField(int number, int index, const QString& value,
                            const QString& placeholder) {
    if (changeNoteField(number, index, value, placeholder))
        return true;
    tellNotSaved(number, noteFieldsFileName(number));
    return false;
}

int NoteBoard::freeNoteNumber() {
    const int number = FindFreeNoteNumber();
    if (number <= kLastNoteNumber)
        return number;
    Platform::instance().messageBox(QStringLiteral("タグは101枚までしか貼れません。"
                                                   "不要なタグをはがしてから作成してください。"),
                                    Buttons::Ok);
    return -1;
}

Form5a* NoteBoard::showScratchRecord(int number, bool withZOrder) {
    Form5a* w = CreateNoteWindow();
    w->Text3 = number;
    ApplyNoteRecord();
    startCountdownOrFit(w);
    if (withZOrder)
        applyZOrderState(w);
    return w;
}

void NoteBoard::applyZOrderState(Form5a* window) {
    if (window->Text9 == kFlagTrue)
        window->setStacking(NoteStacking::TopMost);
    else if (window->Text9 == kZOrderBackMost)
        window->setStacking(NoteStacking::BackMost);
    else
        window->Text9 = kFlagFalse;
}

void NoteBoard::takeNoteForEditing(Form5a* window) {
    const int index = int(windows_.indexOf(window)) + 1;
    if (index < 1)
        return;
    CurrentNoteIndex = index;
    EditedNoteNumber = window->Text3;
    CaptureNoteRecord();
    removeNoteWindow(index);
}

// The editor counts as open while the timer dialog stands in for it.
void NoteBoard::rescueWindows() {
    for (Form5a* w : std::as_const(windows_))
        w->keepOnScreen();
    if (Form4a* editor = editor_.existing())
        editor->rescue();
}

Form4a* NoteBoard::editorWindow() const {
    return editor_.existing();
}

bool NoteBoard::editorVisible() const {
    return editor_.existing() != nullptr;
}

bool NoteBoard::openEditor(Form5a* editedOrNull) {
    Form4a* editor = editor_.get();
    // Sized and placed before it is shown: a window enlarged after its
    // first show is placed by the window manager against a stale position.
    if (editedOrNull != nullptr) {
        editor->loadNote(editedOrNull);
        editor->keepOnScreen();
    }
    editor->show();
    return true;
}

} // namespace kova
