#include "mail/socket_adapter.h"

#include "platform/seam.h"

#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kova {

using namespace Qt::StringLiterals;
using namespace socketerror;

namespace {

int problemOf(QSslError::SslError error) {
    switch (error) {
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
        return CertificateCheck::SelfSigned;
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
    case QSslError::InvalidCaCertificate:
    case QSslError::CertificateRejected:
        return CertificateCheck::UnknownIssuer;
    case QSslError::CertificateExpired:
        return CertificateCheck::Expired;
    case QSslError::CertificateNotYetValid:
        return CertificateCheck::NotYetValid;
    case QSslError::HostNameMismatch:
        return CertificateCheck::WrongName;
    case QSslError::CertificateRevoked:
        return CertificateCheck::Revoked;
    default:
        return CertificateCheck::Other;
    }
}

QString fingerprintOf(const QSslCertificate& certificate) {
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}

} // namespace

Winsock::Winsock(QObject* parent) : QObject(parent) {
    handshake_.setSingleShot(true);
    handshake_.setInterval(kHandshakeLimitMs);
    connect(&handshake_, &QTimer::timeout, this,
            [this] { report(kTlsTimedOut, describe(QAbstractSocket::SocketTimeoutError)); });
}

Winsock::~Winsock() {
    drop();
}

int Winsock::winsockNumber(int qtSocketError) {
    switch (qtSocketError) {
    case QAbstractSocket::HostNotFoundError:
        return kHostNotFound;
    case QAbstractSocket::SocketTimeoutError:
        return kTimedOut;
    case QAbstractSocket::ConnectionRefusedError:
        return kRefused;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return kAddressNotAvailable;
    case QAbstractSocket::NetworkError:
        return kAborted;
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        return kTlsFailed;
    default:
        return kOtherBase + qtSocketError;
    }
}

QString Winsock::describe(int qtSocketError) {
    switch (qtSocketError) {
    case QAbstractSocket::SocketAccessError:
        return u"ネットワークを使う権限がありません。"_s;
    case QAbstractSocket::SocketResourceError:
        return u"ネットワークの資源が足りません。"_s;
    case QAbstractSocket::SocketTimeoutError:
        return u"時間内に応答がありませんでした。"_s;
    case QAbstractSocket::AddressInUseError:
        return u"アドレスは使用中です。"_s;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return u"この接続方法はこのシステムでは使えません。"_s;
    case QAbstractSocket::ProxyAuthenticationRequiredError:
    case QAbstractSocket::ProxyConnectionRefusedError:
    case QAbstractSocket::ProxyConnectionClosedError:
    case QAbstractSocket::ProxyConnectionTimeoutError:
    case QAbstractSocket::ProxyNotFoundError:
    case QAbstractSocket::ProxyProtocolError:
        return u"プロキシ経由で接続できませんでした。"_s;
    default:
        return u"ネットワークの処理に失敗しました。"_s;
    }
}

void Winsock::connectTo(const QString& host, quint16 port, MailSecurity security) {
    drop();
    closed_ = false;
    reported_ = false;
    security_ = security;
    if (security == MailSecurity::None) {
        auto* socket = new QTcpSocket(this);
        wire(socket);
        socket->connectToHost(host, port);
        return;
    }
    if (!QSslSocket::supportsSsl()) {
        // Reported from the event loop, like every other failure.
        QTimer::singleShot(0, this, [this] {
            if (!closed_ && !socket_)
                report(kTlsUnavailable, QString());
        });
        return;
    }
    QSslSocket* socket = makeSslSocket();
    if (security == MailSecurity::Tls)
        socket->connectToHostEncrypted(host, port);
    else
        socket->connectToHost(host, port);
}

QSslSocket* Winsock::makeSslSocket() {
    auto* socket = new QSslSocket(this);
    const QByteArray trusted = Platform::instance().trustedCertificates();
    if (!trusted.isEmpty()) {
        QSslConfiguration configuration = socket->sslConfiguration();
        configuration.setCaCertificates(QSslCertificate::fromData(trusted, QSsl::Pem));
        socket->setSslConfiguration(configuration);
    }
    wire(socket);
    connect(socket, &QSslSocket::encrypted, this, [this] {
        handshake_.stop();
        emit encrypted();
    });
    connect(socket, &QSslSocket::sslErrors, this,
            [this, socket](const QList<QSslError>& errors) { onSslErrors(socket, errors); });
    return socket;
}

