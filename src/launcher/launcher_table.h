#pragma once

#include "base/settings.h"

#include <QString>
#include <QStringList>

#include <array>

namespace kova {

constexpr int kLauncherEntryCount =
    20; // rows 0..19; row 20 belongs to "(なし)" and is never filled

struct LauncherEntry {
    QString name; // empty: the entry is not in use
    QString commandLine;
};
using LauncherTable = std::array<LauncherEntry, kLauncherEntryCount + 1>;

// Row n is kept under key "n": the name in [Lunch0], the command line in [Lunch1].
void LoadLauncherTable(LauncherTable& table);
// All twenty keys of both sections, empty ones as empty values, in the order
// they are written: a save that writes more than the table adds its own.
QList<SettingValue> launcherSettingValues(const LauncherTable& table);
// All twenty keys of both sections, empty ones as empty values, in ONE rewrite
// of the file, then LoadLauncherTable. False when the file could not be
// written: the file is then unchanged and the table keeps the unsaved edits,
// so that nothing typed is lost before the user tries again.
bool SaveLauncherTable(LauncherTable& table);

// The menu rule: captions of mnuLun(0..19) and which of mnuLun(0..20) show.
// The named entries show in number order; "(なし)" only when none is named.
struct LauncherMenuState {
    std::array<QString, kLauncherEntryCount> captions;
    std::array<bool, kLauncherEntryCount + 1> visible{};
};
LauncherMenuState launcherMenuState(const LauncherTable& table);

// What a command line does, decided without starting anything (it only looks
// at files and PATH).
// - Nothing: an empty line.
// - OpenFolder: the line ends with the folder marker "/"; `program` is the
//   folder, to be opened with the desktop's file manager.
// - Start: `program` (resolved to a full path) with `arguments`, split as a
//   shell splits words (resolveCommandLine).
// - NotFound / NotStartable: `reason` is the message for the user.
struct LaunchPlan {
    enum Kind { Nothing, OpenFolder, Start, NotFound, NotStartable } kind = Nothing;
    QString program;
    QStringList arguments;
    QString reason;
};
LaunchPlan planLaunch(const QString& commandLine);

// The message for a command line that exists but cannot be started.
QString notStartableMessage(const QString& commandLine);

} // namespace kova
