#include "mail/mail_checker.h"

#include "expected_texts.h"
#include "mail_fakes.h"
#include "scripted_pop3_server.h"
#include "support/fake_platform.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;
using namespace kova;
using namespace kova::test;
using namespace kova::test::mailexpect;
using Script = QList<ServerStep>;
using Tabs = QList<QPair<int, int>>;

namespace {

const QByteArray kWillingClient = "USER alice\r\nPASS pw\r\nSTAT\r\nQUIT\r\nQUIT\r\n";
constexpr int kWaitMs = 10000;

// Waits as an open message box does: a nested event loop, which (unlike
// QTest::qWait) leaves the deferred deletes of the code under it alone.
bool waitInsideABox(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
    poll.start(10);
    loop.exec();
    return done();
}

} // namespace

class TestMailChecker : public QObject {
    Q_OBJECT
private slots:
    // One account against a scripted server, real sockets end to end.
    void oneAccount_data() {
        QTest::addColumn<Script>("script");
        QTest::addColumn<QByteArray>("clientSent");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("windowCalls");

        QTest::newRow("mail waiting")
            << willingScript(2, 3200) << kWillingClient << mailFound(0, 2, 3200) << QStringList{}
            << QStringList{u"found"_s};
        QTest::newRow("no mail") << willingScript(0, 0) << kWillingClient << noMail(0)
                                 << QStringList{} << QStringList{};
        QTest::newRow("split writes")
            << Script{send("+OK re"), pause(30),       send("ady\r\n"),
                      awaitLine(),    send("+OK\r\n"), awaitLine(),
                      send("+"),      pause(30),       send("OK\r\n"),
                      awaitLine(),    send("+OK 7 "),  pause(30),
                      send("70\r"),   pause(30),       send("\n+OK bye\r\n"),
                      awaitLine(),    awaitLine(),     closeConnection()}
            << kWillingClient << mailFound(0, 7, 70) << QStringList{} << QStringList{u"found"_s};
        QTest::newRow("close after PASS")
            << Script{send("+OK\r\n"), awaitLine(), send("+OK\r\n"), awaitLine(), closeConnection()}
            << QByteArray("USER alice\r\nPASS pw\r\n") << kErrorLabel << QStringList{}
            << QStringList{};
        QTest::newRow("wrong password") << Script{send("+OK\r\n"),
                                                  awaitLine(),
                                                  send("+OK\r\n"),
                                                  awaitLine(),
                                                  send("-ERR [AUTH] Authentication failed.\r\n"),
                                                  closeConnection()}
                                        << QByteArray("USER alice\r\nPASS pw\r\n") << kErrorLabel
                                        << QStringList{kBadPassword} << QStringList{};
        QTest::newRow("1 MB without a line end")
            << Script{flood(1024 * 1024)} << QByteArray() << kErrorLabel << QStringList{kFailed}
            << QStringList{};
        QTest::newRow("reset") << Script{send("+OK\r\n"), awaitLine(), resetConnection()}
                               << QByteArray("USER alice\r\n") << kErrorLabel << QStringList{kReset}
                               << QStringList{};
        // Bytes keep coming, but the dialogue's time is up all the same.
        QTest::newRow("drip") << Script{send("+OK\r\n"), awaitLine(), drip("+", 50)}
                              << QByteArray("USER alice\r\n") << kErrorLabel
                              << QStringList{kNoResponse} << QStringList{};
    }
    void oneAccount() {
        QFETCH(Script, script);
        QFETCH(QByteArray, clientSent);
        QFETCH(QString, line);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, windowCalls);
        FakePlatform platform;
        ScriptedPop3Server server(script);
        CheckerRig rig;
        rig.checker.setDialogueLimitMs(2000);
        rig.setAccount(0, server.port());
        rig.checker.GetMail();
        QVERIFY(rig.checker.mailBusy());
        QCOMPARE(rig.window.lines[0], kChecking);
        QTRY_VERIFY_WITH_TIMEOUT(!rig.checker.mailBusy(), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(server.clientClosed(), kWaitMs);
        QCOMPARE(server.received(), clientSent);
        QCOMPARE(rig.window.lines[0], line);
        QCOMPARE(platform.messages, messages);
        QCOMPARE(rig.window.calls, windowCalls);
        QCOMPARE(rig.window.stacks, QList<QList<int>>{{0}});
        QVERIFY(rig.checker.doneFlag());
        QVERIFY(!rig.checker.chainTimerOn());
        QVERIFY(rig.checker.socket(0).isClosed());
    }

