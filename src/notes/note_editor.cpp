#include "notes/note_editor.h"

#include "base/line_breaks.h"
#include "base/settings.h"
#include "base/twips_and_numbers.h"
#include "notes/note_board.h"
#include "notes/note_store.h"
#include "notes/posted_note_window.h"
#include "notes/timer_dialog.h"
#include "platform/colors.h"
#include "platform/nested_dialog.h"
#include "platform/screen_placement.h"
#include "platform/seam.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace kova {

namespace {

constexpr int kMinWidthTwips = 4710;
constexpr int kMinHeightTwips = 4125;

// Left edges of the timer strip labels 0..8, in twips.
constexpr std::array<int, 9> kStripLefts = {840, 1320, 1680, 2040, 2400, 1200, 1560, 2280, 120};
// The strip from left to right: heading, year / month / day, hour : minute.
constexpr std::array<size_t, 9> kStripOrder = {8, 0, 5, 1, 6, 2, 3, 7, 4};

} // namespace

Form4a::Form4a(NoteBoard* board)
    : QMainWindow(nullptr), board_(board), timerDialog_([this] { return new Form6a(this); }) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Kova付箋紙"));

    mnuFont = menuBar()->addAction(QStringLiteral("書式"));
    mnuBackColor = menuBar()->addAction(QStringLiteral("背景色"));
    mnuForeColor = menuBar()->addAction(QStringLiteral("文字色"));
    mnuTimer = menuBar()->addAction(QStringLiteral("タイマー設定"));
    connect(mnuFont, &QAction::triggered, this, &Form4a::mnuFont_Click);
    connect(mnuBackColor, &QAction::triggered, this, &Form4a::mnuBackColor_Click);
    connect(mnuForeColor, &QAction::triggered, this, &Form4a::mnuForeColor_Click);
    connect(mnuTimer, &QAction::triggered, this, &Form4a::mnuTimer_Click);

    auto* client = new QWidget(this);
    setCentralWidget(client);

    Text1 = new QPlainTextEdit(client);
    Text1->setAccessibleName(windowTitle()); // the note's text; the window has no caption for it
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setGeometry(0, 0, twipsToPixels(4575), twipsToPixels(2895));

    Command1 = new QPushButton(QStringLiteral("貼り付け"), client);
    Command1->setGeometry(twipsToPixels(2760), twipsToPixels(3000), twipsToPixels(855),
                          twipsToPixels(375));
    Command2 = new QPushButton(QStringLiteral("Cancel"), client);
    Command2->setGeometry(twipsToPixels(3720), twipsToPixels(3000), twipsToPixels(735),
                          twipsToPixels(375));
    connect(Command1, &QPushButton::clicked, this, &Form4a::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form4a::Command2_Click);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);

    const QString fixedTexts[9] = {
        QString(),
        QString(),
        QString(),
        QString(),
        QString(),
        QStringLiteral("/"),
        QStringLiteral("/"),
        QStringLiteral("："),
        QStringLiteral("タイマー"),
    };
    for (size_t i = 0; i < Label1.size(); ++i) {
        auto* label = new QLabel(fixedTexts[i], client);
        label->setTextFormat(Qt::PlainText);
        label->setAutoFillBackground(true);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, colorFromText(QStringLiteral("&H8000000D")));
        palette.setColor(QPalette::WindowText, colorFromBgr(0xFFFFFF));
        label->setPalette(palette);
        label->adjustSize();
        label->hide();
        Label1[i] = label;
    }

    layoutStrip();
    Form_Load();
}

Form4a::~Form4a() = default;

void Form4a::Form_Load() {
    const int top = ReadTwips(Fusen::Top);
    const int left = ReadTwips(Fusen::Left);
    setWidthTwips(kMinWidthTwips);
    setHeightTwips(kMinHeightTwips);
    move(twipsToPixels(left), twipsToPixels(top));
    keepOnScreen();

    QFont font = Text1->font();
    const QString name = ReadSetting(Fusen::FontName);
    if (!name.isEmpty())
        font.setFamily(name);
    const double size = ReadNumber(Fusen::FontSize).value_or(0);
    if (size > 0 && size <= 1000)
        font.setPointSizeF(size);
    font.setBold(false);
    font.setItalic(false);
    Text1->setFont(font);

    setTextColors(ReadColor(Fusen::BackColor).value_or(firstRunColor(Fusen::BackColor)),
                  ReadColor(Fusen::ForeColor).value_or(firstRunColor(Fusen::ForeColor)));
}