void Winsock::wire(QAbstractSocket* socket) {
    socket_ = socket;
    socket->setReadBufferSize(kReadLimit);
    connect(socket, &QAbstractSocket::connected, this, [this, socket] {
        peerDescriptor_ = ::fcntl(int(socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
        if (security_ == MailSecurity::Tls)
            handshake_.start();
        emit connected();
    });
    connect(socket, &QIODevice::readyRead, this, [this, socket] {
        const QByteArray bytes = socket->readAll();
        if (!bytes.isEmpty())
            emit dataArrival(bytes);
    });
    connect(socket, &QIODevice::bytesWritten, this, [this, socket] {
        if (socket->bytesToWrite() == 0)
            emit sendComplete();
    });
    connect(socket, &QAbstractSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError e) { onError(e); });
    connect(socket, &QAbstractSocket::disconnected, this, &Winsock::onDisconnected);
}

void Winsock::startTls() {
    if (auto* socket = qobject_cast<QSslSocket*>(socket_.data())) {
        handshake_.start();
        socket->startClientEncryption();
    }
}

void Winsock::onSslErrors(QSslSocket* socket, const QList<QSslError>& errors) {
    CertificateCheck check;
    for (const QSslError& e : errors)
        check.problems |= problemOf(e.error());
    check.fingerprint = fingerprintOf(socket->peerCertificate());
    accepted_ = false;
    // The user may be asked meanwhile: the handshake's time does not run.
    handshake_.stop();
    emit certificateFailed(check);
    if (socket_ != socket)
        return;
    if (accepted_) {
        socket->ignoreSslErrors(errors);
        handshake_.start();
    }
}

void Winsock::send(const QByteArray& bytes) {
    if (socket_ && !bytes.isEmpty())
        socket_->write(bytes);
}

void Winsock::close() {
    drop();
    closed_ = true;
}

void Winsock::drop() {
    handshake_.stop();
    closePeerDescriptor();
    if (!socket_)
        return;
    // Closing may happen inside one of the socket's own signals: let it be
    // deleted once that returns, and hear nothing more from it.
    QAbstractSocket* socket = socket_;
    socket_ = nullptr;
    disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->deleteLater();
}

void Winsock::report(int number, const QString& description) {
    if (reported_)
        return;
    reported_ = true;
    handshake_.stop();
    closePeerDescriptor();
    emit error(number, description);
}

void Winsock::onError(int qtSocketError) {
    if (reported_ || !socket_)
        return;
    // The remote side ending the connection is a close, not an error.
    if (qtSocketError == QAbstractSocket::RemoteHostClosedError) {
        onDisconnected();
        return;
    }
    report(winsockNumber(qtSocketError), describe(qtSocketError));
}

void Winsock::onDisconnected() {
    if (reported_ || !socket_)
        return;
    QAbstractSocket* socket = socket_;
    const QByteArray rest = socket->readAll();
    const bool reset = peerReset();
    if (!rest.isEmpty())
        emit dataArrival(rest);
    // Handling the data may have closed or replaced the connection.
    if (socket_ != socket || reported_)
        return;
    if (reset) {
        report(kReset, QString());
        return;
    }
    reported_ = true;
    handshake_.stop();
    closePeerDescriptor();
    emit closed();
}

bool Winsock::peerReset() const {
    if (peerDescriptor_ < 0)
        return false;
    tcp_info info = {};
    socklen_t size = sizeof info;
    // A close leaves the connection in CLOSE_WAIT; a reset closes it.
    return ::getsockopt(peerDescriptor_, IPPROTO_TCP, TCP_INFO, &info, &size) == 0 &&
           info.tcpi_state == TCP_CLOSE;
}

void Winsock::closePeerDescriptor() {
    if (peerDescriptor_ >= 0)
        ::close(peerDescriptor_);
    peerDescriptor_ = -1;
}

} // namespace kova
