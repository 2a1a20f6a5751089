#pragma once

#include "return_codes/return_codes.h"
#include "v_fennic/t_fennic_message.h"

#include <QList>
#include <QObject>
#include <QSharedPointer>
#include <QSslConfiguration>
#include <QSslError>
#include <QString>
#include <QUrl>

#include <chrono>

class QAuthenticator;
class QNetworkAccessManager;
class QNetworkReply;

namespace v_fennic {

// JSON over HTTPS to the firmware server: each request is POSTed to the server address as it is
// configured, and its answer goes to a receiver's method (see HttpClientReply). Every send stands on
// its own: no queue, no retry. Used in one thread, the one it lives in.
//
// TLS errors and authentication requests fail the request: nothing here ignores them.
class HttpClient : public QObject
{
    Q_OBJECT

public:
    // A request during which no data moves for this long is aborted (OperationCanceledError).
    static constexpr std::chrono::milliseconds kDefaultTransferTimeout { 30000 };

    explicit HttpClient(QObject *parent = nullptr);
    ~HttpClient() override;

    // The URL becomes QUrl::fromUserInput(address).
    void setServerAddress(const QString &address);
    QUrl serverUrl() const { return _serverUrl; }

    // The TLS configuration of every later request; a null one (the default) leaves Qt's default.
    // Peer verification is always on: a configuration that would not verify the server is given
    // QSslSocket::VerifyPeer (logged).
    void setSslConfiguration(const QSslConfiguration &configuration);
    QSslConfiguration sslConfiguration() const { return _sslConfiguration; }

    void setTransferTimeout(std::chrono::milliseconds timeout);

    // POSTs the body of `request`. The answer is handed to the slot `method` of `receiver`, taking one
    // `v_fennic::TFennicResponse` (declared with that name): called directly when the receiver lives in
    // this thread, queued otherwise.
    // ErrArgumentPointerIsNull for a null request, ErrArgumentBadValue without a receiver or method,
    // ErrInvalidHandler when no network reply results; each is logged ("Bad result: ").
    ReturnCode send(const QSharedPointer<TFennicMessage> &request, QObject *receiver, const QString &method);

public slots:
    // Not connected: a subclass may connect them to the manager's signals. They grant nothing; the
    // request fails as it would without them.
    virtual void handleAuthenticationRequired(QNetworkReply *reply, QAuthenticator *authenticator);
    virtual void handleSslErrors(QNetworkReply *reply, QList<QSslError> errors);

private:
    QNetworkAccessManager *const _manager;
    QUrl _serverUrl;
    QSslConfiguration _sslConfiguration;
};

} // namespace v_fennic
