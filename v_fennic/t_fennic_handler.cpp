#include "v_fennic/t_fennic_handler.h"

#include "event_topics/messages/system/debug_happend.h"
#include "event_topics/messages/system/error_happend.h"
#include "v_fennic/http_client.h"
#include "v_fennic/t_fennic_ping_request.h"

#include <QDebug>
#include <QMutex>
#include <QMutexLocker>
#include <QTimer>

namespace v_fennic {

namespace {

using Host = event_core::ModuleHost<TFennicHandler>;

// What the next instance is made with: handed over by createInstance to the constructor.
struct Configuration
{
    QMutex mutex;
    QString serverAddress;
    QSslConfiguration sslConfiguration;
};

Configuration &configuration()
{
    static Configuration instance;
    return instance;
}

QString configuredAddress()
{
    Configuration &config = configuration();
    QMutexLocker lock(&config.mutex);
    return config.serverAddress;
}

QSslConfiguration configuredSsl()
{
    Configuration &config = configuration();
    QMutexLocker lock(&config.mutex);
    return config.sslConfiguration;
}

} // namespace

TFennicHandler::TFennicHandler() : _serverAddress(configuredAddress()), _sslConfiguration(configuredSsl()) { }

TFennicHandler::~TFennicHandler() = default;

TFennicHandler *TFennicHandler::createInstance(
    QObject *parent, const QString &serverAddress, const QSslConfiguration &sslConfiguration)
{
    if (TFennicHandler *existing = Host::instance())
        return existing;
    {
        Configuration &config = configuration();
        QMutexLocker lock(&config.mutex);
        config.serverAddress = serverAddress;
        config.sslConfiguration = sslConfiguration;
    }
    return Host::create(parent, kInitializationWait, Q_FUNC_INFO);
}

void TFennicHandler::destroyInstance()
{
    Host::destroy("QMetaObject::invokeMethod( g_handler, []() { g_handler->beforeThreadStopped(); }, "
                  "Qt::BlockingQueuedConnection)");
}

TFennicHandler *TFennicHandler::instance()
{
    return Host::instance();
}

void TFennicHandler::afterThreadStarted()
{
    _keepAliveTimer = new QTimer(this);
    _keepAliveTimer->setSingleShot(false);
    _keepAliveTimer->setInterval(kKeepAliveInterval);
    connect(_keepAliveTimer, &QTimer::timeout, this, &TFennicHandler::_onKeepAliveTimeout);
    _client = new HttpClient(this);
    _client->setServerAddress(_serverAddress);
    if (!_sslConfiguration.isNull())
        _client->setSslConfiguration(_sslConfiguration);
    _keepAliveTimer->start();
    emit initializationDone(QPrivateSignal());
}

void TFennicHandler::beforeThreadStopped()
{
    return_codes::logIfError(unsubscribeAll());
    // Timer, client and the requests in flight end here, in their own thread.
    delete _keepAliveTimer;
    _keepAliveTimer = nullptr;
    delete _client;
    _client = nullptr;
}

void TFennicHandler::_onKeepAliveTimeout()
{
    if (!_client) {
        return_codes::logBadResult(ReturnCode::ErrInvalidHandler);
        return;
    }
    return_codes::logIfError(
        _client->send(QSharedPointer<TFennicPingRequest>::create(), this, QStringLiteral("onPingResponse")));
}

void TFennicHandler::onPingResponse(v_fennic::TFennicResponse)
{
    qDebug() << "Received";
}

void TFennicHandler::_onError(QString title, QString text)
{
    return_codes::logIfError(publish(new event_topics::system::ErrorHappend(SubmoduleIds::DeviceManager, title, text)));
}

void TFennicHandler::_onDebug(QString title, QString text)
{
    return_codes::logIfError(publish(new event_topics::system::DebugHappend(SubmoduleIds::DeviceManager, title, text)));
}

} // namespace v_fennic
