// Stands in for plasmashell on a session bus: answers evaluateScript the way
// the desktop scripting does for the folder view's icon size, and appends
// every script it is given to the file named on the command line.
// Usage: plasmashell_standin RECORD_FILE [ICON_SIZE]

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QRegularExpression>

#include <cstdio>

class PlasmaShell : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")
public:
    PlasmaShell(QString record, QString iconSize)
        : record_(std::move(record)), iconSize_(std::move(iconSize)) {}

public slots:
    QString evaluateScript(const QString& script) {
        QFile file(record_);
        if (file.open(QIODevice::Append))
            file.write(script.toUtf8() + '\n');
        static const QRegularExpression write(
            QStringLiteral("writeConfig\\(\"iconSize\", ([^)]*)\\)"));
        const QRegularExpressionMatch match = write.match(script);
        if (match.hasMatch())
            iconSize_ = match.captured(1);
        if (script.contains(QStringLiteral("print(ds[i].readConfig(\"iconSize\"))")))
            return iconSize_ + QLatin1Char('\n');
        return {};
    }

private:
    QString record_;
    QString iconSize_;
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2)
        return 2;
    PlasmaShell shell(args.at(1), args.value(2, QStringLiteral("3")));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/PlasmaShell"), &shell,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.kde.plasmashell"))) {
        std::fprintf(stderr, "cannot take org.kde.plasmashell on the session bus\n");
        return 1;
    }
    return QCoreApplication::exec();
}

#include "plasmashell_standin.moc"
