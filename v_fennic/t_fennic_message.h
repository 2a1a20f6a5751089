#pragma once

#include "return_codes/return_codes.h"
#include "v_fennic/t_fennic_command.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUuid>
#include <QVariantList>

namespace v_fennic {

// What requests to the firmware server and its responses have in common: the command and the
// identifier that a response echoes, and a context that a request hands on to its response
// (never sent).
class TFennicMessage
{
public:
    TFennicMessage() = default;
    virtual ~TFennicMessage();

    // Reads the required "cmd" and "uuid" members. A missing or null member ends the read with
    // ErrParsingNotEnougthDataFields or ErrParsingNotEnougthData, a "cmd" that names no known command
    // with ErrArgumentUnexpectedValue (the command stays UnknownCmd); each is logged. A "uuid" text
    // that is no UUID gives the null uuid.
    virtual ReturnCode fromJson(const QJsonObject &json);
    // A known command and a uuid.
    virtual bool isValid() const;
    // Writes "cmd" (the command's name) and "uuid" (braced, lower-case).
    virtual void toJson(QJsonObject &json) const;

    // The body of a request: the compact JSON of toJson.
    QByteArray toBody() const;

    TFennicCommand command = TFennicCommand::UnknownCmd;
    QUuid uuid;
    QVariantList context;

protected:
    // A request: `requestCommand` with a new random uuid.
    explicit TFennicMessage(TFennicCommand requestCommand);

    // The member `key` of `json`, when present and not null. Otherwise ErrParsingNotEnougthDataFields
    // (missing) or ErrParsingNotEnougthData (null); a required member logs "Not found field <key>!" or
    // "Field <key> is NULL!" too.
    static ReturnCode readField(const QJsonObject &json, const QString &key, bool required, QJsonValue &value);
};

} // namespace v_fennic
