#include "mail/pop3_dialogue.h"

#include "dialogue_driver.h"
#include "expected_texts.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kova;
using namespace kova::test::mailexpect;
using Chunks = QList<QByteArray>;
using Label = std::optional<QString>;

namespace {

const QString kPassword = u"s3cret-pw"_s;

MailAccount account(const QString& port = u"110"_s, const QString& user = u"alice"_s,
                    const QString& password = kPassword) {
    return {port, u"pop.example"_s, user, password, MailSecurity::None, {}};
}

struct Driver : kova::test::DialogueDriver<Pop3Dialogue> {
    Driver() { account = ::account(); }
};

const QByteArray kLogin = "USER alice\r\nPASS s3cret-pw\r\n";
const QByteArray kAll = kLogin + "STAT\r\nQUIT\r\n";
const Chunks kToStat = {"+OK hi\r\n", "+OK\r\n", "+OK\r\n"};

} // namespace

class TestPop3Dialogue : public QObject {
    Q_OBJECT
private slots:
    void dialogue_data() {
        QTest::addColumn<int>("account");
        QTest::addColumn<Chunks>("replies");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<Label>("label");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<qint64>("size");

        const auto row = [](const char* name, int i, const Chunks& replies, const QByteArray& sent,
                            const Label& label, const QStringList& messages, bool shown,
                            qint64 count = 0, qint64 size = 0) {
            QTest::newRow(name) << i << replies << sent << label << messages << shown << count
                                << size;
        };
        row("mail waiting", 0, kToStat + Chunks{"+OK 2 3200\r\n", "+OK bye\r\n"}, kAll + "QUIT\r\n",
            mailFound(0, 2, 3200), {}, true, 2, 3200);
        row("reply split over arrivals", 0, kToStat + Chunks{"+OK 2 3", "200", "\r\n"}, kAll,
            mailFound(0, 2, 3200), {}, true, 2, 3200);
        row("CR and LF in different arrivals", 0, kToStat + Chunks{"+OK 2 3200\r", "\n"}, kAll,
            mailFound(0, 2, 3200), {}, true, 2, 3200);
        row("two replies in one arrival", 0, kToStat + Chunks{"+OK 2 3200\r\n+OK bye\r\n"},
            kAll + "QUIT\r\n", mailFound(0, 2, 3200), {}, true, 2, 3200);
        row("lower-case token", 0, {"+ok hi\r\n", "+ok\r\n", "+ok\r\n", "+ok 1 10\r\n"}, kAll,
            mailFound(0, 1, 10), {}, true, 1, 10);
        row("octets after the size", 0, kToStat + Chunks{"+OK 12 4096 octets\r\n"}, kAll,
            mailFound(0, 12, 4096), {}, true, 12, 4096);
        row("largest numbers", 0, kToStat + Chunks{"+OK 2147483647 2147483647\r\n"}, kAll,
            mailFound(0, 2147483647, 2147483647), {}, true, 2147483647, 2147483647);
        row("no mail", 0, kToStat + Chunks{"+OK 0 0\r\n"}, kAll, noMail(0), {}, false);
        row("no mail, account 3", 2, kToStat + Chunks{"+OK 0 0\r\n"}, kAll, noMail(2), {}, false);
        // The greeting's +OK state then eats the reply to USER: PASS is sent
        // before it is accepted and the dialogue goes astray, as designed.
        row("greeting not +OK", 0, {"* hello\r\n", "+OK\r\n", "+OK\r\n", "+OK 0 0\r\n"},
            kLogin + "QUIT\r\nSTAT\r\n", kErrorLabel, {}, false);
        row("in use", 0, {"+OK hi\r\n", "+OK\r\n", "-ERR [IN-USE] locked\r\n"}, kLogin, kErrorLabel,
            {kInUse}, false);
        row("in use, lower case, account 2", 1, {"+OK hi\r\n", "+OK\r\n", "-ERR [in-use]\r\n"},
            kLogin, forAccount(kErrorLabel, 1), {kInUse}, false);
        row("wrong password", 0, {"+OK hi\r\n", "+OK\r\n", "-ERR bad\r\n"}, kLogin, kErrorLabel,
            {kBadPassword}, false);
        row("wrong password, bare -err, account 3", 2, {"+OK hi\r\n", "+OK\r\n", "-err\r\n"},
            kLogin, forAccount(kErrorLabel, 2), {forAccount(kBadPassword, 2)}, false);
        row("no such user", 1, {"+OK hi\r\n", "-ERR who?\r\n"}, "USER alice\r\n",
            forAccount(kErrorLabel, 1), {forAccount(kNoAccount, 1)}, false);
        row("refused user stops the rest of the arrival", 0, {"+OK hi\r\n", "-ERR no\r\n+OK\r\n"},
            "USER alice\r\n", kErrorLabel, {kNoAccount}, false);
        row("STAT refused", 0, kToStat + Chunks{"-ERR no\r\n"}, kAll, kErrorLabel, {}, false);
        row("STAT reply without size", 0, kToStat + Chunks{"+OK 2\r\n"}, kLogin + "STAT\r\n",
            kErrorLabel, {kFailed}, false);
        row("bare +OK to STAT, account 2", 1, kToStat + Chunks{"+OK\r\n"}, kLogin + "STAT\r\n",
            forAccount(kErrorLabel, 1), {forAccount(kFailed, 1)}, false);
        // Mailboxes of more than 2 GB are common.
        row("count over 2^31", 0, kToStat + Chunks{"+OK 2147483648 5\r\n"}, kAll,
            mailFound(0, 2147483648, 5), {}, true, 2147483648, 5);
        row("size over 2^31", 0, kToStat + Chunks{"+OK 5000 3000000000\r\n"}, kAll,
            mailFound(0, 5000, 3000000000), {}, true, 5000, 3000000000);
        row("size over 2^63", 0, kToStat + Chunks{"+OK 1 9223372036854775808\r\n"},
            kLogin + "STAT\r\n", kErrorLabel, {kFailed}, false);
        // A server that answers every QUIT and never closes hears two, and
        // the result shows then, not at the deadline.
        row("server never closes", 0,
            kToStat + Chunks{"+OK 1 100\r\n", "+OK\r\n", "+OK\r\n", "+OK\r\n", "+OK\r\n"},
            kAll + "QUIT\r\n", mailFound(0, 1, 100), {}, true, 1, 100);
    }
    void dialogue() {
        QFETCH(int, account);
        QFETCH(Chunks, replies);
        QFETCH(QByteArray, sent);
        QFETCH(Label, label);
        QFETCH(QStringList, messages);
        QFETCH(bool, shown);
        QFETCH(qint64, count);
        QFETCH(qint64, size);
        Driver d;
        d.i = account;
        d.run(replies, true);
        QCOMPARE(d.sent, sent);
        QCOMPARE(d.label, label);
        QCOMPARE(d.messages, messages);
        QCOMPARE(d.shown, shown);
        QCOMPARE(d.dialogue.messageCount(), count);
        QCOMPARE(d.dialogue.mailboxSize(), size);
        QVERIFY(d.endedCleanly());
    }

