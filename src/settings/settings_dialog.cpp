#include "settings/settings_dialog.h"

#include "base/settings.h"
#include "base/twips_and_numbers.h"
#include "launcher/launcher.h"
#include "launcher/launcher_page.h"
#include "platform/colors.h"
#include "platform/logo.h"
#include "platform/nested_dialog.h"
#include "platform/screen_placement.h"
#include "platform/seam.h"
#include "settings/autostart.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace kova {

namespace {

constexpr int kWidth = 4335; // client area, twips
constexpr int kHeight = 3255;

// The classic dialog font, 9 points at 96 dots per inch: the design's places
// are counted for its 12-pixel characters.
constexpr int kFontPixels = 12;

QRect twips(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

// Controls on a tab are placed from the tab strip's top edge, as the design
// counts them; a page begins below the strip's tabs.
QPoint onPage(int left, int top, int tabsHeight) {
    return QPoint(twipsToPixels(left), std::max(0, twipsToPixels(top) - tabsHeight));
}

// A label that sizes itself to its text; one that would run past `right`
// (pixels, in its parent) wraps into lines there, as the classic labels do.
QLabel* label(const QString& text, QWidget* parent, QPoint at, int right = 0) {
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    l->move(at);
    l->adjustSize();
    if (right > at.x() && l->x() + l->width() > right) {
        l->setWordWrap(true);
        l->resize(right - at.x(), l->heightForWidth(right - at.x()));
    }
    return l;
}

// Wide enough for `widest` at the box's face, or its design width.
void fitText(QLineEdit* box, const QString& widest) {
    QStyleOptionFrame option;
    option.initFrom(box);
    option.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
    const QMargins margins = box->textMargins();
    // QLineEdit keeps 2 pixels of its own on either side of the text.
    const QSize text(box->fontMetrics().horizontalAdvance(widest) + 4 + margins.left() +
                         margins.right(),
                     box->height());
    const int width =
        box->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, box).width();
    box->resize(std::max(box->width(), width), box->height());
}

// A control whose caption is a label of its own is known by that label's
// text to screen readers.
void nameAfter(QWidget* control, QLabel* caption) {
    control->setAccessibleName(caption->text().trimmed());
    caption->setBuddy(control);
}

QPushButton* button(const QString& text, QWidget* parent, const QRect& place) {
    auto* b = new QPushButton(text, parent);
    b->setGeometry(place);
    return b;
}

QFrame* rule(QWidget* parent, const QRect& place) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(place);
    return line;
}

// The password fields show "*" for every character, as the design says.
class AsteriskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

const std::array<SettingKey, 4> kAccountKeys[kMailAccountCount] = {
    {a1::b01, a1::b02, a1::b03, a1::b04},
    {a1::b11, a1::b12, a1::b13, a1::b14},
    {a1::b21, a1::b22, a1::b23, a1::b24},
};
// Per account: the encryption choice and the trusted certificate.
const SettingKey kSecurityKeys[kMailAccountCount] = {a1::b05, a1::b15, a1::b25};
const SettingKey kPinKeys[kMailAccountCount] = {a1::b06, a1::b16, a1::b26};

} // namespace