    // IMAP against a server without STATUS=SIZE: 100,000 messages counted
    // as their sizes stream in, no arrival larger than the adapter's limit
    // (and the dialogue keeps no more than a line of it); a silent server
    // and a reset end with the POP3 messages.
    void imapAccount_data() {
        QTest::addColumn<Script>("script");
        QTest::addColumn<int>("limitMs");
        QTest::addColumn<QByteArray>("clientSent");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("messages");
        const auto size = [](int n) { return qint64(1000 + n % 977); };
        qint64 total = 0;
        for (int n = 1; n <= 100000; ++n)
            total += size(n);
        const QByteArray login = "k1 LOGIN \"alice\" \"pw\"\r\n";
        const QByteArray greeting = "* OK [CAPABILITY IMAP4rev1] ready\r\n";
        QTest::newRow("100,000 messages")
            << willingImapScript(100000, size) << 30000
            << login + "k2 EXAMINE INBOX\r\nk3 FETCH 1:* (RFC822.SIZE)\r\nk4 LOGOUT\r\n"
            << mailFound(0, 100000, total) << QStringList{};
        QTest::newRow("silent after the greeting")
            << Script{send(greeting)} << 500 << login << kErrorLabel << QStringList{kNoResponse};
        QTest::newRow("reset at login") << Script{send(greeting), awaitLine(), resetConnection()}
                                        << 2000 << login << kErrorLabel << QStringList{kReset};
    }
    void imapAccount() {
        QFETCH(Script, script);
        QFETCH(int, limitMs);
        QFETCH(QByteArray, clientSent);
        QFETCH(QString, line);
        QFETCH(QStringList, messages);
        FakePlatform platform;
        ScriptedPop3Server server(script);
        CheckerRig rig;
        rig.checker.setDialogueLimitMs(limitMs);
        rig.setAccount(0, server.port(), u"alice"_s, u"pw"_s, u"127.0.0.1"_s, MailSecurity::None,
                       MailProtocol::Imap);
        qsizetype largest = 0;
        connect(&rig.checker.socket(0), &Winsock::dataArrival, this,
                [&largest](const QByteArray& bytes) { largest = std::max(largest, bytes.size()); });
        rig.checker.GetMail();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.checker.mailBusy(), limitMs + kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(server.clientClosed(), kWaitMs);
        QCOMPARE(server.received(), clientSent);
        QCOMPARE(rig.window.lines[0], line);
        QCOMPARE(platform.messages, messages);
        QVERIFY2(largest <= Winsock::kReadLimit, qPrintable(QString::number(largest)));
        QVERIFY(rig.checker.socket(0).isClosed());
    }

    // A malformed STAT reply closes the socket before its message shows, so
    // the server's later close cannot end a second time.
    void malformedStatClosesFirst() {
        FakePlatform platform;
        ScriptedPop3Server server({send("+OK\r\n"), awaitLine(), send("+OK\r\n"), awaitLine(),
                                   send("+OK\r\n"), awaitLine(), send("+OK 2\r\n"), pause(100),
                                   closeConnection()});
        CheckerRig rig;
        QList<bool> closedAtMessage;
        platform.onMessage = [&](const QString&) {
            closedAtMessage << rig.checker.socket(0).isClosed();
        };
        rig.setAccount(0, server.port());
        rig.checker.GetMail();
        QTRY_VERIFY_WITH_TIMEOUT(server.clientClosed(), kWaitMs);
        QTest::qWait(200);
        QCOMPARE(platform.messages, QStringList{kFailed});
        QCOMPARE(closedAtMessage, QList<bool>{true});
        QCOMPARE(rig.window.lines[0], kErrorLabel);
        QCOMPARE(server.received(), QByteArray("USER alice\r\nPASS pw\r\nSTAT\r\n"));
        QVERIFY(!rig.checker.mailBusy());
    }

