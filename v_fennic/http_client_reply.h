#pragma once

#include "v_fennic/t_fennic_message.h"
#include "v_fennic/t_fennic_response.h"

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QString>

namespace v_fennic {

// Follows one request to the firmware server until its network reply ends, then parses the body
// and hands a response that echoes the request's command and uuid to the receiver. Lives in the
// thread of the client that sent the request, as a child of that client.
class HttpClientReply : public QObject
{
    Q_OBJECT

public:
    // The largest body read; a longer one aborts the reply (logged) and is not parsed.
    static constexpr qint64 kMaxBodySize = 1024 * 1024;

    // Follows `reply` for `request` (both not null), to notify `method` of `receiver`; `finished` is
    // connected to the object's own deferred deletion. A reply that has already finished is processed
    // before this returns.
    static HttpClientReply *attach(QNetworkReply *reply, QSharedPointer<TFennicMessage> request, QObject *receiver,
        const QString &method, QObject *parent);

    bool isDone() const { return _done; }
    // The last response delivered; a default response before that.
    TFennicResponse lastResponse() const { return _lastResponse; }

signals:
    // A response that passed the echo check, emitted before the receiver is notified.
    void messageReceived(v_fennic::TFennicResponse response);
    // The reply has been processed.
    void finished();

private slots:
    void _networkReplyFinished();
    void _networkReplyError(QNetworkReply::NetworkError code);

private:
    HttpClientReply(QNetworkReply *reply, QSharedPointer<TFennicMessage> request, QObject *receiver,
        const QString &method, QObject *parent);

    // Aborts the reply once its body is known to be longer than kMaxBodySize.
    void checkBodySize();
    // Parses the body, checks the echo and notifies; then the network reply is deleted (deferred)
    // and `finished` emitted. Runs once per reply.
    void complete(QNetworkReply *reply);
    void process(QNetworkReply *reply);
    void notify(const TFennicResponse &response);

    QPointer<QNetworkReply> _reply;
    const QSharedPointer<TFennicMessage> _request;
    const QPointer<QObject> _receiver;
    const QString _method;
    TFennicResponse _lastResponse;
    bool _done = false;
    bool _bodyTooLarge = false;
};

} // namespace v_fennic
