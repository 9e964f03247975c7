#include "mail/imap_dialogue.h"

#include "dialogue_driver.h"
#include "expected_texts.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kova;
using namespace kova::test;
using namespace kova::test::mailexpect;
using Chunks = QList<QByteArray>;
using Label = std::optional<QString>;

namespace {

MailAccount account(MailSecurity security = MailSecurity::None, const QString& user = u"alice"_s,
                    const QString& password = u"s3cret-pw"_s) {
    return {u"143"_s, u"imap.example"_s, user, password, security, {}, MailProtocol::Imap};
}

struct Driver : DialogueDriver<ImapDialogue> {
    Driver() { account = ::account(); }
};

const QByteArray kGreeting = "* OK [CAPABILITY IMAP4rev1 LITERAL+ STARTTLS AUTH=PLAIN] ready\r\n";
const QByteArray kLogin = "k1 LOGIN \"alice\" \"s3cret-pw\"\r\n";
const QByteArray kWithSize = "k1 OK [CAPABILITY IMAP4rev1 STATUS=SIZE] Logged in\r\n";
const QByteArray kWithoutSize = "k1 OK [CAPABILITY IMAP4rev1 IDLE] Logged in\r\n";
const QByteArray kStatus = "k2 STATUS INBOX (MESSAGES SIZE)\r\n";
const QByteArray kExamine = "k2 EXAMINE INBOX\r\n";
const QByteArray kFetch = "k3 FETCH 1:* (RFC822.SIZE)\r\n";

} // namespace