Form1a::Form1a(Launcher& launcher) : QWidget(nullptr, Qt::Window), launcher_(launcher) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("KovaShell(設定)"));
    // A proportional Japanese face like the classic one, where there is one.
    QFont font = this->font();
    font.setFamilies({QString::fromUtf8(kClassicFace), QStringLiteral("MS PGothic"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"), font.family()});
    font.setPixelSize(kFontPixels);
    setFont(font);
    setFixedSize(twipsToPixels(kWidth), twipsToPixels(kHeight));

    SSTab1 = new QTabWidget(this);
    SSTab1->setGeometry(twips(0, 0, kWidth, 2775));
    const QStringList tabs = {QStringLiteral("KovaShell"), QStringLiteral("メール"),
                              QStringLiteral("ランチャー"), QStringLiteral("付箋紙")};
    for (const QString& caption : tabs)
        SSTab1->addTab(new QWidget, caption);
    buildGeneralTab(SSTab1->widget(0));
    buildMailTab(SSTab1->widget(1));
    // The launcher page counts its places from the strip's top edge too.
    launcherPage = new LauncherPage(launcher_, SSTab1->widget(2));
    buildNotesTab(SSTab1->widget(3));
    SSTab1->setCurrentIndex(2); // the tab shown at design time
    // Wider than the design where the launcher page's captions need it at
    // this desktop's face; the pages' frame takes its part of the width.
    QStyleOptionTabWidgetFrame pane;
    pane.initFrom(SSTab1);
    pane.rect = SSTab1->rect();
    pane.lineWidth = SSTab1->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, SSTab1);
    pane.tabBarSize = SSTab1->tabBar()->sizeHint();
    const int frame =
        SSTab1->width() -
        SSTab1->style()->subElementRect(QStyle::SE_TabWidgetTabContents, &pane, SSTab1).width();
    const int width = std::max(twipsToPixels(kWidth), launcherPage->minimumWidth() + frame);
    setFixedSize(width, twipsToPixels(kHeight));
    SSTab1->resize(width, SSTab1->height());
    launcherPage->setGeometry(0, -SSTab1->tabBar()->sizeHint().height(), width,
                              twipsToPixels(2775));

    Picture1 = new QLabel(this);
    Picture1->setGeometry(twips(0, 2760, 495, 495));
    Picture1->setPixmap(kovaLogo(Picture1->width()));
    Picture1->setCursor(Qt::PointingHandCursor);
    Picture1->setToolTip(kHomePage);
    Picture1->setAccessibleName(QStringLiteral("Kova Project"));
    Picture1->setAccessibleDescription(kHomePage);
    Picture1->installEventFilter(this);
    Label9 = label(QStringLiteral("Kova Project"), this, twips(480, 3000, 0, 0).topLeft());
    // The design lets the logo run a pixel into the line.
    Label9->move(std::max(Label9->x(), Picture1->geometry().right() + 1), Label9->y());
    Label9->setAutoFillBackground(true);
    QPalette makerPalette = Label9->palette();
    makerPalette.setColor(QPalette::Window, colorFromText(QStringLiteral("&H8000000D")));
    makerPalette.setColor(QPalette::WindowText, Qt::white);
    Label9->setPalette(makerPalette);

    Command1 = button(QStringLiteral("OK"), this, twips(2160, 2880, 615, 375));
    Command2 = button(QStringLiteral("Cancel"), this, twips(2880, 2880, 735, 375));
    Command8 = button(QStringLiteral("適用"), this, twips(3720, 2880, 615, 375));
    // Room for the buttons' texts should this desktop's font be wider; they
    // keep to the right edge.
    for (QPushButton* b : {Command8, Command2, Command1})
        b->move(b->x() + width - twipsToPixels(kWidth), b->y());
    int right = width;
    for (QPushButton* b : {Command8, Command2, Command1}) {
        const int width = std::max(b->width(), b->fontMetrics().horizontalAdvance(b->text()) + 12);
        b->setGeometry(std::min(b->x(), right - width), b->y(), width, b->height());
        right = b->x() - 4;
    }
    connect(Command1, &QPushButton::clicked, this, &Form1a::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1a::Command2_Click);
    connect(Command8, &QPushButton::clicked, this, &Form1a::Command8_Click);
}

Form1a::~Form1a() = default;

void Form1a::buildGeneralTab(QWidget* page) {
    const int tabs = SSTab1->tabBar()->sizeHint().height();
    Check1 = new QCheckBox(page);
    Check1->move(onPage(360, 600, tabs));
    Check1->setChecked(firstRunNumber(a1::b6) != 0);
    const int right = twipsToPixels(4080);
    Label3 = label(QStringLiteral("起動時ﾃﾞｽｸﾄｯﾌﾟのｱｲｺﾝを「小さいｱｲｺﾝ」で表示する。"), page,
                   onPage(840, 600, tabs), right);
    nameAfter(Check1, Label3);
    Label3->installEventFilter(this);
    const int ruleTops[3] = {480, 1080, 1680};
    for (int i = 0; i < 3; ++i) {
        const QPoint at = onPage(240, ruleTops[i], tabs);
        Line1[size_t(i)] = rule(page, QRect(at, QSize(twipsToPixels(4080 - 240), 2)));
    }
    Label8 = label(QStringLiteral("「KovaShell」をｽﾀｰﾄｱｯﾌﾟに"), page, onPage(360, 1320, tabs));
    Command6 = button(QStringLiteral("登録"), page,
                      QRect(onPage(2520, 1200, tabs), twips(0, 0, 735, 375).size()));
    Command7 = button(QStringLiteral("削除"), page,
                      QRect(onPage(3360, 1200, tabs), twips(0, 0, 735, 375).size()));
    Label10 = label(QStringLiteral("タスクアイコンの左ダブルクリック時の動作"), page,
                    onPage(360, 1800, tabs));
    const QString choices[2] = {QStringLiteral("「DesktopIcon」の切り換え"),
                                QStringLiteral(" メールチェック")};
    const int choiceTops[2] = {2160, 2400};
    for (int i = 0; i < 2; ++i) {
        auto* option = new QRadioButton(page);
        option->move(onPage(360, choiceTops[i], tabs));
        Option2[size_t(i)] = option;
        Label11[size_t(i)] = label(choices[i], page, onPage(720, choiceTops[i], tabs));
        nameAfter(option, Label11[size_t(i)]);
        Label11[size_t(i)]->installEventFilter(this);
        connect(option, &QRadioButton::clicked, this, [this, i] { Label11_Click(i); });
    }
    setChoices(firstRunFlag(a1::b7), firstRunFlag(a1::b8));
    connect(Command6, &QPushButton::clicked, this, &Form1a::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1a::Command7_Click);
}

void Form1a::buildMailTab(QWidget* page) {
    const int outerTabs = SSTab1->tabBar()->sizeHint().height();
    SSTab2 = new QTabWidget(page);
    SSTab2->setGeometry(QRect(onPage(120, 480, outerTabs), twips(0, 0, 4095, 2175).size()));
    std::array<QWidget*, 4> pages{};
    for (int i = 0; i < 4; ++i) {
        pages[size_t(i)] = new QWidget;
        SSTab2->addTab(pages[size_t(i)], i < kMailAccountCount
                                             ? QStringLiteral("メール%1").arg(i + 1)
                                             : QStringLiteral("設定"));
    }
    const int tabs = SSTab2->tabBar()->sizeHint().height();
    static AsteriskStyle* asterisks = nullptr;
    if (asterisks == nullptr) {
        asterisks = new AsteriskStyle;
        asterisks->setParent(QCoreApplication::instance());
    }
    const QString captions[4] = {QStringLiteral("ポート："), QStringLiteral("POP3サーバ："),
                                 QStringLiteral("アカウント(ID)："),
                                 QStringLiteral("パスワード：")};
    const int tops[4] = {600, 960, 1320, 1680};
    for (int i = 0; i < kMailAccountCount; ++i) {
        QWidget* account = pages[size_t(i)];
        std::array<QLineEdit*, 4> fields{};
        for (int f = 0; f < 4; ++f) {
            auto* edit = new QLineEdit(account);
            const int width = f == 0 ? 495 : 2295;
            edit->setGeometry(QRect(onPage(1560, tops[f], tabs), twips(0, 0, width, 270).size()));
            fields[size_t(f)] = edit;
            // Labels 0-3, then 5 ("←通常は110"); the next page starts at 6.
            QLabel* caption = label(captions[f], account, onPage(0, tops[f] + 45, tabs));
            caption->move(edit->x() - caption->width() - 4, caption->y());
            Label1[size_t(i * 5 + (i == 0 ? f : f + 1))] = caption;
            nameAfter(edit, caption);
        }
        // Room for every port number; the hint follows the box.
        fitText(fields[0], QStringLiteral("65535"));
        QLabel* hint = label(QStringLiteral("←通常は110"), account, onPage(2280, 645, tabs));
        hint->move(std::max(hint->x(), fields[0]->geometry().right() + 1 + 4), hint->y());
        Label1[size_t(i == 0 ? 5 : i * 5 + 5)] = hint;
        Text1[size_t(i)] = fields[0];
        Text1[size_t(i)]->setText(firstRunValue(kAccountKeys[i][0]));
        Text2[size_t(i)] = fields[1];
        Text3[size_t(i)] = fields[2];
        Text4[size_t(i)] = fields[3];
        Text4[size_t(i)]->setEchoMode(QLineEdit::Password);
        Text4[size_t(i)]->setStyle(asterisks);
    }
    // The row starts at the page's own margin: from the widest caption on,
    // the three choices do not fit apart in every face.
    for (int i = 0; i < kMailAccountCount; ++i)
        buildSecurityRow(pages[size_t(i)], i, twipsToPixels(120));

    QWidget* options = pages[3];
    Text5 = new QLineEdit(options);
    Text5->setGeometry(QRect(onPage(240, 480, tabs), twips(0, 0, 375, 270).size()));
    // Digits only, typed or pasted; Backspace works as always.
    Text5->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Text5));
    fitText(Text5, QStringLiteral("999"));
    Label1[4] = label(QStringLiteral("分ごとにメールチェック"), options, onPage(720, 525, tabs));
    Label1[4]->move(std::max(Label1[4]->x(), Text5->geometry().right() + 1 + 4), Label1[4]->y());
    nameAfter(Text5, Label1[4]);
    Label2 = new QLabel(
        QStringLiteral("自動メールを無効にしたい場合は空欄にするか「0」を代入して下さい。"),
        options);
    Label2->setTextFormat(Qt::PlainText);
    Label2->setWordWrap(true);
    Label2->setGeometry(QRect(onPage(240, 840, tabs), twips(0, 0, 3615, 375).size()));
    Label2->resize(Label2->width(),
                   std::max(Label2->height(), Label2->heightForWidth(Label2->width())));
    QPalette red = Label2->palette();
    red.setColor(QPalette::WindowText, colorFromBgr(0xFF));
    Label2->setPalette(red);
    Line2 = rule(options, QRect(onPage(240, 1320, tabs), QSize(twipsToPixels(3600), 2)));
    Label18 = label(QStringLiteral("メーラーの場所"), options, onPage(240, 1440, tabs));
    Text9 = new QLineEdit(QStringLiteral("C:\\Program Files\\Outlook Express\\msimn.exe"), options);
    Text9->setGeometry(QRect(onPage(120, 1680, tabs), twips(0, 0, 3375, 270).size()));
    nameAfter(Text9, Label18);
    Command14 = button(QStringLiteral("..."), options,
                       QRect(onPage(3600, 1680, tabs), twips(0, 0, 255, 255).size()));
    Command14->setAccessibleName(Label18->text());
    connect(Command14, &QPushButton::clicked, this, &Form1a::Command14_Click);
}

