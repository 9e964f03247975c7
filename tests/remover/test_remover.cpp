#include "desktopicon/component/component_names.h"
#include "remover/remover.h"
#include "remover/remover_texts.h"
#include "settings/startup_folder.h"

#include "support/fake_platform.h"
#include "support/temp_home.h"

#include "base/registry_store.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace kova;
using remover::Outcome;

namespace {

// An autostart entry as the settings dialog leaves it.
QString writeAutostartEntry() {
    const QString path = SpecialFolderPath(kStartupFolder) + QLatin1Char('/') + kAutostartFileName;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write("[Desktop Entry]\nType=Application\n") < 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

bool componentRegistered() {
    return CLSIDFromProgID(RegistryStore(), QLatin1String(component::kProgId)).has_value();
}

} // namespace

class TestRemover : public QObject {
    Q_OBJECT

private slots:
    void textsAreTheProgramsOwn() {
        // The bytes as the original program has them.
        QCOMPARE(
            QByteArray(remover::kAskRemove),
            QByteArray(
                "\xe3\x80\x8c\x4b\x6f\x76\x61\x53\x68\x65\x6c\x6c\xe3\x80\x8d\xe3\x82\x92\xe3\x82"
                "\xa2\xe3\x83\xb3\xe3\x82\xa4\xe3\x83\xb3\xe3\x82\xb9\xe3\x83\x88\xe3\x83\xbc\xe3"
                "\x83\xab\xe3\x81\x97\xe3\x81\xbe\xe3\x81\x99\xe3\x81\x8b\xef\xbc\x9f"));
        QCOMPARE(
            remover::logOffQuestion().toUtf8(),
            QByteArray(
                "\xe3\x82\xa2\xe3\x83\xb3\xe3\x82\xa4\xe3\x83\xb3\xe3\x82\xb9\xe3\x83\x88\xe3\x83"
                "\xbc\xe3\x83\xab\xe3\x81\x8c\xe5\xae\x8c\xe4\xba\x86\xe3\x81\x97\xe3\x81\xbe\xe3"
                "\x81\x97\xe3\x81\x9f\xe3\x80\x82\x0d\x0a\xe3\x83\xad\xe3\x82\xb0\xe3\x82\xaa\xe3"
                "\x83\x95\xe5\xbe\x8c\xe3\x83\x95\xe3\x82\xa9\xe3\x83\xab\xe3\x83\x80\xe3\x81\x94"
                "\xe3\x81\xa8\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab\xe3\x82\x92\xe5\x89"
                "\x8a\xe9\x99\xa4\xe3\x81\x97\xe3\x81\xa6\xe3\x81\x8f\xe3\x81\xa0\xe3\x81\x95\xe3"
                "\x81\x84\xe3\x80\x82\x0d\x0a\xe3\x83\xad\xe3\x82\xb0\xe3\x82\xaa\xe3\x83\x95\xe3"
                "\x81\x97\xe3\x81\xbe\xe3\x81\x99\xe3\x81\x8b\xef\xbc\x9f"));
        // Three lines joined by CR LF, no other line break.
        QCOMPARE(remover::logOffQuestion().split(QStringLiteral("\r\n")),
                 (QStringList{QString::fromUtf8(remover::kRemovalFinished),
                              QString::fromUtf8(remover::kDeleteAfterLogOff),
                              QString::fromUtf8(remover::kAskLogOff)}));
    }

