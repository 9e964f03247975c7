#pragma once

#include "platform/settings_keys.h"

#include <QList>
#include <QString>

namespace kova {

// KovaShell.ini in the data folder. Every call goes straight to the file;
// nothing is cached, so a value written anywhere is read everywhere.

QString settingsFilePath();
// The settings file of a given data folder (the desktop-icon component
// finds the folder by itself).
QString settingsFileIn(const QString& dataFolder);

QString ReadSetting(const SettingKey& key);
QString ReadSetting(const QString& section, const QString& key);
// Failures are silent, as the classic profile calls are: the next read
// returns the old value.
void WriteSetting(const SettingKey& key, const QString& value);
void WriteSetting(const QString& section, const QString& key, const QString& value);
bool SettingsFileExists();

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