// One line in the room left between the tabs and the port row, from the
// left edge of the widest caption: the design's controls keep their places.
void Form1a::buildSecurityRow(QWidget* account, int i, int left) {
    const QString choices[3] = {QStringLiteral("なし"), QStringLiteral("STARTTLS"),
                                QStringLiteral("SSL/TLS")};
    QLabel* caption = label(QStringLiteral("暗号化："), account, QPoint(left, 0));
    const int height = caption->height() + 2;
    const int top = std::max(0, (Text1[size_t(i)]->y() - height) / 2);
    caption->move(left, top + 1);
    Label19[size_t(i)] = caption;
    std::array<int, 3> widths{};
    int room = SSTab2->width() - 2 * SSTab2->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) -
               caption->geometry().right() - 4;
    for (int c = 0; c < 3; ++c) {
        auto* option = new QRadioButton(choices[c], account);
        widths[size_t(c)] = option->sizeHint().width();
        room -= widths[size_t(c)];
        Option3[size_t(i)][size_t(c)] = option;
        connect(option, &QRadioButton::clicked, this, [this, i, c] { Option3_Click(i, c); });
    }
    // A few pixels apart at least, so the choices never read as one word.
    const int gap = std::clamp(room / 3, 4, twipsToPixels(120));
    int x = caption->geometry().right() + 1 + gap;
    for (int c = 0; c < 3; ++c) {
        Option3[size_t(i)][size_t(c)]->setGeometry(x, top, widths[size_t(c)], height);
        x += widths[size_t(c)] + gap;
    }
    Option3[size_t(i)][0]->setChecked(true);
}

