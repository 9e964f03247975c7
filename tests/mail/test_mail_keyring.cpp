// Passwords in the desktop's keyring: a real gnome-keyring on a private
// session bus, the real settings dialog and mail checker.
#include "base/settings.h"
#include "launcher/launcher.h"
#include "mail/mail_checker.h"
#include "platform/keyring.h"
#include "settings/mail_account_page.h"
#include "settings/mail_options_page.h"

#include "settings/settings_dialog.h"
#include <QLabel>

#include "expected_texts.h"
#include "mail_fakes.h"
#include "scripted_pop3_server.h"
#include "support/fake_platform.h"
#include "support/skip.h"
#include "support/temp_home.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <memory>

using namespace kova;
using namespace kova::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int kWaitMs = 10000;
const QString kSecrets = u"org.freedesktop.secrets"_s;

bool nameOnBus(const QString& name) {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(name).value();
}

// gnome-keyring-daemon with a login keyring of its own, unlocked by the
// password it reads on standard input, as a session's PAM module does.
class PrivateKeyring {
public:
    bool start() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
            env.insert(QLatin1String(name), home_.path());
        daemon_.setProcessEnvironment(env);
        daemon_.start(u"gnome-keyring-daemon"_s,
                      {u"--foreground"_s, u"--unlock"_s, u"--components=secrets"_s});
        if (!daemon_.waitForStarted())
            return false;
        daemon_.write("login-password-of-the-test\n");
        daemon_.closeWriteChannel();
        return QTest::qWaitFor([] { return nameOnBus(kSecrets); }, kWaitMs);
    }
    void stop() {
        daemon_.kill();
        daemon_.waitForFinished();
        if (!QTest::qWaitFor([] { return !nameOnBus(kSecrets); }, kWaitMs))
            qWarning("gnome-keyring-daemon's name stayed on the bus");
    }
    ~PrivateKeyring() {
        if (daemon_.state() != QProcess::NotRunning)
            stop();
    }
    // Locked as after the screen locker or a keyring manager locked it.
    bool lock() {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kSecrets, u"/org/freedesktop/secrets"_s,
                                           u"org.freedesktop.Secret.Service"_s, u"Lock"_s);
        call << QVariant::fromValue(QList<QDBusObjectPath>{
            QDBusObjectPath(u"/org/freedesktop/secrets/collection/login"_s)});
        return QDBusConnection::sessionBus().call(call).type() == QDBusMessage::ReplyMessage;
    }
    // What a user's `secret-tool lookup` finds under our service.
    static QString lookup(const QString& item) {
        QProcess tool;
        tool.start(u"secret-tool"_s,
                   {u"lookup"_s, u"server"_s, Keyring::kService, u"user"_s, item});
        if (!tool.waitForFinished(kWaitMs))
            return u"(secret-tool did not end)"_s;
        return QString::fromUtf8(tool.readAllStandardOutput());
    }

private:
    QTemporaryDir home_;
    QProcess daemon_;
};

enum class KeyringState { Unlocked, Locked, Gone };

// The settings dialog as the program makes it, on the file as it stands.
std::unique_ptr<Form1a> loadDialog(Launcher& launcher) {
    auto dialog = std::make_unique<Form1a>(launcher);
    dialog->Form_Load();
    return dialog;
}

} // namespace

Q_DECLARE_METATYPE(KeyringState)

