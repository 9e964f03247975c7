#include "core/default_mailer.h"

#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using kova::programFromDesktopEntry;

class TestDefaultMailer : public QObject {
    Q_OBJECT
private slots:
    void programIsTakenFromTheEntrysExecLine_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("program");
        QTest::newRow("field code") << "[Desktop Entry]\nExec=thunderbird %u\n"
                                    << "thunderbird";
        QTest::newRow("absolute path") << "[Desktop Entry]\nExec=/usr/bin/evolution %U\n"
                                       << "/usr/bin/evolution";
        QTest::newRow("env prefix")
            << "[Desktop Entry]\nExec=env LANG=ja_JP.UTF-8 MOZ_X11=1 thunderbird -compose %u\n"
            << "thunderbird";
        QTest::newRow("quoted path with blank")
            << "[Desktop Entry]\nExec=\"/opt/My Mail/bin/mail\" --to %u\n"
            << "/opt/My Mail/bin/mail";
        QTest::newRow("equals sign inside the path")
            << "[Desktop Entry]\nExec=/opt/mail=2/bin/mailer %u\n"
            << "/opt/mail=2/bin/mailer";
        QTest::newRow("blanks around the equals sign") << "[Desktop Entry]\nExec = sylpheed %u\n"
                                                       << "sylpheed";
        QTest::newRow("CR LF lines") << "[Desktop Entry]\r\nName=Mail\r\nExec=claws-mail %u\r\n"
                                     << "claws-mail";
        QTest::newRow("action group before the entry")
            << "[Desktop Action Compose]\nExec=compose-only\n[Desktop Entry]\nExec=kmail %u\n"
            << "kmail";
        QTest::newRow("action group after the entry")
            << "[Desktop Entry]\nName=Mail\n[Desktop Action Compose]\nExec=compose-only\n"
            << "";
        QTest::newRow("TryExec and comment are not Exec")
            << "[Desktop Entry]\n#Exec=old\nTryExec=geary\nExec=geary %U\n"
            << "geary";
        QTest::newRow("no Exec") << "[Desktop Entry]\nName=Mail\n"
                                 << "";
        QTest::newRow("Exec outside any group") << "Exec=stray\n"
                                                << "";
        QTest::newRow("only field codes") << "[Desktop Entry]\nExec=%u\n"
                                          << "";
    }
    void programIsTakenFromTheEntrysExecLine() {
        QFETCH(QString, entry);
        QFETCH(QString, program);
        QCOMPARE(programFromDesktopEntry(entry), program);
    }

    void defaultMailerFollowsTheMailtoHandler_data() {
        QTest::addColumn<QByteArray>("script"); // body of a stand-in xdg-mime; empty = none
        QTest::addColumn<QByteArray>("entry");  // the handler's desktop file; empty = none
        QTest::addColumn<QString>("mailer");
        const QByteArray answers =
            "[ \"$*\" = 'query default x-scheme-handler/mailto' ] || exit 2\n"
            "echo kova-test-mail.desktop\n";
        QTest::newRow("handler found")
            << answers << QByteArray("[Desktop Entry]\nExec=env A=1 /opt/kova/mailer %u\n")
            << "/opt/kova/mailer";
        QTest::newRow("handler without Exec")
            << answers << QByteArray("[Desktop Entry]\nName=x\n") << "thunderbird";
        QTest::newRow("handler file missing") << answers << QByteArray() << "thunderbird";
        QTest::newRow("no handler set")
            << QByteArray("exit 0\n") << QByteArray("[Desktop Entry]\nExec=x\n") << "thunderbird";
        QTest::newRow("query fails") << QByteArray("echo kova-test-mail.desktop\nexit 4\n")
                                     << QByteArray("[Desktop Entry]\nExec=x\n") << "thunderbird";
        QTest::newRow("no xdg-mime")
            << QByteArray() << QByteArray("[Desktop Entry]\nExec=x\n") << "thunderbird";
    }
    void defaultMailerFollowsTheMailtoHandler() {
        QFETCH(QByteArray, script);
        QFETCH(QByteArray, entry);
        QFETCH(QString, mailer);
        kova::test::TempHome home;
        QTemporaryDir bin;
        if (!script.isEmpty()) {
            QFile tool(bin.filePath("xdg-mime"));
            QVERIFY(tool.open(QIODevice::WriteOnly));
            tool.write("#!/bin/sh\n" + script);
            tool.close();
            tool.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                QFileDevice::ExeOwner);
        }
        if (!entry.isEmpty()) {
            QDir().mkpath(home.file("data/applications"));
            home.write("data/applications/kova-test-mail.desktop", entry);
        }
        // Only the stand-in and the shell it needs are found.
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ":/bin:/usr/bin");
        const auto restore = qScopeGuard([&] { qputenv("PATH", savedPath); });
        if (script.isEmpty() && QFile::exists("/usr/bin/xdg-mime"))
            QSKIP("this machine has a real xdg-mime");
        QCOMPARE(kova::defaultMailer(), mailer);
    }
};

QTEST_GUILESS_MAIN(TestDefaultMailer)
#include "test_default_mailer.moc"
