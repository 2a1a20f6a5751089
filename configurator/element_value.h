#pragma once

#include "configurator/vk_interface_element.h"

#include <QCoreApplication>
#include <QJsonValue>
#include <QString>
#include <QVariant>

namespace configurator {

// The value of an interface element as people see and type it, in one place for every front end (the
// window's fields, vk-config, configuration documents): the text shown for the value bytes, the reading
// of a typed text or a document value back into what the element's `data` takes, and the check before a
// value is written to the device. One format per data type:
//   TInteger, TUinteger   decimal, divided by the multiplier ("18" for 180 with multiplier 10, "12.05")
//   TEnum                 the entry's text ("#" taken off); the index where the entry does not exist
//   TBinary               "1" or "0" (any other byte as its signed number)
//   TBitfield             binary digits in groups of four ("0000 0001 0010")
//   TUnixtime             local time "d-M-yyyy h:m:s" (5-3-2024 9:7:0)
//   TString               the text
//   THexArray             upper-case hexadecimal ("0A1B"); TInvertedHexArray the bytes in reverse order
class ElementValue
{
    Q_GADGET
    Q_DECLARE_TR_FUNCTIONS(ElementValue)

public:
    // Why a value is not taken. Front ends decide by this, never by the reason's text.
    enum class Refusal {
        None,
        Unknown, // no element of that id
        WrongKind, // not a setting or personalization value, or no value at all (captions, commands)
        NotEditable, // not with this access level
        NotAValue, // the text or document value cannot be a value of this element
        OutOfRange,
        TooLong,
        EnumIndexOutside,
        EnumEntryLocked, // an entry beginning with "#"
    };
    Q_ENUM(Refusal)

    struct Result
    {
        Refusal refusal = Refusal::None;
        // For people (translatable): what is wrong, e.g. "0 is out of range 1 ... 10000".
        QString reason;
        // What the element's `data` takes (raw integers, enum indexes, texts, hex texts).
        QVariant data;

        bool ok() const { return refusal == Refusal::None; }
        static Result refused(Refusal refusal, const QString &reason) { return { refusal, reason, {} }; }
        static Result accepted(const QVariant &data) { return { Refusal::None, {}, data }; }
    };

    // A closed range of device values (the value bytes read as a number).
    struct Range
    {
        qint64 low = 0;
        qint64 high = 0;
    };

    enum class Clamp {
        None,
        ToMaximum,
        ToMinimum,
    };

    // Whether the element holds a value at all (not a caption, not a command).
    static bool hasValue(const VkInterfaceElement &element);
    // Whether a user with root rights or without may change it, and sees it at all.
    static bool isEditable(const VkInterfaceElement &element, bool isRoot);
    static bool isVisible(const VkInterfaceElement &element, bool isRoot);
    // Settings and personalization values are the ones written to a device.
    static bool isWritableKind(VkInterfaceElement::ETypes type);
    static bool isCommand(const VkInterfaceElement &element);

    // The text shown for the element's value; empty without a value (captions, commands, not read yet).
    static QString text(const VkInterfaceElement &element);
    // The text shown for `bytes` held by the element.
    static QString text(const VkInterfaceElement &element, const QByteArray &bytes);

    // A typed text, strictly: what it means for the element, or why it cannot be its value.
    static Result parse(const VkInterfaceElement &element, const QString &text);
    // Whether `data` may be written into the element by a user with or without root rights.
    static Result check(const VkInterfaceElement &element, const QVariant &data, bool isRoot);
    // parse, then check.
    static Result accept(const VkInterfaceElement &element, const QString &text, bool isRoot);
    // The refusal of an element id the device's profile does not have.
    static Result unknown(int id);

    // The value as a configuration document carries it: integers unscaled, enums by index, texts and hex
    // arrays as text; null without a value.
    static QJsonValue toJson(const VkInterfaceElement &element);
    // A document's value (a number, an entry text or index, a text) read for the element.
    static Result fromJson(const VkInterfaceElement &element, const QJsonValue &value);

    // The value bytes the element holds after its `data` is set to `data`.
    static QByteArray bytesOf(const VkInterfaceElement &element, const QVariant &data);
    // Whether the element holds that value already.
    static bool holds(const VkInterfaceElement &element, const QVariant &data);

    // What the window's fields make of a typed text, which they never refuse: numbers clamped into range
    // (not a number: the minimum, `clamp` tells which end), hexadecimal digits cut to the element's size
    // and filled with leading zeros, texts cut to what the element's bytes hold.
    static QVariant fitted(const VkInterfaceElement &element, const QString &text, Clamp *clamp = nullptr);

    // The numbers the value bytes can hold (TInteger of one byte reads unsigned, TBinary is signed).
    static Range typeRange(VkInterfaceElement::DataTypes dataType, int dataSize);
    // The profile's limits within the type's range; without limits (both 0) the type's range.
    static Range deviceRange(const VkInterfaceElement &element);
    // The multiplier the shown value is divided by (a profile's 0 counts as 1).
    static int multiplierOf(const VkInterfaceElement &element);
    // A device number as shown: `value` / multiplier, in as few digits as it takes.
    static QString numberText(const VkInterfaceElement &element, qint64 value);

    // The pattern of what may be typed into the element's field: a number, hexadecimal digits, or the
    // profile's pattern for a text (empty when there is none or it is not a valid regular expression).
    static QString inputPattern(const VkInterfaceElement &element);
    // How many characters its field takes: 2 × dataSize hex digits, dataSize - 1 text characters, else 0
    // (no limit).
    static int maximumLength(const VkInterfaceElement &element);

    // An enumeration entry as shown ("#" taken off) and whether it may be chosen.
    static QString entryText(const QString &entry);
    static bool isSelectableEntry(const QString &entry);

    // The formats above, a line each, for help texts.
    static QString formats();

    // "setting", "state", "personalization", "command", "app setting", "app command".
    static QString kindWord(VkInterfaceElement::ETypes type);
};

} // namespace configurator
