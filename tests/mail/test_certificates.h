#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace kova::test {

// Certificates made for one test with the openssl tool: a certificate
// authority of its own and server certificates for 127.0.0.1, signed by it
// or by themselves. Nothing of the system's store is used or touched.
class TestCertificates {
public:
    // False with the reason in *why when openssl cannot make them here.
    bool makeAuthority(QString* why);
    bool makeServer(const QString& name, bool signedByAuthority, QString* why);

    QByteArray authorityPem() const;
    QString certificateFile(const QString& name) const;
    QString keyFile(const QString& name) const;
    // SHA-256 of a server certificate, as the checker shows it.
    QString fingerprint(const QString& name) const;

private:
    bool openssl(const QStringList& arguments, QString* why);
    QTemporaryDir dir_;
};

} // namespace kova::test
