// The client against a real HTTPS server on 127.0.0.1 (fennic_test_server.py): what goes on the
// wire, which answers reach the receiver, and the failures that must reach nobody.
#include "fennic_test_server.h"
#include "testing/log_capture.h"
#include "v_fennic/http_client.h"
#include "v_fennic/http_client_reply.h"
#include "v_fennic/t_fennic_ping_request.h"

#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

using namespace v_fennic;
using fennic_testing::kWaitMs;

namespace {

const QString kRaw = QStringLiteral("received RAW: ");
const QString kNoCmd = QStringLiteral("Mismatch cmd: request<ping> and response<unknownCmd>!");

// Records every response handed to it, and the thread it came in.
class Sink : public QObject
{
    Q_OBJECT

public:
    explicit Sink(int *calls = nullptr) : m_calls(calls) { }
    QList<TFennicResponse> responses;
    QList<QThread *> threads;

public slots:
    void onResponse(v_fennic::TFennicResponse response)
    {
        responses << response;
        threads << QThread::currentThread();
        if (m_calls)
            ++*m_calls;
    }

private:
    int *const m_calls;
};

QSharedPointer<TFennicPingRequest> newPing()
{
    auto ping = QSharedPointer<TFennicPingRequest>::create();
    ping->context = { 42, QStringLiteral("context") };
    return ping;
}

// A port on 127.0.0.1 that nothing listens on.
quint16 closedPort()
{
    QTcpServer server;
    return server.listen(QHostAddress::LocalHost) ? server.serverPort() : 0;
}

bool startsOneLine(const vk_testing::LogCapture &capture, const QString &start)
{
    const QStringList texts = capture.texts();
    return std::any_of(texts.begin(), texts.end(), [&](const QString &text) { return text.startsWith(start); });
}

} // namespace

class TestFennicClient : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sendRefusesIncompleteArguments_data();
    void sendRefusesIncompleteArguments();
    void answers_data();
    void answers();
    void failedRequestNotifiesNobody_data();
    void failedRequestNotifiesNobody();
    void untrustedServerGetsNoRequest_data();
    void untrustedServerGetsNoRequest();
    void receiverOfAnotherThreadIsNotWaitedFor();
    void receiverDeletedInFlightIsNotCalled();
    void finishedReplyIsProcessedAtOnce_data();
    void finishedReplyIsProcessedAtOnce();

private:
    std::unique_ptr<HttpClient> client(const QString &address, const QSslConfiguration &tls) const
    {
        auto result = std::make_unique<HttpClient>();
        result->setServerAddress(address);
        result->setSslConfiguration(tls);
        return result;
    }
    struct Outcome
    {
        int passed = -1; // responses that passed the echo check; -1: the reply did not end in time
        qint64 mostReceived = 0; // the most body bytes the network reply held
    };
    // Sends `request` to `method` of `receiver` and waits until its reply has been processed and the
    // network reply is gone (so that it can report nothing more).
    Outcome sendAndWait(HttpClient &client, const QSharedPointer<TFennicMessage> &request, QObject *receiver,
        const QString &method = QStringLiteral("onResponse"))
    {
        Outcome outcome;
        if (client.send(request, receiver, method) != ReturnCode::Ok)
            return outcome;
        auto *reply = client.findChildren<HttpClientReply *>().constLast();
        auto *networkReply = client.findChildren<QNetworkReply *>().constLast();
        QSignalSpy received(reply, &HttpClientReply::messageReceived);
        QSignalSpy finished(reply, &HttpClientReply::finished);
        QSignalSpy gone(networkReply, &QObject::destroyed);
        connect(networkReply, &QNetworkReply::downloadProgress,
            [&outcome](qint64 bytes, qint64) { outcome.mostReceived = std::max(outcome.mostReceived, bytes); });
        if (finished.wait(kWaitMs) && (!gone.isEmpty() || gone.wait(kWaitMs)))
            outcome.passed = int(received.count());
        return outcome;
    }

    QTemporaryDir m_dir;
    fennic_testing::TestServer m_server;
    QSslConfiguration m_trust; // trusts the certificate "trusted" only
};

void TestFennicClient::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString ip = QStringLiteral("IP:127.0.0.1");
    QVERIFY(fennic_testing::makeCertificate(m_dir.path(), QStringLiteral("trusted"), ip));
    QVERIFY(fennic_testing::makeCertificate(m_dir.path(), QStringLiteral("stranger"), ip));
    QVERIFY(fennic_testing::makeCertificate(
        m_dir.path(), QStringLiteral("misnamed"), QStringLiteral("DNS:fennic.invalid")));
    m_trust = fennic_testing::trusting(m_dir.path(), QStringLiteral("trusted"));
    QVERIFY(m_server.start(m_dir.path(), QStringLiteral("trusted")));
}

