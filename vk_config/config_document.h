#pragma once

#include "configurator/vk_interface_element.h"
#include "v_protocol/t_slave_application.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

namespace vk_config {

// The configuration document of `get --json`, which `set` takes back:
//
//   { "format": "vk-config", "version": 1,
//     "device": { "name", "serial", "modelId", "hardwareVersion", "firmwareVersion": "2.4", "appType" },
//     "access": "root" | "user",
//     "elements": [ { "id", "kind": "SlaveSetting", "nameEn", "dataType": "TUinteger", "dataSize",
//                     "editable", "multiplier", "min", "max", "enumValues", "value", "text" }, ... ] }
//
// "value" is what the element's `data` holds (integers unscaled, enums by index, texts and hex as
// text; null without a value), "text" the value as the window shows it (not read back). Profile
// fields beyond id, kind and data type are there for people; `set` reads id, kind, dataType and value.
class ConfigDocument
{
public:
    struct Entry
    {
        int id = -1;
        QString kind; // VkInterfaceElement::typeName
        QString dataType; // VkInterfaceElement::dataTypeName
        QJsonValue value;
        int position = 0; // in the document, from 0
    };

    static QJsonObject make(
        const v_protocol::TSlaveApplication &device, bool isRoot, const QList<const VkInterfaceElement *> &elements);

    // The entries of a document; false with the reason when it is not one.
    static bool read(const QByteArray &json, QList<Entry> &entries, QString &error);

    static QJsonObject elementObject(const VkInterfaceElement &element);
};

} // namespace vk_config
