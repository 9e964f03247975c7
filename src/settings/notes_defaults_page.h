#pragma once

#include "base/settings.h"

#include <QColor>
#include <QList>
#include <QObject>

#include <array>

class QLabel;
class QPushButton;
class QWidget;

namespace kova {

// The settings dialog's "付箋紙" tab, built on its page: the font and the
// colours a new note starts with.
class NotesDefaultsPage : public QObject {
    Q_OBJECT
public:
    NotesDefaultsPage(QWidget* page, int tabsHeight);

    // The fields as the settings file has them.
    void load();
    // The values "OK" and "適用" save, in the order they are written.
    QList<SettingValue> settingValues() const;

    QLabel* Label12 = nullptr;
    std::array<QLabel*, 4> Label13{};
    QLabel* Label14 = nullptr; // font name
    QLabel* Label15 = nullptr; // font size
    QLabel* Label16 = nullptr; // background swatch
    QLabel* Label17 = nullptr; // text colour swatch
    QPushButton* Command9 = nullptr;
    QPushButton* Command10 = nullptr;
    QPushButton* Command11 = nullptr;
    QPushButton* Command12 = nullptr;

    QColor backColor() const { return backColor_; }
    QColor foreColor() const { return foreColor_; }

    void Command9_Click();
    void Command11_Click();
    void Command12_Click();

private:
    void setSwatch(QLabel* swatch, const QColor& color);

    QWidget* page_;
    QColor backColor_;
    QColor foreColor_;
};

} // namespace kova