void Form1a::buildNotesTab(QWidget* page) {
    const int tabs = SSTab1->tabBar()->sizeHint().height();
    Label12 = label(QStringLiteral("[初期値]"), page, onPage(360, 600, tabs));
    const QString names[4] = {QStringLiteral("フォント名"), QStringLiteral("フォントサイズ"),
                              QStringLiteral("背景色"), QStringLiteral("文字色")};
    const int tops[4] = {960, 1320, 1680, 2040};
    for (int i = 0; i < 4; ++i)
        Label13[size_t(i)] = label(names[i], page, onPage(360, tops[i], tabs));
    Label14 = label(firstRunValue(Fusen::FontName), page, onPage(1320, 960, tabs));
    Label15 = label(firstRunValue(Fusen::FontSize), page, onPage(1680, 1320, tabs));
    Label16 = new QLabel(page);
    Label16->setGeometry(QRect(onPage(1080, 1650, tabs), twips(0, 0, 1335, 255).size()));
    Label17 = new QLabel(page);
    Label17->setGeometry(QRect(onPage(1080, 2010, tabs), twips(0, 0, 1335, 255).size()));
    for (QLabel* swatch : {Label16, Label17}) {
        swatch->setAutoFillBackground(true);
        swatch->setFrameShape(QFrame::Box);
    }
    const int buttonTops[4] = {930, 1320, 1650, 2040};
    std::array<QPushButton*, 4> buttons{};
    for (int i = 0; i < 4; ++i)
        buttons[size_t(i)] =
            button(QStringLiteral("..."), page,
                   QRect(onPage(2760, buttonTops[i], tabs), twips(0, 0, 255, 255).size()));
    Command9 = buttons[0];
    Command10 = buttons[1];
    Command11 = buttons[2];
    Command12 = buttons[3];
    // Four buttons all reading "...": a screen reader tells them by their row.
    for (int i = 0; i < 4; ++i)
        buttons[size_t(i)]->setAccessibleName(Label13[size_t(i)]->text());
    // Font name and size share one font dialog.
    connect(Command9, &QPushButton::clicked, this, &Form1a::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &Form1a::Command9_Click);
    connect(Command11, &QPushButton::clicked, this, &Form1a::Command11_Click);
    connect(Command12, &QPushButton::clicked, this, &Form1a::Command12_Click);
    setSwatch(Label16, firstRunColor(Fusen::BackColor));
    setSwatch(Label17, firstRunColor(Fusen::ForeColor));
}

