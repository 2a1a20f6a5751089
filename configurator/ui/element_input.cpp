#include "configurator/ui/element_input.h"

#include "configurator/app_settings.h"
#include "configurator/element_value.h"
#include "configurator/gui_qml_handler.h"

#include <QDebug>
#include <QLocale>
#include <QQmlEngine>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace configurator {

ElementInput::ElementInput(QObject *parent) : QObject(parent) { }

QString ElementInput::text(VkInterfaceElement *element)
{
    return element ? ElementValue::text(*element) : QString();
}

QString ElementInput::commit(VkInterfaceElement *element, const QString &text) const
{
    if (!element)
        return QString();
    ElementValue::Clamp clamp = ElementValue::Clamp::None;
    const QVariant data = ElementValue::fitted(*element, text, &clamp);
    if (clamp == ElementValue::Clamp::ToMaximum)
        qDebug() << "MORE THAN MAX";
    else if (clamp == ElementValue::Clamp::ToMinimum)
        qDebug() << "LESS THAN MIN";
    element->setData(data);
    return ElementValue::text(*element);
}

bool ElementInput::commitEnum(VkInterfaceElement *element, int index) const
{
    if (!element || index < 0 || index >= element->enumValues().size()
        || !ElementValue::isSelectableEntry(element->enumValues().at(index)))
        return false;
    element->setData(index);
    return true;
}

void ElementInput::commitBinary(VkInterfaceElement *element, bool checked) const
{
    if (element)
        element->setData(checked ? 1 : 0);
}

int ElementInput::maximumLength(VkInterfaceElement *element) const
{
    constexpr int kUnlimited = 32767; // the text field's own default
    const int length = element ? ElementValue::maximumLength(*element) : -1;
    return length < 0 ? kUnlimited : length;
}

QString ElementInput::inputPattern(VkInterfaceElement *element)
{
    if (!element)
        return QString();
    if (element->dataType() == VkInterfaceElement::TString && !element->regexp().isEmpty()
        && !QRegularExpression(element->regexp()).isValid())
        qDebug() << "Unusable input pattern of element" << element->id() << ":" << element->regexp();
    return ElementValue::inputPattern(*element);
}

QValidator *ElementInput::validatorFor(VkInterfaceElement *element) const
{
    const QString pattern = inputPattern(element);
    if (pattern.isEmpty())
        return nullptr;
    auto *validator = element->findChild<QRegularExpressionValidator *>(QString(), Qt::FindDirectChildrenOnly);
    if (!validator) {
        validator = new QRegularExpressionValidator(QRegularExpression(pattern), element);
        QQmlEngine::setObjectOwnership(validator, QQmlEngine::CppOwnership);
    }
    return validator;
}

bool ElementInput::isEditable(VkInterfaceElement *element, bool isRoot)
{
    return element && ElementValue::isEditable(*element, isRoot);
}

bool ElementInput::isShownTo(VkInterfaceElement *element, bool isRoot)
{
    return element && ElementValue::isVisible(*element, isRoot);
}

bool ElementInput::isSecret(VkInterfaceElement *element, bool isApplication)
{
    return isApplication && element && element->id() == AppSettings::DefaultPassword;
}

bool ElementInput::isCommand(VkInterfaceElement *element)
{
    return element && ElementValue::isCommand(*element);
}

QString ElementInput::displayName(VkInterfaceElement *element, bool ruSupported, bool enSupported)
{
    return element ? displayName(*element, QLocale::system().name(), ruSupported, enSupported) : QString();
}

QString ElementInput::displayName(const GuiQmlHandler *core, int id, const QString &otherwise)
{
    VkInterfaceElement *element = core ? core->interfaceElement(id) : nullptr;
    return element ? displayName(element, core->appCoreIsRuSupported(), core->appCoreIsEnSupported()) : otherwise;
}

QString ElementInput::displayName(
    const VkInterfaceElement &element, const QString &localeName, bool ruSupported, bool enSupported)
{
    const bool russian = (localeName.startsWith(QLatin1String("ru")) && ruSupported) || (!enSupported && ruSupported);
    // A device that gives no Russian name ("Speed*") is shown by its English one.
    return russian && !element.nameRu().isEmpty() ? element.nameRu() : element.nameEn();
}

} // namespace configurator
