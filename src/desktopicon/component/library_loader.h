#pragma once

#include <QString>

namespace kova {

struct EntryCall {
    enum Status { Called, LoadFailed, EntryMissing } status = LoadFailed;
    int result = -1; // the entry's own result when called
    QString error;   // the loader's reason otherwise
};

// Loads a library and calls one of its `int (void)` entry points. The library
// stays loaded: the callers are short processes.
EntryCall callLibraryEntry(const QString& libraryPath, const char* entry);

} // namespace kova
