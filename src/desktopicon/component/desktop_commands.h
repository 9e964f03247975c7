#pragma once

#include "desktopicon/component/icon_size.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kova {

enum class Desktop { Unknown, Gnome, Mate, Xfce, Kde };

// The first desktop of XDG_CURRENT_DESKTOP (a colon-separated list, any case)
// that has a setting for the icon size.
Desktop detectDesktop(const QString& xdgCurrentDesktop);

struct DesktopCommand {
    QString program; // full path as found
    QStringList arguments;
    bool operator==(const DesktopCommand&) const = default;
};

// Finds a program on PATH; empty when it is not installed.
using ProgramFinder = std::function<QString(const QString& name)>;
QString findOnPath(const QString& name);

// The command that sets the icon size on that desktop through the desktop's
// own setting; its program is empty when there is nothing to run (an
// unknown desktop, no size change, or the tool is missing).
DesktopCommand iconSizeCommand(Desktop desktop, IconSize size,
                               const ProgramFinder& find = findOnPath);

// Runs it and waits for it (the component runs in a process of its own);
// its output is discarded. False when nothing ran or it failed.
bool runDesktopCommand(const DesktopCommand& command);

} // namespace kova