    // The states step by step with a willing server.
    void statesOfAWillingServer() {
        Driver d;
        d.open();
        QCOMPARE(d.dialogue.connectionState(), 2);
        QVERIFY(d.dialogue.mailBusy());
        QVERIFY(!d.dialogue.done());
        MailAction a = d.dialogue.dataArrived(0, "+OK hi\r\n");
        QCOMPARE(a.send, QByteArray("USER alice\r\n"));
        QCOMPARE(d.dialogue.connectionState(), 3);
        QCOMPARE(d.dialogue.userState(), 1);
        d.dialogue.sendComplete(0);
        QCOMPARE(d.dialogue.userState(), 2);
        // A reply before the send completed is not matched: PASS waits in 1.
        d.take(d.dialogue.dataArrived(0, "+OK\r\n"));
        QCOMPARE(d.dialogue.passState(), 2);
        QCOMPARE(d.dialogue.userState(), 3);
        a = d.dialogue.dataArrived(0, "+OK\r\n");
        QCOMPARE(a.send, QByteArray("STAT\r\n"));
        QCOMPARE(d.dialogue.passState(), 3);
        QCOMPARE(d.dialogue.statState(), 1);
        d.dialogue.sendComplete(0);
        a = d.dialogue.dataArrived(0, "+OK 3 30\r\n");
        QCOMPARE(a.send, QByteArray("QUIT\r\n"));
        QCOMPARE(d.dialogue.statState(), 3);
        QCOMPARE(d.dialogue.connectionState(), 1);
        a = d.dialogue.dataArrived(0, "+OK bye\r\n");
        QCOMPARE(a.send, QByteArray("QUIT\r\n"));
        QCOMPARE(d.dialogue.connectionState(), 1);
        d.take(d.dialogue.closed(0));
        QCOMPARE(d.dialogue.connectionState(), 0);
        QVERIFY(!d.dialogue.mailBusy());
    }

