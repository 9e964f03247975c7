#include "line_breaks.h"

namespace kova {

QString toLf(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

QString toCrLf(const QString& text) {
    return toLf(text).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

} // namespace kova
