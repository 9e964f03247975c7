#include "settings_file.h"

#include "platform/data_folder.h"
#include "platform/profile_file.h"

namespace kova {

QString settingsFilePath() {
    return dataFilePath(QStringLiteral("KovaShell.ini"));
}

QString ReadSetting(const QString& section, const QString& key) {
    return ProfileFile(settingsFilePath()).read(section, key);
}

void WriteSetting(const QString& section, const QString& key, const QString& value) {
    // Write failures are silent: the next read returns the old value.
    ProfileFile(settingsFilePath()).write(section, key, value);
}

bool SettingsFileExists() {
    return ProfileFile(settingsFilePath()).exists();
}

void WriteFirstRunSettings(const QString& mailer) {
    struct Entry {
        const char* section;
        const char* key;
        QString value;
    };
    const Entry entries[] = {
        {"a1", "b01", QStringLiteral("110")},
        {"a1", "b02", {}},
        {"a1", "b03", {}},
        {"a1", "b04", {}},
        {"a1", "b11", QStringLiteral("110")},
        {"a1", "b12", {}},
        {"a1", "b13", {}},
        {"a1", "b14", {}},
        {"a1", "b21", QStringLiteral("110")},
        {"a1", "b22", {}},
        {"a1", "b23", {}},
        {"a1", "b24", {}},
        {"a1", "b5", QStringLiteral("0")},
        {"a1", "Mailler", mailer},
        {"a1", "b6", QStringLiteral("1")},
        {"a1", "b7", QStringLiteral("True")},
        {"a1", "b8", QStringLiteral("False")},
        {"Fusen", "FontName", QStringLiteral("ＭＳ Ｐゴシック")},
        {"Fusen", "FontSize", QStringLiteral("9")},
        {"Fusen", "BackColor", QStringLiteral("&HFFFFFF")},
        {"Fusen", "ForeColor", QStringLiteral("&H0")},
        {"Option", "Top", QStringLiteral("0")},
        {"Option", "Left", QStringLiteral("0")},
        {"kmc", "Top", QStringLiteral("0")},
        {"kmc", "Left", QStringLiteral("0")},
        {"Fusen", "Top", QStringLiteral("0")},
        {"Fusen", "Left", QStringLiteral("0")},
    };
    // One rewrite instead of one per value: the same file, a quicker first start.
    QList<ProfileFile::Entry> batch;
    for (const Entry& e : entries)
        batch.append({QString::fromLatin1(e.section), QString::fromLatin1(e.key), e.value});
    ProfileFile(settingsFilePath()).write(batch);
}

} // namespace kova
