// The yardstick of the start-up benchmark: a bare Qt program that shows what
// KovaShell shows at start-up, and nothing more: a tray icon and one frameless
// window titled "付箋紙" with a label for each note file (KovaShell<N>.hsn) in
// $KOVASHELL_HOME, its text decoded from CP932 as the note files are stored,
// so that it lays out and draws the same Japanese text. startup_bench times it
// as it times KovaShell.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <iconv.h>

#include <memory>
#include <vector>

namespace {

QString fromCp932(QByteArray bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == iconv_t(-1))
        return QString::fromLatin1(bytes);
    QByteArray out(bytes.size() * 3 + 4, '\0');
    char* in = bytes.data();
    size_t inLeft = size_t(bytes.size());
    char* to = out.data();
    size_t outLeft = size_t(out.size());
    iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    out.truncate(out.size() - qsizetype(outLeft));
    return QString::fromUtf8(out);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("KovaShell"));
    QPixmap picture(32, 32);
    picture.fill(Qt::yellow);
    QSystemTrayIcon tray{QIcon(picture)};
    tray.setToolTip(QStringLiteral("KovaShell"));
    tray.show();

    const QDir folder(qEnvironmentVariable("KOVASHELL_HOME"));
    std::vector<std::unique_ptr<QLabel>> notes;
    for (int n = 0; n <= 100; ++n) {
        if (!folder.exists(QStringLiteral("KovaShell%1.hsn").arg(n)))
            continue;
        QFile text(folder.filePath(QStringLiteral("KovaShell%1.log").arg(n)));
        if (!text.open(QIODevice::ReadOnly))
            continue;
        auto note = std::make_unique<QLabel>(fromCp932(text.read(4096)), nullptr,
                                             Qt::Window | Qt::FramelessWindowHint);
        note->setWindowTitle(QStringLiteral("付箋紙"));
        note->move((n % 10) * 100, (n / 10) * 70 + 40);
        note->show();
        notes.push_back(std::move(note));
    }
    return app.exec();
}