void Form4a::setTextColors(const QColor& back, const QColor& fore) {
    backColor_ = back;
    foreColor_ = fore;
    QPalette palette = Text1->palette();
    palette.setColor(QPalette::Base, back);
    palette.setColor(QPalette::Text, fore);
    Text1->setPalette(palette);
}

QSize Form4a::frameExtra() const {
    // The editor's sizes count its title bar and borders. The window manager
    // tells its real frame only some time after the window is shown (and
    // never offscreen), so a classic frame's size stands in for it: the
    // layout is then the same under every window manager.
    return QSize(8, 27);
}

int Form4a::heightTwips() const {
    return pixelsToTwips(height() + frameExtra().height());
}
int Form4a::widthTwips() const {
    return pixelsToTwips(width() + frameExtra().width());
}
void Form4a::setHeightTwips(int twips) {
    resize(width(), twipsToPixels(twips) - frameExtra().height());
}
void Form4a::setWidthTwips(int twips) {
    resize(twipsToPixels(twips) - frameExtra().width(), height());
}
int Form4a::topTwips() const {
    return pixelsToTwips(savedPlace().y());
}
int Form4a::leftTwips() const {
    return pixelsToTwips(savedPlace().x());
}

QRect Form4a::frameRect() const {
    return QRect(pos(), size() + frameExtra());
}

void Form4a::keepOnScreen() {
    // No larger than the screen, so that the title bar and the buttons are
    // both in reach; then the whole frame onto that screen.
    const QList<QRect> areas = screenAreas();
    const QRect placed = keepWhollyOnScreen(frameRect(), areas);
    for (const QRect& area : areas) {
        if (area.contains(placed.topLeft())) {
            resize(size().boundedTo(area.size() - frameExtra()));
            break;
        }
    }
    move(keepWhollyOnScreen(frameRect(), areas).topLeft());
}

void Form4a::rescue() {
    move(keepReachable(frameRect(), screenAreas()).topLeft());
    if (Form6a* dialog = timerDialog_.existing())
        dialog->move(keepReachable(dialog->frameGeometry(), screenAreas()).topLeft());
}

QPoint Form4a::savedPlace() const {
    // The editor and every new note open here: a place with the title bar
    // off every screen would leave them out of reach for good.
    const QRect titleBar(pos(), QSize(width() + frameExtra().width(), frameExtra().height()));
    for (const QRect& area : screenAreas()) {
        if (area.contains(titleBar.topLeft()) && area.intersects(titleBar))
            return pos();
    }
    return keepWhollyOnScreen(frameRect(), screenAreas()).topLeft();
}

void Form4a::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Form4a::Form_Resize() {
    if (isMinimized())
        return;
    const QSize extra = frameExtra();
    setMinimumSize(twipsToPixels(kMinWidthTwips) - extra.width(),
                   twipsToPixels(kMinHeightTwips) - extra.height());
    const int windowHeight = heightTwips();
    const int windowWidth = widthTwips();
    const int textHeight = std::max(0, windowHeight - 1200);
    Text1->resize(twipsToPixels(std::max(0, windowWidth - 100)), twipsToPixels(textHeight));
    Command1->move(twipsToPixels(windowWidth - 1950), twipsToPixels(textHeight + 75));
    Command2->move(twipsToPixels(windowWidth - 990), twipsToPixels(textHeight + 75));
    stripTop_ = textHeight + 160;
    layoutStrip();
}

void Form4a::layoutStrip() {
    // Each label at its own left edge, or just after its left neighbour where
    // a wider font would make them overlap.
    int nextFree = 0;
    for (size_t i : kStripOrder) {
        QLabel* label = Label1[i];
        const int left = std::max(twipsToPixels(kStripLefts[i]), nextFree);
        label->move(left, twipsToPixels(stripTop_));
        nextFree = left + label->width();
    }
}

void Form4a::mnuFont_Click() {
    const NestedDialogGuard guard(this);
    const std::optional<QFont> chosen = Platform::instance().chooseFont(Text1->font(), this);
    if (!chosen || guard.windowGone())
        return;
    QFont font = Text1->font();
    font.setFamily(chosen->family());
    if (chosen->pointSizeF() > 0)
        font.setPointSizeF(chosen->pointSizeF());
    font.setBold(chosen->bold());
    font.setItalic(chosen->italic());
    Text1->setFont(font);
}

void Form4a::mnuBackColor_Click() {
    const NestedDialogGuard guard(this);
    const std::optional<QColor> c = Platform::instance().chooseColor(backColor_, this);
    if (c && !guard.windowGone())
        setTextColors(*c, foreColor_);
}