class TestImapDialogue : public QObject {
    Q_OBJECT
private slots:
    void dialogue_data() {
        QTest::addColumn<Chunks>("replies");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<Label>("label");
        QTest::addColumn<QStringList>("messages");
        const auto row = [](const char* name, const Chunks& replies, const QByteArray& sent,
                            const QString& label, const QStringList& messages = {}) {
            QTest::newRow(name) << replies << sent << Label(label) << messages;
        };
        row("STATUS=SIZE, 3 messages",
            {kGreeting, kWithSize, "* STATUS INBOX (MESSAGES 3 SIZE 537)\r\nk2 OK\r\n",
             "* BYE\r\nk3 OK bye\r\n"},
            kLogin + kStatus + "k3 LOGOUT\r\n", mailFound(0, 3, 537));
        row("STATUS=SIZE, none, server closes at LOGOUT",
            {kGreeting, kWithSize, "* STATUS \"INBOX\" (MESSAGES 0 SIZE 0)\r\nk2 OK\r\n",
             "* BYE\r\n"},
            kLogin + kStatus + "k3 LOGOUT\r\n", noMail(0));
        row("STATUS with its items the other way round",
            {kGreeting, kWithSize, "* STATUS INBOX (SIZE 3000000000 MESSAGES 1)\r\nk2 OK\r\n",
             "k3 OK\r\n"},
            kLogin + kStatus + "k3 LOGOUT\r\n", mailFound(0, 1, 3000000000));
        row("literal for the mailbox name",
            {kGreeting, kWithSize, "* STATUS {5}\r\nINBOX (MESSAGES 2 SIZE 99)\r\nk2 OK\r\n",
             "k3 OK\r\n"},
            kLogin + kStatus + "k3 LOGOUT\r\n", mailFound(0, 2, 99));
        row("literal split over arrivals, CR LF inside",
            {kGreeting, kWithSize, "* STATUS {7}\r\nIN\r", "\nBOX (MESSAGES 2 SIZE 99)\r", "\n",
             "k2 OK\r\nk3 OK\r\n"},
            kLogin + kStatus + "k3 LOGOUT\r\n", mailFound(0, 2, 99));
        row("no STATUS=SIZE: 1 message",
            {kGreeting, kWithoutSize,
             "* 1 EXISTS\r\n* 0 RECENT\r\n* FLAGS (\\Seen)\r\nk2 OK [READ-ONLY] done\r\n",
             "* 1 FETCH (RFC822.SIZE 120)\r\nk3 OK\r\n", "k4 OK\r\n"},
            kLogin + kExamine + kFetch + "k4 LOGOUT\r\n", mailFound(0, 1, 120));
        row("no STATUS=SIZE: 3 messages, lines cut anywhere",
            {kGreeting, kWithoutSize, "* 3 EXISTS\r\nk2 OK\r\n",
             "* 1 FETCH (RFC822.SIZE 100)\r\n* 2 FE",
             "TCH (FLAGS (\\Seen) RFC822.SIZE 200 UID 7)\r",
             "\n* 3 FETCH (FLAGS ())\r\n* 3 FETCH (RFC822.SIZE 237)\r\nk3 OK\r\nk4 OK\r\n"},
            kLogin + kExamine + kFetch + "k4 LOGOUT\r\n", mailFound(0, 3, 537));
        row("no STATUS=SIZE: empty mailbox, no FETCH",
            {kGreeting, kWithoutSize, "* 0 EXISTS\r\nk2 OK\r\n", "k3 OK\r\n"},
            kLogin + kExamine + "k3 LOGOUT\r\n", noMail(0));
        row("capabilities asked where nobody told them",
            {"* OK ready\r\n", "* CAPABILITY IMAP4rev1\r\nk1 OK\r\n", "k2 OK\r\n",
             "* CAPABILITY IMAP4rev1 STATUS=SIZE\r\nk3 OK\r\n",
             "* STATUS INBOX (MESSAGES 4 SIZE 40)\r\nk4 OK\r\n", "k5 OK\r\n"},
            "k1 CAPABILITY\r\nk2 LOGIN \"alice\" \"s3cret-pw\"\r\nk3 CAPABILITY\r\n"
            "k4 STATUS INBOX (MESSAGES SIZE)\r\nk5 LOGOUT\r\n",
            mailFound(0, 4, 40));
        row("NO to LOGIN", {kGreeting, "k1 NO [AUTHENTICATIONFAILED] Authentication failed.\r\n"},
            kLogin, kErrorLabel, {kBadPassword});
        row("NO [INUSE] to LOGIN", {kGreeting, "k1 NO [INUSE] locked\r\n"}, kLogin, kErrorLabel,
            {kInUse});
        row("BYE for a greeting", {"* BYE too many connections\r\n"}, {}, kErrorLabel, {kReset});
        row("BYE before the count", {kGreeting, kWithSize, "* BYE shutting down\r\n"},
            kLogin + kStatus, kErrorLabel, {kReset});
        row("LOGINDISABLED: no password in clear text",
            {"* OK [CAPABILITY IMAP4rev1 STARTTLS LOGINDISABLED] ready\r\n"}, {}, kErrorLabel,
            {kLoginDisabled});
        row("a POP3 server", {"+OK POP3 ready\r\n"}, {}, kErrorLabel, {kFailed});
        row("garbage after the greeting", {kGreeting, "HTTP/1.1 400 Bad Request\r\n"}, kLogin,
            kErrorLabel, {kFailed});
        row("tagged reply that is no status", {kGreeting, "k1 MAYBE\r\n"}, kLogin, kErrorLabel,
            {kFailed});
        row("STATUS refused: LOGOUT, no count",
            {kGreeting, kWithSize, "k2 NO mailbox gone\r\n", "k3 OK\r\n"},
            kLogin + kStatus + "k3 LOGOUT\r\n", kErrorLabel);
        row("STATUS without SIZE",
            {kGreeting, kWithSize, "* STATUS INBOX (MESSAGES 3)\r\nk2 OK\r\n"}, kLogin + kStatus,
            kErrorLabel, {kFailed});
        row("FETCH size past 2^63",
            {kGreeting, kWithoutSize, "* 1 EXISTS\r\nk2 OK\r\n",
             "* 1 FETCH (RFC822.SIZE 9223372036854775808)\r\n"},
            kLogin + kExamine + kFetch, kErrorLabel, {kFailed});
        row("literal too large to be a size", {kGreeting, "* OK {99999999999999999999}\r\n"},
            kLogin, kErrorLabel, {kFailed});
        row("server closes before the count", {kGreeting, kWithSize}, kLogin + kStatus,
            kErrorLabel);
    }
    void dialogue() {
        QFETCH(Chunks, replies);
        QFETCH(QByteArray, sent);
        QFETCH(Label, label);
        QFETCH(QStringList, messages);
        Driver d;
        d.run(replies, true);
        QCOMPARE(d.sent, sent);
        QCOMPARE(d.label, label);
        QCOMPARE(d.messages, messages);
        QCOMPARE(d.shown, label->contains(kBytes));
        QVERIFY(d.endedCleanly());
    }

