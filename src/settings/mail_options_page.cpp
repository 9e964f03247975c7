#include "settings/mail_options_page.h"

#include "base/twips_and_numbers.h"
#include "platform/colors.h"
#include "platform/nested_dialog.h"
#include "platform/seam.h"
#include "settings/dialog_layout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace kova {

using namespace layout;

MailOptionsPage::MailOptionsPage(QWidget* page, int tabs) : QObject(page), page_(page) {
    Text5 = new QLineEdit(page);
    Text5->setGeometry(QRect(onPage(240, 480, tabs), twips(0, 0, 375, 270).size()));
    setDigitsOnly();
    fitText(Text5, QStringLiteral("999"));
    Label1 = label(QStringLiteral("分ごとにメールチェック"), page, onPage(720, 525, tabs));
    Label1->move(std::max(Label1->x(), Text5->geometry().right() + 1 + 4), Label1->y());
    nameAfter(Text5, Label1);
    Label2 = new QLabel(
        QStringLiteral("自動メールを無効にしたい場合は空欄にするか「0」を代入して下さい。"), page);
    Label2->setTextFormat(Qt::PlainText);
    Label2->setWordWrap(true);
    Label2->setGeometry(QRect(onPage(240, 840, tabs), twips(0, 0, 3615, 375).size()));
    Label2->resize(Label2->width(),
                   std::max(Label2->height(), Label2->heightForWidth(Label2->width())));
    QPalette red = Label2->palette();
    red.setColor(QPalette::WindowText, colorFromBgr(0xFF));
    Label2->setPalette(red);
    Line2 = rule(page, QRect(onPage(240, 1320, tabs), QSize(twipsToPixels(3600), 2)));
    Label18 = label(QStringLiteral("メーラーの場所"), page, onPage(240, 1440, tabs));
    Text9 = new QLineEdit(QStringLiteral("C:\\Program Files\\Outlook Express\\msimn.exe"), page);
    Text9->setGeometry(QRect(onPage(120, 1680, tabs), twips(0, 0, 3375, 270).size()));
    nameAfter(Text9, Label18);
    Command14 = button(QStringLiteral("..."), page,
                       QRect(onPage(3600, 1680, tabs), twips(0, 0, 255, 255).size()));
    Command14->setAccessibleName(Label18->text());
    connect(Command14, &QPushButton::clicked, this, &MailOptionsPage::Command14_Click);
    passwordPlace = label(QString(), page, onPage(120, 2010, tabs));
}

void MailOptionsPage::showPasswordPlace(bool keyring) {
    passwordPlace->setText(keyring ? QStringLiteral("パスワードの保存先：キーリング")
                                   : QStringLiteral("パスワードの保存先：設定ファイル"));
    passwordPlace->adjustSize();
}

// Digits only, typed or pasted; Backspace works as always.
void MailOptionsPage::setDigitsOnly() {
    Text5->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Text5));
}

void MailOptionsPage::load() {
    // Text the filter would refuse to type still shows as stored.
    Text5->setValidator(nullptr);
    Text5->setText(ReadSetting(a1::b5));
    setDigitsOnly();
    Text9->setText(ReadSetting(a1::Mailler));
}

QList<SettingValue> MailOptionsPage::settingValues() const {
    return {settingValue(a1::b5, Text5->text()), settingValue(a1::Mailler, Text9->text())};
}

QString MailOptionsPage::interval() const {
    return Text5->text();
}

QString MailOptionsPage::mailer() const {
    return Text9->text();
}

void MailOptionsPage::Command14_Click() {
    const NestedDialogGuard guard(page_->window());
    const std::optional<QString> file = Platform::instance().chooseFile(
        QString(), {QStringLiteral("プログラム (*)"), QStringLiteral("すべてのファイル (*)")},
        page_->window());
    if (file && !guard.windowGone())
        Text9->setText(*file);
}

} // namespace kova
