#include "base/settings.h"
#include "launcher/launcher.h"
#include "mail/mail_checker.h"
#include "settings/mail_account_page.h"
#include "settings/settings_dialog.h"

#include "dovecot_server.h"
#include "expected_texts.h"
#include "mail_fakes.h"
#include "support/fake_platform.h"
#include "support/skip.h"
#include "support/temp_home.h"
#include "test_certificates.h"

#include <QLineEdit>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace kova;
using namespace kova::test;
using namespace kova::test::mailexpect;

namespace {

constexpr int kWaitMs = 15000;
const QByteArray kMessage = DovecotServer::message(1);

} // namespace

// The checker against real Dovecots with TLS: one with a certificate of the
// test's own authority (given through the seam), two with certificates that
// signed themselves.
class TestMailTls : public QObject {
    Q_OBJECT
    TestCertificates certificates_;
    std::unique_ptr<DovecotServer> trusted_, self_, other_;

    void startServer(std::unique_ptr<DovecotServer>& server, const QString& name, bool signedByCa) {
        QString why;
        server = std::make_unique<DovecotServer>();
        if (!certificates_.makeServer(name, signedByCa, &why))
            KOVA_SKIP_PROGRAM(qPrintable(u"no local Dovecot with TLS: "_s + why));
        if (!server->start({{u"one"_s, u"onepw"_s, {kMessage}}}, &why,
                           {certificates_.certificateFile(name), certificates_.keyFile(name)})) {
            // Only a machine that cannot run it skips; a server that fails is a fault.
            if (server->unavailable())
                KOVA_SKIP_PROGRAM(qPrintable(u"no local Dovecot with TLS: "_s + why));
            QFAIL(qPrintable(u"Dovecot with TLS did not start: "_s + why));
        }
    }

private slots:
    void initTestCase() {
        QString why;
        if (!certificates_.makeAuthority(&why))
            KOVA_SKIP_PROGRAM(qPrintable(why));
        startServer(trusted_, u"trusted"_s, true);
        startServer(self_, u"self"_s, false);
        startServer(other_, u"other"_s, false);
    }
    void cleanupTestCase() { trusted_.reset(), self_.reset(), other_.reset(); }

    void certificateOfTheAuthority_data() {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<int>("security");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("asked"); // the question begins so; empty: none
        for (const MailProtocol protocol : {MailProtocol::Pop3, MailProtocol::Imap}) {
            const char* name = protocol == MailProtocol::Imap ? "IMAP" : "POP3";
            QTest::addRow("%s, SSL/TLS", name)
                << int(protocol) << int(MailSecurity::Tls) << u"127.0.0.1"_s << QString();
            QTest::addRow("%s, STARTTLS", name)
                << int(protocol) << int(MailSecurity::StartTls) << u"127.0.0.1"_s << QString();
            QTest::addRow("%s, wrong server name", name)
                << int(protocol) << int(MailSecurity::Tls) << u"localhost"_s
                << kUntrusted.arg(u"localhost"_s);
        }
    }
    void certificateOfTheAuthority() {
        QFETCH(int, protocol);
        QFETCH(int, security);
        QFETCH(QString, host);
        QFETCH(QString, asked);
        const bool imap = MailProtocol(protocol) == MailProtocol::Imap;
        const bool implicitTls = MailSecurity(security) == MailSecurity::Tls;
        const quint16 port = imap ? (implicitTls ? trusted_->imapTlsPort() : trusted_->imapPort())
                                  : (implicitTls ? trusted_->tlsPort() : trusted_->port());
        FakePlatform platform;
        platform.caCertificates = certificates_.authorityPem();
        platform.answers = {Answer::No};
        CheckerRig rig;
        rig.setAccount(0, port, u"one"_s, u"onepw"_s, host, MailSecurity(security),
                       MailProtocol(protocol));
        rig.checker.GetMail();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.checker.mailBusy(), kWaitMs);
        if (asked.isEmpty()) {
            QCOMPARE(platform.messages, QStringList{});
            QCOMPARE(rig.window.lines[0], mailFound(0, 1, kMessage.size()));
        } else {
            QCOMPARE(platform.messages.size(), 1);
            QVERIFY2(platform.messages[0].startsWith(asked), qPrintable(platform.messages[0]));
            QVERIFY(
                platform.messages[0].contains(u"サーバー名「localhost」の証明書ではありません"_s));
            QCOMPARE(rig.window.lines[0], kErrorLabel);
        }
    }

    // "はい" pins the certificate in the settings file: the next check, after
    // a restart too, asks nothing; another certificate is a warning.
    void selfSignedCertificateIsAskedOnceAndPinned() {
        TempHome home;
        home.write("KovaShell.ini", "[a1]\r\nb01=" + QByteArray::number(self_->tlsPort()) +
                                        "\r\nb02=127.0.0.1\r\nb03=one\r\nb04=onepw\r\nb05=2\r\n");
        FakePlatform platform;
        platform.caCertificates = certificates_.authorityPem();
        Launcher launcher;
        FakeResultWindow window;
        std::unique_ptr<Form1a> dialog;
        std::unique_ptr<MailChecker> checker;
        const auto restart = [&] {
            checker.reset();
            dialog = std::make_unique<Form1a>(launcher);
            dialog->Form_Load();
            checker = std::make_unique<MailChecker>(
                MailHooks{[&]() -> MailSettings& { return *dialog; },
                          [&]() -> MailResultWindow& { return window; },
                          {},
                          [](int, int) {}});
        };
        const auto check = [&] {
            window.lines[0].clear();
            checker->GetMail();
            QTRY_VERIFY_WITH_TIMEOUT(!checker->mailBusy(), kWaitMs);
        };
        const QString pin = certificates_.fingerprint(u"self"_s);
        restart();
        check();
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY(platform.messages[0].startsWith(kUntrusted.arg(u"127.0.0.1"_s)));
        QVERIFY(platform.messages[0].contains(pin));
        QCOMPARE(platform.messageButtons, QList<Buttons>{Buttons::YesNo});
        QCOMPARE(window.lines[0], mailFound(0, 1, kMessage.size()));
        QCOMPARE(ReadSetting(a1::b06), pin);

        restart();
        check();
        QCOMPARE(platform.messages.size(), 1);
        QCOMPARE(window.lines[0], mailFound(0, 1, kMessage.size()));

        dialog->accountPages[0]->Text1->setText(QString::number(other_->tlsPort()));
        platform.answers = {Answer::No};
        check();
        QCOMPARE(platform.messages.size(), 2);
        QVERIFY(platform.messages[1].startsWith(kChanged.arg(u"127.0.0.1"_s)));
        QCOMPARE(window.lines[0], kErrorLabel);
        QCOMPARE(ReadSetting(a1::b06), pin);
        checker.reset();
    }
};

KOVA_TEST_MAIN(TestMailTls)
#include "test_mail_tls.moc"
