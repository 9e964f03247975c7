#pragma once

#include <QString>

namespace kova {

// The program of the user's default mailto handler (xdg-mime), else "thunderbird".
QString defaultMailer();

// The program named by a desktop entry's Exec= line (field codes dropped);
// empty when the entry has none.
QString programFromDesktopEntry(const QString& desktopEntryText);

} // namespace kova
