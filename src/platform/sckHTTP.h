#pragma once

// The tool's TCP client: connect by host name, send, take what has arrived, close; and three
// events: connected, data arrived, closed by the server. Failures of the connection are
// reported through Error so that the window can say what went wrong.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QTcpSocket;

namespace korrin::platform {

class sckHTTP : public QObject {
    Q_OBJECT
  public:
    explicit sckHTTP(QObject* parent = nullptr);
    ~sckHTTP() override;

    // Starts a connection and returns at once; Connected, or Error, follows from the event loop.
    // An empty host is refused through Error. The port is always 80 in the product; see
    // SetPortForTests.
    void Connect(const QString& host, quint16 port = 80);

    // Sends every byte, in order.
    void SendData(const QByteArray& data);

    // Takes every byte that has arrived and has not been taken yet.
    QByteArray GetData();

    // Drops the current connection, open or pending, without a Closed event for it and without
    // any of its data. Does nothing when there is none.
    void Close();

    // The host given to the last Connect.
    QString RemoteHost() const { return remoteHost_; }

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
    QString remoteHost_;
};

}  // namespace korrin::platform
