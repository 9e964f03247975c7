#pragma once

#include <QString>

namespace kova::test {

// Makes a folder refuse every change for real, the superuser included: as
// root a small tmpfs is mounted over it and later remounted read-only; for
// anyone else the folder's mode becomes 0500. Fill the folder between the
// constructor and seal(). Everything is undone by the destructor (a mounted
// folder's content is gone then).
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(QString folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // False (with the reason in why()) when the folder cannot be made
    // read-only here; tests then skip.
    bool usable() const { return why_.isEmpty(); }
    QString why() const { return why_; }
    bool seal();

private:
    QString folder_;
    QString why_;
    bool mounted_ = false;
};

} // namespace kova::test