void Form1a::setSwatch(QLabel* swatch, const QColor& color) {
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, color);
    swatch->setPalette(palette);
    (swatch == Label16 ? backColor_ : foreColor_) = color;
}

void Form1a::Form_Load() {
    emit mailBusyCleared();
    for (int i = 0; i < kMailAccountCount; ++i) {
        Text1[size_t(i)]->setText(ReadSetting(kAccountKeys[i][0]));
        Text2[size_t(i)]->setText(ReadSetting(kAccountKeys[i][1]));
        Text3[size_t(i)]->setText(ReadSetting(kAccountKeys[i][2]));
        Text4[size_t(i)]->setText(ReadSetting(kAccountKeys[i][3]));
        // Anything but "1" or "2" is the plain connection of old.
        const QString security = ReadSetting(kSecurityKeys[i]);
        const int choice = security == u'1' ? 1 : security == u'2' ? 2 : 0;
        Option3[size_t(i)][size_t(choice)]->setChecked(true);
        pins_[size_t(i)] = ReadSetting(kPinKeys[i]);
        pinServers_[size_t(i)] = Text2[size_t(i)]->text();
    }
    // Text the filter would refuse to type still shows as stored.
    Text5->setValidator(nullptr);
    Text5->setText(ReadSetting(a1::b5));
    Text5->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Text5));
    Text9->setText(ReadSetting(a1::Mailler));

    // Values that cannot be read fall back to the first-run ones.
    Check1->setChecked(ReadNumber(a1::b6).value_or(firstRunNumber(a1::b6)) != 0);
    setChoices(ReadFlag(a1::b7).value_or(firstRunFlag(a1::b7)),
               ReadFlag(a1::b8).value_or(firstRunFlag(a1::b8)));

    move(twipsToPixels(ReadTwips(Option::Left)), twipsToPixels(ReadTwips(Option::Top)));
    move(keepWhollyOnScreen(QRect(pos(), size()), screenAreas()).topLeft());

    Label14->setText(ReadSetting(Fusen::FontName));
    Label14->adjustSize();
    Label15->setText(ReadSetting(Fusen::FontSize));
    Label15->adjustSize();
    setSwatch(Label16, ReadColor(Fusen::BackColor).value_or(firstRunColor(Fusen::BackColor)));
    setSwatch(Label17, ReadColor(Fusen::ForeColor).value_or(firstRunColor(Fusen::ForeColor)));

    for (int i = 0; i < kMailAccountCount; ++i) {
        if (Text1[size_t(i)]->text().isEmpty())
            Text1[size_t(i)]->setText(firstRunValue(kAccountKeys[i][0]));
    }
    switchMinuteTimer();

    launcher_.LoadLauncherTable();
    launcherPage->selectEntry(0);
    launcher_.RebuildLauncherMenu();
}

