#include "mail/result_window.h"

#include "base/command_line.h"
#include "base/settings.h"
#include "base/twips_and_numbers.h"
#include "platform/colors.h"
#include "platform/nested_dialog.h"
#include "platform/screen_placement.h"
#include "platform/seam.h"
#include "platform/x11_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include <cmath>

namespace kova {

namespace {

constexpr int kWidth = 4620; // client area, twips
constexpr int kHeight = 675;
constexpr int kLineHeight = 180;

void paint(QLabel* label, const QColor& back, const QColor& fore) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, back);
    palette.setColor(QPalette::WindowText, fore);
    label->setPalette(palette);
}

} // namespace

Form2a::Form2a(Hooks hooks) : QWidget(nullptr, Qt::Window), hooks_(std::move(hooks)) {
    setAttribute(Qt::WA_DeleteOnClose);
    // Every show, the first included, leaves the keyboard where the user is
    // typing.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("KovaMailChecker"));
    setAutoFillBackground(true);
    const QColor highlight = colorFromText(QStringLiteral("&H8000000D"));
    const QColor buttonFace = colorFromText(QStringLiteral("&H8000000F"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, highlight);
    setPalette(palette);

    for (int i = 0; i < 3; ++i) {
        auto* line = new QLabel(this);
        line->setTextFormat(Qt::PlainText);
        line->setAutoFillBackground(true);
        paint(line, highlight, buttonFace);
        line->move(0, twipsToPixels(240 * i));
        line->resize(0, twipsToPixels(kLineHeight));
        Label1[size_t(i)] = line;
    }
    Label2 = new QLabel(QStringLiteral("メーラー起動"), this);
    Label2->setAutoFillBackground(true);
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->setGeometry(twipsToPixels(3600), 0, twipsToPixels(1005), twipsToPixels(kLineHeight));
    // The design's strip is drawn for 12-pixel characters; a taller font
    // gets the lines it needs.
    const int lineHeight = std::max(twipsToPixels(kLineHeight), fontMetrics().height());
    Label2->resize(std::max(Label2->width(), Label2->sizeHint().width()), lineHeight);
    Label2->move(twipsToPixels(kWidth) - Label2->width(), 0);
    Label2->installEventFilter(this);
    for (QLabel* line : Label1)
        line->resize(0, lineHeight);
    resize(twipsToPixels(kWidth), twipsToPixels(kHeight));
    setClientHeightTwips(kHeight);
    Form_Load();
}

Form2a::~Form2a() = default;

void Form2a::Form_Load() {
    move(twipsToPixels(ReadTwips(kmc::left)), twipsToPixels(ReadTwips(kmc::Top)));
    move(keepWhollyOnScreen(QRect(pos(), size()), screenAreas()).topLeft());
}

void Form2a::setClientHeightTwips(int twips) {
    setClientHeight(twipsToPixels(twips));
}

void Form2a::setClientHeight(int pixels) {
    resize(width(), std::max(pixels, Label2->height()));
}

void Form2a::setResultLine(int i, const QString& text) {
    if (i < 0 || i > 2)
        return;
    QLabel* line = Label1[size_t(i)];
    line->setText(text);
    line->resize(line->sizeHint().width(), line->height());
    fitWidth();
}

// Wide enough that "メーラー起動" covers no line beside it.
void Form2a::fitWidth() {
    int right = 0;
    for (QLabel* line : Label1)
        if (line->geometry().top() < Label2->geometry().bottom())
            right = std::max(right, line->geometry().right() + 1);
    const int width = std::max(twipsToPixels(kWidth), right + twipsToPixels(120) + Label2->width());
    resize(width, height());
    Label2->move(width - Label2->width(), 0);
}

QString Form2a::resultLine(int i) const {
    return i >= 0 && i <= 2 ? Label1[size_t(i)]->text() : QString();
}

void Form2a::stackLines(const QList<int>& accounts) {
    int top = 0;
    for (int i : accounts) {
        if (i < 0 || i > 2)
            continue;
        QLabel* line = Label1[size_t(i)];
        line->move(0, top);
        top += line->height();
    }
    // The run's lines and the design's 350 twips below them.
    setClientHeight(top + twipsToPixels(350));
    fitWidth();
}

void Form2a::showMailFound() {
    paint(Label2, colorFromBgr(0x00FFFF), Label2->palette().color(QPalette::WindowText));
    // In front of the other windows, not on top of them, where the user is
    // now (maybe another workspace than before). Not yet shown (an automatic
    // check), it is shown once its result line has widened it.
    if (!isVisible()) {
        showWindow();
        return;
    }
    moveToCurrentDesktop(this);
    raiseWithoutFocus(this);
}

bool Form2a::mailerLabelIsYellow() const {
    return Label2->palette().color(QPalette::Window) == colorFromBgr(0x00FFFF);
}

void Form2a::showWindow() {
    // Shown once the run has stacked its lines: a window resized right after
    // it was mapped is placed by the window manager against a position from
    // before its frame was known, with the title bar above the screen.
    if (isVisible())
        moveToCurrentDesktop(this);
    if (isVisible() || showPending_)
        return;
    showPending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (showPending_ && !unloading_) {
            show();
            raiseWithoutFocus(this);
        }
        showPending_ = false;
    });
}

void Form2a::unload() {
    close();
}

void Form2a::Label2_Click() {
    if (hooks_.closeSockets)
        hooks_.closeSockets();
    const ProgramStart mailer = resolveCommandLine(hooks_.mailer ? hooks_.mailer() : QString());
    if (mailer.status != ProgramStart::Start ||
        !Platform::instance().startDetached(mailer.program, mailer.arguments)) {
        const NestedDialogGuard guard(this);
        Platform::instance().messageBox(QStringLiteral("メーラーが見つかれません"), Buttons::Ok);
        return;
    }
    close();
}

void Form2a::Form_Unload() {
    WriteSetting(kmc::Top, QString::number(pixelsToTwips(pos().y())));
    WriteSetting(kmc::Left, QString::number(pixelsToTwips(pos().x())));
    if (hooks_.closeSockets)
        hooks_.closeSockets();
}

void Form2a::closeEvent(QCloseEvent* event) {
    unloading_ = true;
    Form_Unload();
    event->accept();
    emit unloaded();
}

bool Form2a::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label2 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Label2_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kova
