#pragma once

#include "base/registry_store.h"

#include <QString>

namespace kova {

// What the program reads of the component's registration: a string value of
// the registry store and the class id a ProgID or a class id text names.

// The text up to its first NUL character (all of it when there is none).
QString CutAtNul(const QString& text);

// A string value of the registry store: `defaultValue` when the key cannot be
// opened, the empty text when the value is missing.
QString ReadRegistryString(RegistryRoot root, const QString& keyPath, const QString& valueName,
                           const QString& defaultValue,
                           const RegistryStore& store = RegistryStore());

struct ClassIdResult {
    ClassId id;
    bool found = false;
};

// A ProgID known to the store gives its class id. Otherwise a text of exactly
// 38 characters with the braces and the four hyphens in place is read group by
// group; each group counts as the hexadecimal number of its leading hex digits
// (0 when it starts with anything else). Any other text is not found.
ClassIdResult ResolveClassId(const QString& text, const RegistryStore& store = RegistryStore());

} // namespace kova
