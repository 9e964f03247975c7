#include "settings/settings_dialog.h"

#include "base/settings.h"
#include "base/twips_and_numbers.h"
#include "launcher/launcher.h"
#include "launcher/launcher_page.h"
#include "platform/colors.h"
#include "platform/keyring.h"
#include "platform/logo.h"
#include "platform/nested_dialog.h"
#include "platform/screen_placement.h"
#include "platform/seam.h"
#include "settings/dialog_layout.h"
#include "settings/general_page.h"
#include "settings/mail_account_page.h"
#include "settings/mail_options_page.h"
#include "settings/notes_defaults_page.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace kova {

using namespace layout;

namespace {

constexpr int kWidth = 4335; // client area, twips
constexpr int kHeight = 3255;

QList<SettingValue> placeValuesAt(const QPoint& place) {
    return {settingValue(Option::Top, QString::number(pixelsToTwips(place.y()))),
            settingValue(Option::Left, QString::number(pixelsToTwips(place.x())))};
}

// The classic dialog font, 9 points at 96 dots per inch: the design's places
// are counted for its 12-pixel characters.
constexpr int kFontPixels = 12;

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
    const int tabsHeight = SSTab1->tabBar()->sizeHint().height();
    generalPage = new GeneralPage(SSTab1->widget(0), tabsHeight);
    buildMailTab(SSTab1->widget(1));
    // The launcher page counts its places from the strip's top edge too.
    launcherPage = new LauncherPage(launcher_, SSTab1->widget(2));
    notesPage = new NotesDefaultsPage(SSTab1->widget(3), tabsHeight);
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

void Form1a::buildMailTab(QWidget* page) {
    const int outerTabs = SSTab1->tabBar()->sizeHint().height();
    SSTab2 = new QTabWidget(page);
    SSTab2->setGeometry(QRect(onPage(120, 480, outerTabs), twips(0, 0, 4095, 2175).size()));
    // Down to the bottom of its page: the account's protocol needs a line
    // below the password.
    const int outerFrame = 2 * SSTab1->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    SSTab2->setFixedHeight(
        std::max(SSTab2->height(), SSTab1->height() - outerTabs - outerFrame - SSTab2->y()));
    for (int i = 0; i < 4; ++i)
        SSTab2->addTab(new QWidget, i < kMailAccountCount ? QStringLiteral("メール%1").arg(i + 1)
                                                          : QStringLiteral("設定"));
    const int tabs = SSTab2->tabBar()->sizeHint().height();
    const int frame = 2 * SSTab2->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const QSize pageSize(SSTab2->width() - frame, SSTab2->height() - tabs - frame);
    for (int i = 0; i < kMailAccountCount; ++i)
        accountPages[size_t(i)] = new MailAccountPage(SSTab2->widget(i), i, tabs, pageSize);
    mailOptionsPage = new MailOptionsPage(SSTab2->widget(3), tabs);
}

void Form1a::Form_Load() {
    emit mailBusyCleared();
    for (MailAccountPage* account : accountPages)
        account->load();
    mailOptionsPage->load();
    generalPage->load();

    move(twipsToPixels(ReadTwips(Option::Left)), twipsToPixels(ReadTwips(Option::Top)));
    move(keepWhollyOnScreen(QRect(pos(), size()), screenAreas()).topLeft());

    notesPage->load();
    switchMinuteTimer();

    launcher_.LoadLauncherTable();
    launcherPage->selectEntry(0);
    launcher_.RebuildLauncherMenu();
}

void Form1a::keepPlaceUnloaded() {
    const QPoint stored(twipsToPixels(ReadTwips(Option::Left)),
                        twipsToPixels(ReadTwips(Option::Top)));
    const QSize size(twipsToPixels(kWidth), twipsToPixels(kHeight));
    const QPoint place = keepWhollyOnScreen(QRect(stored, size), screenAreas()).topLeft();
    WriteSettings(placeValuesAt(place));
}

void Form1a::switchMinuteTimer() {
    emit minuteTimerSwitched(automaticCheckWanted(mailOptionsPage->interval()));
}

// Every value the dialog itself saves, in the order they are written.
QList<SettingValue> Form1a::settingValues() const {
    QList<SettingValue> values;
    for (const MailAccountPage* account : accountPages)
        values += account->settingValues();
    values += mailOptionsPage->settingValues();
    values += generalPage->settingValues();
    values += notesPage->settingValues();
    return values;
}

QList<SettingValue> Form1a::placeValues() const {
    return placeValuesAt(pos());
}

bool Form1a::SaveOption() {
    return save(false);
}

// One rewrite of the settings file for everything a press saves, so that a
// crash leaves either all of it or none.
bool Form1a::save(bool withPlace) {
    launcherPage->storeBoxes();
    // Asked once a save, and only when a password is to be placed.
    std::optional<bool> keyring;
    const auto keyringPresent = [&keyring] {
        if (!keyring)
            keyring = Keyring::present();
        return *keyring;
    };
    for (MailAccountPage* account : accountPages)
        account->planSave(keyringPresent);
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
    for (MailAccountPage* account : accountPages)
        account->saved();
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
    return accountPages[size_t(i)]->account();
}

void Form1a::pinCertificate(int i, const QString& fingerprint) {
    if (i >= 0 && i < kMailAccountCount)
        accountPages[size_t(i)]->pinCertificate(fingerprint);
}

QString Form1a::interval() const {
    return mailOptionsPage->interval();
}

QString Form1a::minuteCounter() const {
    return Text6;
}

void Form1a::setMinuteCounter(const QString& value) {
    Text6 = value;
}

QString Form1a::mailer() const {
    return mailOptionsPage->mailer();
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

void Form1a::Picture1_Click() {
    Platform::instance().openWithDesktop(kHomePage);
}

void Form1a::Form_Unload() {
    if (savedPlace_ != pos())
        WriteSettings(placeValues());
}

// Asked when shown, not when made hidden at start or for a mail check.
void Form1a::showEvent(QShowEvent* event) {
    const bool keyring = Keyring::present();
    for (MailAccountPage* account : accountPages)
        account->showPasswordPlace(keyring);
    mailOptionsPage->showPasswordPlace(keyring);
    QWidget::showEvent(event);
}

void Form1a::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
    emit unloaded();
}

bool Form1a::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Picture1) {
            Picture1_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kova
