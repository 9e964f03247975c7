#pragma once

#include "notes/note_record.h"
#include "notes/timer_dialog.h"
#include "platform/single_window.h"

#include <QColor>
#include <QFont>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class QAction;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kova {

class Form5a;
class Form6a;
class NoteBoard;

// Form4a: the note editor, for a new note or for one taken off the desktop
// to be edited; posting writes the note and puts it back on the desktop.
class Form4a : public QMainWindow {
    Q_OBJECT
public:
    // Creates the editor and runs its load step (place and default look).
    // The board holds the one editor (SingleWindow).
    explicit Form4a(NoteBoard* board);
    ~Form4a() override;

    QPlainTextEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr; // post
    QPushButton* Command2 = nullptr; // Cancel
    // Timer strip: 0..4 year, month, day, hour, minute; 5, 6 "/"; 7 the
    // colon; 8 the heading. All shown or hidden together.
    std::array<QLabel*, 9> Label1{};
    // An edited note's z-order state, top and left (twips), for posting it
    // back to its place; meaningless for a new note.
    QString Label2 = QStringLiteral("False");
    QString Label3 = QStringLiteral("Label3");
    QString Label4 = QStringLiteral("Label4");

    QAction* mnuFont = nullptr;
    QAction* mnuBackColor = nullptr;
    QAction* mnuForeColor = nullptr;
    QAction* mnuTimer = nullptr;

    void mnuFont_Click();
    void mnuBackColor_Click();
    void mnuForeColor_Click();
    void mnuTimer_Click();
    void Command1_Click();
    void Command2_Click();

    // Fills the editor from note window `w` before the board takes it off the
    // desktop, and keeps the note's record apart until the editor closes.
    void loadNote(Form5a* w);

    bool hasTimer() const;
    std::array<QString, 5> timerStrip() const;
    void setTimerStrip(const std::array<QString, 5>& texts, bool visible);
    // The open timer dialog, or nullptr.
    Form6a* timerDialog() const;

    QColor textBackColor() const { return backColor_; }
    QColor textForeColor() const { return foreColor_; }
    void setTextColors(const QColor& back, const QColor& fore);

    // The window's outer size and place in twips, as the layout rule counts.
    int heightTwips() const;
    int widthTwips() const;
    void setHeightTwips(int twips);
    void setWidthTwips(int twips);
    // The place the editor keeps in the settings (and new notes are posted
    // at): where it stands, or on a screen when its title bar is on none.
    int topTwips() const;
    int leftTwips() const;
    // Shrinks to the screen if needed and moves the whole frame onto it.
    void keepOnScreen();
    // The screens changed: the editor (or its timer dialog) onto a screen
    // when it is on none.
    void rescue();

signals:
    // Closed: the editor is gone for its owner from now on.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    NoteRecord record() const;
    bool post(int number, const NoteRecord& record, bool edited);
    QSize frameExtra() const;
    QRect frameRect() const;
    QPoint savedPlace() const;
    void layoutStrip();

    NoteBoard* board_;
    QColor backColor_;
    QColor foreColor_;
    SingleWindow<Form6a> timerDialog_;
    int stripTop_ = 3097; // twips
    // The edited note's record as it was taken off the desktop.
    std::optional<NoteRecord> held_;
};

} // namespace kova
