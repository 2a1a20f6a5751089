#include "v_fennic/t_fennic_message.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>

namespace v_fennic {

namespace {

const QString kCmd = QStringLiteral("cmd");
const QString kUuid = QStringLiteral("uuid");

// A member's value for a log line: a string as it is, anything else as compact JSON.
QString valueText(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    return QString::fromUtf8(QJsonDocument(QJsonArray { value }).toJson(QJsonDocument::Compact)).mid(1).chopped(1);
}

} // namespace

TFennicMessage::TFennicMessage(TFennicCommand requestCommand) : command(requestCommand), uuid(QUuid::createUuid()) { }

TFennicMessage::~TFennicMessage() = default;

ReturnCode TFennicMessage::readField(const QJsonObject &json, const QString &key, bool required, QJsonValue &value)
{
    const auto found = json.constFind(key);
    if (found == json.constEnd()) {
        if (required)
            qWarning().noquote() << QStringLiteral("Not found field <%1>!").arg(key);
        return ReturnCode::ErrParsingNotEnougthDataFields;
    }
    if (found->isNull() || found->isUndefined()) {
        if (required)
            qWarning().noquote() << QStringLiteral("Field <%1> is NULL!").arg(key);
        return ReturnCode::ErrParsingNotEnougthData;
    }
    value = *found;
    return ReturnCode::Ok;
}

ReturnCode TFennicMessage::fromJson(const QJsonObject &json)
{
    command = TFennicCommand::UnknownCmd;
    uuid = QUuid();

    QJsonValue value;
    ReturnCode result = readField(json, kCmd, true, value);
    if (result != ReturnCode::Ok)
        return result;
    TFennicCommand parsed = TFennicCommand::UnknownCmd;
    if (!commandFromText(value.toString(), parsed)) {
        qWarning().noquote() << QStringLiteral("Invalid field <%1> parsing, value:").arg(kCmd) << valueText(value);
        return ReturnCode::ErrArgumentUnexpectedValue;
    }
    command = parsed;

    result = readField(json, kUuid, true, value);
    if (result != ReturnCode::Ok)
        return result;
    uuid = QUuid::fromString(value.toString());
    return ReturnCode::Ok;
}

bool TFennicMessage::isValid() const
{
    return command != TFennicCommand::UnknownCmd && !uuid.isNull();
}

void TFennicMessage::toJson(QJsonObject &json) const
{
    json.insert(kCmd, toText(command));
    json.insert(kUuid, uuid.toString(QUuid::WithBraces));
}

QByteArray TFennicMessage::toBody() const
{
    QJsonObject json;
    toJson(json);
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

} // namespace v_fennic
