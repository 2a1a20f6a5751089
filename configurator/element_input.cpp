#include "configurator/element_input.h"

#include <QDateTime>
#include <QDebug>
#include <QLocale>
#include <QQmlEngine>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <cmath>
#include <limits>

namespace configurator {

namespace {

bool isNumberType(VkInterfaceElement::DataTypes dataType)
{
    return dataType == VkInterfaceElement::TInteger || dataType == VkInterfaceElement::TUinteger
        || dataType == VkInterfaceElement::TBitfield;
}

bool isHexType(VkInterfaceElement::DataTypes dataType)
{
    return dataType == VkInterfaceElement::THexArray || dataType == VkInterfaceElement::TInvertedHexArray;
}

// The element's value as a number, as `data` decodes it.
qint64 currentNumber(const VkInterfaceElement &element)
{
    const QVariant value = element.data();
    return value.typeId() == QMetaType::UInt ? qint64(value.toUInt()) : qint64(value.toInt());
}

} // namespace

ElementInput::ElementInput(QObject *parent) : QObject(parent) { }

ElementInput::Range ElementInput::typeRange(VkInterfaceElement::DataTypes dataType, int dataSize)
{
    switch (dataType) {
    case VkInterfaceElement::TInteger:
        switch (dataSize) {
        case 1: return { 0, 255 };
        case 2: return { std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max() };
        case 4: return { std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max() };
        default: return { 0, 0 };
        }
    case VkInterfaceElement::TUinteger:
    case VkInterfaceElement::TBitfield:
        switch (dataSize) {
        case 1: return { 0, 255 };
        case 2: return { 0, 65535 };
        case 4:
        case 8: return { 0, std::numeric_limits<quint32>::max() };
        default: return { 0, 0 };
        }
    default: return { 0, 0 };
    }
}

ElementInput::Range ElementInput::deviceRange(const VkInterfaceElement &element)
{
    const Range type = typeRange(element.dataType(), element.dataSize());
    if (element.min() == 0 && element.max() == 0)
        return type;
    Range range { qBound(type.low, qint64(element.min()), type.high),
        qBound(type.low, qint64(element.max()), type.high) };
    if (range.high < range.low)
        range.high = range.low;
    return range;
}

int ElementInput::multiplierOf(const VkInterfaceElement &element)
{
    return element.multiplier() == 0 ? 1 : element.multiplier();
}

qint64 ElementInput::clampNumber(const VkInterfaceElement &element, const QString &text, Clamp *clamp)
{
    const Range range = deviceRange(element);
    bool ok = false;
    const double typed = text.trimmed().toDouble(&ok);
    const double scaled = typed * multiplierOf(element);
    Clamp how = Clamp::None;
    qint64 value = range.low;
    if (!ok || std::isnan(scaled) || scaled < double(range.low)) {
        how = Clamp::ToMinimum;
    } else if (scaled > double(range.high)) {
        how = Clamp::ToMaximum;
        value = range.high;
    } else {
        value = qBound(range.low, qint64(std::llround(scaled)), range.high);
    }
    if (clamp)
        *clamp = how;
    return value;
}

QString ElementInput::displayNumber(const VkInterfaceElement &element, qint64 value)
{
    const int multiplier = multiplierOf(element);
    if (multiplier == 1)
        return QString::number(value);
    return QString::number(double(value) / multiplier, 'g', 15);
}

QString ElementInput::fitHex(const QString &text, int dataSize)
{
    QString digits;
    const int length = qMax(dataSize, 0) * 2;
    for (const QChar c : text) {
        if (digits.size() == length)
            break;
        if (c.isDigit() || (c.toUpper() >= u'A' && c.toUpper() <= u'F'))
            digits.append(c.toUpper());
    }
    return digits.rightJustified(length, u'0');
}

QString ElementInput::fitString(const QString &text, int dataSize)
{
    const qsizetype room = qMax(dataSize - 1, 0);
    QString fitted;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const QString character = text.mid(i, pair ? 2 : 1);
        if (character == QChar(u'\0'))
            continue;
        const qsizetype size = character.toUtf8().size();
        if (bytes + size > room)
            break;
        bytes += size;
        fitted += character;
        if (pair)
            ++i;
    }
    return fitted;
}

QString ElementInput::entryText(const QString &entry)
{
    return entry.startsWith(u'#') ? entry.mid(1) : entry;
}

bool ElementInput::isSelectableEntry(const QString &entry)
{
    return !entry.startsWith(u'#');
}

