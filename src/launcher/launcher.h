#pragma once

#include "launcher/launcher_table.h"

#include <QObject>

#include <array>

class QAction;

namespace kova {

// The launcher: the one LauncherTable of the program, its tray items
// mnuLun(0..20), and launching.
class Launcher : public QObject {
    Q_OBJECT
public:
    explicit Launcher(QObject* parent = nullptr);

    // The shared copy: the tray menu and the settings dialog use the same one.
    LauncherTable& table() { return table_; }
    // Connects each item's trigger to LaunchEntry(n).
    void attachMenu(const std::array<QAction*, kLauncherEntryCount + 1>& mnuLun);

    void LoadLauncherTable();
    // The table's forty keys, for a save that writes them with others.
    QList<SettingValue> settingValues() const { return launcherSettingValues(table_); }
    // On failure tells the user once and returns false.
    bool SaveLauncherTable();
    // Applies launcherMenuState to the attached items.
    void RebuildLauncherMenu();
    // n = 0..20. Starts without waiting; a failed start only shows a message.
    void LaunchEntry(int n);

private:
    LauncherTable table_;
    std::array<QAction*, kLauncherEntryCount + 1> mnuLun_{};
};

} // namespace kova
