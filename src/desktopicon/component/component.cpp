// The desktop-icon component, loaded by the registration tool and the loader.

#include "base/logging.h"
#include "base/settings.h"
#include "desktopicon/component/component_action.h"
#include "desktopicon/component/component_registration.h"
#include "desktopicon/component/own_icon_size.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <dlfcn.h>
#include <memory>

#define KOVA_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Where this library itself was loaded from.
QString ownPath() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&ownPath), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return QFileInfo(QFile::decodeName(info.dli_fname)).absoluteFilePath();
}

// Running the desktop's tools and D-Bus need an application object; a host
// without one gets one for the duration of the call.
std::unique_ptr<QCoreApplication> applicationForTheCall() {
    static int argc = 1;
    static char name[] = "KovaShell";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() != nullptr)
        return nullptr;
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

KOVA_EXPORT int DllRegisterServer() {
    const QString path = ownPath();
    if (path.isEmpty())
        return 1;
    return kova::registerComponent(kova::RegistryStore(), path) ? 0 : 1;
}

KOVA_EXPORT int DllUnregisterServer() {
    const auto app = applicationForTheCall();
    // What we changed outside our folder goes too: the user's own icon size
    // back on the desktop.
    kova::restoreOwnIconSizes();
    return kova::unregisterComponent(kova::RegistryStore()) ? 0 : 1;
}

KOVA_EXPORT int KovaActOnce() {
    const auto app = applicationForTheCall();

    // Quick double-clicks start several of us. One at a time, each reading the
    // command when its turn comes, so the desktop ends on the latest command.
    QLockFile turn(kova::actOnceLockPath());
    if (!turn.tryLock(30000))
        qCWarning(kova::kovaLog, "%s: %s; acting without it",
                  qUtf8Printable(kova::actOnceLockPath()),
                  turn.error() == QLockFile::LockFailedError ? "held by another for 30 s"
                                                             : "cannot be made");

    const QString folder = QFileInfo(ownPath()).absolutePath();
    const QString settings = kova::settingsFileIn(kova::componentDataFolder(folder));
    if (!QFileInfo::exists(settings)) {
        qCWarning(kova::kovaLog, "no settings file at %s: nothing to do", qUtf8Printable(settings));
        return 1;
    }
    return kova::actOnSettings(settings, qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
}
