#pragma once

#include <QString>

namespace kova {

// Line breaks in any form (CR LF, LF, a lone CR) as CR LF: the form the files
// hold and the tray captions count with.
QString toCrLf(const QString& text);

// The same as LF alone, the form Qt's text widgets use.
QString toLf(const QString& text);

} // namespace kova
