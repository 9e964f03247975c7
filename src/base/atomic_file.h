#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <functional>

namespace kova {

// Replaces the file's whole content in one step: a crash or a full disk leaves
// the old content in place, and once it returns true the new content survives
// a power cut. Returns false when nothing was written, or when the folder
// cannot be synced (the new content may then be in place, but may not last).
// While it writes it holds a lock on the folder, so that
// removeLeftoverTemporaryFiles leaves its temporary file alone; where the
// folder cannot be locked it says so in one log line and saves all the same.
// The written file gets `permissions` whatever mode an old one had, where the
// file system holds modes at all.
bool writeFileAtomically(const QString& path, const QByteArray& content,
                         QFileDevice::Permissions permissions = QFileDevice::ReadOwner |
                                                                QFileDevice::WriteOwner);

// Renames within one folder and syncs the folder. *renamed tells whether the
// name changed; false comes back when it did not, or may not survive a power
// cut. One log line on failure.
bool renameDurably(const QString& from, const QString& to, bool* renamed);
// Deletes a file (a missing one is no error) and syncs its folder.
bool removeDurably(const QString& path);

// Removes the temporary files that saves of files named as `isOurs` says left
// in `folder` when they were killed before their rename (they may hold a
// password). A folder another process is saving into is left alone; so is
// every other name. Returns how many were removed.
int removeLeftoverTemporaryFiles(const QString& folder,
                                 const std::function<bool(const QString& fileName)>& isOurs);

// Reads a whole file; returns false when it cannot be opened.
bool readWholeFile(const QString& path, QByteArray* content);

} // namespace kova
