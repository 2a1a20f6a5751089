#include "v_fennic/http_client.h"

#include "v_fennic/http_client_reply.h"
#include "v_fennic/t_fennic_response.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace v_fennic {

HttpClient::HttpClient(QObject *parent) : QObject(parent), _manager(new QNetworkAccessManager(this))
{
    qRegisterMetaType<v_fennic::TFennicResponse>();
    _manager->setTransferTimeout(int(kDefaultTransferTimeout.count()));
}

HttpClient::~HttpClient()
{
    // The network replies go first and quietly; the HttpClientReply children then find them gone.
    delete _manager;
}

void HttpClient::setServerAddress(const QString &address)
{
    _serverUrl = QUrl::fromUserInput(address);
}

void HttpClient::setSslConfiguration(const QSslConfiguration &configuration)
{
    _sslConfiguration = configuration;
    if (!_sslConfiguration.isNull() && _sslConfiguration.peerVerifyMode() != QSslSocket::VerifyPeer
        && _sslConfiguration.peerVerifyMode() != QSslSocket::AutoVerifyPeer) {
        qWarning() << "TLS configuration without peer verification: the server is verified all the same";
        _sslConfiguration.setPeerVerifyMode(QSslSocket::VerifyPeer);
    }
}

void HttpClient::setTransferTimeout(std::chrono::milliseconds timeout)
{
    _manager->setTransferTimeout(int(timeout.count()));
}

ReturnCode HttpClient::send(const QSharedPointer<TFennicMessage> &request, QObject *receiver, const QString &method)
{
    if (!request) {
        return_codes::logBadResult(ReturnCode::ErrArgumentPointerIsNull);
        return ReturnCode::ErrArgumentPointerIsNull;
    }
    if (!receiver || method.isEmpty()) {
        return_codes::logBadResult(ReturnCode::ErrArgumentBadValue);
        return ReturnCode::ErrArgumentBadValue;
    }

    QNetworkRequest networkRequest(_serverUrl);
    // The body is JSON; without a type Qt would call it a form (and warn about each request).
    networkRequest.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    if (!_sslConfiguration.isNull())
        networkRequest.setSslConfiguration(_sslConfiguration);

    const QByteArray body = request->toBody();
    qDebug().noquote() << QStringLiteral("Sending: ") + QString::fromUtf8(body);
    QNetworkReply *reply = _manager->post(networkRequest, body);
    if (!reply) {
        return_codes::logBadResult(ReturnCode::ErrInvalidHandler);
        return ReturnCode::ErrInvalidHandler;
    }
    HttpClientReply::attach(reply, request, receiver, method, this);
    return ReturnCode::Ok;
}

void HttpClient::handleAuthenticationRequired(QNetworkReply *reply, QAuthenticator *)
{
    qWarning() << "Authentication required by" << (reply ? reply->url() : QUrl()) << ": not given";
}

void HttpClient::handleSslErrors(QNetworkReply *reply, QList<QSslError> errors)
{
    qWarning() << "TLS errors from" << (reply ? reply->url() : QUrl()) << ":" << errors;
}

} // namespace v_fennic
