#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace kova {

// Replaces the file's whole content in one step: a crash or a full disk leaves
// the old content in place. Returns false when nothing was written.
// The written file gets `permissions` whatever mode an old one had, where the
// file system holds modes at all.
bool writeFileAtomically(const QString& path, const QByteArray& content,
                         QFileDevice::Permissions permissions = QFileDevice::ReadOwner |
                                                                QFileDevice::WriteOwner);

// Reads a whole file; returns false when it cannot be opened.
bool readWholeFile(const QString& path, QByteArray* content);

} // namespace kova
