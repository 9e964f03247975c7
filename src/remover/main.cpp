// KovaRemover: takes KovaShell's traces outside its folder away (the
// desktop-icon component's registration and the autostart entry) and offers
// a log-off. It shows message boxes only, never a window of its own.

#include "platform/japanese_translation.h"
#include "platform/x11_window.h"
#include "remover/remover.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // Without a display Qt would abort with a core dump, before anything of
    // ours is written.
    if (const int code = kova::refuseWithoutX11Display("KovaRemover"))
        return code;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KovaRemover"));
    kova::installJapaneseTranslation(app);

    kova::remover::runRemoval(QCoreApplication::applicationDirPath(), kova::remover::platformId());
    return 0;
}
