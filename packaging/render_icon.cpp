// Build-time helper: renders the program's logo as the PNG icons a desktop
// menu takes (hicolor theme), one file per size. Not installed.

#include "platform/logo.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QTextStream>

int main(int argc, char* argv[]) {
    // Runs during the build, where there may be no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        QTextStream(stderr) << "usage: kova-render-icon <folder> <size>...\n";
        return 1;
    }
    const QString folder = args.at(1);
    for (qsizetype i = 2; i < args.size(); ++i) {
        const int size = args.at(i).toInt();
        const QString sizeFolder = folder + QStringLiteral("/%1x%1/apps").arg(size);
        if (size <= 0 || !QDir().mkpath(sizeFolder) ||
            !kova::kovaLogo(size).save(sizeFolder + QStringLiteral("/kovashell.png"), "PNG")) {
            QTextStream(stderr) << "cannot write the " << args.at(i) << " px icon\n";
            return 1;
        }
    }
    return 0;
}
