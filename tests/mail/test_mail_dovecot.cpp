#include "mail/mail_checker.h"

#include "dovecot_server.h"
#include "expected_texts.h"
#include "mail_fakes.h"
#include "support/fake_platform.h"
#include "support/skip.h"

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kova;
using namespace kova::test;
using namespace kova::test::mailexpect;

namespace {

constexpr int kWaitMs = 15000;

qint64 sizeOf(const QList<QByteArray>& messages) {
    qint64 size = 0;
    for (const QByteArray& m : messages)
        size += m.size();
    return size;
}

const QList<QByteArray> kOne = {DovecotServer::message(1)};
const QList<QByteArray> kThree = {DovecotServer::message(1, 2), DovecotServer::message(2, 10),
                                  DovecotServer::message(3, 40)};

} // namespace

// The checker against a real POP3 and IMAP server.
class TestMailDovecot : public QObject {
    Q_OBJECT
    std::unique_ptr<DovecotServer> server_;

private slots:
    void initTestCase() {
        server_ = std::make_unique<DovecotServer>();
        QString why;
        if (!server_->start({{u"empty"_s, u"emptypw"_s, {}},
                             {u"one"_s, u"onepw"_s, kOne},
                             {u"three"_s, u"threepw"_s, kThree}},
                            &why)) {
            // Only a machine that cannot run it skips; a server that fails is a fault.
            if (server_->unavailable())
                KOVA_SKIP_PROGRAM(qPrintable(u"no local Dovecot: "_s + why));
            QFAIL(qPrintable(u"Dovecot did not start: "_s + why));
        }
    }
    void cleanupTestCase() { server_.reset(); }

    // Each row over POP3 and over IMAP (Dovecot's announces STATUS=SIZE).
    void oneAccount_data() {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<int>("account");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("messages");
        for (const MailProtocol protocol : {MailProtocol::Pop3, MailProtocol::Imap}) {
            const auto row = [protocol](const char* name) -> QTestData& {
                return QTest::addRow("%s, %s", protocol == MailProtocol::Imap ? "IMAP" : "POP3",
                                     name)
                       << int(protocol);
            };
            row("no messages") << 0 << u"empty"_s << u"emptypw"_s << noMail(0) << QStringList{};
            row("one message") << 1 << u"one"_s << u"onepw"_s << mailFound(1, 1, sizeOf(kOne))
                               << QStringList{};
            row("three messages") << 2 << u"three"_s << u"threepw"_s
                                  << mailFound(2, 3, sizeOf(kThree)) << QStringList{};
            // Dovecot keeps the connection open after a refused password: the
            // dialogue closes it at once, with one message.
            row("wrong password") << 0 << u"one"_s << u"wrong"_s << kErrorLabel
                                  << QStringList{kBadPassword};
            row("unknown user") << 1 << u"nobody"_s << u"x"_s << forAccount(kErrorLabel, 1)
                                << QStringList{forAccount(kBadPassword, 1)};
        }
    }
    void oneAccount() {
        QFETCH(int, protocol);
        QFETCH(int, account);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, line);
        QFETCH(QStringList, messages);
        FakePlatform platform;
        CheckerRig rig;
        const bool imap = MailProtocol(protocol) == MailProtocol::Imap;
        rig.setAccount(account, imap ? server_->imapPort() : server_->port(), user, password,
                       u"127.0.0.1"_s, MailSecurity::None, MailProtocol(protocol));
        rig.checker.GetMail();
        // Well within the dialogue's 60 s.
        QTRY_VERIFY_WITH_TIMEOUT(!rig.checker.mailBusy(), 5000);
        QCOMPARE(rig.window.lines[account], line);
        QCOMPARE(platform.messages, messages);
        QCOMPARE(rig.window.calls.contains(u"found"_s), line.contains(kBytes));
        QVERIFY(rig.checker.socket(account).isClosed());
    }

    void threeAccountsInOneRun() {
        FakePlatform platform;
        CheckerRig rig;
        rig.setAccount(0, server_->port(), u"three"_s, u"threepw"_s);
        rig.setAccount(1, server_->port(), u"empty"_s, u"emptypw"_s);
        rig.setAccount(2, server_->port(), u"one"_s, u"onepw"_s);
        rig.checker.GetMail();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.checker.chainTimerOn(), kWaitMs);
        QCOMPARE(rig.window.lines[0], mailFound(0, 3, sizeOf(kThree)));
        QCOMPARE(rig.window.lines[1], noMail(1));
        QCOMPARE(rig.window.lines[2], mailFound(2, 1, sizeOf(kOne)));
        QVERIFY(platform.messages.isEmpty());
        QVERIFY(!rig.checker.mailBusy());
        QVERIFY(!server_->logText().contains(u"threepw"_s));
    }
};

KOVA_TEST_GUILESS_MAIN(TestMailDovecot)
#include "test_mail_dovecot.moc"