QString ElementInput::numberText(VkInterfaceElement *element) const
{
    if (!element)
        return QString();
    return displayNumber(*element, currentNumber(*element));
}

QString ElementInput::commitNumber(VkInterfaceElement *element, const QString &text) const
{
    if (!element)
        return QString();
    if (!isNumberType(element->dataType()))
        return commitText(element, text);
    Clamp clamp = Clamp::None;
    const qint64 value = clampNumber(*element, text, &clamp);
    if (clamp == Clamp::ToMaximum)
        qDebug() << "MORE THAN MAX";
    else if (clamp == Clamp::ToMinimum)
        qDebug() << "LESS THAN MIN";
    element->setData(QString::number(value));
    return numberText(element);
}

QString ElementInput::commitText(VkInterfaceElement *element, const QString &text) const
{
    if (!element)
        return QString();
    if (isNumberType(element->dataType()))
        return commitNumber(element, text);
    if (isHexType(element->dataType())) {
        element->setData(fitHex(text, element->dataSize()));
        return element->data().toString();
    }
    if (element->dataType() == VkInterfaceElement::TString) {
        element->setData(fitString(text, element->dataSize()));
        return element->data().toString();
    }
    element->setData(text);
    return element->data().toString();
}

bool ElementInput::commitEnum(VkInterfaceElement *element, int index) const
{
    if (!element || index < 0 || index >= element->enumValues().size()
        || !isSelectableEntry(element->enumValues().at(index)))
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
    if (!element)
        return kUnlimited;
    if (isHexType(element->dataType()))
        return 2 * element->dataSize();
    if (element->dataType() == VkInterfaceElement::TString)
        return qMax(element->dataSize() - 1, 0);
    return kUnlimited;
}

QString ElementInput::inputPattern(VkInterfaceElement *element)
{
    if (!element)
        return QString();
    if (isHexType(element->dataType()))
        return QStringLiteral("^[0-9A-Fa-f]+$");
    if (element->dataType() != VkInterfaceElement::TString || element->regexp().isEmpty())
        return QString();
    if (!QRegularExpression(element->regexp()).isValid()) {
        qDebug() << "Unusable input pattern of element" << element->id() << ":" << element->regexp();
        return QString();
    }
    return element->regexp();
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
    if (!element)
        return false;
    switch (element->editable()) {
    case VkInterfaceElement::Editable: return true;
    case VkInterfaceElement::RootEditable:
    case VkInterfaceElement::UserHiddenRootEditable: return isRoot;
    default: return false;
    }
}

bool ElementInput::isShownTo(VkInterfaceElement *element, bool isRoot)
{
    if (!element)
        return false;
    const VkInterfaceElement::Editables editable = element->editable();
    if (editable == VkInterfaceElement::UserHiddenRootVisible || editable == VkInterfaceElement::UserHiddenRootEditable)
        return isRoot;
    return true;
}

bool ElementInput::isCommand(VkInterfaceElement *element)
{
    return element
        && (element->type() == VkInterfaceElement::SlaveCommand || element->type() == VkInterfaceElement::AppCommands);
}

QString ElementInput::displayName(VkInterfaceElement *element, bool ruSupported, bool enSupported)
{
    return element ? displayName(*element, QLocale::system().name(), ruSupported, enSupported) : QString();
}

QString ElementInput::displayName(
    const VkInterfaceElement &element, const QString &localeName, bool ruSupported, bool enSupported)
{
    const bool russian = (localeName.startsWith(QLatin1String("ru")) && ruSupported) || (!enSupported && ruSupported);
    return russian ? element.nameRu() : element.nameEn();
}

QString ElementInput::bitfieldText(VkInterfaceElement *element)
{
    if (!element || element->dataType() != VkInterfaceElement::TBitfield)
        return QString();
    // Reading takes at most four bytes.
    const int bits = qBound(1, element->dataSize(), 4) * 8;
    const QString digits = QString::number(element->data().toUInt(), 2).rightJustified(bits, u'0');
    QStringList groups;
    for (int i = 0; i < digits.size(); i += 4)
        groups << digits.mid(i, 4);
    return groups.join(u' ');
}

QString ElementInput::unixTimeText(const QVariant &seconds)
{
    return QDateTime::fromSecsSinceEpoch(qint64(seconds.toUInt()), Qt::LocalTime)
        .toString(QStringLiteral("d-M-yyyy h:m:s"));
}

} // namespace configurator
