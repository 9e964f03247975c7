#include "mail/winsock.h"

#include <QTcpSocket>

namespace kova {

Winsock::Winsock(QObject* parent, Factory factory) : QObject(parent), factory_(std::move(factory)) {
    if (!factory_)
        factory_ = [](QObject* owner) { return new QTcpSocket(owner); };
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
    default:
        return kOtherBase + qtSocketError;
    }
}

void Winsock::connectTo(const QString& host, quint16 port) {
    drop();
    closed_ = false;
    reported_ = false;
    QAbstractSocket* socket = factory_(this);
    socket_ = socket;
    connect(socket, &QAbstractSocket::connected, this, &Winsock::connected);
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
    socket->connectToHost(host, port);
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

void Winsock::onError(int qtSocketError) {
    if (reported_ || !socket_)
        return;
    // The remote side ending the connection is a close, not an error.
    if (qtSocketError == QAbstractSocket::RemoteHostClosedError) {
        onDisconnected();
        return;
    }
    reported_ = true;
    emit error(winsockNumber(qtSocketError), socket_->errorString());
}

void Winsock::onDisconnected() {
    if (reported_ || !socket_)
        return;
    reported_ = true;
    QAbstractSocket* socket = socket_;
    const QByteArray rest = socket->readAll();
    if (!rest.isEmpty())
        emit dataArrival(rest);
    // Handling the data may have closed or replaced the connection.
    if (socket_ == socket)
        emit closed();
}

} // namespace kova
