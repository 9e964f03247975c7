#include "settings/general_page.h"

#include "base/twips_and_numbers.h"
#include "platform/nested_dialog.h"
#include "platform/seam.h"
#include "settings/autostart.h"
#include "settings/dialog_layout.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace kova {

using namespace layout;

GeneralPage::GeneralPage(QWidget* page, int tabs) : QObject(page), page_(page) {
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
    connect(Command6, &QPushButton::clicked, this, &GeneralPage::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &GeneralPage::Command7_Click);
}

void GeneralPage::load() {
    // Values that cannot be read fall back to the first-run ones.
    Check1->setChecked(ReadNumber(a1::b6).value_or(firstRunNumber(a1::b6)) != 0);
    setChoices(ReadFlag(a1::b7).value_or(firstRunFlag(a1::b7)),
               ReadFlag(a1::b8).value_or(firstRunFlag(a1::b8)));
}

QList<SettingValue> GeneralPage::settingValues() const {
    return {settingValue(a1::b6, Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0")),
            settingValue(a1::b7, flagValue(Option2[0]->isChecked())),
            settingValue(a1::b8, flagValue(Option2[1]->isChecked()))};
}

void GeneralPage::Command6_Click() {
    const QString program = QCoreApplication::applicationFilePath();
    const NestedDialogGuard guard(page_->window());
    Platform::instance().messageBox(startupMessage(registerStartup(program)), Buttons::Ok);
}

void GeneralPage::Command7_Click() {
    const NestedDialogGuard guard(page_->window());
    Platform::instance().messageBox(startupMessage(removeStartup()), Buttons::Ok);
}

void GeneralPage::Label3_Click() {
    Check1->setChecked(!Check1->isChecked());
}

void GeneralPage::Label11_Click(int index) {
    setChoices(index == 0, index == 1);
}

// As the file has them, both off or both on included; a choice of the user's
// then excludes the other, as radio buttons do.
void GeneralPage::setChoices(bool first, bool second) {
    for (QRadioButton* option : Option2)
        option->setAutoExclusive(false);
    Option2[0]->setChecked(first);
    Option2[1]->setChecked(second);
    for (QRadioButton* option : Option2)
        option->setAutoExclusive(true);
}

bool GeneralPage::eventFilter(QObject* watched, QEvent* event) {
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
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kova
