#include "settings.h"

#include "platform/data_folder.h"
#include "platform/profile_file.h"

namespace kova {

QString settingsFileIn(const QString& dataFolder) {
    return dataFolder + QLatin1Char('/') + QLatin1String(kSettingsFileName);
}

QString settingsFilePath() {
    return settingsFileIn(dataFolder());
}

QString ReadSetting(const SettingKey& key) {
    return ReadSetting(QLatin1String(key.section), QLatin1String(key.name));
}

QString ReadSetting(const QString& section, const QString& key) {
    return ProfileFile(settingsFilePath()).read(section, key);
}

void WriteSetting(const SettingKey& key, const QString& value) {
    WriteSetting(QLatin1String(key.section), QLatin1String(key.name), value);
}

void WriteSetting(const QString& section, const QString& key, const QString& value) {
    ProfileFile(settingsFilePath()).write(section, key, value);
}

bool SettingsFileExists() {
    return ProfileFile(settingsFilePath()).exists();
}

bool WriteSettings(const QList<SettingValue>& values) {
    QList<ProfileFile::Entry> entries;
    entries.reserve(values.size());
    for (const SettingValue& v : values)
        entries.append({v.section, v.key, v.value});
    return ProfileFile(settingsFilePath()).write(entries);
}

} // namespace kova