void Form4a::mnuForeColor_Click() {
    const NestedDialogGuard guard(this);
    const std::optional<QColor> c = Platform::instance().chooseColor(foreColor_, this);
    if (c && !guard.windowGone())
        setTextColors(backColor_, *c);
}

void Form4a::mnuTimer_Click() {
    if (timerDialog_.existing() != nullptr)
        return;
    timerDialog_.get()->open();
}

Form6a* Form4a::timerDialog() const {
    return timerDialog_.existing();
}

bool Form4a::hasTimer() const {
    return !Label1[0]->isHidden();
}

std::array<QString, 5> Form4a::timerStrip() const {
    std::array<QString, 5> texts;
    for (size_t i = 0; i < texts.size(); ++i)
        texts[i] = Label1[i]->text();
    return texts;
}

void Form4a::setTimerStrip(const std::array<QString, 5>& texts, bool visible) {
    for (size_t i = 0; i < texts.size(); ++i)
        Label1[i]->setText(texts[i]);
    for (QLabel* label : Label1) {
        label->adjustSize();
        label->setVisible(visible);
    }
    layoutStrip();
}

void Form4a::loadNote(Form5a* w) {
    const int heightOfNote = pixelsToTwips(w->height());
    const int widthOfNote = pixelsToTwips(w->width());
    if (heightOfNote > 2600)
        setHeightTwips(heightOfNote + 1600);
    if (widthOfNote > 4300)
        setWidthTwips(widthOfNote + 500);

    Text1->setPlainText(toLf(w->noteText()));
    Text1->setFont(w->noteFont());
    setTextColors(w->noteBackColor(), w->noteForeColor());
    setTimerStrip({w->Text4, w->Text5, w->Text6, w->Text7, w->Text8}, !w->Text4.isEmpty());
    Label2 = w->Text9;
    Label3 = QString::number(w->topTwips());
    Label4 = QString::number(w->leftTwips());

    // The record "Cancel" puts back, kept apart from the shared scratch
    // record until the editor closes.
    held_ = board_->recordOf(w);
}

NoteRecord Form4a::record() const {
    NoteRecord r;
    r.text = toCrLf(Text1->toPlainText());
    const QFont font = Text1->font();
    r.fontName = font.family();
    r.fontSize = font.pointSizeF();
    r.bold = font.bold();
    r.italic = font.italic();
    r.backColor = backColor_;
    r.foreColor = foreColor_;
    r.top = topTwips();
    r.left = leftTwips();
    const std::array<QString, 5> strip = timerStrip();
    r.timer = {strip[0], strip[1], strip[2], strip[3], strip[4]};
    return r;
}

bool Form4a::post(int number, const NoteRecord& record, bool edited) {
    const QStringList fields = record.toFields();
    board_->setScratchRecord(record.text, fields);
    // Both files or neither: a failed save leaves the old files' bytes.
    if (!board_->WriteNote(number))
        return false;
    board_->showScratchRecord(number, edited);
    return true;
}

void Form4a::Command1_Click() {
    // Every way out of here after a message box returns at once.
    const NestedDialogGuard guard(this);
    if (Text1->toPlainText().isEmpty()) {
        Platform::instance().messageBox(QStringLiteral("入力されていません"), Buttons::Ok);
        return;
    }
    NoteRecord r = record();
    const int edited = board_->EditedNoteNumber;
    if (edited == kNewNoteNumber) {
        const int number = board_->freeNoteNumber();
        if (number < 0 || !post(number, r, false))
            return;
    } else {
        // Back to its old place, in its old layer.
        r.top = Label3.toInt();
        r.left = Label4.toInt();
        r.zOrder = zOrderFromText(Label2);
        if (!post(edited, r, true))
            return;
    }
    board_->EditedNoteNumber = kNewNoteNumber;
    close();
}

void Form4a::Command2_Click() {
    close();
}

void Form4a::Form_Unload() {
    WriteSetting(Fusen::Top, QString::number(topTwips()));
    WriteSetting(Fusen::Left, QString::number(leftTwips()));
    if (board_->EditedNoteNumber != kNewNoteNumber) {
        if (held_)
            board_->setScratchRecord(held_->text, held_->toFields());
        board_->showScratchRecord(board_->EditedNoteNumber, true);
        board_->setScratchRecord(board_->scratchText(), {});
    }
    board_->EditedNoteNumber = kNewNoteNumber;
}

void Form4a::closeEvent(QCloseEvent* event) {
    Form_Unload();
    timerDialog_.discard();
    event->accept();
    emit unloaded();
}

} // namespace kova
