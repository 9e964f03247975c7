#include "atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kova {

bool writeFileAtomically(const QString& path, const QByteArray& content,
                         QFileDevice::Permissions permissions) {
    const bool existed = QFileInfo::exists(path);
    const QFileDevice::Permissions keep = existed ? QFile::permissions(path) : permissions;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Set before the content lands, so a password never sits in a readable file.
    file.setPermissions(keep);
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool readWholeFile(const QString& path, QByteArray* content) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *content = file.readAll();
    return true;
}

} // namespace kova
