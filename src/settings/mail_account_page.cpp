#include "settings/mail_account_page.h"

#include "base/twips_and_numbers.h"
#include "settings/dialog_layout.h"

#include <QButtonGroup>
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
const SettingKey kProtocolKeys[kMailAccountCount] = {a1::b07, a1::b17, a1::b27};

// The port a protocol and an encryption usually go with.
QString usualPort(MailProtocol protocol, MailSecurity security) {
    const bool tls = security == MailSecurity::Tls;
    if (protocol == MailProtocol::Imap)
        return tls ? QStringLiteral("993") : QStringLiteral("143");
    return tls ? QStringLiteral("995") : QString::fromLatin1(kPop3Port);
}

} // namespace

MailAccountPage::MailAccountPage(QWidget* page, int index, int tabs, QSize pageSize)
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
    // The encryption in the room left between the tabs and the port row, the
    // protocol in the room below the password: the design's controls keep
    // their places.
    const int height = Label1[0]->height() + 2;
    Label19 = buildChoiceRow<3>(
        page, std::max(0, (Text1->y() - height) / 2), pageSize.width(), QStringLiteral("暗号化："),
        {QStringLiteral("なし"), QStringLiteral("STARTTLS"), QStringLiteral("SSL/TLS")}, Option3);
    const int below = Text4->geometry().bottom() + 1;
    Label20 = buildChoiceRow<2>(page, below + std::max(0, (pageSize.height() - below - height) / 2),
                                pageSize.width(), QStringLiteral("受信方式："),
                                {QStringLiteral("POP3"), QStringLiteral("IMAP")}, Option4);
    for (int c = 0; c < 3; ++c)
        connect(Option3[size_t(c)], &QRadioButton::clicked, this, [this, c] { Option3_Click(c); });
    for (int c = 0; c < 2; ++c)
        connect(Option4[size_t(c)], &QRadioButton::clicked, this, [this, c] { Option4_Click(c); });
}

// One line of choices from the page's own margin: from the widest caption
// on, the three encryptions do not fit apart in every face.
template <size_t N>
QLabel* MailAccountPage::buildChoiceRow(QWidget* page, int top, int width, const QString& text,
                                        const std::array<QString, N>& choices,
                                        std::array<QRadioButton*, N>& options) {
    const int left = twipsToPixels(120);
    QLabel* caption = label(text, page, QPoint(left, top + 1));
    const int height = caption->height() + 2;
    std::array<int, N> widths{};
    int room = width - caption->geometry().right() - 4;
    // Each row chooses on its own, though they share the page.
    auto* group = new QButtonGroup(page);
    for (size_t c = 0; c < N; ++c) {
        options[c] = new QRadioButton(choices[c], page);
        group->addButton(options[c]);
        widths[c] = options[c]->sizeHint().width();
        room -= widths[c];
    }
    // A few pixels apart at least, so the choices never read as one word.
    const int gap = std::clamp(room / int(N), 4, twipsToPixels(120));
    int x = caption->geometry().right() + 1 + gap;
    for (size_t c = 0; c < N; ++c) {
        options[c]->setGeometry(x, top, widths[c], height);
        x += widths[c] + gap;
    }
    options[0]->setChecked(true);
    return caption;
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
    // Anything but "1" is POP3, as every file before IMAP.
    Option4[ReadSetting(kProtocolKeys[index_]) == u'1' ? 1 : 0]->setChecked(true);
    showProtocol();
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
    values.append(settingValue(kProtocolKeys[index_], QString::number(int(protocol()))));
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
                        Text4->text(), security(),    pinHolds() ? pin_ : QString(),
                        protocol()};
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

MailProtocol MailAccountPage::protocol() const {
    return Option4[1]->isChecked() ? MailProtocol::Imap : MailProtocol::Pop3;
}

// A port the user chose stays; one of the usual ports follows the choice.
void MailAccountPage::Option3_Click(int) {
    showProtocol();
    const QString port = usualPort(protocol(), security());
    for (MailProtocol p : {MailProtocol::Pop3, MailProtocol::Imap})
        for (MailSecurity s : {MailSecurity::None, MailSecurity::Tls})
            if (Text1->text() == usualPort(p, s))
                Text1->setText(port);
}

void MailAccountPage::Option4_Click(int) {
    Option3_Click(int(security()));
}

// The server's caption and the port hint say what the choice is.
void MailAccountPage::showProtocol() {
    const bool imap = protocol() == MailProtocol::Imap;
    Label1[1]->setText(imap ? QStringLiteral("IMAPサーバ：") : QStringLiteral("POP3サーバ："));
    Label1[1]->adjustSize();
    Label1[1]->move(Text2->x() - Label1[1]->width() - 4, Label1[1]->y());
    Label1[4]->setText(QStringLiteral("←通常は") + usualPort(protocol(), security()));
    Label1[4]->adjustSize();
}

} // namespace kova
