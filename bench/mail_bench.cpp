// Prints how long one account's dialogue takes against a private local
// Dovecot, plain and over TLS, beside Python's poplib doing USER, PASS, STAT,
// QUIT against the same server in the same run; and what a hostile 1 MB reply
// without a line end costs in memory.
//
//   build-release/bin/mail_bench [ROUNDS]      (default 9; needs root)
#include "mail/mail_checker.h"

#include "dovecot_server.h"
#include "mail_fakes.h"
#include "scripted_pop3_server.h"
#include "support/fake_platform.h"
#include "test_certificates.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace kova;
using namespace kova::test;

namespace {

// The result window: its line is the end of the dialogue.
struct TimedWindow : FakeResultWindow {
    QEventLoop* loop = nullptr;
    void setResultLine(int i, const QString& text) override {
        FakeResultWindow::setResultLine(i, text);
        if (loop != nullptr && !text.endsWith(u"..."_s))
            loop->quit();
    }
};

struct Rig {
    FakeMailSettings settings;
    TimedWindow window;
    MailChecker checker{MailHooks{
        [this]() -> MailSettings& { return settings; },
        [this]() -> MailResultWindow& { return window; },
        [this]() -> MailResultWindow* { return &window; },
        [](int, int) {},
    }};
};

// Milliseconds from GetMail to the result line; the line in *line.
double dialogueMs(quint16 port, MailSecurity security, QString* line) {
    Rig rig;
    rig.settings.accounts[0] = {
        QString::number(port), u"127.0.0.1"_s, u"one"_s, u"onepw"_s, security, {}};
    QEventLoop loop;
    rig.window.loop = &loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    rig.checker.GetMail();
    loop.exec();
    const double ms = clock.nsecsElapsed() / 1e6;
    *line = rig.window.lines[0];
    return ms;
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

// Python's poplib: after a warm-up of each kind, one dialogue of each; prints
// "plain MS" and "tls MS".
const char* const kPoplib = R"(
import poplib, ssl, sys, time
port, tls_port, ca = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
context = ssl.create_default_context(cafile=ca)
def one(make):
    start = time.perf_counter()
    box = make()
    box.user("one"); box.pass_("onepw"); box.stat(); box.quit()
    return (time.perf_counter() - start) * 1000
for name, make in (("plain", lambda: poplib.POP3("127.0.0.1", port)),
                   ("tls", lambda: poplib.POP3_SSL("127.0.0.1", tls_port, context=context))):
    one(make)
    print(name, one(make))
)";

// One round of the minimal client; false when python3 gave no figures.
bool poplibRound(const DovecotServer& dovecot, const QString& ca, QList<double>* plain,
                 QList<double>* tls) {
    QProcess python;
    python.start(u"python3"_s,
                 {u"-c"_s, QString::fromLatin1(kPoplib), QString::number(dovecot.port()),
                  QString::number(dovecot.tlsPort()), ca});
    python.waitForFinished(30000);
    int figures = 0;
    for (const QByteArray& out : python.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> words = out.split(' ');
        if (words.size() == 2 && ++figures)
            *(words[0] == "plain" ? plain : tls) << words[1].toDouble();
    }
    if (figures < 2)
        std::printf("python3 gave no figures: %s\n",
                    qPrintable(QString::fromLocal8Bit(python.readAllStandardError()).right(300)));
    return figures == 2;
}

long statusKb(const char* field) {
    QFile file(u"/proc/self/status"_s);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLong();
    return -1;
}

void dialogues(int rounds) {
    TestCertificates certificates;
    DovecotServer dovecot;
    QString why;
    if (!certificates.makeAuthority(&why) || !certificates.makeServer(u"server"_s, true, &why) ||
        !dovecot.start(
            {{u"one"_s, u"onepw"_s, {DovecotServer::message(1)}}}, &why,
            {certificates.certificateFile(u"server"_s), certificates.keyFile(u"server"_s)})) {
        std::printf("no local Dovecot with TLS: %s\n", qPrintable(why));
        return;
    }
    FakePlatform platform;
    platform.caCertificates = certificates.authorityPem();
    const QString ca = certificates.certificateFile(u"ca"_s);
    QList<double> plain, tls, poplibPlain, poplibTls;
    QString line;
    dialogueMs(dovecot.port(), MailSecurity::None, &line); // warm-up
    dialogueMs(dovecot.tlsPort(), MailSecurity::Tls, &line);
    // Taken in turns, so that a change of load meets both clients alike.
    for (int round = 0; round < rounds; ++round) {
        plain << dialogueMs(dovecot.port(), MailSecurity::None, &line);
        tls << dialogueMs(dovecot.tlsPort(), MailSecurity::Tls, &line);
        if (!poplibRound(dovecot, ca, &poplibPlain, &poplibTls))
            return;
    }
    std::printf("last result line: %s\n", qPrintable(line));
    const auto row = [](const char* kind, const QList<double>& ours, const char* theirs,
                        const QList<double>& minimal) {
        std::printf("  %-8s KovaShell %6.2f   %-15s %6.2f   ratio %.2f\n", kind, median(ours),
                    theirs, median(minimal), median(ours) / median(minimal));
    };
    std::printf("one account's dialogue, medians of %d (ms):\n", rounds);
    row("plain", plain, "poplib.POP3", poplibPlain);
    row("SSL/TLS", tls, "poplib.POP3_SSL", poplibTls);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    dialogues(argc > 1 ? std::max(1, atoi(argv[1])) : 9);

    FakePlatform platform;
    const long before = statusKb("VmRSS:");
    {
        ScriptedPop3Server hostile({flood(1024 * 1024)});
        Rig rig;
        rig.settings.accounts[0] = {QString::number(hostile.port()),
                                    u"127.0.0.1"_s,
                                    u"a"_s,
                                    u"b"_s,
                                    MailSecurity::None,
                                    {}};
        QEventLoop loop;
        rig.window.loop = &loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        rig.checker.GetMail();
        loop.exec();
        std::printf("1 MB without a line end: ended after %lld ms -> %s\n",
                    static_cast<long long>(clock.elapsed()), qPrintable(rig.window.lines[0]));
        std::printf("VmRSS during (client and server in one process): %ld kB\n",
                    statusKb("VmRSS:"));
    }
    std::printf("VmRSS before the hostile reply: %ld kB, after: %ld kB, peak (VmHWM): %ld kB\n",
                before, statusKb("VmRSS:"), statusKb("VmHWM:"));
    return 0;
}
