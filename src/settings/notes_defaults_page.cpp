#include "settings/notes_defaults_page.h"

#include "base/twips_and_numbers.h"
#include "platform/colors.h"
#include "platform/nested_dialog.h"
#include "platform/seam.h"
#include "settings/dialog_layout.h"

#include <QLabel>
#include <QPushButton>

namespace kova {

using namespace layout;

NotesDefaultsPage::NotesDefaultsPage(QWidget* page, int tabs) : QObject(page), page_(page) {
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
    connect(Command9, &QPushButton::clicked, this, &NotesDefaultsPage::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &NotesDefaultsPage::Command9_Click);
    connect(Command11, &QPushButton::clicked, this, &NotesDefaultsPage::Command11_Click);
    connect(Command12, &QPushButton::clicked, this, &NotesDefaultsPage::Command12_Click);
    setSwatch(Label16, firstRunColor(Fusen::BackColor));
    setSwatch(Label17, firstRunColor(Fusen::ForeColor));
}

void NotesDefaultsPage::setSwatch(QLabel* swatch, const QColor& color) {
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, color);
    swatch->setPalette(palette);
    (swatch == Label16 ? backColor_ : foreColor_) = color;
}

void NotesDefaultsPage::load() {
    Label14->setText(ReadSetting(Fusen::FontName));
    Label14->adjustSize();
    Label15->setText(ReadSetting(Fusen::FontSize));
    Label15->adjustSize();
    setSwatch(Label16, ReadColor(Fusen::BackColor).value_or(firstRunColor(Fusen::BackColor)));
    setSwatch(Label17, ReadColor(Fusen::ForeColor).value_or(firstRunColor(Fusen::ForeColor)));
}

QList<SettingValue> NotesDefaultsPage::settingValues() const {
    return {settingValue(Fusen::FontName, Label14->text()),
            settingValue(Fusen::FontSize, Label15->text()),
            settingValue(Fusen::BackColor, colorToText(backColor_)),
            settingValue(Fusen::ForeColor, colorToText(foreColor_))};
}

void NotesDefaultsPage::Command9_Click() {
    bool ok = false;
    const double size = Label15->text().trimmed().toDouble(&ok);
    QFont preset(Label14->text());
    if (ok && size > 0)
        preset.setPointSizeF(size);
    const NestedDialogGuard guard(page_->window());
    const std::optional<QFont> chosen = Platform::instance().chooseFont(preset, page_->window());
    if (!chosen || guard.windowGone())
        return;
    Label14->setText(chosen->family());
    Label14->adjustSize();
    Label15->setText(numberText(chosen->pointSizeF()));
    Label15->adjustSize();
}

void NotesDefaultsPage::Command11_Click() {
    const NestedDialogGuard guard(page_->window());
    const std::optional<QColor> c = Platform::instance().chooseColor(backColor_, page_->window());
    if (c && !guard.windowGone())
        setSwatch(Label16, *c);
}

void NotesDefaultsPage::Command12_Click() {
    const NestedDialogGuard guard(page_->window());
    const std::optional<QColor> c = Platform::instance().chooseColor(foreColor_, page_->window());
    if (c && !guard.windowGone())
        setSwatch(Label17, *c);
}

} // namespace kova
