#pragma once

#include "configurator/vk_interface_element.h"
#include "v_protocol/t_slave_application.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

namespace configurator {

// The configuration document of a device, the one file format of both front ends (the window's Save
// to file, `vk-config get --json`), which Load from file and `vk-config set`/`diff` take back:
//
//   { "format": "vk-config", "version": 1,
//     "device": { "name", "serial", "modelId", "hardwareVersion", "firmwareVersion": "2.4", "appType" },
//     "access": "root" | "user",
//     "elements": [ { "id", "kind": "SlaveSetting", "nameEn", "dataType": "TUinteger", "dataSize",
//                     "editable", "multiplier", "min", "max", "enumValues", "value", "text" }, ... ] }
//
// "value" is what the element's `data` holds (integers unscaled, enums by index, texts and hex as
// text; null without a value), "text" the value as every front end shows it (not read back). Profile
// fields beyond id, kind and data type are there for people. A document handed in is input, not
// trust: reading refuses, with what and where, a file too large, anything that is not such a
// document, and an element id given twice; what its values mean is for the comparison to judge.
class ConfigDocument
{
    Q_DECLARE_TR_FUNCTIONS(ConfigDocument)

public:
    // No device has a profile anywhere near this; a larger file is not a configuration document.
    static constexpr qint64 kMaxBytes = 4 * 1024 * 1024;
    static constexpr int kMaxElements = 65536;

    struct Entry
    {
        int id = -1;
        QString kind; // VkInterfaceElement::typeName, or empty
        QString dataType; // VkInterfaceElement::dataTypeName, or empty
        QString nameEn;
        QJsonValue value;
        int position = 0; // in the document's list, from 0
    };

    // The device the document was read from, as far as it says.
    struct Identity
    {
        QString name;
        quint64 serial = 0;
        int modelId = -1;
        QString firmwareVersion;
    };

    struct Contents
    {
        Identity device;
        QList<Entry> entries;
    };

    static QJsonObject make(
        const v_protocol::TSlaveApplication &device, bool isRoot, const QList<const VkInterfaceElement *> &elements);
    static QJsonObject elementObject(const VkInterfaceElement &element);
    // "2.4"
    static QString versionText(const v_protocol::TFirmwareVersion &version);

    // The contents of a document; false with the reason (what, where) when it is not one.
    static bool read(const QByteArray &json, Contents &contents, QString &error);
    // The same for a file, refused unread when it is larger than kMaxBytes.
    static bool readFile(const QString &path, Contents &contents, QString &error);
};

} // namespace configurator
