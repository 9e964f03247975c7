#include "base/unix_signals.h"
#include "core/main_window.h"
#include "platform/japanese_translation.h"
#include "platform/x11_window.h"

#include <QApplication>
#include <QSessionManager>

#include <csignal>

int main(int argc, char* argv[]) {
    // Note positions and stacking need X11; under Wayland this runs on XWayland.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // Without a display Qt would abort with a core dump, before anything of
    // ours is written.
    if (const int code = kova::refuseWithoutX11Display("KovaShell"))
        return code;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KovaShell"));
    QApplication::setQuitOnLastWindowClosed(false);
    kova::installJapaneseTranslation(app);

    kova::Form1 form1;
    QObject::connect(&form1, &kova::Form1::ended, &app,
                     [](int code) { QCoreApplication::exit(code); });

    kova::UnixSignals unixSignals({SIGTERM, SIGHUP, SIGINT});
    QObject::connect(&unixSignals, &kova::UnixSignals::received, &form1,
                     [&form1] { form1.terminate(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form1,
                     [&form1](QSessionManager& manager) { form1.commitDataRequest(manager); });

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (!form1.Form_Load(arguments))
        return 0;
    return QApplication::exec();
}