    // Quoted where a quoted string holds the text, a literal after the
    // server's "+" where it does not (8-bit text, CR, LF).
    void loginStrings_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<Chunks>("replies");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("quotes and backslashes escaped")
            << u"a\"b"_s << u"p\\w"_s << Chunks{}
            << QByteArray("k1 LOGIN \"a\\\"b\" \"p\\\\w\"\r\n");
        QTest::newRow("empty password")
            << u"alice"_s << QString() << Chunks{} << QByteArray("k1 LOGIN \"alice\" \"\"\r\n");
        QTest::newRow("UTF-8 user waits for +")
            << u"山田"_s << u"pw"_s << Chunks{"+ go ahead\r\n"}
            << QByteArray("k1 LOGIN {6}\r\n\xe5\xb1\xb1\xe7\x94\xb0 \"pw\"\r\n");
        QTest::newRow("both literal, CR LF in the password")
            << u"山田"_s << u"p\r\nw"_s << Chunks{"+ go\r\n", "+ go\r\n"}
            << QByteArray("k1 LOGIN {6}\r\n\xe5\xb1\xb1\xe7\x94\xb0 {4}\r\np\r\nw\r\n");
        QTest::newRow("literal not yet asked for")
            << u"alice"_s << u"パス"_s << Chunks{} << QByteArray("k1 LOGIN \"alice\" {6}\r\n");
    }
    void loginStrings() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(Chunks, replies);
        QFETCH(QByteArray, sent);
        Driver d;
        d.account = account(MailSecurity::None, user, password);
        d.run(Chunks{kGreeting} + replies, false);
        QCOMPARE(d.sent, sent);
        QCOMPARE(d.dialogue.step(), ImapDialogue::Step::Login);
    }

    // STARTTLS: nothing but STARTTLS in clear text; the capabilities are
    // asked again once protected.
    void startTls_data() {
        QTest::addColumn<Chunks>("replies");
        QTest::addColumn<bool>("handshakes");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<Label>("label");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("protected, clear text after the reply dropped")
            << Chunks{kGreeting,
                      "k1 OK begin\r\n* OK [CAPABILITY STATUS=SIZE] fake\r\n",
                      "* CAPABILITY IMAP4rev1 AUTH=PLAIN\r\nk2 OK\r\n",
                      QByteArray(kWithSize).replace("k1", "k3"),
                      "* STATUS INBOX (MESSAGES 1 SIZE 10)\r\nk4 OK\r\n",
                      "k5 OK\r\n"}
            << true
            << QByteArray("k1 STARTTLS\r\nk2 CAPABILITY\r\nk3 LOGIN \"alice\" \"s3cret-pw\"\r\n"
                          "k4 STATUS INBOX (MESSAGES SIZE)\r\nk5 LOGOUT\r\n")
            << Label(mailFound(0, 1, 10)) << QStringList{};
        QTest::newRow("not offered")
            << Chunks{"* OK [CAPABILITY IMAP4rev1] hi\r\n"} << false << QByteArray()
            << Label(kErrorLabel) << QStringList{kStlsRefused};
        QTest::newRow("refused") << Chunks{"* OK hi\r\n", "k1 BAD no\r\n"} << false
                                 << QByteArray("k1 STARTTLS\r\n") << Label(kErrorLabel)
                                 << QStringList{kStlsRefused};
        QTest::newRow("closed in the handshake")
            << Chunks{kGreeting, "k1 OK begin\r\n"} << false << QByteArray("k1 STARTTLS\r\n")
            << Label(kErrorLabel) << QStringList{kTlsFailed};
    }
    void startTls() {
        QFETCH(Chunks, replies);
        QFETCH(bool, handshakes);
        QFETCH(QByteArray, sent);
        QFETCH(Label, label);
        QFETCH(QStringList, messages);
        Driver d;
        d.account = account(MailSecurity::StartTls);
        d.runStartTls(replies, handshakes);
        QCOMPARE(d.sent, sent);
        QCOMPARE(d.label, label);
        QCOMPARE(d.messages, messages);
    }

    // The ends the two protocols share: a reset after the count is a close;
    // a reset or deadline before it, the POP3 messages.
    void endsAsForPop3_data() {
        QTest::addColumn<Chunks>("replies");
        QTest::addColumn<bool>("timeUp"); // else a reset
        QTest::addColumn<Label>("label");
        QTest::addColumn<QStringList>("messages");
        const Chunks counted = {kGreeting, kWithSize,
                                "* STATUS INBOX (MESSAGES 2 SIZE 20)\r\nk2 OK\r\n"};
        QTest::newRow("reset after the count")
            << counted << false << Label(mailFound(0, 2, 20)) << QStringList{};
        QTest::newRow("reset at login")
            << Chunks{kGreeting} << false << Label(kErrorLabel) << QStringList{kReset};
        QTest::newRow("time up after the count")
            << counted << true << Label(mailFound(0, 2, 20)) << QStringList{};
        QTest::newRow("time up, silent server")
            << Chunks{} << true << Label(kErrorLabel) << QStringList{kNoResponse};
    }
    void endsAsForPop3() {
        QFETCH(Chunks, replies);
        QFETCH(bool, timeUp);
        QFETCH(Label, label);
        QFETCH(QStringList, messages);
        Driver d;
        d.run(replies, false);
        d.take(timeUp ? d.dialogue.timedOut(0) : d.dialogue.error(0, 10054, {}, true));
        QCOMPARE(d.label, label);
        QCOMPARE(d.messages, messages);
        QVERIFY(d.socketClosed);
        QVERIFY(!d.dialogue.mailBusy());
    }

    // Text an aborted IMAP dialogue left never leads the next greeting.
    void nextDialogueStartsClean() {
        Driver d;
        d.run({kGreeting, "* 1 FETCH (RFC822"}, true);
        Driver next;
        next.dialogue = d.dialogue;
        next.run({kGreeting}, false);
        QCOMPARE(next.sent, kLogin);
        QVERIFY(next.dialogue.buffer(0).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestImapDialogue)
#include "test_imap_dialogue.moc"
