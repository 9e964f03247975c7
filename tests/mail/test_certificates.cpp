#include "test_certificates.h"

#include <QFile>
#include <QProcess>
#include <QSslCertificate>

namespace kova::test {

using namespace Qt::StringLiterals;

namespace {
const QStringList kNewKey = {u"-newkey"_s, u"ec"_s, u"-pkeyopt"_s,
                             u"ec_paramgen_curve:prime256v1"_s, u"-nodes"_s};
}

bool TestCertificates::openssl(const QStringList& arguments, QString* why) {
    QProcess process;
    process.setWorkingDirectory(dir_.path());
    process.start(u"openssl"_s, arguments);
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        *why = u"openssl "_s + arguments.first() + u" failed (apt-get install openssl): "_s +
               QString::fromLocal8Bit(process.readAllStandardError()).right(300);
        return false;
    }
    return true;
}

bool TestCertificates::makeAuthority(QString* why) {
    return openssl(QStringList{u"req"_s, u"-x509"_s} + kNewKey +
                       QStringList{u"-keyout"_s, u"ca.key"_s, u"-out"_s, u"ca.pem"_s, u"-days"_s,
                                   u"2"_s, u"-subj"_s, u"/CN=Kova Test CA"_s},
                   why);
}

bool TestCertificates::makeServer(const QString& name, bool signedByAuthority, QString* why) {
    const QString san = u"subjectAltName=IP:127.0.0.1"_s;
    const QStringList subject = {u"-keyout"_s, name + u".key"_s, u"-subj"_s, u"/CN=127.0.0.1"_s};
    if (!signedByAuthority)
        return openssl(
            QStringList{u"req"_s, u"-x509"_s} + kNewKey + subject +
                QStringList{u"-out"_s, name + u".pem"_s, u"-days"_s, u"2"_s, u"-addext"_s, san},
            why);
    QFile extensions(dir_.filePath(name + u".ext"_s));
    if (!extensions.open(QIODevice::WriteOnly) || extensions.write(san.toLatin1() + '\n') < 0)
        return false;
    extensions.close();
    return openssl(QStringList{u"req"_s} + kNewKey + subject +
                       QStringList{u"-out"_s, name + u".csr"_s},
                   why) &&
           openssl({u"x509"_s, u"-req"_s, u"-in"_s, name + u".csr"_s, u"-CA"_s, u"ca.pem"_s,
                    u"-CAkey"_s, u"ca.key"_s, u"-CAcreateserial"_s, u"-out"_s, name + u".pem"_s,
                    u"-days"_s, u"2"_s, u"-extfile"_s, name + u".ext"_s},
                   why);
}

QByteArray TestCertificates::authorityPem() const {
    QFile file(dir_.filePath(u"ca.pem"_s));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString TestCertificates::certificateFile(const QString& name) const {
    return dir_.filePath(name + u".pem"_s);
}

QString TestCertificates::keyFile(const QString& name) const {
    return dir_.filePath(name + u".key"_s);
}

QString TestCertificates::fingerprint(const QString& name) const {
    const QList<QSslCertificate> certificates = QSslCertificate::fromPath(certificateFile(name));
    if (certificates.isEmpty())
        return {};
    return QString::fromLatin1(
        certificates.first().digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}

} // namespace kova::test
