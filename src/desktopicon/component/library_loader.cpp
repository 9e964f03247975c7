#include "library_loader.h"

#include <QFile>

#include <dlfcn.h>

namespace kova {

EntryCall callLibraryEntry(const QString& libraryPath, const char* entry) {
    EntryCall call;
    void* handle = ::dlopen(QFile::encodeName(libraryPath).constData(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        call.error = QString::fromLocal8Bit(::dlerror());
        return call;
    }
    void* symbol = ::dlsym(handle, entry);
    if (symbol == nullptr) {
        call.status = EntryCall::EntryMissing;
        call.error = QString::fromLocal8Bit(::dlerror());
        return call;
    }
    using Entry = int (*)();
    call.status = EntryCall::Called;
    call.result = reinterpret_cast<Entry>(symbol)();
    return call;
}

} // namespace kova
