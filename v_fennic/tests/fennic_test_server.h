#pragma once

// The firmware server of the client's tests (fennic_test_server.py) as a child process, and the
// certificates it is started with, made by openssl into a temporary folder.

#include "testing/process_run.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QString>
#include <QTest>

namespace fennic_testing {

constexpr int kWaitMs = 30000;

// A self-signed certificate and its key for `subjectAltName` (e.g. "IP:127.0.0.1"), written to
// `folder`/`name`.pem and `folder`/`name`.key. False when openssl failed.
inline bool makeCertificate(const QString &folder, const QString &name, const QString &subjectAltName)
{
    const QString base = folder + QLatin1Char('/') + name;
    const vk_testing::ProcessRun run = vk_testing::runProcess(QStringLiteral(OPENSSL_PATH),
        { QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
            QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
            QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=fennic test"),
            QStringLiteral("-addext"), QStringLiteral("subjectAltName=") + subjectAltName, QStringLiteral("-keyout"),
            base + QStringLiteral(".key"), QStringLiteral("-out"), base + QStringLiteral(".pem") });
    if (!run.exitedNormally() || run.exitCode != 0)
        qWarning().noquote() << "openssl failed:" << run.err;
    return run.exitedNormally() && run.exitCode == 0;
}

// A client configuration that trusts only the certificate `folder`/`name`.pem.
inline QSslConfiguration trusting(const QString &folder, const QString &name)
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates(
        QSslCertificate::fromPath(folder + QLatin1Char('/') + name + QStringLiteral(".pem")));
    return configuration;
}

class TestServer
{
public:
    ~TestServer() { stop(); }

    // Starts the server with the certificate `folder`/`name`.pem and waits for its port.
    bool start(const QString &folder, const QString &name)
    {
        const QString base = folder + QLatin1Char('/') + name;
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this]() { readLines(); });
        m_process.start(QStringLiteral(PYTHON_PATH),
            { QStringLiteral(SERVER_SCRIPT), base + QStringLiteral(".pem"), base + QStringLiteral(".key") });
        if (!QTest::qWaitFor([this]() { return m_port != 0 || m_process.state() == QProcess::NotRunning; }, kWaitMs))
            return false;
        if (m_port == 0)
            qWarning().noquote() << "the test server did not start:" << m_process.readAllStandardError();
        return m_port != 0;
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(kWaitMs)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    // The address of this server that makes it give the answer `query` ("answer=echo", ...).
    QString address(const QString &query) const
    {
        return QStringLiteral("https://127.0.0.1:%1/?%2").arg(m_port).arg(query);
    }

    // The requests received so far ({"method", "path", "contentType", "body"}), in order.
    const QList<QJsonObject> &requests() const { return m_requests; }
    // Connections that ended without a request.
    int connectionsWithoutRequest() const { return m_withoutRequest; }

private:
    void readLines()
    {
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine().trimmed();
            if (line.startsWith("PORT "))
                m_port = line.mid(5).toUShort();
            else if (line.startsWith("REQUEST "))
                m_requests << QJsonDocument::fromJson(line.mid(8)).object();
            else if (line.startsWith("NOREQUEST "))
                ++m_withoutRequest;
        }
    }

    QProcess m_process;
    quint16 m_port = 0;
    QList<QJsonObject> m_requests;
    int m_withoutRequest = 0;
};

} // namespace fennic_testing
