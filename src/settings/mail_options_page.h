#pragma once

#include "base/settings.h"

#include <QList>
#include <QObject>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kova {

// The mail tab's "設定" page of the settings dialog, built on its page: the
// interval of the automatic check and the mail program.
class MailOptionsPage : public QObject {
    Q_OBJECT
public:
    MailOptionsPage(QWidget* page, int tabsHeight);

    // The fields as the settings file has them.
    void load();
    // The one line saying where the accounts' passwords are kept.
    void showPasswordPlace(bool keyring);
    // The values "OK" and "適用" save, in the order they are written.
    QList<SettingValue> settingValues() const;

    // The live mail settings: the interval as typed and the mail program.
    QString interval() const;
    QString mailer() const;

    QLineEdit* Text5 = nullptr; // interval, minutes
    QLabel* Label1 = nullptr;   // Label1(4) of the design: its caption
    QLabel* Label2 = nullptr;
    QFrame* Line2 = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* passwordPlace = nullptr;
    QLineEdit* Text9 = nullptr; // the mail program
    QPushButton* Command14 = nullptr;

    void Command14_Click();

private:
    void setDigitsOnly();

    QWidget* page_;
};

} // namespace kova