    void wireTextsAreCp932AndUntrimmed() {
        Driver d;
        d.open(account(u"110"_s, u"山田 "_s, u" pw"_s));
        d.take(d.dialogue.dataArrived(0, "+OK \x82\xe6\x82\xa4\x82\xb1\x82\xbb\r\n"));
        d.take(d.dialogue.dataArrived(0, "+OK\r\n"));
        QCOMPARE(d.sent, QByteArray("USER \x8e"
                                    "R\x93"
                                    "c \r\nPASS  pw\r\n"));
    }

    void ports_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("connectsTo"); // 0: ends at start
        QTest::newRow("usual") << u"110"_s << 110;
        QTest::newRow("trailing text") << u"110x"_s << 110;
        QTest::newRow("highest") << u"65535"_s << 65535;
        QTest::newRow("no number") << u"abc"_s << 0;
        QTest::newRow("zero") << u"0"_s << 0;
        QTest::newRow("too high") << u"70000"_s << 0;
        QTest::newRow("beyond 32 bits") << u"99999999999"_s << 0;
    }
    void ports() {
        QFETCH(QString, port);
        QFETCH(int, connectsTo);
        Pop3Dialogue dialogue;
        const MailAction a = dialogue.start(1, account(port));
        QCOMPARE(a.connect, connectsTo != 0);
        QVERIFY(a.closeSocket);
        if (connectsTo != 0) {
            QCOMPARE(int(a.port), connectsTo);
            QCOMPARE(a.host, u"pop.example"_s);
            QCOMPARE(dialogue.connectionState(), 1);
            QVERIFY(dialogue.mailBusy());
            QVERIFY(!a.ended);
        } else {
            QCOMPARE(a.messages, QStringList{forAccount(kFailed, 1)});
            QCOMPARE(a.label, Label(forAccount(kErrorLabel, 1)));
            QVERIFY(!dialogue.mailBusy());
            QVERIFY(dialogue.done());
            QVERIFY(a.ended);
        }
    }

    void passwordCp932CannotHoldEndsAtStart() {
        Pop3Dialogue dialogue;
        const MailAction a = dialogue.start(0, account(u"110"_s, u"alice"_s, u"pw\U0001F600"_s));
        QVERIFY(!a.connect);
        QCOMPARE(a.messages, QStringList{kFailed});
        QVERIFY(!dialogue.mailBusy());
    }

    void secondStartWhileBusyOnlyBeeps() {
        Driver d;
        d.open();
        d.take(d.dialogue.dataArrived(0, "+OK hi\r\n"));
        const MailAction a = d.dialogue.start(1, account(u"995"_s, u"bob"_s));
        QVERIFY(a.beep);
        QVERIFY(!a.connect && !a.closeSocket && !a.ended && a.messages.isEmpty());
        QCOMPARE(d.dialogue.userState(), 2);
        QVERIFY(d.dialogue.mailBusy());
        // The running dialogue goes on as the first account.
        QCOMPARE(d.dialogue.dataArrived(0, "+OK\r\n").send, QByteArray("PASS s3cret-pw\r\n"));
    }

    void errors_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("message");
        QTest::newRow("host not found") << 11001 << kHostNotFound;
        QTest::newRow("timed out") << 10060 << kHostNotFound;
        QTest::newRow("refused") << 10061 << kRefused;
        QTest::newRow("address") << 10049 << kAddress;
        QTest::newRow("aborted") << 10053 << kAborted;
        QTest::newRow("reset") << 10054 << kReset;
        QTest::newRow("TLS failed") << 30001 << kTlsFailed;
        QTest::newRow("TLS timed out") << 30002 << kTlsTimedOut;
        QTest::newRow("other") << 20007 << kOtherError + u"20007:失敗"_s;
    }
    void errors() {
        QFETCH(int, number);
        QFETCH(QString, message);
        for (int i = 0; i < kMailAccountCount; ++i) {
            for (bool open : {true, false}) {
                Driver d;
                d.i = i;
                d.open();
                d.take(d.dialogue.error(i, number, u"失敗"_s, open));
                QCOMPARE(d.messages, QStringList{forAccount(message, i)});
                QCOMPARE(d.socketClosed, open);
                QCOMPARE(d.label, Label(forAccount(kErrorLabel, i)));
                QVERIFY(!d.dialogue.mailBusy());
                QVERIFY(d.dialogue.done());
                QCOMPARE(d.dialogue.connectionState(), open ? 0 : 2);
            }
        }
    }

    // An error on an open socket runs the close handling first: a STAT
    // result already in is reported before the error.
    void errorAfterStatReportsTheMail() {
        Driver d;
        d.run(kToStat + Chunks{"+OK 4 400\r\n"}, false);
        d.take(d.dialogue.error(0, 10053, u"x"_s, true));
        QCOMPARE(d.label, Label(mailFound(0, 4, 400)));
        QVERIFY(d.shown);
        QCOMPARE(d.messages, QStringList{kAborted});
    }

    // The deadline: 60 s from the start, whatever came meanwhile.
    void timeUp_data() {
        QTest::addColumn<bool>("reached");
        QTest::addColumn<Chunks>("replies");
        QTest::addColumn<Label>("label");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("never connected")
            << false << Chunks{} << Label(kErrorLabel) << QStringList{kHostNotFound};
        QTest::newRow("connected, dripping")
            << true << Chunks{"+", "O", "K"} << Label(kErrorLabel) << QStringList{kNoResponse};
        QTest::newRow("answer in, no goodbye") << true << kToStat + Chunks{"+OK 0 0\r\n", "+OK\r\n"}
                                               << Label(noMail(0)) << QStringList{};
    }
    void timeUp() {
        QFETCH(bool, reached);
        QFETCH(Chunks, replies);
        QFETCH(Label, label);
        QFETCH(QStringList, messages);
        Driver d;
        if (reached)
            d.run(replies, false);
        else
            d.take(d.dialogue.start(0, account()));
        d.take(d.dialogue.timedOut(0));
        QCOMPARE(d.label, label);
        QCOMPARE(d.messages, messages);
        QVERIFY(d.socketClosed);
        QVERIFY(!d.dialogue.mailBusy());
    }

    // A reset before the answer is an error; after it, only the goodbye is lost.
    void resetAfterTheAnswerIsAClose() {
        Driver d;
        d.run(kToStat + Chunks{"+OK 3 30\r\n"}, false);
        d.take(d.dialogue.error(0, 10054, {}, true));
        QCOMPARE(d.label, Label(mailFound(0, 3, 30)));
        QVERIFY(d.messages.isEmpty());
    }

    // STARTTLS: clear text that follows the reply to STLS is never read as
    // protected; a server that closes during the handshake is a TLS failure.
    void startTls_data() {
        QTest::addColumn<Chunks>("replies");
        QTest::addColumn<bool>("handshakes");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<Label>("label");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("clear text after the STLS reply")
            << Chunks{"+OK hi\r\n", "+OK begin\r\n+OK fake\r\n", "+OK\r\n", "+OK\r\n",
                      "+OK 1 10\r\n"}
            << true << "STLS\r\n" + kAll << Label(mailFound(0, 1, 10)) << QStringList{};
        QTest::newRow("closed in the handshake")
            << Chunks{"+OK hi\r\n", "+OK begin\r\n"} << false << QByteArray("STLS\r\n")
            << Label(kErrorLabel) << QStringList{kTlsFailed};
    }
    void startTls() {
        QFETCH(Chunks, replies);
        QFETCH(bool, handshakes);
        QFETCH(QByteArray, sent);
        QFETCH(Label, label);
        QFETCH(QStringList, messages);
        Driver d;
        d.account.security = MailSecurity::StartTls;
        d.runStartTls(replies, handshakes);
        QCOMPARE(d.sent, sent);
        QCOMPARE(d.label, label);
        QCOMPARE(d.messages, messages);
    }

    // A certificate that does not verify: a pinned one goes on, any other
    // is asked about with the connection already closed.
    void certificates_data() {
        QTest::addColumn<QString>("pin");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("asked"); // empty: not asked
        const QString reasons =
            u"自己署名の証明書です。サーバー名「pop.example」の証明書ではありません。"_s;
        QTest::newRow("pinned") << u"ab:cd:ef"_s << false << QString();
        QTest::newRow("new, trusted")
            << QString() << true
            << kUntrusted.arg(u"pop.example"_s) + u"\n理由："_s + reasons +
                   u"\nSHA-256 フィンガープリント：\nAB:CD:EF\n\n"
                   "このアカウントでは今後この証明書を信頼しますか？"_s;
        QTest::newRow("changed, refused") << u"11:22"_s << false << kChanged.arg(u"pop.example"_s);
    }
    void certificates() {
        QFETCH(QString, pin);
        QFETCH(bool, answer);
        QFETCH(QString, asked);
        Driver d;
        MailAccount a = account();
        a.security = MailSecurity::Tls;
        a.pinnedCertificate = pin;
        d.take(d.dialogue.start(0, a));
        d.take(d.dialogue.connected(0));
        const CertificateCheck check{CertificateCheck::SelfSigned | CertificateCheck::WrongName,
                                     u"AB:CD:EF"_s};
        const MailAction problem = d.dialogue.certificateFailed(0, check);
        QCOMPARE(problem.acceptCertificate, asked.isEmpty());
        QCOMPARE(problem.closeSocket, !asked.isEmpty());
        QVERIFY(problem.question.value_or(QString()).startsWith(asked));
        QVERIFY(d.dialogue.mailBusy());
        if (asked.isEmpty())
            return;
        const MailAction after = d.dialogue.trustAnswered(0, answer);
        QCOMPARE(after.pin, answer ? std::optional<QString>(u"AB:CD:EF"_s) : std::nullopt);
        QCOMPARE(after.connect, answer);
        QCOMPARE(after.ended, !answer);
        QCOMPARE(after.label, answer ? Label() : Label(kErrorLabel));
        QCOMPARE(d.dialogue.mailBusy(), answer);
        // Once pinned, the same certificate goes on.
        if (answer)
            QVERIFY(d.dialogue.certificateFailed(0, check).acceptCertificate);
    }

    void leftoverTextLeadsTheNextGreeting() {
        Driver d;
        d.run({"junk"}, true);
        QCOMPARE(d.dialogue.buffer(0), QByteArray("junk"));
        Driver next;
        next.dialogue = d.dialogue;
        next.open();
        QCOMPARE(next.dialogue.buffer(0), QByteArray("junk"));
        next.take(next.dialogue.dataArrived(0, "+OK hello\r\n"));
        // "junk+OK" is no status token: the greeting changes no state.
        QCOMPARE(next.dialogue.connectionState(), 2);
        QCOMPARE(next.sent, QByteArray("USER alice\r\n"));
        QVERIFY(next.dialogue.buffer(0).isEmpty());
    }

    void bufferIsBounded_data() {
        QTest::addColumn<Chunks>("chunks");
        QTest::addColumn<bool>("fails");
        const QByteArray half(Pop3Dialogue::kBufferLimit / 2, 'x');
        QTest::newRow("at the limit") << Chunks{half, half} << false;
        QTest::newRow("one byte over") << Chunks{half, half + "x"} << true;
        QTest::newRow("over, after a line") << Chunks{"+OK hi\r\n" + half + half + "x"} << true;
    }
    void bufferIsBounded() {
        QFETCH(Chunks, chunks);
        QFETCH(bool, fails);
        Driver d;
        d.run(chunks, false);
        QCOMPARE(d.ended, fails);
        QCOMPARE(d.socketClosed, fails);
        QCOMPARE(d.dialogue.buffer(0).isEmpty(), fails);
        QCOMPARE(d.messages, fails ? QStringList{kFailed} : QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestPop3Dialogue)
#include "test_pop3_dialogue.moc"
