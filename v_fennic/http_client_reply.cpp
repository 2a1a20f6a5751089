#include "v_fennic/http_client_reply.h"

#include <QDebug>
#include <QMetaEnum>
#include <QThread>

namespace v_fennic {

namespace {

void logInvalidReply()
{
    qWarning() << "invalid reply";
}

void logNetworkError(QNetworkReply *reply, QNetworkReply::NetworkError code)
{
    const char *name = QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(code);
    qWarning().noquote() << QStringLiteral("Error: ") + QLatin1String(name ? name : "")
            + QStringLiteral(", description: ") + reply->errorString();
}

void logBodyTooLarge()
{
    qWarning().noquote()
        << QStringLiteral("Response body longer than %1 bytes, reply aborted").arg(HttpClientReply::kMaxBodySize);
}

} // namespace

HttpClientReply::HttpClientReply(QNetworkReply *reply, QSharedPointer<TFennicMessage> request, QObject *receiver,
    const QString &method, QObject *parent)
    : QObject(parent), _reply(reply), _request(std::move(request)), _receiver(receiver), _method(method)
{
    connect(reply, &QNetworkReply::errorOccurred, this, &HttpClientReply::_networkReplyError);
    connect(reply, &QNetworkReply::finished, this, &HttpClientReply::_networkReplyFinished);
    // Checked as the body comes in (the progress signal comes too seldom for that): a body announced
    // or held beyond the largest size is not waited for.
    connect(reply, &QNetworkReply::metaDataChanged, this, &HttpClientReply::checkBodySize);
    connect(reply, &QNetworkReply::readyRead, this, &HttpClientReply::checkBodySize);
}

HttpClientReply *HttpClientReply::attach(QNetworkReply *reply, QSharedPointer<TFennicMessage> request,
    QObject *receiver, const QString &method, QObject *parent)
{
    auto *follower = new HttpClientReply(reply, std::move(request), receiver, method, parent);
    connect(follower, &HttpClientReply::finished, follower, &QObject::deleteLater);
    if (reply->isFinished()) {
        // Its signals have gone out already: this is the only chance to see its end.
        follower->_done = true;
        if (reply->error() != QNetworkReply::NoError)
            logNetworkError(reply, reply->error());
        follower->complete(reply);
    }
    return follower;
}

void HttpClientReply::_networkReplyError(QNetworkReply::NetworkError code)
{
    if (code == QNetworkReply::NoError || _done)
        return;
    _done = true;
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (!reply) {
        logInvalidReply();
        return;
    }
    logNetworkError(reply, code);
    complete(reply);
}

void HttpClientReply::_networkReplyFinished()
{
    // After an error the reply also reports its end: it has been processed then.
    if (_done)
        return;
    _done = true;
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (!reply) {
        logInvalidReply();
        return;
    }
    complete(reply);
}

void HttpClientReply::checkBodySize()
{
    if (_done || _bodyTooLarge || !_reply)
        return;
    const QVariant announced = _reply->header(QNetworkRequest::ContentLengthHeader);
    if (_reply->bytesAvailable() <= kMaxBodySize && (!announced.isValid() || announced.toLongLong() <= kMaxBodySize))
        return;
    _bodyTooLarge = true;
    logBodyTooLarge();
    _reply->abort(); // reports OperationCanceledError and its end at once
}

void HttpClientReply::complete(QNetworkReply *reply)
{
    process(reply);
    reply->deleteLater();
    emit finished();
}

void HttpClientReply::process(QNetworkReply *reply)
{
    QByteArray body;
    if (!_bodyTooLarge) {
        body = reply->read(kMaxBodySize + 1);
        if (body.size() > kMaxBodySize) {
            _bodyTooLarge = true;
            logBodyTooLarge();
            body.clear();
        }
    }
    qDebug().noquote() << QStringLiteral("received RAW: ") + QString::fromUtf8(body);

    TFennicResponse response;
    response.parse(body);
    response.context = _request->context;
    if (_request->isValid()) {
        if (response.command != _request->command) {
            qWarning().noquote() << QStringLiteral("Mismatch cmd: request<%1> and response<%2>!")
                                        .arg(toText(_request->command), toText(response.command));
            return;
        }
        if (response.uuid != _request->uuid) {
            qWarning().noquote() << QStringLiteral("Mismatch uuid: request<%1> and response<%2>!")
                                        .arg(_request->uuid.toString(), response.uuid.toString());
            return;
        }
    }
    _lastResponse = response;
    emit messageReceived(response);
    notify(response);
}

void HttpClientReply::notify(const TFennicResponse &response)
{
    QObject *receiver = _receiver.data();
    if (!receiver || _method.isEmpty())
        return;
    // A receiver of another thread gets the response queued, without this thread waiting for it: the
    // receiver's thread may itself be waiting for this one (stopping it, for one), and would never run
    // the call.
    const Qt::ConnectionType type
        = receiver->thread() == QThread::currentThread() ? Qt::DirectConnection : Qt::QueuedConnection;
    const QByteArray method = _method.toUtf8();
    if (!QMetaObject::invokeMethod(receiver, method.constData(), type, Q_ARG(v_fennic::TFennicResponse, response)))
        qDebug().nospace().noquote() << "invalid invokeMethod: " << receiver->metaObject()->className()
                                     << "::" << _method << "(v_fennic::TFennicResponse)";
}

} // namespace v_fennic
