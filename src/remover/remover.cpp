#include "remover.h"

#include "desktopicon/component/component_names.h"
#include "platform/seam.h"
#include "remover/remover_texts.h"
#include "settings/startup_folder.h"

#include <QFile>

namespace kova::remover {

int platformId() {
    return kPlatformNt;
}

QString logOffQuestion() {
    const QString crLf = QStringLiteral("\r\n");
    return QString::fromUtf8(kRemovalFinished) + crLf + QString::fromUtf8(kDeleteAfterLogOff) +
           crLf + QString::fromUtf8(kAskLogOff);
}

QString logOffFailedMessage() {
    return QStringLiteral("ログオフできませんでした。\r\n"
                          "ご自分でログオフしてから、フォルダごとファイルを削除してください。");
}

QString registrationToolPath(const QString& programFolder) {
    return programFolder + QLatin1Char('/') + QLatin1String(component::kRegistrationTool);
}

QStringList unregisterArguments(const QString& programFolder) {
    return {QStringLiteral("/u"), QStringLiteral("/s"),
            programFolder + QLatin1Char('/') + QLatin1String(component::kLibraryName)};
}

Outcome runRemoval(const QString& programFolder, int platform) {
    Platform& p = Platform::instance();
    if (p.messageBox(QString::fromUtf8(kAskRemove), Buttons::YesNo) != Answer::Yes)
        return Outcome::Declined;

    // From here a failing step is skipped without a word.
    p.startDetached(registrationToolPath(programFolder), unregisterArguments(programFolder));
    // Removing makes nothing: a missing Startup folder stays missing.
    const QString startup = startupFolderLocation();
    if (!startup.isEmpty())
        QFile::remove(startup + QLatin1Char('/') + kAutostartFileName);
    removeLeftoverStartupEntries();

    // The other family would be asked to restart; this platform never is.
    if (platform != kPlatformNt)
        return Outcome::Finished;
    if (p.messageBox(logOffQuestion(), Buttons::YesNo) != Answer::Yes)
        return Outcome::Finished;
    if (p.logOff())
        return Outcome::LoggedOff;
    p.messageBox(logOffFailedMessage(), Buttons::Ok);
    return Outcome::LogOffFailed;
}

} // namespace kova::remover
