#include "first_run_settings.h"

#include "platform/settings.h"

#include <utility>

namespace kova {

void WriteFirstRunSettings(const QString& mailer) {
    const std::pair<SettingKey, QString> entries[] = {
        {a1::b01, QStringLiteral("110")},
        {a1::b02, {}},
        {a1::b03, {}},
        {a1::b04, {}},
        {a1::b11, QStringLiteral("110")},
        {a1::b12, {}},
        {a1::b13, {}},
        {a1::b14, {}},
        {a1::b21, QStringLiteral("110")},
        {a1::b22, {}},
        {a1::b23, {}},
        {a1::b24, {}},
        {a1::b5, QStringLiteral("0")},
        {a1::Mailler, mailer},
        {a1::b6, QStringLiteral("1")},
        {a1::b7, QStringLiteral("True")},
        {a1::b8, QStringLiteral("False")},
        {Fusen::FontName, QStringLiteral("ＭＳ Ｐゴシック")},
        {Fusen::FontSize, QStringLiteral("9")},
        {Fusen::BackColor, QStringLiteral("&HFFFFFF")},
        {Fusen::ForeColor, QStringLiteral("&H0")},
        {Option::Top, QStringLiteral("0")},
        {Option::Left, QStringLiteral("0")},
        {kmc::Top, QStringLiteral("0")},
        {kmc::Left, QStringLiteral("0")},
        {Fusen::Top, QStringLiteral("0")},
        {Fusen::Left, QStringLiteral("0")},
    };
    // One rewrite instead of one per value: the same file, a quicker first start.
    QList<SettingValue> batch;
    for (const auto& [key, value] : entries)
        batch.append(settingValue(key, value));
    WriteSettings(batch);
}

} // namespace kova
