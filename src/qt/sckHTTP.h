#pragma once

// The window's TCP connection over QTcpSocket. Its events come as signals from the event loop;
// the window forwards them to the model's sckHTTP_ handlers. Failures of the connection are
// reported through Error so that the window can say what went wrong.

#include <QObject>
#include <QPointer>
#include <QString>

#include "platform/tcp_connection.h"

class QTcpSocket;

namespace korrin::qt {

class sckHTTP : public QObject, public platform::TcpConnection {
    Q_OBJECT
  public:
    explicit sckHTTP(QObject* parent = nullptr);
    ~sckHTTP() override;

    // Connected, or Error, follows from the event loop. The port is always 80 in the product;
    // see SetPortForTests.
    void Connect(const std::string& host, int port) override;
    void SendData(std::string_view data) override;
    std::string GetData() override;
    void Close() override;
    std::string RemoteHost() const override { return remoteHost_; }

    // For unit tests only: the port that Connect uses in place of the one it is given. Zero
    // puts the given port back.
    static void SetPortForTests(quint16 port);

  signals:
    void Connected();
    // Bytes are waiting; bytesTotal says how many.
    void DataArrival(qint64 bytesTotal);
    // The server closed the connection; every byte was offered through DataArrival before.
    void Closed();
    // The connection could not be made or broke; reason is the network layer's own words. The
    // connection is dropped already: no other event follows for it.
    void Error(const QString& reason);

  private:
    // Drops the connection, then reports why.
    void Fail(const QString& reason);
    void OnDisconnected();
    QPointer<QTcpSocket> socket_;
    std::string remoteHost_;
};

}  // namespace korrin::qt
