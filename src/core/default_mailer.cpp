#include "default_mailer.h"

#include "base/logging.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

namespace kova {

namespace {

// "NAME=value" as env takes it: a shell variable name before the equals sign.
bool isAssignment(const QString& word) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*="));
    return pattern.match(word).hasMatch();
}

} // namespace

QString programFromDesktopEntry(const QString& desktopEntryText) {
    bool inEntry = false;
    const QStringList lines = desktopEntryText.split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        // Blanks around the equals sign are allowed in desktop entries.
        if (!inEntry || eq < 0 || line.left(eq).trimmed() != QLatin1String("Exec"))
            continue;
        const QStringList words = QProcess::splitCommand(line.mid(eq + 1).trimmed());
        bool afterEnv = false;
        for (const QString& word : words) {
            // Field codes (%u ...) and "env VAR=x" in front are not the program.
            if (word.startsWith(QLatin1Char('%')))
                continue;
            if (!afterEnv && word == QLatin1String("env")) {
                afterEnv = true;
                continue;
            }
            if (afterEnv && isAssignment(word))
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
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("x-scheme-handler/mailto")});
    if (!query.waitForFinished(3000)) {
        // Not there at all is no failure: the desktop has no such tool.
        if (query.error() != QProcess::FailedToStart)
            qCWarning(kovaLog, "xdg-mime did not answer within 3 s; the mail program is %s",
                      qUtf8Printable(fallback));
        return fallback;
    }
    if (query.exitCode() != 0)
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
