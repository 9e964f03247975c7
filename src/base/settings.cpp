#include "settings.h"

#include "base/data_folder.h"
#include "base/profile_file.h"
#include "base/twips_and_numbers.h"

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

QStringList ReadSettings(const QList<ProfileKey>& keys) {
    return ProfileFile(settingsFilePath()).read(keys);
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

QString firstRunValue(const SettingKey& key) {
    return QString::fromUtf8(key.firstRun);
}

namespace {

const QString kTrue = QStringLiteral("True");
const QString kFalse = QStringLiteral("False");

std::optional<bool> flagOf(const QString& text) {
    if (text == kTrue)
        return true;
    if (text == kFalse)
        return false;
    return std::nullopt;
}

std::optional<double> numberOf(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

std::optional<bool> ReadFlag(const SettingKey& key) {
    return flagOf(ReadSetting(key));
}

std::optional<double> ReadNumber(const SettingKey& key) {
    return numberOf(ReadSetting(key));
}

int ReadTwips(const SettingKey& key) {
    return twipsFromText(ReadSetting(key));
}

bool firstRunFlag(const SettingKey& key) {
    return flagOf(firstRunValue(key)).value_or(false);
}

double firstRunNumber(const SettingKey& key) {
    return numberOf(firstRunValue(key)).value_or(0);
}

QString flagValue(bool on) {
    return on ? kTrue : kFalse;
}

bool WriteSettings(const QList<SettingValue>& values) {
    QList<ProfileFile::Entry> entries;
    entries.reserve(values.size());
    for (const SettingValue& v : values)
        entries.append({v.section, v.key, v.value});
    return ProfileFile(settingsFilePath()).write(entries);
}

} // namespace kova
