#pragma once

#include "v_fennic/t_fennic_message.h"

#include <QByteArray>
#include <QJsonObject>
#include <QMetaType>
#include <QString>

namespace v_fennic {

// An answer of the firmware server, parsed from its body:
//   {"status": bool (required), "code": int, "error": text, "cmd": name (required), "uuid": text (required)}
// A default response has no command (UnknownCmd) and the null uuid.
class TFennicResponse : public TFennicMessage
{
public:
    // Resets every field and parses `body`. Text that is no JSON, or JSON that is no object, leaves
    // jsonValid false with jsonError telling why, and returns ErrArgumentBadValue; otherwise the
    // object is kept and read by fromJson, whose failure is logged ("Bad result: ").
    // Every failure also logs "Invalid JSON parsing!".
    ReturnCode parse(const QByteArray &body);

    // Reads "status" (required), "code" and "error" (a missing or null one is only logged), then "cmd"
    // and "uuid" as the base does. The first failure of a required member ends the read.
    ReturnCode fromJson(const QJsonObject &json) override;
    // The base check, and the body was a JSON object.
    bool isValid() const override;
    // Responses are not sent: logs "Unsupported case!".
    void toJson(QJsonObject &json) const override;

    bool status = false;
    int code = 0;
    QString error;
    bool jsonValid = false;
    QString jsonError;
    QJsonObject json;
};

} // namespace v_fennic

Q_DECLARE_METATYPE(v_fennic::TFennicResponse)