    void noToTheFirstQuestionChangesNothing() {
        test::TempHome home;
        test::FakePlatform platform;
        const QString entry = writeAutostartEntry();
        platform.answers = {Answer::No};

        QCOMPARE(remover::runRemoval(QStringLiteral("/opt/kova"), remover::kPlatformNt),
                 Outcome::Declined);

        QCOMPARE(platform.messages, QStringList{QString::fromUtf8(remover::kAskRemove)});
        QCOMPARE(platform.messageButtons, QList<Buttons>{Buttons::YesNo});
        QVERIFY(platform.started.isEmpty());
        QVERIFY(QFile::exists(entry));
        QVERIFY(componentRegistered());
        QCOMPARE(platform.logOffs, 0);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void yesWithoutAutostartEntryStillAsksToLogOff() {
        test::TempHome home;
        test::FakePlatform platform;
        platform.answers = {Answer::Yes, Answer::No};

        QCOMPARE(remover::runRemoval(QStringLiteral("/opt/kova"), remover::kPlatformNt),
                 Outcome::Finished);

        QCOMPARE(platform.messages,
                 (QStringList{QString::fromUtf8(remover::kAskRemove), remover::logOffQuestion()}));
        QCOMPARE(platform.messageButtons, (QList<Buttons>{Buttons::YesNo, Buttons::YesNo}));
        QVERIFY(!QFileInfo::exists(home.file("config/autostart"))); // nothing made
    }

    void noToLogOffEndsWithUnregistrationStartedAndEntryGone() {
        test::TempHome home;
        test::FakePlatform platform;
        const QString entry = writeAutostartEntry();
        const QString other = QFileInfo(entry).path() + QStringLiteral("/Other.desktop");
        QVERIFY(QFile::copy(entry, other));
        platform.answers = {Answer::Yes, Answer::No};

        QCOMPARE(remover::runRemoval(QStringLiteral("/opt/kova"), remover::kPlatformNt),
                 Outcome::Finished);

        QCOMPARE(platform.started.size(), 1);
        QCOMPARE(platform.started.at(0).first, QStringLiteral("/opt/kova/kovashell-regsvr"));
        QCOMPARE(platform.started.at(0).second,
                 (QStringList{QStringLiteral("/u"), QStringLiteral("/s"),
                              QStringLiteral("/opt/kova/KovaShell.so")}));
        QVERIFY(!QFile::exists(entry));
        QVERIFY(QFile::exists(other)); // only our own entry goes
        QCOMPARE(platform.logOffs, 0);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void yesToLogOffLogsOffThroughThePlatform() {
        test::TempHome home;
        test::FakePlatform platform;
        platform.answers = {Answer::Yes, Answer::Yes};

        QCOMPARE(remover::runRemoval(QStringLiteral("/opt/kova"), remover::kPlatformNt),
                 Outcome::LoggedOff);

        QCOMPARE(platform.logOffs, 1);
        QCOMPARE(platform.messages.size(), 2); // no message after a log-off
    }

    void failedLogOffIsReported() {
        test::TempHome home;
        test::FakePlatform platform;
        const QString entry = writeAutostartEntry();
        platform.answers = {Answer::Yes, Answer::Yes};
        platform.logOffSucceeds = false;

        QCOMPARE(remover::runRemoval(QStringLiteral("/opt/kova"), remover::kPlatformNt),
                 Outcome::LogOffFailed);

        QCOMPARE(platform.logOffs, 1);
        QCOMPARE(platform.messages.size(), 3);
        QCOMPARE(platform.messages.at(2), remover::logOffFailedMessage());
        QVERIFY(platform.messages.at(2).contains(QStringLiteral("ログオフできませんでした")));
        QCOMPARE(platform.messageButtons.at(2), Buttons::Ok);
        QCOMPARE(platform.started.size(), 1); // nothing started again
        QVERIFY(!QFile::exists(entry));
    }

    void failingStepsAreSkippedSilently() {
        test::TempHome home;
        test::FakePlatform platform;
        platform.startSucceeds = false;
        // The autostart folder cannot be made: a file stands in its way.
        QVERIFY(QDir().mkpath(home.file("config")));
        home.write(QStringLiteral("config/autostart"), "not a folder");
        platform.answers = {Answer::Yes, Answer::No};

        QCOMPARE(remover::runRemoval(QStringLiteral("/opt/kova"), remover::kPlatformNt),
                 Outcome::Finished);

        QCOMPARE(platform.messages,
                 (QStringList{QString::fromUtf8(remover::kAskRemove), remover::logOffQuestion()}));
        QCOMPARE(home.read(QStringLiteral("config/autostart")), QByteArray("not a folder"));
    }

    void otherPlatformFamilyGetsNoQuestion() {
        test::TempHome home;
        test::FakePlatform platform;
        platform.answers = {Answer::Yes};

        QCOMPARE(remover::runRemoval(QStringLiteral("/opt/kova"), remover::kPlatformWin9x),
                 Outcome::Finished);

        QCOMPARE(platform.messages.size(), 1);
        QCOMPARE(platform.started.size(), 1);
        QCOMPARE(remover::platformId(), remover::kPlatformNt);
    }

    void programFolderWithABlankIsOneArgument() {
        test::TempHome home;
        test::FakePlatform platform;
        platform.answers = {Answer::Yes, Answer::No};
        const QString folder = QStringLiteral("/home/u/My Tools/kova shell");

        remover::runRemoval(folder, remover::kPlatformNt);

        QCOMPARE(platform.started.size(), 1);
        QCOMPARE(platform.started.at(0).first, folder + QStringLiteral("/kovashell-regsvr"));
        QCOMPARE(platform.started.at(0).second.size(), 3);
        QCOMPARE(platform.started.at(0).second.at(2), folder + QStringLiteral("/KovaShell.so"));
    }
};

QTEST_MAIN(TestRemover)
#include "test_remover.moc"
