#pragma once

#include "return_codes/return_codes.h"
#include "simulator/device_definition.h"

#include <QJsonObject>
#include <QString>

namespace simulator {

// Reads a device definition from its JSON form (the schema is in simulator/README.md) and checks
// everything the engine relies on: value sizes, texts that fit their fields, unique ids, a link that
// Bluetooth LE allows. Errors name the offending field by its path.
class DefinitionReader
{
public:
    // ErrArgumentBadValue with `error` set when the object is not a valid definition.
    static ReturnCode fromJson(const QJsonObject &json, DeviceDefinition &definition, QString &error);
    // ErrArgumentBadValue also for a file that cannot be read or is not a JSON object.
    static ReturnCode fromFile(const QString &path, DeviceDefinition &definition, QString &error);
};

} // namespace simulator
