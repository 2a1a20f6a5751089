#pragma once

#include "configurator/vk_interface_element.h"

#include <QJsonValue>
#include <QString>
#include <QVariant>

namespace vk_config {

// How vk-config shows the value of an interface element and takes a new one. Shown values are
// those of the window: numbers divided by the element's multiplier, enums by their entry text,
// date-times in local time, texts and hex arrays as text, bit fields in binary. What the element's
// `data` takes (raw integer, enum index, text, hex text) is the core's business: these helpers turn
// text or JSON into such a value and leave the bytes to the element.
class ValueFormat
{
public:
    // The value as the window shows it; empty for an element without a value (captions, commands, not
    // read yet).
    static QString displayText(const VkInterfaceElement &element);

    // A value typed as it is shown ("18.5" for a multiplier of 10, "m³/h", "0b1011", "0A1B") turned
    // into what the element's `data` takes. False, with the reason in `error`, when the text cannot
    // be such a value (a fraction finer than the multiplier, an unknown entry, not a number, ...).
    static bool parseDisplayText(
        const VkInterfaceElement &element, const QString &text, QVariant &data, QString &error);

    // The value as a configuration document carries it: the element's `data` (integers unscaled,
    // enums by index, texts and hex arrays as text); null without a value.
    static QJsonValue jsonValue(const VkInterfaceElement &element);
    // A document's value turned into what `data` takes. False when the JSON type does not fit the
    // element's data type.
    static bool parseJson(const VkInterfaceElement &element, const QJsonValue &value, QVariant &data, QString &error);

    // Whether the element holds a value at all (not a caption or a command).
    static bool hasValue(const VkInterfaceElement &element);
    // Integers the element's `data` reads and writes as numbers (TInteger, TUinteger, TBitfield, TBinary).
    static bool isNumber(VkInterfaceElement::DataTypes type);

    // A raw number shown in steps of 1/multiplier: 180 with multiplier 10 is "18.0", 1250 with 100
    // "12.50"; a multiplier of 1 or less shows the number as it is.
    static QString scaledText(qint64 raw, int multiplier);

    // A device's text made safe for a terminal line: control and format characters (escape
    // sequences, line breaks, direction overrides) become U+FFFD.
    static QString printable(const QString &text);

    // "setting", "state", "personalization", "command", "app setting", "app command".
    static QString kindWord(VkInterfaceElement::ETypes type);
};

} // namespace vk_config
