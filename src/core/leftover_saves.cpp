#include "leftover_saves.h"

#include "notes/note_store.h"
#include "platform/atomic_file.h"
#include "platform/data_folder.h"
#include "platform/registry_store.h"
#include "platform/settings_keys.h"
#include "settings/startup_folder.h"

#include <QFileInfo>

namespace kova {

void removeLeftoverSaves() {
    removeLeftoverTemporaryFiles(dataFolder(), [](const QString& name) {
        return name == QLatin1String(kSettingsFileName) || isNoteFileName(name) ||
               isNextNoteFileName(name);
    });
    const QFileInfo store(RegistryStore::defaultPath());
    removeLeftoverTemporaryFiles(
        store.absolutePath(), [&store](const QString& name) { return name == store.fileName(); });
    removeLeftoverStartupEntries();
}

} // namespace kova
