#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace kova {

// The desktops' own "[Group] key=value" files, edited as bytes: every other
// line, comment, encoding and line end stays exactly as it was. Group and key
// names are compared as they are spelled; a group name ending in '*' stands
// for every group that starts with the rest.

// The value of the first matching group that has the key.
std::optional<QByteArray> keyFileValue(const QByteArray& content, const QString& group,
                                       const QString& key);

// Sets the key in every matching group, adding it to a group that lacks it;
// with no matching group, adds `newGroup` with the key at the end.
QByteArray setKeyFileValue(const QByteArray& content, const QString& group, const QString& key,
                           const QByteArray& value, const QString& newGroup);

} // namespace kova
