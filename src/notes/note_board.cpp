#include "note_board.h"

#include "notes/note_editor.h"
#include "notes/note_store.h"
#include "platform/colors.h"
#include "platform/seam.h"
#include "platform/units.h"

#include <QLabel>

#include <algorithm>
#include <cmath>

namespace kova {

namespace {

const QString kTrue = QStringLiteral("True");
const QString kFalse = QStringLiteral("False");

// A field of the scratch record, or its default when the record is short.
QString item(const QStringList& list, int index) {
    return index < list.size() ? list.at(index) : defaultNoteFields().at(index);
}

double fontSizeFrom(const QString& text) {
    bool ok = false;
    const double size = text.trimmed().toDouble(&ok);
    // Beyond these a label can no longer be laid out sensibly.
    if (!ok || !(size > 0.0) || size > 1000.0)
        return 9.0;
    return size;
}

QColor colorFrom(const QString& text, const QColor& fallback) {
    bool ok = false;
    const QColor color = colorFromText(text, &ok);
    return ok ? color : fallback;
}

int twipsFrom(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return 0;
    // Far beyond any desktop; the window is moved onto a screen anyway.
    return int(std::clamp(std::round(value), -15000000.0, 15000000.0));
}

} // namespace

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
    Form5a* w = currentNote();
    if (w == nullptr)
        return;
    w->setNoteText(Text5);
    QString fontName = item(List1, FieldFontName);
    if (fontName.isEmpty())
        fontName = defaultNoteFields().at(FieldFontName);
    QFont font(fontName);
    font.setPointSizeF(fontSizeFrom(item(List1, FieldFontSize)));
    font.setBold(item(List1, FieldFontBold) == kTrue);
    font.setItalic(item(List1, FieldFontItalic) == kTrue);
    w->setNoteFont(font);
    w->setNoteColors(colorFrom(item(List1, FieldBackColor), Qt::white),
                     colorFrom(item(List1, FieldForeColor), Qt::black));
    const bool visible = item(List1, FieldVisible) != kFalse;
    w->Text4 = item(List1, FieldTimerYear);
    w->Text5 = item(List1, FieldTimerMonth);
    w->Text6 = item(List1, FieldTimerDay);
    w->Text7 = item(List1, FieldTimerHour);
    w->Text8 = item(List1, FieldTimerMinute);
    w->Text9 = List1.size() > FieldZOrder ? List1.at(FieldZOrder) : QString();
    // Sized before it is placed and shown, so it appears once, whole.
    w->FitNoteWindow();
    w->setPlaceTwips(twipsFrom(item(List1, FieldTop)), twipsFrom(item(List1, FieldLeft)));
    w->setVisible(visible);
}

void NoteBoard::CaptureNoteRecord() {
    Form5a* w = currentNote();
    if (w == nullptr)
        return;
    Text5 = w->noteText();
    const QFont font = w->noteFont();
    const QStringList record = {
        font.family(),
        numberText(font.pointSizeF()),
        font.bold() ? kTrue : kFalse,
        font.italic() ? kTrue : kFalse,
        colorToText(w->noteBackColor()),
        colorToText(w->noteForeColor()),
        w->isVisible() ? kTrue : kFalse,
        QString::number(w->topTwips()),
        QString::number(w->leftTwips()),
        w->Text4,
        w->Text5,
        w->Text6,
        w->Text7,
        w->Text8,
        w->Text9,
    };
    List1 = record + List1;
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
    if (window->Text9 == kTrue)
        window->setStacking(NoteStacking::TopMost);
    else if (window->Text9 == QLatin1String("0"))
        window->setStacking(NoteStacking::BackMost);
    else
        window->Text9 = kFalse;
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
