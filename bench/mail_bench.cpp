// Prints how long the mail checker's dialogues take against a private local
// Dovecot, and what a hostile 1 MB reply without a line end costs in memory.
#include "mail/mail_checker.h"

#include "dovecot_server.h"
#include "mail_fakes.h"
#include "scripted_pop3_server.h"
#include "support/fake_platform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;
using namespace kova;
using namespace kova::test;

namespace {

// The result window, noting when each line was last written.
struct TimedWindow : FakeResultWindow {
    QElapsedTimer* clock = nullptr;
    qint64 lastLineMs = 0;
    void setResultLine(int i, const QString& text) override {
        FakeResultWindow::setResultLine(i, text);
        lastLineMs = clock->elapsed();
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

bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return done();
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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    FakePlatform platform;

    DovecotServer dovecot;
    QString why;
    const QList<QByteArray> three = {DovecotServer::message(1, 5), DovecotServer::message(2, 50),
                                     DovecotServer::message(3, 500)};
    if (!dovecot.start({{u"empty"_s, u"emptypw"_s, {}},
                        {u"one"_s, u"onepw"_s, {DovecotServer::message(1)}},
                        {u"three"_s, u"threepw"_s, three}},
                       &why)) {
        std::printf("no local Dovecot: %s\n", qPrintable(why));
    } else {
        const QStringList users = {u"empty"_s, u"one"_s, u"three"_s};
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < kMailAccountCount; ++i) {
                Rig rig;
                rig.settings.accounts[i] = {QString::number(dovecot.port()),
                                            u"127.0.0.1"_s,
                                            users[i],
                                            users[i] + u"pw"_s,
                                            MailSecurity::None,
                                            {}};
                QElapsedTimer clock;
                rig.window.clock = &clock;
                clock.start();
                rig.checker.GetMail();
                waitFor([&] { return !rig.checker.mailBusy(); }, 10000);
                std::printf("dialogue account %d (%s): %.2f ms -> %s\n", i + 1,
                            qPrintable(users[i]), clock.nsecsElapsed() / 1e6,
                            qPrintable(rig.window.lines[i]));
            }
        }
        Rig rig;
        for (int i = 0; i < kMailAccountCount; ++i)
            rig.settings.accounts[i] = {QString::number(dovecot.port()),
                                        u"127.0.0.1"_s,
                                        users[i],
                                        users[i] + u"pw"_s,
                                        MailSecurity::None,
                                        {}};
        QElapsedTimer clock;
        rig.window.clock = &clock;
        clock.start();
        rig.checker.GetMail();
        waitFor([&] { return !rig.checker.chainTimerOn(); }, 20000);
        std::printf("three-account run, GetMail to the last result line: %lld ms\n",
                    static_cast<long long>(rig.window.lastLineMs));
        dovecot.stop();
    }

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
        QElapsedTimer clock;
        rig.window.clock = &clock;
        clock.start();
        rig.checker.GetMail();
        waitFor([&] { return !rig.checker.mailBusy(); }, 10000);
        waitFor([&] { return hostile.clientClosed(); }, 10000);
        std::printf("1 MB without a line end: ended after %lld ms -> %s\n",
                    static_cast<long long>(clock.elapsed()), qPrintable(rig.window.lines[0]));
        std::printf("VmRSS during (client and server in one process): %ld kB\n",
                    statusKb("VmRSS:"));
    }
    std::printf("VmRSS before the hostile reply: %ld kB, after: %ld kB, peak (VmHWM): %ld kB\n",
                before, statusKb("VmRSS:"), statusKb("VmHWM:"));
    return 0;
}
