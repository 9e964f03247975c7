#pragma once

#include "base/settings.h"

#include <QList>
#include <QObject>

#include <array>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kova {

// The settings dialog's first tab, "KovaShell", built on its page: small
// desktop icons at start-up, the Startup entry, and what a double click on
// the tray icon does.
class GeneralPage : public QObject {
    Q_OBJECT
public:
    GeneralPage(QWidget* page, int tabsHeight);

    // The fields as the settings file has them.
    void load();
    // The values "OK" and "適用" save, in the order they are written.
    QList<SettingValue> settingValues() const;

    QCheckBox* Check1 = nullptr;
    QLabel* Label3 = nullptr;
    std::array<QFrame*, 3> Line1{};
    QLabel* Label8 = nullptr;
    QPushButton* Command6 = nullptr; // Startup: register
    QPushButton* Command7 = nullptr; // Startup: remove
    QLabel* Label10 = nullptr;
    std::array<QRadioButton*, 2> Option2{};
    std::array<QLabel*, 2> Label11{};

    void Command6_Click();
    void Command7_Click();
    void Label3_Click();
    void Label11_Click(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setChoices(bool first, bool second);

    QWidget* page_;
};

} // namespace kova
