// kovashell-loadinproc <class id>: loads the library registered for the class
// id and lets it act once. Started without waiting by the program; failures
// only show in the exit code.

#include "platform/registry_store.h"
#include "shellext/component_names.h"
#include "shellext/library_loader.h"

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
    if (library.isEmpty())
        return 2;
    const kova::EntryCall call = kova::callLibraryEntry(library, kova::component::kActOnceEntry);
    if (call.status != kova::EntryCall::Called)
        return 3;
    return call.result == 0 ? 0 : 4;
}
