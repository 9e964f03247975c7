#include "launcher_table.h"

#include "base/command_line.h"
#include "base/settings.h"

#include <QFileInfo>

namespace kova {

namespace {

QString keyOf(int n) {
    return QString::number(n);
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
    QList<ProfileKey> keys;
    for (int n = 0; n < kLauncherEntryCount; ++n) {
        keys.append({QLatin1String(Lunch0::kSection), keyOf(n)});
        keys.append({QLatin1String(Lunch1::kSection), keyOf(n)});
    }
    const QStringList values = ReadSettings(keys);
    for (int n = 0; n < kLauncherEntryCount; ++n) {
        table[n].name = values[2 * n];
        table[n].commandLine = values[2 * n + 1];
    }
    table[kLauncherEntryCount] = {};
}

QList<SettingValue> launcherSettingValues(const LauncherTable& table) {
    QList<SettingValue> values;
    values.reserve(2 * kLauncherEntryCount);
    for (int n = 0; n < kLauncherEntryCount; ++n) {
        values.append({QLatin1String(Lunch0::kSection), keyOf(n), table[n].name});
        values.append({QLatin1String(Lunch1::kSection), keyOf(n), table[n].commandLine});
    }
    return values;
}

bool SaveLauncherTable(LauncherTable& table) {
    if (!WriteSettings(launcherSettingValues(table)))
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
    const ProgramStart start = resolveCommandLine(commandLine);
    switch (start.status) {
    case ProgramStart::Empty:
    case ProgramStart::NotFound:
        return refused(LaunchPlan::NotFound, notFoundMessage());
    case ProgramStart::OpenQuote:
        return refused(LaunchPlan::NotStartable,
                       QStringLiteral("「%1」の引用符が閉じていません。").arg(commandLine));
    case ProgramStart::Folder:
        return refused(LaunchPlan::NotStartable,
                       QStringLiteral("「%1」はフォルダです。フォルダを開くには最後に"
                                      "\"/\"を付けてください。")
                           .arg(commandLine));
    case ProgramStart::NotProgram:
        return refused(
            LaunchPlan::NotStartable,
            QStringLiteral("「%1」は実行できるプログラムではありません。").arg(commandLine));
    case ProgramStart::Start:
        break;
    }
    LaunchPlan plan;
    plan.kind = LaunchPlan::Start;
    plan.program = start.program;
    plan.arguments = start.arguments;
    return plan;
}

} // namespace kova
