#include "registry_lookup.h"

namespace kova {

namespace {

// Forgiving on purpose: the classic reader stops at the first character that
// is not a hexadecimal digit.
int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

quint32 leadingHex(QStringView group) {
    quint32 value = 0;
    for (const QChar c : group) {
        const int digit = hexDigit(c);
        if (digit < 0)
            break;
        value = value * 16 + quint32(digit);
    }
    return value;
}

} // namespace

QString CutAtNul(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString ReadRegistryString(RegistryRoot root, const QString& keyPath, const QString& valueName,
                           const QString& defaultValue, const RegistryStore& store) {
    const auto key = store.openKey(root, keyPath);
    if (!key)
        return defaultValue;
    const auto size = key->queryValueSize(valueName);
    if (!size)
        return QString();
    // A value that grew since the size query is read only up to that size.
    const QByteArray buffer = key->queryValue(valueName).value_or(QByteArray()).left(*size);
    return CutAtNul(QString::fromUtf8(buffer));
}

ClassIdResult ResolveClassId(const QString& text, const RegistryStore& store) {
    ClassIdResult result;
    if (const auto id = CLSIDFromProgID(store, text)) {
        result.id = *id;
        result.found = true;
        return result;
    }
    if (text.size() != 38 || text[0] != u'{' || text[37] != u'}' || text[9] != u'-' ||
        text[14] != u'-' || text[19] != u'-' || text[24] != u'-')
        return result;
    const QStringView view(text);
    result.id.data1 = leadingHex(view.mid(1, 8));
    result.id.data2 = quint16(leadingHex(view.mid(10, 4)));
    result.id.data3 = quint16(leadingHex(view.mid(15, 4)));
    const int starts[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i)
        result.id.data4[i] = quint8(leadingHex(view.mid(starts[i], 2)));
    result.found = true;
    return result;
}

} // namespace kova
