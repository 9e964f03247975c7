#include "autostart.h"

#include "platform/atomic_file.h"
#include "settings/special_folder.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace kova {

namespace {

QString entryPath(const QString& folder) {
    return folder + QLatin1Char('/') + kAutostartFileName;
}

// Escapes of the string type of desktop entries, applied to the whole value.
QString escapeString(const QString& value) {
    QString out;
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else
            out += c;
    }
    return out;
}

} // namespace

QString desktopExecArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool quote =
        argument.isEmpty() || std::any_of(argument.cbegin(), argument.cend(),
                                          [](QChar c) { return reserved.contains(c); });
    QString arg;
    for (const QChar c : argument) {
        if (quote && (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                      c == QLatin1Char('\\')))
            arg += QLatin1Char('\\');
        arg += c;
        // A lone "%" would start a field code.
        if (c == QLatin1Char('%'))
            arg += QLatin1Char('%');
    }
    if (quote)
        arg = QLatin1Char('"') + arg + QLatin1Char('"');
    // The string escapes come on top of the quoting: a backslash inside a
    // quoted argument is written as four.
    return escapeString(arg);
}

QString autostartEntryText(const QString& programPath) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=KovaShell\n"
                          "Comment=Sticky notes, mail checker and launcher in the tray\n"
                          "Exec=%1\n"
                          "Icon=kovashell\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(desktopExecArgument(programPath));
}

StartupResult registerStartup(const QString& programPath) {
    const QString folder = SpecialFolderPath(kStartupFolder);
    if (folder.isEmpty())
        return StartupResult::NoFolder;
    // Readable by the desktop's session starter, like any autostart entry.
    const QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (!writeFileAtomically(entryPath(folder), autostartEntryText(programPath).toUtf8(), mode))
        return StartupResult::WriteFailed;
    return StartupResult::Registered;
}

StartupResult removeStartup() {
    const QString folder = startupFolderLocation();
    if (folder.isEmpty())
        return StartupResult::NoFolder;
    const QString path = entryPath(folder);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return StartupResult::NotFound;
    return QFile::remove(path) ? StartupResult::Removed : StartupResult::DeleteFailed;
}

QString startupMessage(StartupResult result) {
    switch (result) {
    case StartupResult::Registered:
        return QStringLiteral("スタートアップに登録しました。");
    case StartupResult::Removed:
        return QStringLiteral("スタートアップから削除しました。");
    case StartupResult::NotFound:
        return QStringLiteral("ファイルが見つかりません。");
    case StartupResult::NoFolder:
        return QStringLiteral("スタートアップのフォルダが見つかりません。"
                              "ホームフォルダと XDG_CONFIG_HOME を確認してください。");
    case StartupResult::WriteFailed:
        return QStringLiteral("スタートアップに登録できませんでした。"
                              "ディスクの空き容量と書き込み権限を確認してください。");
    case StartupResult::DeleteFailed:
        return QStringLiteral("スタートアップから削除できませんでした。"
                              "書き込み権限を確認してください。");
    }
    return {};
}

} // namespace kova
