#include "desktop_commands.h"

#include "platform/logging.h"

#include <QProcess>
#include <QStandardPaths>

namespace kova {

namespace {

// Plasma's folder view keeps the size as an index into its size list.
QString plasmaScript(IconSize size) {
    return QStringLiteral("var ds = desktops(); for (var i = 0; i < ds.length; ++i) {"
                          " ds[i].currentConfigGroup = [\"General\"];"
                          " ds[i].writeConfig(\"iconSize\", %1); ds[i].reloadConfig(); }")
        .arg(size == IconSize::Small ? 1 : 4);
}

// A GVariant string literal, as gdbus parses its arguments.
QString gvariantString(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    out.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

DesktopCommand gsettingsSet(const ProgramFinder& find, const QString& schema, const QString& key,
                            IconSize size) {
    const QString value =
        size == IconSize::Small ? QStringLiteral("'small'") : QStringLiteral("'large'");
    return {find(QStringLiteral("gsettings")), {QStringLiteral("set"), schema, key, value}};
}

DesktopCommand plasmaCommand(const ProgramFinder& find, IconSize size) {
    const QString script = plasmaScript(size);
    for (const char* name : {"qdbus", "qdbus6"}) {
        const QString qdbus = find(QLatin1String(name));
        if (!qdbus.isEmpty())
            return {qdbus,
                    {QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
                     QStringLiteral("org.kde.PlasmaShell.evaluateScript"), script}};
    }
    return {find(QStringLiteral("gdbus")),
            {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
             QStringLiteral("org.kde.plasmashell"), QStringLiteral("--object-path"),
             QStringLiteral("/PlasmaShell"), QStringLiteral("--method"),
             QStringLiteral("org.kde.PlasmaShell.evaluateScript"), gvariantString(script)}};
}

} // namespace

Desktop detectDesktop(const QString& xdgCurrentDesktop) {
    const QStringList names = xdgCurrentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& raw : names) {
        const QString name = raw.trimmed().toLower();
        if (name == QLatin1String("gnome"))
            return Desktop::Gnome;
        if (name == QLatin1String("mate"))
            return Desktop::Mate;
        if (name == QLatin1String("xfce"))
            return Desktop::Xfce;
        if (name == QLatin1String("kde"))
            return Desktop::Kde;
    }
    return Desktop::Unknown;
}

QString findOnPath(const QString& name) {
    return QStandardPaths::findExecutable(name);
}

DesktopCommand iconSizeCommand(Desktop desktop, IconSize size, const ProgramFinder& find) {
    if (size == IconSize::Unchanged)
        return {};
    DesktopCommand command;
    switch (desktop) {
    case Desktop::Gnome:
        command = gsettingsSet(find, QStringLiteral("org.gnome.shell.extensions.ding"),
                               QStringLiteral("icon-size"), size);
        break;
    case Desktop::Mate:
        command = gsettingsSet(find, QStringLiteral("org.mate.caja.icon-view"),
                               QStringLiteral("default-zoom-level"), size);
        break;
    case Desktop::Xfce:
        command = {find(QStringLiteral("xfconf-query")),
                   {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-p"),
                    QStringLiteral("/desktop-icons/icon-size"), QStringLiteral("-n"),
                    QStringLiteral("-t"), QStringLiteral("uint"), QStringLiteral("-s"),
                    size == IconSize::Small ? QStringLiteral("32") : QStringLiteral("64")}};
        break;
    case Desktop::Kde:
        command = plasmaCommand(find, size);
        break;
    case Desktop::Unknown:
        break;
    }
    if (command.program.isEmpty())
        return {};
    return command;
}

bool runDesktopCommand(const DesktopCommand& command) {
    if (command.program.isEmpty())
        return false;
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(command.program, command.arguments);
    // A desktop setting answers at once; a hung tool must not keep us forever.
    if (!process.waitForFinished(15000)) {
        if (process.error() == QProcess::FailedToStart) {
            qCWarning(kovaLog, "cannot start %s", qUtf8Printable(command.program));
            return false;
        }
        qCWarning(kovaLog, "%s did not end within 15 s; stopped", qUtf8Printable(command.program));
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qCWarning(kovaLog, "%s failed (exit status %d); the icon size is unchanged",
                  qUtf8Printable(command.program), process.exitCode());
        return false;
    }
    return true;
}

} // namespace kova
