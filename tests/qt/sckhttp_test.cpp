// The TCP client against a real server on this machine's loopback.

#include "qt/sckHTTP.h"

#include <QtTest>

#include "loopback_server.h"

using korrin::qt::sckHTTP;

namespace {

// A loopback server that sckHTTP reaches in place of port 80.
class LoopbackServer : public korrin::testing::LoopbackServer {
  public:
    explicit LoopbackServer(Serve serve, bool waitForRequest = true)
        : korrin::testing::LoopbackServer(std::move(serve), 0, waitForRequest) {
        sckHTTP::SetPortForTests(port());
    }
    ~LoopbackServer() { sckHTTP::SetPortForTests(0); }
};

// What a client saw, in order.
struct Recorder {
    explicit Recorder(sckHTTP& client) {
        QObject::connect(&client, &sckHTTP::Connected, [this] { events << "connected"; });
        QObject::connect(&client, &sckHTTP::DataArrival, [this, &client](qint64) {
            events << "data";
            data += QByteArray::fromStdString(client.GetData());
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
    void closeDropsAConnectionWithoutAnyEventOfIt() {
        LoopbackServer server(
            [](QTcpSocket* peer, const QByteArray&) {
                peer->write("hello");
                peer->disconnectFromHost();
            },
            false);
        sckHTTP client;
        Recorder seen(client);
        int connections = 0;
        QObject::connect(&client, &sckHTTP::Connected, [&] {
            if (++connections > 1) return;
            client.Close();  // open, its answer on the way
            client.Close();  // nothing left to drop
            client.Connect("127.0.0.1", 80);
        });
        client.Connect("127.0.0.1", 80);
        client.Close();  // still pending
        client.Connect("127.0.0.1", 80);

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
        client.Connect(host.toStdString(), 80);
        inConnect = false;
        QTRY_COMPARE_WITH_TIMEOUT(seen.errors.size(), 1, kWait);
        QVERIFY(!reportedInConnect);
        QVERIFY(!seen.errors.first().isEmpty());
        QCOMPARE(seen.events, QStringList{QStringLiteral("error")});

        // Pressed again: a failure that was replaced at once reports nothing, and the client
        // connects as if nothing had failed before.
        LoopbackServer server(
            [](QTcpSocket* peer, const QByteArray&) { peer->disconnectFromHost(); }, false);
        seen.events.clear();
        client.Connect(host.toStdString(), 80);
        client.Connect("127.0.0.1", 80);
        QTRY_VERIFY_WITH_TIMEOUT(seen.events.contains("closed"), kWait);
        QCOMPARE(seen.events, (QStringList{QStringLiteral("connected"), QStringLiteral("closed")}));
        QCOMPARE(seen.errors.size(), 1);
    }
};

QTEST_GUILESS_MAIN(SckHttpTest)
#include "sckhttp_test.moc"
