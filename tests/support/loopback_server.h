#pragma once

// A hand-written server on loopback, for what no real server does: answers split, cut short,
// held back or never ending. serve gets each connection once its request is complete (it ends
// in a blank line), or at once when the server is not to wait for one.

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <memory>

namespace korrin::testing {

class LoopbackServer {
  public:
    using Serve = std::function<void(QTcpSocket* peer, const QByteArray& request)>;

    // Listens on port (0: any free one) until destroyed.
    explicit LoopbackServer(Serve serve, quint16 port = 0, bool waitForRequest = true) {
        listening_ = server_.listen(QHostAddress::LocalHost, port);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [=, this] {
            while (QTcpSocket* peer = server_.nextPendingConnection()) {
                QObject::connect(peer, &QTcpSocket::disconnected, peer, &QObject::deleteLater);
                if (!waitForRequest) {
                    serve(peer, {});
                    continue;
                }
                auto request = std::make_shared<QByteArray>();
                QObject::connect(peer, &QTcpSocket::readyRead, peer, [peer, request, serve] {
                    if (request->endsWith("\r\n\r\n")) return;
                    *request += peer->readAll();
                    if (request->endsWith("\r\n\r\n")) serve(peer, *request);
                });
            }
        });
    }

    bool listening() const { return listening_; }
    quint16 port() const { return server_.serverPort(); }

  private:
    QTcpServer server_;
    bool listening_ = false;
};

}  // namespace korrin::testing
