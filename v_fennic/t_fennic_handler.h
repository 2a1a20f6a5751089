#pragma once

#include "event_core/i_topic_subscriber.h"
#include "event_core/module_host.h"
#include "v_fennic/t_fennic_response.h"

#include <QSslConfiguration>
#include <QString>

#include <chrono>

class QTimer;

namespace v_fennic {

class HttpClient;

// The firmware-server module: owns the HttpClient in a thread of its own and keeps the connection
// alive with a "ping" every 500 ms, whose answer comes back to onPingResponse.
//
// Bus: subscribes to nothing; publishes ErrorHappend and DebugHappend (submodule DeviceManager).
class TFennicHandler : public event_core::ITopicSubscriber
{
    Q_OBJECT
    friend class event_core::ModuleHost<TFennicHandler>;

public:
    static constexpr std::chrono::milliseconds kKeepAliveInterval { 500 };
    static constexpr std::chrono::milliseconds kInitializationWait { 1000 };

    // Starts the module for the server at `serverAddress` (QUrl::fromUserInput), with the TLS
    // configuration given (a null one leaves Qt's default). An existing module is returned as it is.
    static TFennicHandler *createInstance(
        QObject *parent, const QString &serverAddress, const QSslConfiguration &sslConfiguration = {});
    static void destroyInstance();
    static TFennicHandler *instance();

signals:
    void initializationDone(QPrivateSignal);

public slots:
    void onPingResponse(v_fennic::TFennicResponse response);

private slots:
    void _onError(QString title, QString text);
    void _onDebug(QString title, QString text);
    void _onKeepAliveTimeout();

public slots:
    void afterThreadStarted();
    void beforeThreadStopped();

private:
    TFennicHandler();
    ~TFennicHandler() override;

    const QString _serverAddress;
    const QSslConfiguration _sslConfiguration;
    HttpClient *_client = nullptr;
    QTimer *_keepAliveTimer = nullptr;
};

} // namespace v_fennic
