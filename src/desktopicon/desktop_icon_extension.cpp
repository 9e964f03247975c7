#include "desktop_icon_extension.h"

#include "base/data_folder.h"
#include "base/logging.h"
#include "base/settings.h"
#include "base/twips_and_numbers.h"
#include "desktopicon/component/component_names.h"
#include "platform/seam.h"

namespace kova {

namespace {
// clang-format off
const QString kAskInstall = QStringLiteral("インストールしますか？");
const QString kCannotRegister = QStringLiteral("KovaShell.dllを登録できません。フォルダを別の場所に移動してもう一度起動してください。");
// clang-format on
} // namespace

DesktopIconExtension::DesktopIconExtension(std::function<void()> unloadMainWindow,
                                           std::function<bool()> programEnded)
    : programFolder(kova::programFolder()), unloadMainWindow_(std::move(unloadMainWindow)),
      programEnded_(std::move(programEnded)) {}

void DesktopIconExtension::atStartUp(const QStringList& startArguments) {
    arguments = startArguments;
    command(QStringLiteral("0"));
}

void DesktopIconExtension::mnuIcon_Click(int index) {
    if (index == 0)
        command(QStringLiteral("1"));
    else if (index == 1)
        command(QStringLiteral("2"));
}

void DesktopIconExtension::nextCommand() {
    command(QString::number(leadingNumber(ReadSetting(desktop::click)) + 1));
}

void DesktopIconExtension::atExit() {
    command(QStringLiteral("1"));
}

// The component reads the command from the file itself: written before it acts.
void DesktopIconExtension::command(const QString& click) {
    WriteSetting(desktop::click, click);
    LoadDesktopIconExtension();
}

void DesktopIconExtension::LoadDesktopIconExtension() {
    // While the registration tool runs, the pass waiting for it loads the
    // component afterwards with whatever command is current by then.
    if (registering_)
        return;

    if (!arguments.isEmpty()) {
        QString text = arguments.join(QLatin1Char(' '));
        if (text.startsWith(QLatin1Char('"'))) {
            text.remove(0, 1);
            if (text.endsWith(QLatin1Char('"')))
                text.chop(1);
        }
        // Read like a class id, but nothing is loaded in such a run.
        ResolveClassId(text);
        return;
    }

    RepairExtensionPath();
    const ClassIdResult resolved = ResolveClassId(classIdText_);
    if (resolved.found) {
        SHLoadInProc(resolved.id);
        return;
    }

    if (Platform::instance().messageBox(kAskInstall, Buttons::YesNo) == Answer::No) {
        unloadMainWindow_();
        return;
    }
    if (Text4 == QLatin1String("1")) {
        Platform::instance().messageBox(kCannotRegister, Buttons::Ok);
        unloadMainWindow_();
        return;
    }
    Text4 = QStringLiteral("1");
    RegisterExtension();
}

void DesktopIconExtension::RepairExtensionPath() {
    const RegistryStore store;
    classIdText_ = ReadRegistryString(
        RegistryRoot::LocalMachine, QStringLiteral("Software\\CLASSES\\KovaShell.KovaClass\\Clsid"),
        QString(), QStringLiteral("0"), store);
    const auto key =
        store.openKey(RegistryRoot::ClassesRoot, QStringLiteral("CLSID\\") + classIdText_ +
                                                     QStringLiteral("\\InprocServer32"));
    if (key)
        key->setStringValue(QString(), programFolder + QLatin1Char('/') +
                                           QLatin1String(component::kLibraryName));
}

void DesktopIconExtension::RegisterExtension() {
    // The path is passed as one argument, so a folder with blanks stays whole.
    const QString tool =
        programFolder + QLatin1Char('/') + QLatin1String(component::kRegistrationTool);
    const QString library =
        programFolder + QLatin1Char('/') + QLatin1String(component::kLibraryName);
    registering_ = true;
    // Looking again before the tool has ended would nearly always find nothing.
    if (!Platform::instance().startAndWait(tool, {QStringLiteral("/s"), library},
                                           kRegistrationWaitMs))
        qCWarning(kovaLog, "cannot start %s", qUtf8Printable(tool));
    registering_ = false;
    if (programEnded_())
        return;
    LoadDesktopIconExtension();
}

void DesktopIconExtension::SHLoadInProc(const ClassId& id) {
    // The component acts in a short process of its own, so the UI never waits.
    const QString loader = programFolder + QLatin1Char('/') + QLatin1String(component::kLoaderTool);
    if (!Platform::instance().startDetached(loader, {kova::classIdText(id)}))
        qCWarning(kovaLog, "cannot start %s", qUtf8Printable(loader));
}

} // namespace kova
