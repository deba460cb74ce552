#include "platform/sckHTTP.h"

#include <QTcpSocket>

namespace korrin::platform {
namespace {

quint16& PortForTests() {
    static quint16 port = 0;
    return port;
}

}  // namespace

sckHTTP::sckHTTP(QObject* parent) : QObject(parent) {}

sckHTTP::~sckHTTP() {
    Close();
}

void sckHTTP::SetPortForTests(quint16 port) {
    PortForTests() = port;
}

void sckHTTP::Connect(const QString& host, quint16 port) {
    Close();
    remoteHost_ = host;
    // A socket per connection: dropping one then cannot leak its late signals into the next.
    auto* socket = new QTcpSocket(this);
    socket_ = socket;
    connect(socket, &QTcpSocket::connected, this, &sckHTTP::Connected);
    connect(socket, &QTcpSocket::readyRead, this,
            [this, socket] { emit DataArrival(socket->bytesAvailable()); });
    connect(socket, &QTcpSocket::disconnected, this, &sckHTTP::OnDisconnected);
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this, socket](QAbstractSocket::SocketError e) {
                // The server ending the response is the normal end, reported as Closed.
                if (e == QAbstractSocket::RemoteHostClosedError) return;
                const QString reason = socket->errorString();
                Close();
                emit Error(reason);
            });
    if (host.isEmpty()) {
        // The network layer refuses an empty host outright; say so as for any failed connection.
        QMetaObject::invokeMethod(
            this, [this] { emit Error(QStringLiteral("no host name was given")); },
            Qt::QueuedConnection);
        return;
    }
    socket->connectToHost(host, PortForTests() != 0 ? PortForTests() : port);
}

void sckHTTP::SendData(const QByteArray& data) {
    if (socket_) socket_->write(data);
}

QByteArray sckHTTP::GetData() {
    return socket_ ? socket_->readAll() : QByteArray();
}

void sckHTTP::Close() {
    if (!socket_) return;
    QTcpSocket* socket = socket_;
    socket_ = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void sckHTTP::OnDisconnected() {
    if (!socket_) return;
    // Bytes that came with the end of the connection are offered before the close.
    if (socket_->bytesAvailable() > 0) emit DataArrival(socket_->bytesAvailable());
    if (!socket_) return;
    emit Closed();
}

}  // namespace korrin::platform
