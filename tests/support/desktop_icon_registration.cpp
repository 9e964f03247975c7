#include "desktop_icon_registration.h"

#include "platform/data_folder.h"
#include "shellext/component_names.h"
#include "shellext/component_registration.h"

namespace kova::test {

void registerDesktopIconComponent() {
    registerComponent(RegistryStore(),
                      programFolder() + QLatin1Char('/') + QLatin1String(component::kLibraryName));
}

} // namespace kova::test
