#include "desktop_icon_registration.h"

#include "base/data_folder.h"
#include "desktopicon/component/component_names.h"
#include "desktopicon/component/component_registration.h"

namespace kova::test {

void registerDesktopIconComponent() {
    registerComponent(RegistryStore(),
                      programFolder() + QLatin1Char('/') + QLatin1String(component::kLibraryName));
}

} // namespace kova::test