void Form1a::switchMinuteTimer() {
    const QString text = Text5->text();
    emit minuteTimerSwitched(!(text.isEmpty() || text == QLatin1String("0")));
}

// Every value the dialog itself saves, in the order they are written.
QList<SettingValue> Form1a::settingValues() const {
    QList<SettingValue> values;
    const auto add = [&values](const SettingKey& key, const QString& value) {
        values.append(settingValue(key, value));
    };
    for (int i = 0; i < kMailAccountCount; ++i) {
        add(kAccountKeys[i][0], Text1[size_t(i)]->text());
        add(kAccountKeys[i][1], Text2[size_t(i)]->text());
        add(kAccountKeys[i][2], Text3[size_t(i)]->text());
        add(kAccountKeys[i][3], Text4[size_t(i)]->text());
        add(kSecurityKeys[i], QString::number(int(security(i))));
        if (!pins_[size_t(i)].isEmpty() && !pinHolds(i))
            add(kPinKeys[i], QString());
    }
    add(a1::b5, Text5->text());
    add(a1::Mailler, Text9->text());
    add(a1::b6, Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    add(a1::b7, flagValue(Option2[0]->isChecked()));
    add(a1::b8, flagValue(Option2[1]->isChecked()));
    add(Fusen::FontName, Label14->text());
    add(Fusen::FontSize, Label15->text());
    add(Fusen::BackColor, colorToText(backColor_));
    add(Fusen::ForeColor, colorToText(foreColor_));
    return values;
}

QList<SettingValue> Form1a::placeValues() const {
    return {settingValue(Option::Top, QString::number(pixelsToTwips(pos().y()))),
            settingValue(Option::Left, QString::number(pixelsToTwips(pos().x())))};
}

bool Form1a::SaveOption() {
    return save(false);
}

// One rewrite of the settings file for everything a press saves, so that a
// crash leaves either all of it or none.
bool Form1a::save(bool withPlace) {
    launcherPage->storeBoxes();
    QList<SettingValue> values = settingValues();
    values += launcher_.settingValues();
    if (withPlace)
        values += placeValues();
    if (!WriteSettings(values)) {
        const NestedDialogGuard guard(this);
        Platform::instance().messageBox(kSettingsNotSaved, Buttons::Ok);
        return false;
    }
    if (withPlace)
        savedPlace_ = pos();
    for (int i = 0; i < kMailAccountCount; ++i)
        if (!pinHolds(i))
            pins_[size_t(i)].clear();
    Text6 = QStringLiteral("0");
    switchMinuteTimer();
    launcher_.LoadLauncherTable(); // the table holds what the file holds
    launcher_.RebuildLauncherMenu();
    return true;
}

void Form1a::showTab(int outer, int inner) {
    SSTab1->setCurrentIndex(outer);
    if (inner >= 0)
        SSTab2->setCurrentIndex(inner);
}

MailAccount Form1a::mailAccount(int i) const {
    if (i < 0 || i >= kMailAccountCount)
        return {};
    return {Text1[size_t(i)]->text(),
            Text2[size_t(i)]->text(),
            Text3[size_t(i)]->text(),
            Text4[size_t(i)]->text(),
            security(i),
            pinHolds(i) ? pins_[size_t(i)] : QString()};
}

bool Form1a::pinHolds(int i) const {
    return Text2[size_t(i)]->text().trimmed().compare(pinServers_[size_t(i)].trimmed(),
                                                      Qt::CaseInsensitive) == 0;
}

MailSecurity Form1a::security(int i) const {
    for (int c = 1; c < 3; ++c)
        if (Option3[size_t(i)][size_t(c)]->isChecked())
            return MailSecurity(c);
    return MailSecurity::None;
}

void Form1a::pinCertificate(int i, const QString& fingerprint) {
    if (i < 0 || i >= kMailAccountCount)
        return;
    pins_[size_t(i)] = fingerprint;
    pinServers_[size_t(i)] = Text2[size_t(i)]->text();
    WriteSetting(kPinKeys[i], fingerprint);
}

void Form1a::Option3_Click(int i, int choice) {
    QLineEdit* port = Text1[size_t(i)];
    const QString plain = QString::fromLatin1(kPop3Port);
    if (choice == int(MailSecurity::Tls) && port->text() == plain)
        port->setText(QStringLiteral("995"));
    else if (choice != int(MailSecurity::Tls) && port->text() == QLatin1String("995"))
        port->setText(plain);
}

QString Form1a::interval() const {
    return Text5->text();
}

QString Form1a::minuteCounter() const {
    return Text6;
}

void Form1a::setMinuteCounter(const QString& value) {
    Text6 = value;
}

QString Form1a::mailer() const {
    return Text9->text();
}

void Form1a::Command1_Click() {
    // A save that failed keeps the dialog and the user's edits. The place
    // goes with the save, not in a second rewrite when the dialog unloads.
    if (save(true))
        close();
}

void Form1a::Command8_Click() {
    SaveOption();
}

void Form1a::Command2_Click() {
    launcher_.LoadLauncherTable();
    launcher_.RebuildLauncherMenu();
    close();
}

void Form1a::Command6_Click() {
    const QString program = QCoreApplication::applicationFilePath();
    const NestedDialogGuard guard(this);
    Platform::instance().messageBox(startupMessage(registerStartup(program)), Buttons::Ok);
}

void Form1a::Command7_Click() {
    const NestedDialogGuard guard(this);
    Platform::instance().messageBox(startupMessage(removeStartup()), Buttons::Ok);
}

void Form1a::Command14_Click() {
    const NestedDialogGuard guard(this);
    const std::optional<QString> file = Platform::instance().chooseFile(
        QString(), {QStringLiteral("プログラム (*)"), QStringLiteral("すべてのファイル (*)")},
        this);
    if (file && !guard.windowGone())
        Text9->setText(*file);
}

void Form1a::Command9_Click() {
    bool ok = false;
    const double size = Label15->text().trimmed().toDouble(&ok);
    QFont preset(Label14->text());
    if (ok && size > 0)
        preset.setPointSizeF(size);
    const NestedDialogGuard guard(this);
    const std::optional<QFont> chosen = Platform::instance().chooseFont(preset, this);
    if (!chosen || guard.windowGone())
        return;
    Label14->setText(chosen->family());
    Label14->adjustSize();
    Label15->setText(numberText(chosen->pointSizeF()));
    Label15->adjustSize();
}

void Form1a::Command11_Click() {
    const NestedDialogGuard guard(this);
    const std::optional<QColor> c = Platform::instance().chooseColor(backColor_, this);
    if (c && !guard.windowGone())
        setSwatch(Label16, *c);
}

void Form1a::Command12_Click() {
    const NestedDialogGuard guard(this);
    const std::optional<QColor> c = Platform::instance().chooseColor(foreColor_, this);
    if (c && !guard.windowGone())
        setSwatch(Label17, *c);
}

void Form1a::Label3_Click() {
    Check1->setChecked(!Check1->isChecked());
}

void Form1a::Label11_Click(int index) {
    setChoices(index == 0, index == 1);
}

// As the file has them, both off or both on included; a choice of the user's
// then excludes the other, as radio buttons do.
void Form1a::setChoices(bool first, bool second) {
    for (QRadioButton* option : Option2)
        option->setAutoExclusive(false);
    Option2[0]->setChecked(first);
    Option2[1]->setChecked(second);
    for (QRadioButton* option : Option2)
        option->setAutoExclusive(true);
}

void Form1a::Picture1_Click() {
    Platform::instance().openWithDesktop(kHomePage);
}

void Form1a::Form_Unload() {
    if (savedPlace_ != pos())
        WriteSettings(placeValues());
}

void Form1a::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
    emit unloaded();
}

bool Form1a::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Label3) {
            Label3_Click();
            return true;
        }
        for (int i = 0; i < 2; ++i) {
            if (watched == Label11[size_t(i)]) {
                Label11_Click(i);
                return true;
            }
        }
        if (watched == Picture1) {
            Picture1_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kova
