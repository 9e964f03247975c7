// kovashell-loadinproc <class id>: loads the library registered for the class
// id and lets it act once. Started without waiting by the program; failures
// show in the exit code and in one line of the log.

#include "base/logging.h"
#include "base/registry_store.h"
#include "desktopicon/component/component_names.h"
#include "desktopicon/component/library_loader.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2)
        return 1;
    const auto id = kova::parseClassIdText(args.at(1));
    if (!id)
        return 1;
    const QString library = kova::inprocServerPath(kova::RegistryStore(), *id);
    if (library.isEmpty()) {
        qCWarning(kova::kovaLog, "no library is registered for %s", qUtf8Printable(args.at(1)));
        return 2;
    }
    const kova::EntryCall call = kova::callLibraryEntry(library, kova::component::kActOnceEntry);
    if (call.status != kova::EntryCall::Called) {
        qCWarning(kova::kovaLog, "cannot call %s in %s: %s", kova::component::kActOnceEntry,
                  qUtf8Printable(library), qUtf8Printable(call.error));
        return 3;
    }
    return call.result == 0 ? 0 : 4;
}
