#include "v_fennic/t_fennic_response.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonParseError>

namespace v_fennic {

namespace {

const QString kStatus = QStringLiteral("status");
const QString kCode = QStringLiteral("code");
const QString kError = QStringLiteral("error");

void logInvalidJson()
{
    qWarning() << "Invalid JSON parsing!";
}

} // namespace

ReturnCode TFennicResponse::parse(const QByteArray &body)
{
    *this = TFennicResponse();

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        jsonError = QStringLiteral("Parsing error at ") + QString::number(parseError.offset)
            + QStringLiteral(" symbol in data<") + QString::fromUtf8(body) + QLatin1Char('>');
    } else if (document.isEmpty() || document.isNull() || !document.isObject()) {
        jsonError = QStringLiteral("Invalid JSON <") + QString::fromUtf8(body) + QLatin1Char('>');
    }
    if (!jsonError.isEmpty()) {
        qWarning().noquote() << jsonError;
        logInvalidJson();
        return ReturnCode::ErrArgumentBadValue;
    }

    jsonValid = true;
    json = document.object();
    const ReturnCode result = fromJson(json);
    if (result != ReturnCode::Ok) {
        return_codes::logBadResult(result);
        logInvalidJson();
    }
    return result;
}

ReturnCode TFennicResponse::fromJson(const QJsonObject &object)
{
    status = false;
    code = 0;
    error.clear();
    command = TFennicCommand::UnknownCmd;
    uuid = QUuid();

    QJsonValue value;
    const ReturnCode statusResult = readField(object, kStatus, true, value);
    if (statusResult != ReturnCode::Ok)
        return statusResult;
    status = value.toBool();

    const ReturnCode codeResult = readField(object, kCode, false, value);
    if (codeResult == ReturnCode::Ok)
        code = value.toInt();
    else
        return_codes::logBadResult(codeResult);

    const ReturnCode errorResult = readField(object, kError, false, value);
    if (errorResult == ReturnCode::Ok)
        error = value.toString();
    else
        return_codes::logBadResult(errorResult);

    return TFennicMessage::fromJson(object);
}

bool TFennicResponse::isValid() const
{
    return TFennicMessage::isValid() && jsonValid;
}

void TFennicResponse::toJson(QJsonObject &) const
{
    qWarning() << "Unsupported case!";
}

} // namespace v_fennic