void TestFennicClient::sendRefusesIncompleteArguments_data()
{
    QTest::addColumn<bool>("withRequest");
    QTest::addColumn<bool>("withReceiver");
    QTest::addColumn<QString>("method");
    QTest::addColumn<ReturnCode>("result");

    QTest::newRow("no request") << false << true << "onResponse" << ReturnCode::ErrArgumentPointerIsNull;
    QTest::newRow("no receiver") << true << false << "onResponse" << ReturnCode::ErrArgumentBadValue;
    QTest::newRow("no method") << true << true << "" << ReturnCode::ErrArgumentBadValue;
}

void TestFennicClient::sendRefusesIncompleteArguments()
{
    QFETCH(bool, withRequest);
    QFETCH(bool, withReceiver);
    QFETCH(QString, method);
    QFETCH(ReturnCode, result);

    const auto http = client(m_server.address(QStringLiteral("answer=echo")), m_trust);
    Sink sink;
    vk_testing::LogCapture capture;
    QCOMPARE(http->send(withRequest ? newPing() : nullptr, withReceiver ? &sink : nullptr, method), result);
    QVERIFY(startsOneLine(capture, QStringLiteral("Bad result: ")));
    QVERIFY(!startsOneLine(capture, QStringLiteral("Sending: ")));
    QVERIFY(http->findChildren<HttpClientReply *>().isEmpty());
}

void TestFennicClient::answers_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("method");
    QTest::addColumn<bool>("passes"); // passes the echo check (messageReceived)
    QTest::addColumn<bool>("notified"); // the receiver got it
    QTest::addColumn<QString>("line"); // a log line that must start so ("%1": the request's uuid)
    QTest::addColumn<qint64>("held"); // the network reply held fewer body bytes than this

    const QString slot = QStringLiteral("onResponse");
    const QString tooLong = QStringLiteral("Response body longer than 1048576 bytes, reply aborted");
    const qint64 small = 2 * HttpClientReply::kMaxBodySize;
    const qint64 huge = 64 * HttpClientReply::kMaxBodySize;
    const QString hugeSize = QString::number(4 * huge);
    QTest::newRow("echo") << "answer=echo" << slot << true << true << "" << small;
    QTest::newRow("echo with an HTTP error")
        << "answer=echo&http=500" << slot << true << true << "Error: InternalServerError, description: " << small;
    QTest::newRow("no code and error") << "answer=nocode" << slot << true << true << "" << small;
    QTest::newRow("no such slot") << "answer=echo" << QStringLiteral("onNothing") << true << false
                                  << "invalid invokeMethod: " << small;
    QTest::newRow("cmd exit") << "answer=exit" << slot << false << false
                              << "Mismatch cmd: request<ping> and response<exit>!" << small;
    QTest::newRow("other uuid") << "answer=otheruuid" << slot << false << false
                                << "Mismatch uuid: request<%1> and response<{00000000-0000-4000-8000-000000000001}>!"
                                << small;
    QTest::newRow("status null") << "answer=statusnull" << slot << false << false << kNoCmd << small;
    QTest::newRow("empty array") << "answer=emptyarray" << slot << false << false << "Invalid JSON <[]>" << small;
    QTest::newRow("syntax error") << "answer=syntax" << slot << false << false
                                  << R"(Parsing error at 16 symbol in data<{"status":true} x>)" << small;
    QTest::newRow("body of the largest size") << "answer=padded&size=1048576" << slot << true << true << "" << small;
    QTest::newRow("body a byte too long") << "answer=padded&size=1048577" << slot << false << false << tooLong << small;
    // A body far beyond the largest size is given up long before its end (a little more comes in
    // than is checked at a time).
    QTest::newRow("huge body") << "answer=huge&size=" + hugeSize << slot << false << false << tooLong << huge;
    QTest::newRow("huge body without length")
        << "answer=hugeclose&size=" + hugeSize << slot << false << false << tooLong << huge;
}

