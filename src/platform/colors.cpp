#include "colors.h"

#include "base/settings.h"

#include <QGuiApplication>
#include <QPalette>

namespace kova {

QString colorToText(const QColor& color) {
    return QStringLiteral("&H") + QString::number(colorToBgr(color), 16).toUpper();
}

QColor colorFromBgr(quint32 bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

quint32 colorToBgr(const QColor& color) {
    return quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
}

QColor colorFromText(const QString& text, bool* ok) {
    const QString t = text.trimmed();
    bool good = false;
    qulonglong value = 0;
    if (t.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
        QString digits = t.mid(2);
        if (digits.endsWith(QLatin1Char('&')))
            digits.chop(1);
        value = digits.toULongLong(&good, 16);
    } else {
        value = t.toULongLong(&good, 10);
    }
    if (ok != nullptr)
        *ok = good;
    if (!good)
        return QColor(Qt::black);
    if (value == 0x8000000DULL || value == 0x8000000FULL) {
        const QPalette palette = QGuiApplication::palette();
        return palette.color(value == 0x8000000DULL ? QPalette::Highlight : QPalette::Button);
    }
    return colorFromBgr(quint32(value & 0xFFFFFF));
}

namespace {
std::optional<QColor> colorOf(const QString& text) {
    bool ok = false;
    const QColor color = colorFromText(text, &ok);
    return ok ? std::optional<QColor>(color) : std::nullopt;
}
} // namespace

std::optional<QColor> ReadColor(const SettingKey& key) {
    return colorOf(ReadSetting(key));
}

QColor firstRunColor(const SettingKey& key) {
    return colorOf(firstRunValue(key)).value_or(QColor(Qt::black));
}

} // namespace kova
