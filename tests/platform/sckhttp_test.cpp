// The TCP client against a real server on this machine's loopback.

#include "platform/sckHTTP.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <functional>
#include <memory>

using korrin::platform::sckHTTP;

namespace {

// Answers every connection on an ephemeral loopback port through answer, which gets the new
// connection and everything it has sent so far, once per arrival.
class LoopbackServer {
  public:
    using Answer = std::function<void(QTcpSocket*, const QByteArray& received)>;

    explicit LoopbackServer(Answer answer) {
        QVERIFY(server_.listen(QHostAddress::LocalHost));
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this, answer] {
            while (QTcpSocket* peer = server_.nextPendingConnection()) {
                QObject::connect(peer, &QTcpSocket::disconnected, peer, &QObject::deleteLater);
                auto received = std::make_shared<QByteArray>();
                auto onData = [peer, received, answer] {
                    *received += peer->readAll();
                    answer(peer, *received);
                };
                QObject::connect(peer, &QTcpSocket::readyRead, peer, onData);
                onData();
            }
        });
        sckHTTP::SetPortForTests(server_.serverPort());
    }
    ~LoopbackServer() { sckHTTP::SetPortForTests(0); }

  private:
    QTcpServer server_;
};

// What a client saw, in order.
struct Recorder {
    explicit Recorder(sckHTTP& client) {
        QObject::connect(&client, &sckHTTP::Connected, [this] { events << "connected"; });
        QObject::connect(&client, &sckHTTP::DataArrival, [this, &client](qint64) {
            events << "data";
            data += client.GetData();
        });
        QObject::connect(&client, &sckHTTP::Closed, [this] { events << "closed"; });
        QObject::connect(&client, &sckHTTP::Error, [this](const QString& reason) {
            events << "error";
            errors << reason;
        });
    }
    QStringList events;
    QStringList errors;
    QByteArray data;
};

constexpr int kWait = 30000;

}  // namespace

class SckHttpTest : public QObject {
    Q_OBJECT

  private slots:
    void deliversEveryByteBeforeClosed_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("nothing") << 0;
        QTest::newRow("a few bytes") << 5;
        QTest::newRow("4 MiB") << (4 << 20);
    }

    void deliversEveryByteBeforeClosed() {
        QFETCH(int, size);
        QByteArray payload(size, '\0');
        for (int i = 0; i < size; ++i) payload[i] = static_cast<char>(i * 7 % 251);
        const QByteArray request("GET /d/patch.dsc HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n\0x", 49);
        QByteArray requestSeen;
        LoopbackServer server([&](QTcpSocket* peer, const QByteArray& received) {
            if (received.size() < request.size()) return;
            requestSeen = received;
            peer->write(payload);
            peer->disconnectFromHost();  // after every byte is written
        });
        sckHTTP client;
        Recorder seen(client);
        QObject::connect(&client, &sckHTTP::Connected, [&] { client.SendData(request); });
        client.Connect(QStringLiteral("127.0.0.1"));
        QCOMPARE(client.RemoteHost(), QStringLiteral("127.0.0.1"));

        QTRY_VERIFY_WITH_TIMEOUT(seen.events.contains("closed"), kWait);
        QCOMPARE(requestSeen, request);
        QCOMPARE(seen.data.size(), payload.size());
        QVERIFY(seen.data == payload);
        QCOMPARE(seen.events.first(), QStringLiteral("connected"));
        QCOMPARE(seen.events.count("closed"), 1);
        QCOMPARE(seen.events.last(), QStringLiteral("closed"));
    }

    void closeDropsAConnectionWithoutAnyEventOfIt() {
        LoopbackServer server([](QTcpSocket* peer, const QByteArray&) {
            peer->write("hello");
            peer->disconnectFromHost();
        });
        sckHTTP client;
        Recorder seen(client);
        int connections = 0;
        QObject::connect(&client, &sckHTTP::Connected, [&] {
            if (++connections > 1) return;
            client.Close();  // open, its answer on the way
            client.Close();  // nothing left to drop
            client.Connect(QStringLiteral("127.0.0.1"));
        });
        client.Connect(QStringLiteral("127.0.0.1"));
        client.Close();  // still pending
        client.Connect(QStringLiteral("127.0.0.1"));

        QTRY_VERIFY_WITH_TIMEOUT(seen.events.contains("closed"), kWait);
        QCOMPARE(seen.events, (QStringList{"connected", "connected", "data", "closed"}));
        QCOMPARE(seen.data, QByteArray("hello"));
    }

    void failedConnectionReportsOnceConnectHasReturned_data() {
        QTest::addColumn<QString>("host");
        QTest::newRow("refused") << QStringLiteral("127.0.0.1");
        QTest::newRow("empty host") << QString();
    }

    void failedConnectionReportsOnceConnectHasReturned() {
        QFETCH(QString, host);
        quint16 closedPort = 0;
        {
            QTcpServer gone;
            QVERIFY(gone.listen(QHostAddress::LocalHost));
            closedPort = gone.serverPort();
        }
        sckHTTP::SetPortForTests(closedPort);
        sckHTTP client;
        Recorder seen(client);
        bool inConnect = true;
        bool reportedInConnect = false;
        QObject::connect(&client, &sckHTTP::Error, [&] { reportedInConnect = inConnect; });
        client.Connect(host);
        inConnect = false;
        QTRY_COMPARE_WITH_TIMEOUT(seen.errors.size(), 1, kWait);
        QVERIFY(!reportedInConnect);
        QVERIFY(!seen.errors.first().isEmpty());
        QCOMPARE(seen.events, QStringList{QStringLiteral("error")});

        // Pressed again: a failure that was replaced at once reports nothing, and the client
        // connects as if nothing had failed before.
        LoopbackServer server(
            [](QTcpSocket* peer, const QByteArray&) { peer->disconnectFromHost(); });
        seen.events.clear();
        client.Connect(host);
        client.Connect(QStringLiteral("127.0.0.1"));
        QTRY_VERIFY_WITH_TIMEOUT(seen.events.contains("closed"), kWait);
        QCOMPARE(seen.events, (QStringList{QStringLiteral("connected"), QStringLiteral("closed")}));
        QCOMPARE(seen.errors.size(), 1);
    }
};

QTEST_GUILESS_MAIN(SckHttpTest)
#include "sckhttp_test.moc"
