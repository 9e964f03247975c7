#pragma once

#include <QString>

namespace kova {

// KovaShell.ini in the data folder. Every call goes straight to the file.
QString settingsFilePath();
QString ReadSetting(const QString& section, const QString& key);
void WriteSetting(const QString& section, const QString& key, const QString& value);
bool SettingsFileExists();

// The values a new settings file starts with, in the order they are written.
// `mailer` is the first-run mail program.
void WriteFirstRunSettings(const QString& mailer);

} // namespace kova