class TestMailKeyring : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        for (const char* tool : {"dbus-daemon", "gnome-keyring-daemon", "secret-tool"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                KOVA_SKIP_PROGRAM(qPrintable(QLatin1String(tool) + u" is not installed"_s));
        // No display: a locked keyring's unlock prompt cannot open, and ends
        // as a user's "Cancel" does.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(u"DISPLAY"_s);
        env.remove(u"WAYLAND_DISPLAY"_s);
        bus_.setProcessEnvironment(env);
        // A bus that starts nothing by itself: a keyring that is gone stays
        // gone, and no daemon of the real user's is started.
        QVERIFY(busConfig_.open());
        busConfig_.write("<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                         "<auth>EXTERNAL</auth><policy context=\"default\">"
                         "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                         "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        busConfig_.close();
        bus_.start(u"dbus-daemon"_s, {u"--config-file="_s + busConfig_.fileName(), u"--nofork"_s,
                                      u"--print-address=1"_s});
        QVERIFY(bus_.waitForStarted());
        QVERIFY(bus_.waitForReadyRead(kWaitMs));
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus_.readLine().trimmed());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        PrivateKeyring probe;
        if (!probe.start())
            KOVA_SKIP_PROGRAM("gnome-keyring-daemon cannot run here");
    }

    void cleanupTestCase() {
        bus_.kill();
        bus_.waitForFinished();
    }

    void init() { Keyring::instance().forget(); }

    void savedPasswordGoesWhereTheKeyringAllows_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<KeyringState>("keyring");
        QTest::addColumn<bool>("inKeyring");
        const QByteArray account = "[a1]\r\nb02=pop.example.jp\r\nb03=taro\r\n";
        const QByteArray inFile = account + "b04=pw-in-file\r\n";
        const QString typed = u"pw-秘密-4711"_s;
        QTest::newRow("typed, keyring") << account << typed << KeyringState::Unlocked << true;
        QTest::newRow("from the file, keyring")
            << inFile << QString() << KeyringState::Unlocked << true;
        QTest::newRow("from the file, locked keyring")
            << inFile << QString() << KeyringState::Locked << false;
        QTest::newRow("from the file, no keyring")
            << inFile << QString() << KeyringState::Gone << false;
        QTest::newRow("typed, no keyring") << account << typed << KeyringState::Gone << false;
    }
    void savedPasswordGoesWhereTheKeyringAllows() {
        QFETCH(QByteArray, file);
        QFETCH(QString, typed);
        QFETCH(KeyringState, keyring);
        QFETCH(bool, inKeyring);
        PrivateKeyring daemon;
        QVERIFY2(daemon.start(), "waited for gnome-keyring-daemon on the bus");
        if (keyring == KeyringState::Locked)
            QVERIFY(daemon.lock());
        if (keyring == KeyringState::Gone)
            daemon.stop();
        TempHome home;
        home.write("KovaShell.ini", file);
        FakePlatform platform;
        Launcher launcher;
        std::unique_ptr<Form1a> dialog = loadDialog(launcher);
        MailAccountPage* page = dialog->accountPages[0];
        if (!typed.isEmpty())
            page->Text4->setText(typed);
        const QString password = page->Text4->text();
        QSignalSpy placed(page, &MailAccountPage::passwordPlaced);

        dialog->Command8_Click();
        // The file gives nothing up before the keyring has it.
        if (file.contains("b04="))
            QCOMPARE(ReadSetting(a1::b04), u"pw-in-file"_s);
        if (keyring != KeyringState::Gone)
            QVERIFY2(placed.wait(kWaitMs), "waited for the keyring to answer the save");

        const QString item = u"メール1 taro@pop.example.jp"_s;
        QCOMPARE(platform.messages, QStringList{});
        if (inKeyring) {
            QCOMPARE(placed.first().first().toString(), item);
            QCOMPARE(PrivateKeyring::lookup(item), password);
            QCOMPARE(ReadSetting(a1::b09), item);
            QCOMPARE(ReadSetting(a1::b04), QString());
            QVERIFY(!home.read("KovaShell.ini").contains(password.toUtf8()));
            QVERIFY(!home.read("KovaShell.ini").contains("pw-"));
        } else {
            QCOMPARE(ReadSetting(a1::b04), password);
            QCOMPARE(ReadSetting(a1::b09), QString());
            QCOMPARE(QFile::permissions(home.file("KovaShell.ini")) & 0x0077,
                     QFileDevice::Permissions());
        }
        // The next dialog finds it where it went, and the check gets it there.
        std::unique_ptr<Form1a> next = loadDialog(launcher);
        const MailAccount loaded = next->mailAccount(0);
        QCOMPARE(loaded.password, inKeyring ? QString() : password);
        QCOMPARE(loaded.passwordKey, inKeyring ? item : QString());
        // Shown, the dialog says where passwords go.
        next->show();
        QCOMPARE(next->mailOptionsPage->passwordPlace->text(),
                 keyring == KeyringState::Gone ? u"パスワードの保存先：設定ファイル"_s
                                               : u"パスワードの保存先：キーリング"_s);
    }

    void checkWithoutItsPasswordSaysSoInTheAccountLine_data() {
        QTest::addColumn<KeyringState>("keyring");
        QTest::newRow("unlocked") << KeyringState::Unlocked;
        QTest::newRow("locked") << KeyringState::Locked;
        QTest::newRow("gone") << KeyringState::Gone;
    }
    void checkWithoutItsPasswordSaysSoInTheAccountLine() {
        QFETCH(KeyringState, keyring);
        ScriptedPop3Server server(willingScript(1, 100));
        PrivateKeyring daemon;
        QVERIFY2(daemon.start(), "waited for gnome-keyring-daemon on the bus");
        TempHome home;
        home.write("KovaShell.ini", "[a1]\r\nb01=" + QByteArray::number(server.port()) +
                                        "\r\nb02=127.0.0.1\r\nb03=taro\r\nb04=pw-4711\r\n");
        FakePlatform platform;
        Launcher launcher;
        {
            std::unique_ptr<Form1a> dialog = loadDialog(launcher);
            QSignalSpy placed(dialog->accountPages[0], &MailAccountPage::passwordPlaced);
            dialog->Command8_Click();
            QVERIFY2(placed.wait(kWaitMs), "waited for the keyring to take the password");
            QVERIFY(!placed.first().first().toString().isEmpty());
        }
        if (keyring == KeyringState::Locked)
            QVERIFY(daemon.lock());
        if (keyring == KeyringState::Gone)
            daemon.stop();
        Keyring::instance().forget(); // as at the next start

        std::unique_ptr<Form1a> dialog = loadDialog(launcher);
        FakeResultWindow window;
        MailChecker checker(MailHooks{[&]() -> MailSettings& { return *dialog; },
                                      [&]() -> MailResultWindow& { return window; },
                                      {},
                                      [](int, int) {}});
        checker.GetMail();
        QVERIFY(checker.mailBusy()); // waiting for the keyring counts as running
        QTRY_VERIFY_WITH_TIMEOUT(!checker.mailBusy() && checker.doneFlag(), kWaitMs);
        QCOMPARE(platform.messages, QStringList{});
        if (keyring == KeyringState::Unlocked) {
            QCOMPARE(window.lines[0], mailexpect::mailFound(0, 1, 100));
            QVERIFY(server.received().contains("PASS pw-4711\r\n"));
        } else {
            QCOMPARE(window.lines[0],
                     u"[1] エラー キーリングからパスワードを取得できませんでした。"_s);
            QCOMPARE(server.connections(), 0);
        }
    }

private:
    QTemporaryFile busConfig_;
    QProcess bus_;
};

KOVA_TEST_MAIN(TestMailKeyring)
#include "test_mail_keyring.moc"
