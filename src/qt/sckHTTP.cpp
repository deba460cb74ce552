#include "qt/sckHTTP.h"

#include <QNetworkProxy>
#include <QTcpSocket>

namespace korrin::qt {
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

void sckHTTP::Connect(const std::string& hostBytes, int port) {
    Close();
    remoteHost_ = hostBytes;
    // Host names are bytes of the single-byte code page, as typed in the address box.
    const QString host =
        QString::fromLatin1(hostBytes.data(), static_cast<qsizetype>(hostBytes.size()));
    // A socket per connection: dropping one then cannot leak its late signals into the next.
    auto* socket = new QTcpSocket(this);
    socket_ = socket;
    // The request is written for the host itself; a proxy would need another form of it.
    socket->setProxy(QNetworkProxy::NoProxy);
    connect(socket, &QTcpSocket::connected, this, &sckHTTP::Connected);
    connect(socket, &QTcpSocket::readyRead, this,
            [this, socket] { emit DataArrival(socket->bytesAvailable()); });
    connect(socket, &QTcpSocket::disconnected, this, &sckHTTP::OnDisconnected);
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this, socket](QAbstractSocket::SocketError e) {
                // The server ending the response is the normal end, reported as Closed.
                if (e == QAbstractSocket::RemoteHostClosedError) return;
                Fail(socket->errorString());
            });
    const quint16 target = PortForTests() != 0 ? PortForTests() : static_cast<quint16>(port);
    // Started from the event loop: a connection that fails at once (a refused port on this
    // machine, an empty host) would otherwise report inside Connect, that is inside the caller's
    // own handler, before the caller has even returned.
    QMetaObject::invokeMethod(
        this,
        [this, socket, host, target] {
            if (socket_ != socket) return;  // dropped before it started
            if (host.isEmpty()) {
                Fail(QStringLiteral("No host name was given"));
                return;
            }
            socket->connectToHost(host, target);
        },
        Qt::QueuedConnection);
}

void sckHTTP::SendData(std::string_view data) {
    if (socket_) socket_->write(data.data(), static_cast<qint64>(data.size()));
}

std::string sckHTTP::GetData() {
    return socket_ ? socket_->readAll().toStdString() : std::string();
}

void sckHTTP::Close() {
    if (!socket_) return;
    QTcpSocket* socket = socket_;
    socket_ = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void sckHTTP::Fail(const QString& reason) {
    Close();
    emit Error(reason);
}

void sckHTTP::OnDisconnected() {
    if (!socket_) return;
    // Bytes that came with the end of the connection are offered before the close.
    if (socket_->bytesAvailable() > 0) emit DataArrival(socket_->bytesAvailable());
    if (!socket_) return;
    emit Closed();
}

}  // namespace korrin::qt
