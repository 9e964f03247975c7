#pragma once

#include "base/profile_file.h"
#include "base/settings_keys.h"

#include <QList>
#include <QString>

#include <optional>

namespace kova {

using ProfileKey = ProfileFile::Key;

// KovaShell.ini in the data folder. Every call goes straight to the file;
// nothing is cached, so a value written anywhere is read everywhere.

QString settingsFilePath();
// The settings file of a given data folder (the desktop-icon component
// finds the folder by itself).
QString settingsFileIn(const QString& dataFolder);

QString ReadSetting(const SettingKey& key);
QString ReadSetting(const QString& section, const QString& key);
// Several values from one reading of the file, in the order asked.
QStringList ReadSettings(const QList<ProfileKey>& keys);
// Failures are silent, as the classic profile calls are: the next read
// returns the old value.
void WriteSetting(const SettingKey& key, const QString& value);
void WriteSetting(const QString& section, const QString& key, const QString& value);
bool SettingsFileExists();

// The value a key starts with in a new settings file; empty where it has none.
QString firstRunValue(const SettingKey& key);

// Typed reads, each straight from the file like ReadSetting. None makes up a
// value: text that is not one (a missing key included) reads as nullopt, and
// the caller says what stands in, often the first-run value. Colors, which
// need Qt Gui, are read by ReadColor (platform/colors.h).
//
// A flag: "True" or "False", exactly (case counts).
std::optional<bool> ReadFlag(const SettingKey& key);
// A decimal number making up the whole value ("9", "10.5").
std::optional<double> ReadNumber(const SettingKey& key);
// A place or size in twips ("1530", "1530.5"); 0 for text that is no number.
int ReadTwips(const SettingKey& key);
bool firstRunFlag(const SettingKey& key);
double firstRunNumber(const SettingKey& key);
// How the writers store a flag.
QString flagValue(bool on);

// What the user is told when a save the user asked for cannot be written.
inline const QString kSettingsNotSaved = QStringLiteral(
    "設定を保存できませんでした。ディスクの空き容量と書き込み権限を確認してください。");

struct SettingValue {
    QString section;
    QString key;
    QString value;
};
inline SettingValue settingValue(const SettingKey& key, const QString& value) {
    return {QLatin1String(key.section), QLatin1String(key.name), value};
}
// Several values with one rewrite of the file, as if written one after
// another. False when the file could not be written (it is then unchanged).
bool WriteSettings(const QList<SettingValue>& values);

} // namespace kova
