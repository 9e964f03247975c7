#include "launcher.h"

#include "base/settings.h"
#include "platform/seam.h"

#include <QAction>

namespace kova {

Launcher::Launcher(QObject* parent) : QObject(parent) {}

void Launcher::attachMenu(const std::array<QAction*, kLauncherEntryCount + 1>& mnuLun) {
    mnuLun_ = mnuLun;
    for (int n = 0; n <= kLauncherEntryCount; ++n)
        connect(mnuLun_[n], &QAction::triggered, this, [this, n] { LaunchEntry(n); });
}

void Launcher::LoadLauncherTable() {
    kova::LoadLauncherTable(table_);
}

bool Launcher::SaveLauncherTable() {
    if (kova::SaveLauncherTable(table_))
        return true;
    Platform::instance().messageBox(kSettingsNotSaved, Buttons::Ok);
    return false;
}

void Launcher::RebuildLauncherMenu() {
    if (mnuLun_[0] == nullptr)
        return;
    const LauncherMenuState state = launcherMenuState(table_);
    for (int n = 0; n < kLauncherEntryCount; ++n)
        mnuLun_[n]->setText(state.captions[n]);
    for (int n = 0; n <= kLauncherEntryCount; ++n)
        mnuLun_[n]->setVisible(state.visible[n]);
}

void Launcher::LaunchEntry(int n) {
    if (n < 0 || n > kLauncherEntryCount)
        return;
    const QString commandLine = table_[n].commandLine;
    const LaunchPlan plan = planLaunch(commandLine);
    Platform& platform = Platform::instance();
    switch (plan.kind) {
    case LaunchPlan::Nothing:
        return;
    case LaunchPlan::OpenFolder:
        if (!platform.openWithDesktop(plan.program))
            platform.messageBox(notStartableMessage(commandLine), Buttons::Ok);
        return;
    case LaunchPlan::Start:
        if (!platform.startDetached(plan.program, plan.arguments))
            platform.messageBox(notStartableMessage(commandLine), Buttons::Ok);
        return;
    case LaunchPlan::NotFound:
    case LaunchPlan::NotStartable:
        platform.messageBox(plan.reason, Buttons::Ok);
        return;
    }
}

} // namespace kova
