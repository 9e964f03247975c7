// kovashell-regsvr: registers (/s <path>) or unregisters (/u /s <path>) a
// component library by calling its own entry point, like the classic tool.

#include "base/logging.h"
#include "desktopicon/component/component_names.h"
#include "desktopicon/component/library_loader.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTextStream>

#include <memory>

namespace {

enum ExitCode { kOk = 0, kUsage = 1, kLoadFailed = 3, kEntryMissing = 4, kEntryFailed = 5 };

bool haveDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

void report(bool silent, bool failed, const QString& text) {
    // Silent, a failure still leaves its line in the log.
    if (silent) {
        if (failed)
            qCWarning(kova::kovaLog).noquote() << QString(text).replace(u'\n', u' ');
        return;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        QMessageBox box(failed ? QMessageBox::Warning : QMessageBox::Information,
                        QLatin1String(kova::component::kRegistrationTool), text, QMessageBox::Ok);
        box.exec();
        return;
    }
    QTextStream(failed ? stderr : stdout) << text << Qt::endl;
}

} // namespace

int main(int argc, char* argv[]) {
    bool silent = false;
    bool unregister = false;
    QStringList pathParts;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const QString lower = arg.toLower();
        if (pathParts.isEmpty() && (lower == QLatin1String("/s") || lower == QLatin1String("-s")))
            silent = true;
        else if (pathParts.isEmpty() &&
                 (lower == QLatin1String("/u") || lower == QLatin1String("-u")))
            unregister = true;
        else
            pathParts << arg;
    }

    std::unique_ptr<QCoreApplication> app;
    if (!silent && haveDisplay())
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);

    if (pathParts.isEmpty()) {
        report(silent, true,
               QStringLiteral("使い方: kovashell-regsvr [/u] [/s] <ライブラリのパス>"));
        return kUsage;
    }
    // The classic command line carries the path unquoted, so a path with
    // blanks may arrive in pieces.
    const QString path = QFileInfo(pathParts.join(QLatin1Char(' '))).absoluteFilePath();
    const char* entry =
        unregister ? kova::component::kUnregisterEntry : kova::component::kRegisterEntry;
    const kova::EntryCall call = kova::callLibraryEntry(path, entry);
    const QString entryName = QLatin1String(entry);

    switch (call.status) {
    case kova::EntryCall::LoadFailed:
        report(
            silent, true,
            QStringLiteral("モジュール \"%1\" を読み込めませんでした。\n%2").arg(path, call.error));
        return kLoadFailed;
    case kova::EntryCall::EntryMissing:
        report(silent, true,
               QStringLiteral("モジュール \"%1\" に %2 が見つかりませんでした。")
                   .arg(path, entryName));
        return kEntryMissing;
    case kova::EntryCall::Called:
        break;
    }
    if (call.result != 0) {
        report(silent, true, QStringLiteral("%1 の %2 は失敗しました。").arg(path, entryName));
        return kEntryFailed;
    }
    report(silent, false, QStringLiteral("%1 の %2 は成功しました。").arg(path, entryName));
    return kOk;
}
