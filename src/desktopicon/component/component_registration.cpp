#include "component_registration.h"

#include "desktopicon/component/component_names.h"

namespace kova {

namespace {

bool setDefault(const RegistryStore& store, const QString& path, const QString& value) {
    const auto key = store.createKey(RegistryRoot::ClassesRoot, path);
    return key && key->setStringValue(QString(), value);
}

} // namespace

bool registerComponent(const RegistryStore& store, const QString& libraryPath) {
    const QString progId = QLatin1String(component::kProgId);
    const QString clsid = QStringLiteral("CLSID\\") + QLatin1String(component::kClassId);
    bool ok = setDefault(store, progId, progId);
    ok = ok &&
         setDefault(store, progId + QStringLiteral("\\CLSID"), QLatin1String(component::kClassId));
    ok = ok && setDefault(store, clsid, progId);
    ok = ok && setDefault(store, clsid + QStringLiteral("\\ProgID"), progId);
    ok = ok && setDefault(store, clsid + QStringLiteral("\\InprocServer32"), libraryPath);
    return ok;
}

bool unregisterComponent(const RegistryStore& store) {
    store.deleteTree(RegistryRoot::ClassesRoot, QLatin1String(component::kProgId));
    store.deleteTree(RegistryRoot::ClassesRoot,
                     QStringLiteral("CLSID\\") + QLatin1String(component::kClassId));
    return !store.openKey(RegistryRoot::ClassesRoot, QLatin1String(component::kProgId)) &&
           !CLSIDFromProgID(store, QLatin1String(component::kProgId));
}

} // namespace kova
