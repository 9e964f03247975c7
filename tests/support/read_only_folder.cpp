#include "read_only_folder.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kova::test {

ReadOnlyFolder::ReadOnlyFolder(QString folder) : folder_(std::move(folder)) {
    if (::geteuid() != 0)
        return;
    const QByteArray path = QFile::encodeName(folder_);
    if (::mount("tmpfs", path.constData(), "tmpfs", 0, "size=1m,mode=0700") != 0) {
        why_ = QStringLiteral("cannot mount a tmpfs over %1: %2")
                   .arg(folder_, QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    mounted_ = true;
}

ReadOnlyFolder::~ReadOnlyFolder() {
    const QByteArray path = QFile::encodeName(folder_);
    if (mounted_)
        ::umount2(path.constData(), MNT_DETACH);
    else if (usable())
        ::chmod(path.constData(), 0700);
}

bool ReadOnlyFolder::seal() {
    const QByteArray path = QFile::encodeName(folder_);
    if (mounted_)
        return ::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    return ::chmod(path.constData(), 0500) == 0;
}

} // namespace kova::test
