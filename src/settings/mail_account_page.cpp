#include "settings/mail_account_page.h"

#include "base/twips_and_numbers.h"
#include "settings/dialog_layout.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QRadioButton>

#include <algorithm>
#include <utility>

namespace kova {

using namespace layout;

namespace {

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

MailAccountPage::MailAccountPage(QWidget* page, int index, int tabs, int pageWidth)
    : QObject(page), index_(index) {
    static AsteriskStyle* asterisks = nullptr;
    if (asterisks == nullptr) {
        asterisks = new AsteriskStyle;
        asterisks->setParent(QCoreApplication::instance());
    }
    const QString captions[4] = {QStringLiteral("ポート："), QStringLiteral("POP3サーバ："),
                                 QStringLiteral("アカウント(ID)："),
                                 QStringLiteral("パスワード：")};
    const int tops[4] = {600, 960, 1320, 1680};
    std::array<QLineEdit*, 4> fields{};
    for (int f = 0; f < 4; ++f) {
        auto* edit = new QLineEdit(page);
        const int width = f == 0 ? 495 : 2295;
        edit->setGeometry(QRect(onPage(1560, tops[f], tabs), twips(0, 0, width, 270).size()));
        fields[size_t(f)] = edit;
        QLabel* caption = label(captions[f], page, onPage(0, tops[f] + 45, tabs));
        caption->move(edit->x() - caption->width() - 4, caption->y());
        Label1[size_t(f)] = caption;
        nameAfter(edit, caption);
    }
    // Room for every port number; the hint follows the box.
    fitText(fields[0], QStringLiteral("65535"));
    QLabel* hint = label(QStringLiteral("←通常は110"), page, onPage(2280, 645, tabs));
    hint->move(std::max(hint->x(), fields[0]->geometry().right() + 1 + 4), hint->y());
    Label1[4] = hint;
    Text1 = fields[0];
    Text1->setText(firstRunValue(kAccountKeys[index][0]));
    Text2 = fields[1];
    Text3 = fields[2];
    Text4 = fields[3];
    Text4->setEchoMode(QLineEdit::Password);
    Text4->setStyle(asterisks);
    // The row starts at the page's own margin: from the widest caption on,
    // the three choices do not fit apart in every face.
    buildSecurityRow(page, twipsToPixels(120), pageWidth);
}

// One line in the room left between the tabs and the port row, from the
// left edge of the widest caption: the design's controls keep their places.
void MailAccountPage::buildSecurityRow(QWidget* page, int left, int pageWidth) {
    const QString choices[3] = {QStringLiteral("なし"), QStringLiteral("STARTTLS"),
                                QStringLiteral("SSL/TLS")};
    QLabel* caption = label(QStringLiteral("暗号化："), page, QPoint(left, 0));
    const int height = caption->height() + 2;
    const int top = std::max(0, (Text1->y() - height) / 2);
    caption->move(left, top + 1);
    Label19 = caption;
    std::array<int, 3> widths{};
    int room = pageWidth - caption->geometry().right() - 4;
    for (int c = 0; c < 3; ++c) {
        auto* option = new QRadioButton(choices[c], page);
        widths[size_t(c)] = option->sizeHint().width();
        room -= widths[size_t(c)];
        Option3[size_t(c)] = option;
        connect(option, &QRadioButton::clicked, this, [this, c] { Option3_Click(c); });
    }
    // A few pixels apart at least, so the choices never read as one word.
    const int gap = std::clamp(room / 3, 4, twipsToPixels(120));
    int x = caption->geometry().right() + 1 + gap;
    for (int c = 0; c < 3; ++c) {
        Option3[size_t(c)]->setGeometry(x, top, widths[size_t(c)], height);
        x += widths[size_t(c)] + gap;
    }
    Option3[0]->setChecked(true);
}

void MailAccountPage::load() {
    const std::array<SettingKey, 4>& keys = kAccountKeys[index_];
    Text1->setText(ReadSetting(keys[0]));
    Text2->setText(ReadSetting(keys[1]));
    Text3->setText(ReadSetting(keys[2]));
    Text4->setText(ReadSetting(keys[3]));
    passwordLoaded_ = Text4->text();
    passwordItem_ = ReadSetting(kPasswordItemKeys[index_]);
    showPasswordItem();
    // Anything but "1" or "2" is the plain connection of old.
    const QString security = ReadSetting(kSecurityKeys[index_]);
    const int choice = security == u'1' ? 1 : security == u'2' ? 2 : 0;
    Option3[size_t(choice)]->setChecked(true);
    pin_ = ReadSetting(kPinKeys[index_]);
    pinServer_ = Text2->text();
    if (Text1->text().isEmpty())
        Text1->setText(firstRunValue(keys[0]));
}

QList<SettingValue> MailAccountPage::settingValues() const {
    const std::array<SettingKey, 4>& keys = kAccountKeys[index_];
    QList<SettingValue> values = {settingValue(keys[0], Text1->text()),
                                  settingValue(keys[1], Text2->text()),
                                  settingValue(keys[2], Text3->text())};
    values += plan_.fileValues;
    values.append(settingValue(kSecurityKeys[index_], QString::number(int(security()))));
    if (!pin_.isEmpty() && !pinHolds())
        values.append(settingValue(kPinKeys[index_], QString()));
    return values;
}

void MailAccountPage::planSave(const std::function<bool()>& keyringPresent) {
    plan_ = planPassword(index_, {Text4->text(), passwordLoaded_, passwordItem_},
                         keyringItemKey(index_, Text3->text(), Text2->text()), keyringPresent);
}

void MailAccountPage::saved() {
    if (!pinHolds())
        pin_.clear();
    const PasswordPlan plan = std::exchange(plan_, {});
    passwordLoaded_ = Text4->text();
    if (!plan.fileValues.isEmpty())
        passwordItem_.clear();
    showPasswordItem();
    storePassword(index_, passwordLoaded_, plan, this, [this](const QString& item) {
        passwordItem_ = item;
        showPasswordItem();
        emit passwordPlaced(item);
    });
}

MailAccount MailAccountPage::account() const {
    MailAccount account{Text1->text(), Text2->text(), Text3->text(),
                        Text4->text(), security(),    pinHolds() ? pin_ : QString()};
    // A field the user has emptied is no password from the keyring.
    if (Text4->text() == passwordLoaded_)
        account.passwordKey = passwordItem_;
    return account;
}

void MailAccountPage::showPasswordItem() {
    QString hint;
    if (!passwordItem_.isEmpty())
        hint = QStringLiteral("キーリングに保存済み");
    else if (keyringHere_)
        hint = *keyringHere_ ? QStringLiteral("キーリングに保存されます")
                             : QStringLiteral("設定ファイルに保存されます");
    Text4->setPlaceholderText(hint);
    if (keyringHere_)
        Text4->setToolTip(*keyringHere_ ? QStringLiteral("パスワードの保存先：キーリング")
                                        : QStringLiteral("パスワードの保存先：設定ファイル"));
}

void MailAccountPage::showPasswordPlace(bool keyring) {
    keyringHere_ = keyring;
    showPasswordItem();
}

bool MailAccountPage::pinHolds() const {
    return Text2->text().trimmed().compare(pinServer_.trimmed(), Qt::CaseInsensitive) == 0;
}

MailSecurity MailAccountPage::security() const {
    for (int c = 1; c < 3; ++c)
        if (Option3[size_t(c)]->isChecked())
            return MailSecurity(c);
    return MailSecurity::None;
}

void MailAccountPage::pinCertificate(const QString& fingerprint) {
    pin_ = fingerprint;
    pinServer_ = Text2->text();
    WriteSetting(kPinKeys[index_], fingerprint);
}

void MailAccountPage::Option3_Click(int choice) {
    const QString plain = QString::fromLatin1(kPop3Port);
    if (choice == int(MailSecurity::Tls) && Text1->text() == plain)
        Text1->setText(QStringLiteral("995"));
    else if (choice != int(MailSecurity::Tls) && Text1->text() == QLatin1String("995"))
        Text1->setText(plain);
}

} // namespace kova
