#include "desktop_settings.h"

#include "base/atomic_file.h"
#include "base/logging.h"
#include "desktopicon/component/desktop_process.h"
#include "desktopicon/component/key_file.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace kova {

namespace {

constexpr int kToolWaitMs = 15000;

// Runs a desktop's tool and waits for it; its output when it succeeded.
std::optional<QString> runTool(const QString& name, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(name);
    if (program.isEmpty())
        return std::nullopt;
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    // A desktop setting answers at once; a hung tool must not keep us forever.
    if (!process.waitForFinished(kToolWaitMs)) {
        qCWarning(kovaLog, "%s did not end within %d s; stopped", qUtf8Printable(program),
                  kToolWaitMs / 1000);
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QStringList gsettingsArguments(const IconSizeSetting& s, const QString& verb) {
    QStringList arguments;
    if (!s.schemaDir.isEmpty())
        arguments << QStringLiteral("--schemadir") << s.schemaDir;
    return arguments << verb << s.store << s.key;
}

QString unquoted(QString value) {
    if (value.size() >= 2 && value.startsWith(QLatin1Char('\'')) &&
        value.endsWith(QLatin1Char('\'')))
        value = value.mid(1, value.size() - 2);
    return value;
}

// plasmashell's scripting: every desktop's folder view, its "General" group.
const QString kPlasmaService = QStringLiteral("org.kde.plasmashell");

std::optional<QString> evaluatePlasmaScript(const QString& script) {
    QDBusInterface shell(kPlasmaService, QStringLiteral("/PlasmaShell"),
                         QStringLiteral("org.kde.PlasmaShell"), QDBusConnection::sessionBus());
    if (!shell.isValid())
        return std::nullopt;
    shell.setTimeout(kToolWaitMs);
    const QDBusReply<QString> reply = shell.call(QStringLiteral("evaluateScript"), script);
    if (!reply.isValid()) {
        qCWarning(kovaLog, "plasmashell refused the icon-size script: %s",
                  qUtf8Printable(reply.error().message()));
        return std::nullopt;
    }
    return reply.value().trimmed();
}

QString plasmaScript(const QString& key, const QString& body) {
    return QStringLiteral("var ds = desktops(); for (var i = 0; i < ds.length; ++i) {"
                          " ds[i].currentConfigGroup = [\"General\"]; %1 }")
        .arg(QString(body).replace(QStringLiteral("%key"), key));
}

QString userConfigFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

std::optional<QString> readKeyFile(const IconSizeSetting& s) {
    // The user's file first, then the defaults the desktop ships.
    for (const QString& folder :
         QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)) {
        QByteArray content;
        if (!readWholeFile(folder + QLatin1Char('/') + s.store, &content))
            continue;
        if (const auto value = keyFileValue(content, s.group, s.key))
            return QString::fromUtf8(*value);
    }
    return std::nullopt;
}

bool editKeyFile(const IconSizeSetting& s, const QString& value) {
    const QString path = userConfigFolder() + QLatin1Char('/') + s.store;
    QByteArray content;
    const bool existed = QFileInfo::exists(path);
    if (existed && !readWholeFile(path, &content)) {
        qCWarning(kovaLog, "cannot read %s; the icon size is unchanged", qUtf8Printable(path));
        return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QFileDevice::Permissions mode = existed
                                              ? QFileInfo(path).permissions()
                                              : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ReadGroup | QFileDevice::ReadOther;
    return writeFileAtomically(
        path, setKeyFileValue(content, s.group, s.key, value.toUtf8(), s.newGroup), mode);
}

// The desktop process reads its file only when it starts (and may write it
// when it ends): end it, edit, start it again as it was.
bool writeKeyFileOfDesktop(const IconSizeSetting& s, const QString& value) {
    const QList<DesktopProcess> running = runningDesktopProcesses(s.process, s.processMarker);
    if (!endDesktopProcesses(running, s.quitOption))
        return false;
    const bool edited = editKeyFile(s, value);
    bool started = true;
    if (!running.isEmpty())
        started = startDesktopProcessAgain(running.first());
    return edited && started;
}

} // namespace

bool settingPresent(const IconSizeSetting& s) {
    switch (s.kind) {
    case IconSizeSetting::GSettings:
        if (!s.onlyIfKey.isEmpty()) {
            const auto value =
                runTool(QStringLiteral("gsettings"),
                        QStringList{QStringLiteral("get")} + s.onlyIfKey.split(QLatin1Char(' ')));
            if (value != s.onlyIfValue)
                return false;
        }
        return runTool(QStringLiteral("gsettings"), gsettingsArguments(s, QStringLiteral("range")))
            .has_value();
    case IconSizeSetting::Xfconf:
        return !QStandardPaths::findExecutable(QStringLiteral("xfconf-query")).isEmpty();
    case IconSizeSetting::PlasmaScript:
        return QDBusConnection::sessionBus().interface() != nullptr &&
               QDBusConnection::sessionBus().interface()->isServiceRegistered(kPlasmaService);
    case IconSizeSetting::KeyFile:
        return !QStandardPaths::findExecutable(s.process).isEmpty() ||
               !runningDesktopProcesses(s.process, s.processMarker).isEmpty();
    }
    return false;
}

std::optional<QString> readIconSize(const IconSizeSetting& s) {
    std::optional<QString> value;
    switch (s.kind) {
    case IconSizeSetting::GSettings:
        value = runTool(QStringLiteral("gsettings"), gsettingsArguments(s, QStringLiteral("get")));
        if (value)
            value = unquoted(*value);
        break;
    case IconSizeSetting::Xfconf:
        value = runTool(QStringLiteral("xfconf-query"),
                        {QStringLiteral("-c"), s.store, QStringLiteral("-p"), s.key});
        break;
    case IconSizeSetting::PlasmaScript:
        // The first desktop's value stands for all.
        value = evaluatePlasmaScript(
            plasmaScript(s.key, QStringLiteral("print(ds[i].readConfig(\"%key\")); break;")));
        break;
    case IconSizeSetting::KeyFile:
        value = readKeyFile(s);
        break;
    }
    if (value && value->isEmpty())
        return std::nullopt;
    return value;
}

bool writeIconSize(const IconSizeSetting& s, const QString& value) {
    switch (s.kind) {
    case IconSizeSetting::GSettings: {
        QStringList arguments = gsettingsArguments(s, QStringLiteral("set"));
        arguments << QLatin1Char('\'') + value + QLatin1Char('\'');
        return runTool(QStringLiteral("gsettings"), arguments).has_value();
    }
    case IconSizeSetting::Xfconf:
        return runTool(QStringLiteral("xfconf-query"),
                       {QStringLiteral("-c"), s.store, QStringLiteral("-p"), s.key,
                        QStringLiteral("-n"), QStringLiteral("-t"), QStringLiteral("uint"),
                        QStringLiteral("-s"), value})
            .has_value();
    case IconSizeSetting::PlasmaScript:
        return evaluatePlasmaScript(
                   plasmaScript(s.key, QStringLiteral("ds[i].writeConfig(\"%key\", %1);"
                                                      " ds[i].reloadConfig();")
                                           .arg(value)))
            .has_value();
    case IconSizeSetting::KeyFile:
        return writeKeyFileOfDesktop(s, value);
    }
    return false;
}

} // namespace kova
