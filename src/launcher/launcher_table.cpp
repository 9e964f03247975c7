#include "launcher_table.h"

#include "platform/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace kova {

namespace {

QString keyOf(int n) {
    return QString::number(n);
}

// A shell expands a leading "~"; users type it.
QString expandHome(const QString& word) {
    if (word == QLatin1String("~"))
        return QDir::homePath();
    if (word.startsWith(QLatin1String("~/")))
        return QDir::homePath() + word.mid(1);
    return word;
}

LaunchPlan refused(LaunchPlan::Kind kind, const QString& reason) {
    LaunchPlan plan;
    plan.kind = kind;
    plan.reason = reason;
    return plan;
}

QString notFoundMessage() {
    return QStringLiteral("ファイルが見つかりません。");
}

} // namespace

void LoadLauncherTable(LauncherTable& table) {
    for (int n = 0; n < kLauncherEntryCount; ++n) {
        table[n].name = ReadSetting(QLatin1String(Lunch0::kSection), keyOf(n));
        table[n].commandLine = ReadSetting(QLatin1String(Lunch1::kSection), keyOf(n));
    }
    table[kLauncherEntryCount] = {};
}

bool SaveLauncherTable(LauncherTable& table) {
    QList<SettingValue> values;
    values.reserve(2 * kLauncherEntryCount);
    for (int n = 0; n < kLauncherEntryCount; ++n) {
        values.append({QLatin1String(Lunch0::kSection), keyOf(n), table[n].name});
        values.append({QLatin1String(Lunch1::kSection), keyOf(n), table[n].commandLine});
    }
    if (!WriteSettings(values))
        return false;
    LoadLauncherTable(table);
    return true;
}

LauncherMenuState launcherMenuState(const LauncherTable& table) {
    LauncherMenuState state;
    state.visible[kLauncherEntryCount] = true;
    for (int n = 0; n < kLauncherEntryCount; ++n) {
        state.captions[n] = table[n].name;
        if (!table[n].name.isEmpty()) {
            state.visible[n] = true;
            state.visible[kLauncherEntryCount] = false;
        }
    }
    return state;
}

QString notStartableMessage(const QString& commandLine) {
    return QStringLiteral("「%1」を起動できません。").arg(commandLine);
}

LaunchPlan planLaunch(const QString& commandLine) {
    if (commandLine.isEmpty())
        return {};
    if (commandLine.endsWith(QLatin1Char('/'))) {
        const QString folder = expandHome(commandLine);
        // xdg-open reports a missing folder to nobody; tell the user instead.
        if (!QFileInfo(folder).isDir())
            return refused(LaunchPlan::NotFound, notFoundMessage());
        LaunchPlan plan;
        plan.kind = LaunchPlan::OpenFolder;
        plan.program = folder;
        return plan;
    }

    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return refused(LaunchPlan::NotFound, notFoundMessage());
    const QString word = expandHome(words.takeFirst());
    QString program;
    if (word.contains(QLatin1Char('/'))) {
        const QFileInfo file(word);
        if (!file.exists())
            return refused(LaunchPlan::NotFound, notFoundMessage());
        if (file.isDir())
            return refused(LaunchPlan::NotStartable,
                           QStringLiteral("「%1」はフォルダです。フォルダを開くには最後に"
                                          "\"/\"を付けてください。")
                               .arg(commandLine));
        // Documents are not opened through file associations.
        if (!file.isExecutable())
            return refused(
                LaunchPlan::NotStartable,
                QStringLiteral("「%1」は実行できるプログラムではありません。").arg(commandLine));
        program = file.absoluteFilePath();
    } else {
        // A bare name is looked up on PATH only, as a shell does.
        program = QStandardPaths::findExecutable(word);
        if (program.isEmpty())
            return refused(LaunchPlan::NotFound, notFoundMessage());
    }
    LaunchPlan plan;
    plan.kind = LaunchPlan::Start;
    plan.program = program;
    plan.arguments = words;
    return plan;
}

QString commandLineWord(const QString& path) {
    static const QRegularExpression needsQuotes(QStringLiteral("[\\s\"]"));
    if (!path.contains(needsQuotes))
        return path;
    // QProcess::splitCommand reads three quotes inside quotes as one literal quote.
    QString quoted = path;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace kova
