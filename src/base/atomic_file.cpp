#include "atomic_file.h"

#include "base/logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

// An exclusive flock on the folder itself (no lock file to leave behind).
// Saves wait a moment for it; the sweep of leftovers only tries. `error`
// tells why there is no lock: the folder cannot be opened, or it cannot be
// locked (some network file systems) or stays locked.
class FolderLock {
public:
    FolderLock(const QString& folder, bool wait)
        : fd_(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ < 0) {
            error_ = errno;
            return;
        }
        for (int tries = wait ? 200 : 1; tries > 0; --tries) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                locked_ = true;
                return;
            }
            error_ = errno;
            if (errno != EWOULDBLOCK && errno != EINTR)
                return;
            if (tries > 1)
                ::usleep(10000);
        }
    }
    ~FolderLock() {
        if (fd_ >= 0)
            ::close(fd_); // drops the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    int fd() const { return fd_; }
    bool locked() const { return locked_; }
    int error() const { return error_; }

private:
    int fd_;
    bool locked_ = false;
    int error_ = 0;
};

// The temporary file's name says whose it is, so that the sweep at start-up
// never takes a file of the user's own ("KovaShell.ini.backup").
const QString kTemporaryInfix = QStringLiteral(".kova-save.");

bool writeAll(int fd, const QByteArray& content) {
    const char* data = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false; // a full disk, a file size limit
        data += written;
        left -= written;
    }
    return true;
}

// The reason only: the content may be a password or a note's text.
void logSaveFailure(const QString& path, int error) {
    qCWarning(kovaLog, "cannot save %s: %s", qUtf8Printable(path), std::strerror(error));
}

// The rename lives in the folder: without this a power cut may bring the
// old file back, so a save whose folder cannot be synced is no save.
bool syncFolder(int folder, const QString& path) {
    if (::fsync(folder) == 0)
        return true;
    qCWarning(kovaLog, "cannot make the save of %s last: syncing its folder: %s",
              qUtf8Printable(path), std::strerror(errno));
    return false;
}

} // namespace

bool writeFileAtomically(const QString& path, const QByteArray& content,
                         QFileDevice::Permissions permissions) {
    // A link is written through: the file it points at gets the content.
    const QFileInfo info(path);
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
    const FolderLock folder(QFileInfo(target).absolutePath(), true);
    // Without the folder the rename cannot be made to last: not a save.
    if (folder.fd() < 0) {
        logSaveFailure(path, folder.error());
        return false;
    }
    if (!folder.locked())
        qCWarning(kovaLog, "saving %s without the folder lock: %s", qUtf8Printable(path),
                  std::strerror(folder.error()));
    QByteArray temporary = QFile::encodeName(target + kTemporaryInfix) + "XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        logSaveFailure(path, errno);
        return false;
    }
    // Before the content lands, so a password never sits in a readable file.
    // A file system without modes (FAT) refuses it; the save goes on.
    (void)::fchmod(fd, unixMode(permissions));
    // Synced before the rename: after a power cut the name holds the whole
    // new content or the old one.
    bool ok = writeAll(fd, content) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0) {
        logSaveFailure(path, errno);
        ::unlink(temporary.constData());
        return false;
    }
    return syncFolder(folder.fd(), path);
}

bool renameDurably(const QString& from, const QString& to, bool* renamed) {
    *renamed = false;
    const int folder = ::open(QFile::encodeName(QFileInfo(to).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0 ||
        ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        logSaveFailure(to, errno);
        if (folder >= 0)
            ::close(folder);
        return false;
    }
    *renamed = true;
    const bool durable = syncFolder(folder, to);
    ::close(folder);
    return durable;
}

bool removeDurably(const QString& path) {
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool ok = ::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT;
    if (!ok)
        qCWarning(kovaLog, "cannot remove %s: %s", qUtf8Printable(path), std::strerror(errno));
    if (folder >= 0) {
        ok = syncFolder(folder, path) && ok;
        ::close(folder);
    }
    return ok;
}

namespace {

// The file a save's temporary file was for ("KovaShell.ini" for
// "KovaShell.ini.kova-save.Ab12Cd"); empty for any other name. Plain string
// checks: a pattern would bring the regular-expression engine into start-up.
QString fileSavedBy(const QString& name) {
    constexpr qsizetype kRandomChars = 6; // mkstemp's XXXXXX
    const qsizetype infixAt = name.size() - kRandomChars - kTemporaryInfix.size();
    if (infixAt <= 0 ||
        QStringView(name).sliced(infixAt, kTemporaryInfix.size()) != kTemporaryInfix)
        return {};
    for (const QChar c : QStringView(name).last(kRandomChars)) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z')))
            return {};
    }
    return name.left(infixAt);
}

} // namespace

int removeLeftoverTemporaryFiles(const QString& folder,
                                 const std::function<bool(const QString&)>& isOurs) {
    const FolderLock lock(folder, false);
    if (!lock.locked())
        return 0;
    int removed = 0;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        const QString savedFile = fileSavedBy(entry.fileName());
        if (savedFile.isEmpty() || entry.isSymLink() || !isOurs(savedFile))
            continue;
        QFile file(entry.filePath());
        if (file.remove())
            ++removed;
        else
            qCWarning(kovaLog, "cannot remove the leftover %s: %s",
                      qUtf8Printable(entry.filePath()), qUtf8Printable(file.errorString()));
    }
    return removed;
}

bool readWholeFile(const QString& path, QByteArray* content) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *content = file.readAll();
    return true;
}

} // namespace kova
