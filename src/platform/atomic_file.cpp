#include "atomic_file.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>

namespace kova {

namespace {

mode_t unixMode(QFileDevice::Permissions p) {
    mode_t mode = 0;
    mode |= p.testFlag(QFileDevice::ReadOwner) ? S_IRUSR : 0;
    mode |= p.testFlag(QFileDevice::WriteOwner) ? S_IWUSR : 0;
    mode |= p.testFlag(QFileDevice::ExeOwner) ? S_IXUSR : 0;
    mode |= p.testFlag(QFileDevice::ReadGroup) ? S_IRGRP : 0;
    mode |= p.testFlag(QFileDevice::WriteGroup) ? S_IWGRP : 0;
    mode |= p.testFlag(QFileDevice::ExeGroup) ? S_IXGRP : 0;
    mode |= p.testFlag(QFileDevice::ReadOther) ? S_IROTH : 0;
    mode |= p.testFlag(QFileDevice::WriteOther) ? S_IWOTH : 0;
    mode |= p.testFlag(QFileDevice::ExeOther) ? S_IXOTH : 0;
    return mode;
}

} // namespace

bool writeFileAtomically(const QString& path, const QByteArray& content,
                         QFileDevice::Permissions permissions) {
    QSaveFile file(path);
    // Unbuffered: a full disk fails the write itself. Buffered, the error
    // shows only inside commit(), which Qt 6.4 then ignores and renames the
    // short file over the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    // Before the content lands, so a password never sits in a readable file.
    // fchmod, not setPermissions(): a file system without modes (FAT) refuses
    // it, and Qt would keep that refusal as a write error.
    (void)::fchmod(file.handle(), unixMode(permissions));
    if (file.write(content) != content.size() || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        // The destructor removes the temporary file; the old file stays.
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
