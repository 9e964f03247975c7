#include "leftover_saves.h"

#include "base/atomic_file.h"
#include "base/data_folder.h"
#include "base/registry_store.h"
#include "base/settings_keys.h"
#include "notes/note_store.h"
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
