#pragma once

#include "base/registry_store.h"

#include <QString>

namespace kova {

// Registration of the component in the registry store: the ProgID names our
// class id, and the class id's InprocServer32 names the library.
bool registerComponent(const RegistryStore& store, const QString& libraryPath);
// Removes both; true also when there was nothing to remove.
bool unregisterComponent(const RegistryStore& store);

} // namespace kova
