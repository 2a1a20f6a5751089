#pragma once

#include "configurator/vk_interface_element.h"

#include <QObject>
#include <QString>
#include <QValidator>
#include <QVariant>

namespace configurator {

// What the value delegates do with what the user typed or chose, before it becomes an element's
// value: numbers are clamped to the element's limits and to what its bytes can hold, hexadecimal and
// text entries are cut to the element's size, enumeration entries marked "#" are refused. Every
// commit writes the element's `data` itself and returns the text the field shows afterwards, so a
// value the device gets is always one the field showed. The QML singleton ElementInput (VkUi 1.0).
class ElementInput : public QObject
{
    Q_OBJECT

public:
    // A closed range of device values (the value bytes read as a number; display = value / multiplier).
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

    explicit ElementInput(QObject *parent = nullptr);

    // The numbers the element's value bytes can hold (TInteger of one byte reads unsigned).
    static Range typeRange(VkInterfaceElement::DataTypes dataType, int dataSize);
    // The profile's limits within the type's range. A profile giving neither limit (both 0) limits
    // the value by its type only.
    static Range deviceRange(const VkInterfaceElement &element);
    // The multiplier the display divides by (a profile's 0 counts as 1).
    static int multiplierOf(const VkInterfaceElement &element);
    // The device value for `text` typed in display units: above the range the maximum, below it or
    // not a number the minimum.
    static qint64 clampNumber(const VkInterfaceElement &element, const QString &text, Clamp *clamp = nullptr);
    // A device value in display units ("18", "12.05").
    static QString displayNumber(const VkInterfaceElement &element, qint64 value);

    // Hex digits only, cut to 2 × dataSize and filled with leading zeros to that length.
    static QString fitHex(const QString &text, int dataSize);
    // The longest start of `text` whose UTF-8 form leaves room for the closing NUL in dataSize bytes.
    static QString fitString(const QString &text, int dataSize);
    // The text of an enumeration entry as shown ("#" taken off) and whether it may be chosen.
    static QString entryText(const QString &entry);
    static bool isSelectableEntry(const QString &entry);

    // The value as the number field shows it.
    Q_INVOKABLE QString numberText(VkInterfaceElement *element) const;
    // Clamps `text`, stores it in the element and returns what the field shows now.
    Q_INVOKABLE QString commitNumber(VkInterfaceElement *element, const QString &text) const;
    // Fits a hexadecimal or text entry to the element, stores it and returns what the field shows now.
    Q_INVOKABLE QString commitText(VkInterfaceElement *element, const QString &text) const;
    // Stores the index of a selectable entry; false (nothing stored) for any other index.
    Q_INVOKABLE bool commitEnum(VkInterfaceElement *element, int index) const;
    Q_INVOKABLE void commitBinary(VkInterfaceElement *element, bool checked) const;

    // How many characters the text field takes: 2 × dataSize hex digits, dataSize - 1 characters of
    // text, otherwise no limit.
    Q_INVOKABLE int maximumLength(VkInterfaceElement *element) const;
    // The pattern the field's validator uses: hex digits for hexadecimal elements, the profile's
    // pattern for texts (empty when it has none or it is not a valid regular expression).
    static QString inputPattern(VkInterfaceElement *element);
    // The validator for that pattern (one per element, owned by it), or null without a pattern.
    Q_INVOKABLE QValidator *validatorFor(VkInterfaceElement *element) const;

    // Whether the connected user may change the element.
    Q_INVOKABLE static bool isEditable(VkInterfaceElement *element, bool isRoot);
    // Whether the element is shown to the user at all (two editabilities are for root only).
    Q_INVOKABLE static bool isShownTo(VkInterfaceElement *element, bool isRoot);
    // Commands carry a button that runs them.
    Q_INVOKABLE static bool isCommand(VkInterfaceElement *element);
    // The element's name in the interface language: Russian for a Russian system locale when it is
    // supported, or when English is not; English otherwise.
    Q_INVOKABLE static QString displayName(VkInterfaceElement *element, bool ruSupported, bool enSupported);
    static QString displayName(
        const VkInterfaceElement &element, const QString &localeName, bool ruSupported, bool enSupported);

    // A bit field's value as binary digits in groups of four ("0000 0000 0001 0010"), the value
    // shown where there is no editor.
    Q_INVOKABLE static QString bitfieldText(VkInterfaceElement *element);

    // Seconds since 1970 as local time "d-M-yyyy h:m:s" (5-3-2024 9:7:0).
    Q_INVOKABLE static QString unixTimeText(const QVariant &seconds);
};

} // namespace configurator
