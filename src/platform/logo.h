#pragma once

#include <QPixmap>
#include <QString>

namespace kova {

// The project's home page, opened by the logo of the dialogs.
inline const QString kHomePage = QStringLiteral("https://kovashell.example.org/");

// Our own logo: a yellow note with a clock drawn on it, `size` pixels square.
QPixmap kovaLogo(int size);

} // namespace kova
