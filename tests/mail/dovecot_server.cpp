#include "dovecot_server.h"

#include "scripted_pop3_server.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>
#include <QThread>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace kova::test {

using namespace Qt::StringLiterals;

namespace {

const char* const kDovecot = "/usr/sbin/dovecot";
// dovecot-imapd's: the configuration serves IMAP too.
const char* const kDovecotImap = "/usr/lib/dovecot/imap";

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// chown -R: the mail processes run as the dovecot user.
bool chownTree(const QString& path, uid_t uid, gid_t gid) {
    if (::chown(QFile::encodeName(path).constData(), uid, gid) != 0)
        return false;
    if (!QFileInfo(path).isDir())
        return true;
    const QDir dir(path);
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        if (!chownTree(dir.filePath(name), uid, gid))
            return false;
    return true;
}

// The configuration, shared with scripts/lib/dovecot.sh.
QByteArray configTemplate() {
    QFile file(QStringLiteral(KOVA_DOVECOT_TEMPLATE));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", KOVA_DOVECOT_TEMPLATE);
    return file.readAll();
}

} // namespace

DovecotServer::~DovecotServer() {
    stop();
}

QByteArray DovecotServer::message(int number, int bodyLines) {
    QByteArray text = "From: sender@example.invalid\r\nTo: user@example.invalid\r\nSubject: test " +
                      QByteArray::number(number) + "\r\n\r\n";
    for (int n = 0; n < bodyLines; ++n)
        text +=
            "line " + QByteArray::number(n) + " of message " + QByteArray::number(number) + "\r\n";
    return text;
}

bool DovecotServer::start(const QList<Mailbox>& mailboxes, QString* why, const Tls& tls) {
    if (!QFileInfo(QString::fromLatin1(kDovecot)).isExecutable() ||
        !QFileInfo(QString::fromLatin1(kDovecotImap)).isExecutable()) {
        *why = QStringLiteral(
            "dovecot is not installed (apt-get install dovecot-pop3d dovecot-imapd)");
        unavailable_ = true;
        return false;
    }
    if (::geteuid() != 0) {
        *why = QStringLiteral("a private dovecot needs root");
        unavailable_ = true;
        return false;
    }
    // getpwnam() answers in one static buffer: keep the numbers at once.
    const passwd* dovecot = ::getpwnam("dovecot");
    const uid_t uid = dovecot ? dovecot->pw_uid : 0;
    const gid_t gid = dovecot ? dovecot->pw_gid : 0;
    const group* dovecotGroup = ::getgrnam("dovecot");
    const gid_t groupId = dovecotGroup ? dovecotGroup->gr_gid : 0;
    if (!dovecot || !dovecotGroup || !::getpwnam("dovenull")) {
        *why = QStringLiteral("the dovecot and dovenull users are missing");
        unavailable_ = true;
        return false;
    }
    if (!dir_.isValid()) {
        *why = QStringLiteral("no temporary folder");
        return false;
    }
    const QString root = dir_.path();
    // For a look after the test: KOVA_KEEP_DOVECOT=1 keeps the folder.
    dir_.setAutoRemove(qEnvironmentVariableIsEmpty("KOVA_KEEP_DOVECOT"));
    // The mail processes, running as dovecot, reach their homes through it.
    QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                    QFile::ExeOther);
    QByteArray users;
    for (const Mailbox& box : mailboxes) {
        users += box.user.toUtf8() + ":{PLAIN}" + box.password.toUtf8() + "\n";
        const QString maildir = root + QStringLiteral("/mail/") + box.user + u"/Maildir"_s;
        for (const char* sub : {"new", "cur", "tmp"})
            QDir().mkpath(maildir + u'/' + QLatin1String(sub));
        for (int n = 0; n < box.messages.size(); ++n)
            writeFile(maildir + QStringLiteral("/new/%1.%2.kova").arg(1700000000 + n).arg(n),
                      box.messages[n]);
    }
    QDir().mkpath(root + u"/mail"_s);
    const QString usersFile = root + u"/users"_s;
    writeFile(usersFile, users);
    ::chown(QFile::encodeName(usersFile).constData(), 0, groupId);
    QFile::setPermissions(usersFile, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    if (!chownTree(root + u"/mail"_s, uid, gid)) {
        *why = QStringLiteral("cannot hand the maildirs to the dovecot user");
        return false;
    }

    port_ = ScriptedPop3Server::closedPort();
    const bool secure = !tls.certificateFile.isEmpty();
    tlsPort_ = secure ? ScriptedPop3Server::closedPort() : 0;
    imapPort_ = ScriptedPop3Server::closedPort();
    imapTlsPort_ = secure ? ScriptedPop3Server::closedPort() : 0;
    const QByteArray ssl = secure ? "ssl = yes\nssl_cert = <" +
                                        QFile::encodeName(tls.certificateFile) + "\nssl_key = <" +
                                        QFile::encodeName(tls.keyFile)
                                  : QByteArray("ssl = no");
    const QByteArray tlsListener = secure
                                       ? "  inet_listener pop3s {\n    address = 127.0.0.1\n"
                                         "    port = " +
                                             QByteArray::number(tlsPort_) + "\n    ssl = yes\n  }"
                                       : QByteArray();
    QByteArray config = configTemplate();
    config.replace("@DIR@", QFile::encodeName(root))
        .replace("@PORT@", QByteArray::number(port_))
        .replace("@SSL@", ssl)
        .replace("@TLS_LISTENER@", tlsListener)
        .replace("@IMAP_PORT@", QByteArray::number(imapPort_))
        .replace("@IMAPS_PORT@", QByteArray::number(imapTlsPort_));
    writeFile(root + u"/dovecot.conf"_s, config);

    // The log process keeps the output it was started with: a file, never ours.
    process_.setStandardOutputFile(root + u"/output.log"_s);
    process_.setStandardErrorFile(root + u"/output.log"_s, QIODevice::Append);
    process_.start(QString::fromLatin1(kDovecot), {u"-F"_s, u"-c"_s, root + u"/dovecot.conf"_s});
    if (!process_.waitForStarted(5000)) {
        *why = QStringLiteral("dovecot did not start");
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.1"), port_);
        if (probe.waitForConnected(200) && probe.waitForReadyRead(1000) &&
            probe.readAll().startsWith("+OK"))
            return true;
        QThread::msleep(20);
    }
    *why = QStringLiteral("dovecot did not answer: ") + logText().right(600);
    stop();
    return false;
}

void DovecotServer::stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(2000);
    }
}

QString DovecotServer::logText() const {
    QString text;
    for (const char* name : {"/output.log", "/dovecot.log"}) {
        QFile file(dir_.path() + QLatin1String(name));
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll());
    }
    return text;
}

} // namespace kova::test
