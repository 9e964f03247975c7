#include "launcher_page.h"

#include "launcher/launcher.h"
#include "platform/seam.h"
#include "platform/units.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>

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
    Command3 = button(QStringLiteral("登録"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command13 = button(QStringLiteral("消去"), this);
    Label6 =
        new QLabel(QStringLiteral("※フォルダを指定する場合は最後に\"/\"を付けてください。"), this);
    Label6->setWordWrap(true);

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

// The design's places in twips. Where the user's font is wider than the
// design's, the columns right of a label or of the number buttons move right
// so that no text is cut.
void LauncherPage::placeControls() {
    const int boxColumn = 1440;
    const int frameRight = 120 + 2655;
    const int browseColumn = 3840;
    int shiftBoxes = 0;
    int shiftFrame = 0;
    int shiftBrowse = 0;
    const auto x = [&](int twips) {
        return twipsToPixels(twips) + (twips >= boxColumn ? shiftBoxes : 0) +
               (twips >= frameRight ? shiftFrame : 0) + (twips >= browseColumn ? shiftBrowse : 0);
    };
    const auto rightOf = [](const QWidget* w, int left) { return left + w->width() + kGap; };
    shiftBoxes = std::max(
        {0, rightOf(Label4, x(315)) - x(boxColumn), rightOf(Label5, x(120)) - x(boxColumn)});
    // Five columns of number buttons, the widest caption deciding the pitch.
    int pitch = twipsToPixels(480);
    for (QRadioButton* option : Option1) {
        option->adjustSize();
        pitch = std::max(pitch, option->width() + kGap);
    }
    shiftFrame = std::max(0, twipsToPixels(120) + 4 * pitch + Option1[19]->width() + kGap -
                                 (x(frameRight) - x(120)));
    shiftBrowse = std::max({0, rightOf(Label7[0], x(2910)) - x(browseColumn),
                            rightOf(Label7[1], x(2880)) - x(browseColumn)});

    const int lineHeight = fontMetrics().height();
    const auto place = [&](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(x(left), twipsToPixels(top), x(left + width) - x(left),
                       std::max(twipsToPixels(height), lineHeight + 4));
    };
    const auto placeLabel = [&](QLabel* l, int left, int top) {
        l->move(x(left), twipsToPixels(top));
    };
    placeLabel(Label4, 315, 525);
    place(Text7, 1440, 480, 2655, 270);
    placeLabel(Label5, 120, 885);
    place(Text8, 1440, 840, 2655, 270);
    place(Frame1, 120, 1440, 2655, 1215);
    for (int i = 0; i < kLauncherEntryCount; ++i)
        Option1[i]->move(twipsToPixels(120) + pitch * (i / 4), twipsToPixels(240 + 240 * (i % 4)));
    placeLabel(Label7[0], 2910, 1485);
    place(Command4, 3840, 1440, 255, 255);
    placeLabel(Label7[1], 2880, 1725);
    place(Command5, 3840, 1680, 255, 255);
    place(Command3, 3120, 2040, 855, 255);
    place(Command13, 3120, 2400, 855, 255);

    // The hint goes under the rest, on one line when the page can hold it.
    const int margin = twipsToPixels(120);
    const int width = std::max(x(4335), Label6->sizeHint().width() + 2 * margin);
    const int hintTop =
        std::max(Frame1->geometry().bottom(), Command13->geometry().bottom()) + 1 + margin / 2;
    const int hintWidth = width - 2 * margin;
    Label6->setGeometry(margin, hintTop, hintWidth, Label6->heightForWidth(hintWidth));
    setMinimumSize(width, Label6->geometry().bottom() + 1 + margin);
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
    if (Text7->text().isEmpty()) {
        Platform::instance().messageBox(QStringLiteral("名前を付けてください。"), Buttons::Ok);
        return;
    }
    storeBoxes();
    launcher_.SaveLauncherTable();
    launcher_.RebuildLauncherMenu();
    setCommand3Red(false);
}

// Programs on this platform carry no extension, so a name filter cannot pick
// them out: the first filter shows every file under the programs' heading.
void LauncherPage::Command4_Click() {
    const std::optional<QString> file = Platform::instance().chooseFile(
        QStringLiteral("プログラムを選択してください"),
        {QStringLiteral("実行ファイル (*)"), QStringLiteral("すべてのファイル (*)")}, window());
    if (file)
        Text8->setText(commandLineWord(*file));
}

void LauncherPage::Command5_Click() {
    QString start = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (start.isEmpty() || !QFileInfo(start).isDir())
        start = QDir::homePath();
    std::optional<QString> folder = Platform::instance().chooseFolder(
        QStringLiteral("フォルダを選択してください"), start, window());
    if (!folder)
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
