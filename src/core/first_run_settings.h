#pragma once

#include <QString>

namespace kova {

// The values a new settings file starts with, in the order they are written.
// `mailer` is the first-run mail program.
void WriteFirstRunSettings(const QString& mailer);

} // namespace kova