    void connectionFailures_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QString>("message");
        QTest::newRow("refused") << u"127.0.0.1"_s << false << kRefused;
        QTest::newRow("unknown host") << u"no-such-host.invalid"_s << false << kHostNotFound;
        QTest::newRow("silent server") << u"127.0.0.1"_s << true << kNoResponse;
    }
    void connectionFailures() {
        QFETCH(QString, host);
        QFETCH(bool, listening);
        QFETCH(QString, message);
        FakePlatform platform;
        ScriptedPop3Server silent({});
        CheckerRig rig;
        rig.checker.setDialogueLimitMs(300);
        rig.setAccount(1, listening ? silent.port() : ScriptedPop3Server::closedPort(), u"alice"_s,
                       u"pw"_s, host);
        QElapsedTimer clock;
        clock.start();
        rig.checker.GetMail();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.checker.mailBusy(), kWaitMs);
        QCOMPARE(platform.messages, QStringList{forAccount(message, 1)});
        QCOMPARE(rig.window.lines[1], forAccount(kErrorLabel, 1));
        QVERIFY(rig.checker.socket(1).isClosed());
        if (listening) {
            QVERIFY(clock.elapsed() >= 300);
            QTRY_VERIFY_WITH_TIMEOUT(silent.clientClosed(), kWaitMs);
        }
    }

    // Account 1's server never answers: its failure shows, then accounts 2
    // and 3 are checked in turn by the chaining timer.
    void threeAccountsAfterASilentOne() {
        FakePlatform platform;
        ScriptedPop3Server silent({});
        ScriptedPop3Server second(willingScript(0, 0));
        ScriptedPop3Server third(willingScript(1, 10));
        CheckerRig rig;
        rig.checker.setDialogueLimitMs(300);
        rig.setAccount(0, silent.port());
        rig.setAccount(1, second.port(), u"bob"_s);
        rig.setAccount(2, third.port(), u"carol"_s);
        rig.checker.GetMail();
        QCOMPARE(rig.window.stacks, (QList<QList<int>>{{0, 1, 2}}));
        QVERIFY(rig.checker.pendingAccount2());
        QVERIFY(rig.checker.pendingAccount3());
        QVERIFY(!rig.checker.doneFlag());
        QVERIFY(rig.checker.chainTimerOn());
        QTRY_VERIFY_WITH_TIMEOUT(!rig.checker.chainTimerOn(), kWaitMs);
        QCOMPARE(platform.messages, QStringList{kNoResponse});
        QCOMPARE(rig.window.lines[0], kErrorLabel);
        QCOMPARE(rig.window.lines[1], noMail(1));
        QCOMPARE(rig.window.lines[2], mailFound(2, 1, 10));
        QCOMPARE(second.received(), QByteArray(kWillingClient).replace("alice", "bob"));
        QCOMPARE(third.received(), QByteArray(kWillingClient).replace("alice", "carol"));
        QVERIFY(!rig.checker.mailBusy());
        QVERIFY(!rig.checker.pendingAccount2() && !rig.checker.pendingAccount3());
    }

    // Servers that do not let STARTTLS happen never hear USER or PASS.
    void startTlsNeverLogsInInClear_data() {
        QTest::addColumn<Script>("script");
        QTest::addColumn<QString>("message");
        QTest::newRow("STLS refused")
            << Script{send("+OK\r\n"), awaitLine(), send("-ERR unknown command\r\n"), awaitLine()}
            << kStlsRefused;
        QTest::newRow("greeting without STLS after it")
            << Script{send("+OK\r\n"), awaitLine(), send("* no\r\n"), awaitLine()} << kStlsRefused;
        QTest::newRow("STLS accepted, then clear text")
            << Script{send("+OK\r\n"), awaitLine(),           send("+OK go\r\n"),
                      pause(100),      send("+OK ready\r\n"), awaitLine()}
            << kTlsFailed;
        QTest::newRow("STLS accepted, then silence")
            << Script{send("+OK\r\n"), awaitLine(), send("+OK go\r\n")} << kTlsTimedOut;
    }
    void startTlsNeverLogsInInClear() {
        QFETCH(Script, script);
        QFETCH(QString, message);
        FakePlatform platform;
        ScriptedPop3Server server(script);
        CheckerRig rig;
        rig.checker.setHandshakeLimitMs(500);
        rig.setAccount(0, server.port(), u"alice"_s, u"pw"_s, u"127.0.0.1"_s,
                       MailSecurity::StartTls);
        rig.checker.GetMail();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.checker.mailBusy(), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(server.clientClosed(), kWaitMs);
        QVERIFY(server.received().startsWith("STLS\r\n"));
        QVERIFY(!server.received().contains("USER"));
        QCOMPARE(platform.messages, QStringList{message});
        QCOMPARE(rig.window.lines[0], kErrorLabel);
    }

    // Which accounts take part, and what the run does before any reply.
    void runs_data() {
        QTest::addColumn<QStringList>("users");     // account names, "" = not set
        QTest::addColumn<QStringList>("passwords"); // "" = left empty
        QTest::addColumn<QList<int>>("stacked");    // empty: no run
        QTest::addColumn<int>("first");
        QTest::addColumn<bool>("pending2");
        QTest::addColumn<bool>("pending3");
        QTest::addColumn<QString>("message");
        QTest::addColumn<Tabs>("tabs");

        const QStringList pw = {u"p"_s, u"p"_s, u"p"_s};
        QTest::newRow("1 2 3") << QStringList{u"a"_s, u"b"_s, u"c"_s} << pw << QList<int>{0, 1, 2}
                               << 0 << true << true << QString() << Tabs{};
        QTest::newRow("1 3") << QStringList{u"a"_s, u""_s, u"c"_s} << pw << QList<int>{0, 2} << 0
                             << false << true << QString() << Tabs{};
        QTest::newRow("2 3") << QStringList{u""_s, u"b"_s, u"c"_s} << pw << QList<int>{1, 2} << 1
                             << false << true << QString() << Tabs{};
        QTest::newRow("1 2") << QStringList{u"a"_s, u"b"_s, u""_s} << pw << QList<int>{0, 1} << 0
                             << true << false << QString() << Tabs{};
        QTest::newRow("3") << QStringList{u""_s, u""_s, u"c"_s} << pw << QList<int>{2} << 2 << false
                           << false << QString() << Tabs{};
        QTest::newRow("an unused account is not validated")
            << QStringList{u"a"_s, u""_s, u""_s} << QStringList{u"p"_s, u""_s, u""_s}
            << QList<int>{0} << 0 << false << false << QString() << Tabs{};
        QTest::newRow("none") << QStringList{u""_s, u""_s, u""_s} << pw << QList<int>{} << -1
                              << false << false << kNoSettings << Tabs{{1, 0}};
        QTest::newRow("account 2 without password")
            << QStringList{u"a"_s, u"b"_s, u""_s} << QStringList{u"p"_s, u""_s, u"p"_s}
            << QList<int>{} << -1 << false << false << kIncomplete << Tabs{{1, 1}};
        QTest::newRow("account 3 without password")
            << QStringList{u""_s, u""_s, u"c"_s} << QStringList{u"p"_s, u"p"_s, u""_s}
            << QList<int>{} << -1 << false << false << kIncomplete << Tabs{{1, 2}};
    }
    void runs() {
        QFETCH(QStringList, users);
        QFETCH(QStringList, passwords);
        QFETCH(QList<int>, stacked);
        QFETCH(int, first);
        QFETCH(bool, pending2);
        QFETCH(bool, pending3);
        QFETCH(QString, message);
        QFETCH(Tabs, tabs);
        FakePlatform platform;
        ScriptedPop3Server silent({});
        CheckerRig rig;
        rig.settings.counter = u"3"_s;
        for (int i = 0; i < kMailAccountCount; ++i)
            rig.setAccount(i, silent.port(), users[i], passwords[i]);
        rig.checker.GetMail();
        QCOMPARE(platform.messages, message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(rig.tabs, tabs);
        QCOMPARE(rig.window.calls, message.isEmpty() ? QStringList{} : QStringList{u"unload"_s});
        QCOMPARE(rig.window.stacks,
                 stacked.isEmpty() ? QList<QList<int>>{} : QList<QList<int>>{stacked});
        QCOMPARE(rig.settings.counter, stacked.isEmpty() ? u"3"_s : u"0"_s);
        for (int i = 0; i < kMailAccountCount; ++i) {
            QCOMPARE(rig.window.lines[i],
                     stacked.contains(i) ? forAccount(kChecking, i) : QString());
            QCOMPARE(rig.checker.socket(i).isClosed(), i != first);
        }
        QCOMPARE(rig.checker.mailBusy(), first >= 0);
        QCOMPARE(rig.checker.pendingAccount2(), pending2);
        QCOMPARE(rig.checker.pendingAccount3(), pending3);
        QCOMPARE(rig.checker.chainTimerOn(), stacked.size() > 1);
        QCOMPARE(rig.checker.doneFlag(), false);
        rig.checker.closeSockets();
    }

    void menuCommandShowsTheWindowFirst() {
        FakePlatform platform;
        ScriptedPop3Server silent({});
        CheckerRig rig;
        rig.settings.counter = u"4"_s;
        rig.setAccount(0, silent.port());
        rig.checker.MnuMailChk_Click();
        QCOMPARE(rig.window.calls, QStringList{u"show"_s});
        QCOMPARE(rig.settings.counter, u"0"_s);
        QVERIFY(rig.checker.mailBusy());
        // A second run while the first dialogue waits only beeps.
        rig.checker.GetMail();
        QCOMPARE(platform.beeps, 1);
        QTRY_COMPARE_WITH_TIMEOUT(silent.connections(), 1, kWaitMs);
        // Closing the window ends the waiting dialogue; a new run starts.
        rig.window.unload();
        QVERIFY(!rig.checker.mailBusy());
        QVERIFY(rig.checker.socket(0).isClosed());
        rig.checker.GetMail();
        QVERIFY(rig.checker.mailBusy());
        QTRY_COMPARE_WITH_TIMEOUT(silent.connections(), 2, kWaitMs);
        QCOMPARE(platform.beeps, 1);
        rig.checker.closeSockets();
    }

    void schedule_data() {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("runs");
        QTest::addColumn<QString>("counter");
        QTest::newRow("every minute") << u"1"_s << 3 << 3 << u"0"_s;
        QTest::newRow("every 5 minutes") << u"5"_s << 12 << 2 << u"2"_s;
        QTest::newRow("leading zero never fires") << u"05"_s << 12 << 0 << u"12"_s;
        QTest::newRow("zero") << u"0"_s << 4 << 0 << u"4"_s;
    }
    void schedule() {
        QFETCH(QString, interval);
        QFETCH(int, ticks);
        QFETCH(int, runs);
        QFETCH(QString, counter);
        FakePlatform platform;
        CheckerRig rig;
        rig.settings.intervalText = interval;
        // With no account set, every run shows its one message.
        for (int n = 0; n < ticks; ++n)
            rig.checker.Timer1_Timer();
        QCOMPARE(platform.messages.size(), runs);
        QCOMPARE(rig.settings.counter, counter);
    }

    // The settings' message of a timer run, with two more minutes passing
    // while it is open: still one box, one settings dialog.
    void settingsMessageIsNotRepeatedUnderItself() {
        FakePlatform platform;
        CheckerRig rig;
        rig.settings.intervalText = u"1"_s;
        platform.onMessage = [&](const QString&) {
            rig.checker.Timer1_Timer();
            rig.checker.Timer1_Timer();
        };
        rig.checker.Timer1_Timer();
        QCOMPARE(platform.messages, QStringList{u"メール設定を行ってください。"_s});
        QCOMPARE(rig.tabs.size(), 1);
    }

    // A modal box and a minute timer that goes on under it: while the box of
    // a failing account is open, the runs the timer starts still check but
    // only write the line. A run started by hand shows its own box.
    void failingAccountKeepsOneBoxOpen_data() {
        QTest::addColumn<bool>("byHand");
        QTest::newRow("every minute") << false;
        QTest::newRow("by hand meanwhile") << true;
    }
    void failingAccountKeepsOneBoxOpen() {
        QFETCH(bool, byHand);
        FakePlatform platform;
        ScriptedPop3Server server({send("+OK\r\n"), awaitLine(), send("+OK\r\n"), awaitLine(),
                                   send("-ERR bad\r\n"), closeConnection()});
        CheckerRig rig;
        rig.setAccount(0, server.port());
        rig.settings.intervalText = u"1"_s;
        rig.checker.setMinuteMs(40);
        bool open = false;
        platform.onMessage = [&](const QString&) {
            if (std::exchange(open, true))
                return;
            // Three more minutes with the first box open.
            QVERIFY(waitInsideABox(
                [&] { return server.connections() >= 4 && !rig.checker.mailBusy(); }));
            if (byHand) {
                rig.checker.setMinuteTimerOn(false);
                QVERIFY(waitInsideABox([&] { return !rig.checker.mailBusy(); }));
                rig.checker.MnuMailChk_Click();
                QVERIFY(waitInsideABox([&] { return platform.messages.size() == 2; }));
            }
            open = false;
        };
        rig.checker.setMinuteTimerOn(true);
        QTRY_VERIFY_WITH_TIMEOUT(!platform.messages.isEmpty() && !open, kWaitMs * 2);
        rig.checker.setMinuteTimerOn(false);
        const QString refused = u"[1] パスワードが正しくありません。"_s;
        QCOMPARE(platform.messages, QStringList(byHand ? 2 : 1, refused));
        if (!byHand)
            QCOMPARE(rig.window.lines[0], refused);
        rig.checker.closeSockets();
    }

    void minuteTimerSwitch() {
        CheckerRig rig;
        QVERIFY(!MailChecker::wantsMinuteTimer(u"0"_s));
        QVERIFY(!MailChecker::wantsMinuteTimer(u""_s));
        QVERIFY(MailChecker::wantsMinuteTimer(u"05"_s));
        rig.checker.setMinuteTimerOn(true);
        QVERIFY(rig.checker.minuteTimerOn());
        rig.checker.setMinuteTimerOn(false);
        QVERIFY(!rig.checker.minuteTimerOn());
    }
};

QTEST_GUILESS_MAIN(TestMailChecker)
#include "test_mail_checker.moc"
