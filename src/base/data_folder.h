#pragma once

#include <QString>

namespace kova {

// The folder that holds KovaShell.ini and the note files. One rule for every
// program and for the desktop-icon component:
//   KOVASHELL_HOME if set; else the program folder if it already holds a
//   KovaShell.ini (a portable copy); else $XDG_DATA_HOME/KovaShell, created
//   with mode 0700.
QString dataFolder();

// The same rule with its inputs spelt out; an empty `kovaHome` or `xdgDataHome`
// counts as unset. Creates the folder it picks when missing.
QString chooseDataFolder(const QString& kovaHome, const QString& programFolder,
                         const QString& xdgDataHome, const QString& homeFolder);

// Folder of the running executable.
QString programFolder();

// Creates a missing folder (and its parents) that only its owner may look
// in: it holds passwords and notes. An existing folder keeps its mode.
void makePrivateFolder(const QString& folder);

// dataFolder() + "/" + name.
QString dataFilePath(const QString& name);

} // namespace kova
