#include "autostart.h"

#include "base/atomic_file.h"
#include "settings/startup_folder.h"

#include <QDir>
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

QString autostartEntryText(const QString& programPath, const QString& dataFolder) {
    QString exec = desktopExecArgument(programPath);
    if (!dataFolder.isEmpty())
        exec = QStringLiteral("env ") +
               desktopExecArgument(QStringLiteral("KOVASHELL_HOME=") + dataFolder) +
               QLatin1Char(' ') + exec;
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=KovaShell\n"
                          "Comment=Sticky notes, mail checker and launcher in the tray\n"
                          "Exec=%1\n"
                          "Icon=kovashell\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(exec);
}

namespace {

// Desktop entries hold no control characters, escaped or not.
bool hasControlCharacters(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0);
    });
}

} // namespace

StartupResult registerStartup(const QString& programPath) {
    const QString folder = SpecialFolderPath(kStartupFolder);
    if (folder.isEmpty())
        return StartupResult::NoFolder;
    // Relative to where this run started, not to where the session starts it.
    const QString kovaHome = qEnvironmentVariable("KOVASHELL_HOME");
    const QString dataFolder = kovaHome.isEmpty() ? QString() : QDir(kovaHome).absolutePath();
    if (hasControlCharacters(programPath) || hasControlCharacters(dataFolder))
        return StartupResult::ControlCharacters;
    // Readable by the desktop's session starter, like any autostart entry.
    const QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (!writeFileAtomically(entryPath(folder),
                             autostartEntryText(programPath, dataFolder).toUtf8(), mode))
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
    case StartupResult::ControlCharacters:
        return QStringLiteral("プログラムまたはデータフォルダ（KOVASHELL_HOME）のパスに制御文字が"
                              "含まれているため、スタートアップに登録できません。"
                              "フォルダの名前を変えてください。");
    case StartupResult::DeleteFailed:
        return QStringLiteral("スタートアップから削除できませんでした。"
                              "書き込み権限を確認してください。");
    }
    return {};
}

} // namespace kova
