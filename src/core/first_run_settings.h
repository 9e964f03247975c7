#pragma once

#include "base/settings.h"

#include <QList>
#include <QString>

namespace kova {

// The values a new settings file starts with, in the order they are written
// (the key table's first-run set); `mailer` is the first-run mail program.
QList<SettingValue> firstRunSettings(const QString& mailer);
void WriteFirstRunSettings(const QString& mailer);

} // namespace kova
