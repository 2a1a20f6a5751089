#pragma once

#include "configurator/vk_interface_element.h"

#include <QObject>
#include <QString>
#include <QValidator>
#include <QVariant>

namespace configurator {

class GuiQmlHandler;

// The value rules (ElementValue) for the value delegates: what a field shows, what it lets be typed, and
// what a commit stores. Numbers are clamped to the element's limits, hexadecimal and text entries cut to
// the element's size, enumeration entries marked "#" refused. Every commit writes the element's `data`
// itself and returns the text the field shows afterwards, so a value the device gets is always one the
// field showed. The QML singleton ElementInput (VkUi 1.0).
class ElementInput : public QObject
{
    Q_OBJECT

public:
    explicit ElementInput(QObject *parent = nullptr);

    // The value as every front end shows it.
    Q_INVOKABLE static QString text(VkInterfaceElement *element);
    // Fits `text` to the element (numbers clamped, hex and text cut), stores it and returns what the
    // field shows now.
    Q_INVOKABLE QString commit(VkInterfaceElement *element, const QString &text) const;
    // Stores the index of a selectable entry; false (nothing stored) for any other index.
    Q_INVOKABLE bool commitEnum(VkInterfaceElement *element, int index) const;
    Q_INVOKABLE void commitBinary(VkInterfaceElement *element, bool checked) const;

    // How many characters the field takes: 2 × dataSize hex digits, dataSize - 1 characters of text,
    // otherwise no limit.
    Q_INVOKABLE int maximumLength(VkInterfaceElement *element) const;
    // The pattern of the field's validator (ElementValue::inputPattern).
    static QString inputPattern(VkInterfaceElement *element);
    // The validator for that pattern (one per element, owned by it), or null without a pattern.
    Q_INVOKABLE QValidator *validatorFor(VkInterfaceElement *element) const;

    Q_INVOKABLE static bool isEditable(VkInterfaceElement *element, bool isRoot);
    Q_INVOKABLE static bool isShownTo(VkInterfaceElement *element, bool isRoot);
    Q_INVOKABLE static bool isCommand(VkInterfaceElement *element);
    // A value shown masked until the user reveals it: the default device password of the
    // application settings.
    Q_INVOKABLE static bool isSecret(VkInterfaceElement *element, bool isApplication);
    // The element's name in the interface language: Russian for a Russian system locale when it is
    // supported, or when English is not; English otherwise (and for an empty Russian name).
    Q_INVOKABLE static QString displayName(VkInterfaceElement *element, bool ruSupported, bool enSupported);
    static QString displayName(
        const VkInterfaceElement &element, const QString &localeName, bool ruSupported, bool enSupported);
    // The name of the connected device's element `id` as its row shows it; `otherwise` when the device
    // has no such element.
    static QString displayName(const GuiQmlHandler *core, int id, const QString &otherwise);
};

} // namespace configurator
