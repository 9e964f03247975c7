#include "default_mailer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace kova {

QString programFromDesktopEntry(const QString& desktopEntryText) {
    bool inEntry = false;
    const QStringList lines = desktopEntryText.split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry || !line.startsWith(QLatin1String("Exec=")))
            continue;
        const QStringList words = QProcess::splitCommand(line.mid(5));
        for (const QString& word : words) {
            // "env VAR=x prog" and field codes are not the program.
            if (word == QLatin1String("env") || word.contains(QLatin1Char('=')) ||
                word.startsWith(QLatin1Char('%')))
                continue;
            return word;
        }
        return {};
    }
    return {};
}

QString defaultMailer() {
    const QString fallback = QStringLiteral("thunderbird");
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"),
                 QStringLiteral("x-scheme-handler/mailto")});
    if (!query.waitForFinished(3000) || query.exitCode() != 0)
        return fallback;
    const QString desktopFile = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    if (desktopFile.isEmpty())
        return fallback;
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopFile);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return fallback;
    const QString program = programFromDesktopEntry(QString::fromUtf8(file.readAll()));
    return program.isEmpty() ? fallback : program;
}

} // namespace kova
