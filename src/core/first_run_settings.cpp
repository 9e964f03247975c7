#include "first_run_settings.h"

#include <cstring>

namespace kova {

QList<SettingValue> firstRunSettings(const QString& mailer) {
    QList<SettingValue> values;
    for (const SettingKey& key : kFirstRunKeys) {
        // The mail program is the one value the key table cannot know.
        const bool isMailer = std::strcmp(key.section, a1::Mailler.section) == 0 &&
                              std::strcmp(key.name, a1::Mailler.name) == 0;
        values.append(settingValue(key, isMailer ? mailer : firstRunValue(key)));
    }
    return values;
}

void WriteFirstRunSettings(const QString& mailer) {
    // One rewrite instead of one per value: the same file, a quicker first start.
    WriteSettings(firstRunSettings(mailer));
}

} // namespace kova
