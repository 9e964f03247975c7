#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kova {

// An INI ("profile") file with the classic desktop rules: section and key names
// match without regard to case, the first matching section wins, a value reads
// back as at most 1023 bytes and ends at its first NUL, anything missing reads as empty, writing
// creates the file, section and key as needed and keeps every other line in its place. Lines end in
// CR LF. Each call reads or rewrites the whole file; nothing is cached. The file is saved
// atomically and created with mode 0600.
class ProfileFile {
public:
    static constexpr int kMaxValueBytes = 1023;

    explicit ProfileFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }
    bool exists() const;

    QString read(const QString& section, const QString& key) const;
    struct Key {
        QString section;
        QString key;
    };
    // Several reads from one reading of the file, in the order asked.
    QStringList read(const QList<Key>& keys) const;
    // Returns false when the file could not be written; callers that follow
    // the classic rules ignore it. An existing file that cannot be read is
    // never rewritten, so its content is not lost.
    bool write(const QString& section, const QString& key, const QString& value) const;

    struct Entry {
        QString section;
        QString key;
        QString value;
    };
    // Several writes with one rewrite of the file; the result is the same as
    // writing them one after another.
    bool write(const QList<Entry>& entries) const;

private:
    QString path_;
};

} // namespace kova