void TestFennicClient::answers()
{
    QFETCH(QString, query);
    QFETCH(QString, method);
    QFETCH(bool, passes);
    QFETCH(bool, notified);
    QFETCH(QString, line);
    QFETCH(qint64, held);

    const auto http = client(m_server.address(query), m_trust);
    const qsizetype before = m_server.requests().size();
    Sink sink;
    const auto ping = newPing();
    vk_testing::LogCapture capture;
    const Outcome outcome = sendAndWait(*http, ping, &sink, method);
    QCOMPARE(outcome.passed, passes ? 1 : 0);
    QVERIFY2(outcome.mostReceived < held, QByteArray::number(outcome.mostReceived));

    // On the wire: one POST to the address as configured, the ping alone as JSON.
    QTRY_COMPARE_WITH_TIMEOUT(m_server.requests().size(), before + 1, kWaitMs);
    const QJsonObject request = m_server.requests().constLast();
    QCOMPARE(request.value(QLatin1String("method")).toString(), QStringLiteral("POST"));
    QCOMPARE(request.value(QLatin1String("path")).toString(), QStringLiteral("/?") + query);
    QCOMPARE(request.value(QLatin1String("contentType")).toString(), QStringLiteral("application/json"));
    static const QRegularExpression shape(QStringLiteral(
        R"re(^\{"cmd":"ping","uuid":"(\{[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\})"\}$)re"));
    const QRegularExpressionMatch body = shape.match(request.value(QLatin1String("body")).toString());
    QVERIFY2(body.hasMatch(), qPrintable(request.value(QLatin1String("body")).toString()));
    QCOMPARE(QUuid::fromString(body.captured(1)), ping->uuid);

    QCOMPARE(capture.count(kRaw), 1); // processed once, whichever way the reply ended
    if (!line.isEmpty())
        QVERIFY2(startsOneLine(capture, line.arg(ping->uuid.toString())), qPrintable(capture.texts().join('\n')));
    QCOMPARE(sink.responses.size(), notified ? 1 : 0);
    if (notified) {
        const TFennicResponse &response = sink.responses.first();
        QCOMPARE(response.command, TFennicCommand::Ping);
        QCOMPARE(response.uuid, ping->uuid);
        QVERIFY(response.status);
        QCOMPARE(response.context, ping->context);
        QCOMPARE(sink.threads.first(), QThread::currentThread());
    }
}

void TestFennicClient::failedRequestNotifiesNobody_data()
{
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QString>("error");

    QTest::newRow("closed port") << true << "Error: ConnectionRefusedError, description: ";
    QTest::newRow("server silent past the transfer timeout") << false << "Error: OperationCanceledError, description: ";
}

void TestFennicClient::failedRequestNotifiesNobody()
{
    QFETCH(bool, closed);
    QFETCH(QString, error);

    const quint16 port = closedPort();
    QVERIFY(port != 0);
    const QString address
        = closed ? QStringLiteral("https://127.0.0.1:%1/").arg(port) : m_server.address(QStringLiteral("answer=hang"));
    const auto http = client(address, m_trust);
    http->setTransferTimeout(std::chrono::milliseconds(1000));
    Sink sink;
    vk_testing::LogCapture capture;
    QCOMPARE(sendAndWait(*http, newPing(), &sink).passed, 0);
    QVERIFY(sink.responses.isEmpty());
    QCOMPARE(capture.count(kRaw), 1);
    // The network error first, then the empty body, which echoes nothing.
    const QStringList texts = capture.texts();
    const auto errorLine
        = std::find_if(texts.begin(), texts.end(), [&](const QString &t) { return t.startsWith(error); });
    QVERIFY2(errorLine != texts.end(), qPrintable(texts.join('\n')));
    QVERIFY(std::find(errorLine, texts.end(), kNoCmd) != texts.end());
}

void TestFennicClient::untrustedServerGetsNoRequest_data()
{
    QTest::addColumn<QString>("serverCertificate");
    QTest::addColumn<QString>("trusted"); // empty: the system's roots
    QTest::addColumn<bool>("verifyNone");

    QTest::newRow("unknown issuer") << "stranger"
                                    << "trusted" << false;
    QTest::newRow("name not the address") << "misnamed"
                                          << "misnamed" << false;
    QTest::newRow("system roots only") << "trusted"
                                       << "" << false;
    QTest::newRow("verification asked off") << "stranger"
                                            << "trusted" << true;
}

void TestFennicClient::untrustedServerGetsNoRequest()
{
    QFETCH(QString, serverCertificate);
    QFETCH(QString, trusted);
    QFETCH(bool, verifyNone);

    fennic_testing::TestServer server;
    QVERIFY(server.start(m_dir.path(), serverCertificate));
    QSslConfiguration tls;
    if (!trusted.isEmpty())
        tls = fennic_testing::trusting(m_dir.path(), trusted);
    if (verifyNone)
        tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    const auto http = client(server.address(QStringLiteral("answer=echo")), tls);
    Sink sink;
    vk_testing::LogCapture capture;
    QCOMPARE(sendAndWait(*http, newPing(), &sink).passed, 0);
    QVERIFY(sink.responses.isEmpty());
    QVERIFY2(startsOneLine(capture, QStringLiteral("Error: SslHandshakeFailedError, description: ")),
        qPrintable(capture.texts().join('\n')));
    // The server saw the connection end without a request.
    QTRY_VERIFY_WITH_TIMEOUT(server.connectionsWithoutRequest() > 0, kWaitMs);
    QVERIFY(server.requests().isEmpty());
}

void TestFennicClient::receiverOfAnotherThreadIsNotWaitedFor()
{
    // The client in a thread of its own; the receiver here, in a thread that is blocked until the
    // client has processed the reply (as a thread stopping the client's would be).
    QThread worker;
    auto *http = client(m_server.address(QStringLiteral("answer=echo")), m_trust).release();
    http->moveToThread(&worker);
    connect(&worker, &QThread::finished, http, &QObject::deleteLater);
    worker.start();
    const auto stopWorker = qScopeGuard([&worker]() {
        worker.quit();
        while (!worker.wait(QDeadlineTimer(20)))
            QCoreApplication::processEvents(); // runs what the worker may still wait for
    });

    Sink sink;
    const auto ping = newPing();
    QSemaphore processed;
    QVERIFY(QMetaObject::invokeMethod(http, [&]() {
        if (http->send(ping, &sink, QStringLiteral("onResponse")) != ReturnCode::Ok)
            return;
        connect(http->findChildren<HttpClientReply *>().constLast(), &HttpClientReply::finished,
            [&processed]() { processed.release(); });
    }));
    QVERIFY2(processed.tryAcquire(1, kWaitMs), "the client's thread waited for the blocked receiver's thread");
    QVERIFY(sink.responses.isEmpty()); // queued here, not run yet
    QTRY_COMPARE_WITH_TIMEOUT(sink.responses.size(), 1, kWaitMs);
    QCOMPARE(sink.responses.first().uuid, ping->uuid);
    QCOMPARE(sink.responses.first().context, ping->context);
    QCOMPARE(sink.threads.first(), QThread::currentThread());
}

void TestFennicClient::receiverDeletedInFlightIsNotCalled()
{
    const auto http = client(m_server.address(QStringLiteral("answer=echo")), m_trust);
    int calls = 0;
    auto *sink = new Sink(&calls);
    QCOMPARE(http->send(newPing(), sink, QStringLiteral("onResponse")), ReturnCode::Ok);
    auto *reply = http->findChildren<HttpClientReply *>().constLast();
    QSignalSpy received(reply, &HttpClientReply::messageReceived);
    QSignalSpy finished(reply, &HttpClientReply::finished);
    delete sink;
    vk_testing::LogCapture capture;
    QVERIFY(finished.wait(kWaitMs));
    QCOMPARE(received.count(), 1);
    QCOMPARE(calls, 0);
    QVERIFY(!capture.contains(QStringLiteral("invalid invokeMethod")));
}

void TestFennicClient::finishedReplyIsProcessedAtOnce_data()
{
    QTest::addColumn<bool>("answered");

    QTest::newRow("answered") << true;
    QTest::newRow("refused") << false;
}

void TestFennicClient::finishedReplyIsProcessedAtOnce()
{
    // QNetworkAccessManager::post never hands back a finished reply, so the client's own send cannot
    // meet one here: the reply is made and finished apart, then followed as send follows its replies.
    QFETCH(bool, answered);

    const QString address = answered ? m_server.address(QStringLiteral("answer=echo"))
                                     : QStringLiteral("https://127.0.0.1:%1/").arg(closedPort());
    QNetworkAccessManager manager;
    QNetworkRequest networkRequest { QUrl(address) };
    networkRequest.setSslConfiguration(m_trust);
    networkRequest.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    const auto ping = newPing();
    QNetworkReply *reply = manager.post(networkRequest, ping->toBody());
    QSignalSpy ended(reply, &QNetworkReply::finished);
    QVERIFY(ended.wait(kWaitMs));

    QObject owner;
    Sink sink;
    vk_testing::LogCapture capture;
    HttpClientReply *follower = HttpClientReply::attach(reply, ping, &sink, QStringLiteral("onResponse"), &owner);
    // Before this thread has run a single event:
    QVERIFY(follower->isDone());
    QCOMPARE(capture.count(kRaw), 1);
    QCOMPARE(sink.responses.size(), answered ? 1 : 0);
    QCOMPARE(follower->lastResponse().uuid, answered ? ping->uuid : QUuid());
    QCOMPARE(startsOneLine(capture, QStringLiteral("Error: ConnectionRefusedError, description: ")), !answered);
}

QTEST_GUILESS_MAIN(TestFennicClient)
#include "tst_fennic_client.moc"
