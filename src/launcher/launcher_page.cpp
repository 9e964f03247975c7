#include "launcher_page.h"

#include "base/command_line.h"
#include "base/twips_and_numbers.h"
#include "launcher/launcher.h"
#include "platform/nested_dialog.h"
#include "platform/seam.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QStyle>

#include <algorithm>

namespace kova {

namespace {

constexpr int kGap = 4; // pixels between a label and what it labels

QLabel* label(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->adjustSize();
    return l;
}

QPushButton* button(const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

} // namespace

LauncherPage::LauncherPage(Launcher& launcher, QWidget* parent)
    : QWidget(parent), launcher_(launcher) {
    Label4 = label(QStringLiteral("名前(任意)："), this);
    Text7 = new QLineEdit(this);
    Label4->setBuddy(Text7);
    Label5 = label(QStringLiteral("コマンドライン："), this);
    Text8 = new QLineEdit(this);
    Label5->setBuddy(Text8);
    Frame1 = new QGroupBox(QStringLiteral("番号"), this);
    for (int i = 0; i < kLauncherEntryCount; ++i) {
        Option1[i] = new QRadioButton(QString::number(i + 1), Frame1);
        Option1[i]->installEventFilter(this);
        // A keyboard move clicks the new button too; only a mouse press stores.
        connect(Option1[i], &QRadioButton::clicked, this, [this, i] { fillBoxes(i); });
    }
    Label7[0] = label(QStringLiteral("ファイル先→"), this);
    Command4 = button(QStringLiteral("..."), this);
    Label7[1] = label(QStringLiteral("フォルダ先→"), this);
    Command5 = button(QStringLiteral("..."), this);
    // Known to screen readers by their captions, without the arrow.
    for (int i = 0; i < 2; ++i)
        (i == 0 ? Command4 : Command5)->setAccessibleName(Label7[i]->text().chopped(1));
    Command3 = button(QStringLiteral("登録"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command13 = button(QStringLiteral("消去"), this);
    Label6 =
        new QLabel(QStringLiteral("※フォルダを指定する場合は最後に\"/\"を付けてください。"), this);

    connect(Text7, &QLineEdit::textChanged, this, &LauncherPage::updateCommand3Color);
    connect(Text8, &QLineEdit::textChanged, this, &LauncherPage::updateCommand3Color);
    connect(Command3, &QPushButton::clicked, this, &LauncherPage::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &LauncherPage::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &LauncherPage::Command5_Click);
    connect(Command13, &QPushButton::clicked, this, &LauncherPage::Command13_Click);

    placeControls();
    setCommand3Red(false);
    selectEntry(0);
}

// The design's places in twips, kept within the page at the dialog's own
// face: where this desktop's font is wider than the design's, a box starts
// after its label, the numbers keep a gap after their captions, and the
// column right of the number frame moves right of it; the page then asks for
// the width it needs (minimumWidth) instead of anything being cut or drawn
// smaller.
void LauncherPage::placeControls() {
    const auto px = [](int twips) { return twipsToPixels(twips); };
    const int lineHeight = fontMetrics().height();
    const auto place = [&](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(px(left), px(top), px(left + width) - px(left),
                       std::max(px(height), lineHeight + 4));
    };
    // A box from its design left, or just after its label, to its design right.
    const auto placeBox = [&](QLineEdit* box, const QLabel* label, int top) {
        const int left = std::max(px(1440), label->x() + label->width() + kGap);
        box->setGeometry(left, px(top), px(1440 + 2655) - left, std::max(px(270), lineHeight + 4));
    };
    Label4->move(px(315), px(525));
    placeBox(Text7, Label4, 480);
    Label5->move(px(120), px(885));
    placeBox(Text8, Label5, 840);

    place(Frame1, 120, 1440, 2655, 1215);
    // Five columns of number buttons, as narrow as their indicator and the
    // widest caption allow (the caption close to its circle, as the classic
    // buttons draw it), one design row (240 twips) high each.
    Frame1->setStyleSheet(QStringLiteral("QRadioButton { spacing: 3px; }"));
    const QStyle* st = Option1[0]->style();
    const int optionWidth =
        st->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, Option1[0]) +
        st->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, Option1[0]) +
        fontMetrics().horizontalAdvance(QStringLiteral("20")) + 2;
    const int optionHeight = std::max(px(240), lineHeight + 1);
    const int pitch = std::max(px(480), optionWidth + kGap);
    for (int i = 0; i < kLauncherEntryCount; ++i)
        Option1[i]->setGeometry(px(120) + pitch * (i / 4), px(240 + 240 * (i % 4)), optionWidth,
                                optionHeight);
    Frame1->resize(std::max(Frame1->width(), px(120) + 4 * pitch + optionWidth + kGap),
                   Frame1->height());

    // The column right of the frame: the browse labels, then their "..."
    // buttons one above the other.
    const int column = Frame1->geometry().right() + 1 + kGap;
    Label7[0]->move(std::max(px(2910), column), px(1485));
    Label7[1]->move(std::max(px(2880), column), px(1725));
    const int browse = std::max({px(3840), Label7[0]->geometry().right() + 1 + kGap,
                                 Label7[1]->geometry().right() + 1 + kGap});
    place(Command4, 3840, 1440, 255, 255);
    place(Command5, 3840, 1680, 255, 255);
    Command4->move(browse, Command4->y());
    Command5->move(browse, Command5->y());
    place(Command3, 3120, 2040, 855, 255);
    place(Command13, 3120, 2400, 855, 255);
    for (QPushButton* b : {Command3, Command13})
        b->move(std::max(b->x(), column), b->y());

    // The hint has no place of its own: it takes the free row between the
    // command-line box and the number frame, on one line.
    const int hintWidth = Label6->sizeHint().width();
    const int hintTop = Text8->geometry().bottom() + 2;
    Label6->setGeometry(px(120), hintTop, std::max(hintWidth, px(1440 + 2655) - px(120)),
                        std::max(Frame1->y() - hintTop - 1, Label6->sizeHint().height()));
    int right = px(4335);
    for (const QWidget* w :
         std::initializer_list<const QWidget*>{Label6, Command4, Command5, Command3})
        right = std::max(right, w->geometry().right() + 1 + kGap);
    setMinimumSize(right, px(2775));
}

void LauncherPage::selectEntry(int index) {
    if (index < 0 || index >= kLauncherEntryCount)
        return;
    Option1[index]->setChecked(true);
    fillBoxes(index);
}

void LauncherPage::fillBoxes(int index) {
    selected_ = index;
    const LauncherEntry& entry = launcher_.table()[index];
    Text7->setText(entry.name);
    Text8->setText(entry.commandLine);
    updateCommand3Color();
}

void LauncherPage::storeBoxes() {
    LauncherEntry& entry = launcher_.table()[selected_];
    entry.name = Text7->text();
    entry.commandLine = Text8->text();
}

bool LauncherPage::eventFilter(QObject* watched, QEvent* event) {
    // Before the press changes the selection: keep the edit of the entry
    // selected so far.
    if (event->type() == QEvent::MouseButtonPress &&
        std::find(Option1.begin(), Option1.end(), watched) != Option1.end()) {
        storeBoxes();
        setCommand3Red(false);
    }
    return QWidget::eventFilter(watched, event);
}

void LauncherPage::updateCommand3Color() {
    setCommand3Red(!Text7->text().isEmpty() && !Text8->text().isEmpty());
}

// A style sheet, not the palette: most styles draw buttons in their own
// colours and would hide the red.
void LauncherPage::setCommand3Red(bool red) {
    const QString face = red ? QStringLiteral("#ff0000") : QStringLiteral("palette(button)");
    Command3->setStyleSheet(QStringLiteral("QPushButton#Command3 { background-color: %1;"
                                           " border: 1px solid palette(shadow);"
                                           " border-radius: 2px; }"
                                           "QPushButton#Command3:pressed { border-width: 2px; }"
                                           "QPushButton#Command3:focus { border-color: "
                                           "palette(highlight); }")
                                .arg(face));
}

void LauncherPage::Command3_Click() {
    const NestedDialogGuard guard(window());
    if (Text7->text().isEmpty()) {
        Platform::instance().messageBox(QStringLiteral("名前を付けてください。"), Buttons::Ok);
        return;
    }
    storeBoxes();
    launcher_.SaveLauncherTable(); // may tell the user it failed
    launcher_.RebuildLauncherMenu();
    setCommand3Red(false);
}

// Programs on this platform carry no extension, so a name filter cannot pick
// them out: the first filter shows every file under the programs' heading.
void LauncherPage::Command4_Click() {
    const NestedDialogGuard guard(window());
    const std::optional<QString> file = Platform::instance().chooseFile(
        QStringLiteral("プログラムを選択してください"),
        {QStringLiteral("実行ファイル (*)"), QStringLiteral("すべてのファイル (*)")}, window());
    if (file && !guard.windowGone())
        Text8->setText(commandLineWord(*file));
}

void LauncherPage::Command5_Click() {
    QString start = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (start.isEmpty() || !QFileInfo(start).isDir())
        start = QDir::homePath();
    const NestedDialogGuard guard(window());
    std::optional<QString> folder = Platform::instance().chooseFolder(
        QStringLiteral("フォルダを選択してください"), start, window());
    if (!folder || guard.windowGone())
        return;
    if (!folder->endsWith(QLatin1Char('/')))
        folder->append(QLatin1Char('/'));
    Text8->setText(*folder);
}

void LauncherPage::Command13_Click() {
    Text7->clear();
    Text8->clear();
    storeBoxes();
    setCommand3Red(false);
}

} // namespace kova
