#include "vk_config/value_check.h"

#include "vk_config/value_format.h"

#include <QRegularExpression>

namespace vk_config {

namespace {

using E = VkInterfaceElement;

QString editableWord(E::EEditables editable)
{
    switch (editable) {
    case E::NotEditable: return QStringLiteral("it is read-only");
    case E::UserHiddenRootVisible: return QStringLiteral("it is read-only");
    case E::RootEditable: return QStringLiteral("only root may edit it");
    case E::UserHiddenRootEditable: return QStringLiteral("only root may edit it");
    case E::Editable: break;
    }
    return QString();
}

} // namespace

bool ValueCheck::mayEdit(VkInterfaceElement::EEditables editable, bool isRoot)
{
    switch (editable) {
    case E::Editable: return true;
    case E::RootEditable:
    case E::UserHiddenRootEditable: return isRoot;
    case E::NotEditable:
    case E::UserHiddenRootVisible: return false;
    }
    return false;
}

bool ValueCheck::isVisible(VkInterfaceElement::EEditables editable, bool isRoot)
{
    return isRoot || (editable != E::UserHiddenRootEditable && editable != E::UserHiddenRootVisible);
}

bool ValueCheck::check(const VkInterfaceElement &element, const QVariant &data, bool isRoot, QString &error)
{
    if (element.type() != E::SlaveSetting && element.type() != E::PersonalizationInfo) {
        error = QStringLiteral("is a %1, not a setting or personalization value")
                    .arg(ValueFormat::kindWord(element.type()));
        return false;
    }
    if (!ValueFormat::hasValue(element)) {
        error = QStringLiteral("has no value");
        return false;
    }
    if (!mayEdit(element.editable(), isRoot)) {
        error = QStringLiteral("is not editable with %1 access: %2")
                    .arg(isRoot ? QStringLiteral("root") : QStringLiteral("user"), editableWord(element.editable()));
        return false;
    }
    const E::DataTypes type = element.dataType();
    if (type == E::TUnixtime) {
        error = QStringLiteral("is a date and time, which the configurator does not write");
        return false;
    }
    const int multiplier = element.multiplier() > 1 ? element.multiplier() : 1;
    if ((type == E::TInteger || type == E::TUinteger) && (element.min() != 0 || element.max() != 0)
        && element.min() <= element.max()) {
        const qint64 raw = data.toLongLong();
        if (raw < element.min() || raw > element.max()) {
            error
                = QStringLiteral("%1 is out of range %2 ... %3")
                      .arg(ValueFormat::scaledText(raw, multiplier), ValueFormat::scaledText(element.min(), multiplier),
                          ValueFormat::scaledText(element.max(), multiplier));
            return false;
        }
    }
    if (type == E::TEnum) {
        const int index = data.toInt();
        const QStringList entries = element.enumValues();
        if (index < 0 || index >= entries.size()) {
            error = QStringLiteral("entry index %1 is outside its %2 entries").arg(index).arg(entries.size());
            return false;
        }
        if (entries.at(index).startsWith(u'#')) {
            error = QStringLiteral("entry %1 \"%2\" is locked on the device (it begins with \"#\")")
                        .arg(index)
                        .arg(entries.at(index));
            return false;
        }
    }

    // The size as the element encodes the value.
    const QByteArray bytes = VkInterfaceElement::encode(type, element.dataSize(), data, element.value());
    switch (type) {
    case E::TString:
        if (bytes.size() > element.dataSize()) {
            error = QStringLiteral("is too long: %1 bytes of UTF-8, room for %2")
                        .arg(bytes.size() - 1)
                        .arg(qMax(element.dataSize() - 1, 0));
            return false;
        }
        break;
    case E::THexArray:
    case E::TInvertedHexArray:
        if (bytes.size() != element.dataSize()) {
            error = QStringLiteral("has %1 bytes, its size is %2").arg(bytes.size()).arg(element.dataSize());
            return false;
        }
        break;
    default:
        if (VkInterfaceElement::decode(type, element.dataSize(), bytes).toLongLong() != data.toLongLong()) {
            error = QStringLiteral("%1 does not fit its %2-byte %3")
                        .arg(ValueFormat::scaledText(data.toLongLong(), type == E::TEnum ? 1 : multiplier))
                        .arg(element.dataSize())
                        .arg(VkInterfaceElement::dataTypeName(type));
            return false;
        }
        break;
    }
    if (type == E::TString && !element.regexp().isEmpty()) {
        const QRegularExpression pattern(element.regexp());
        if (pattern.isValid() && !pattern.match(data.toString()).hasMatch()) {
            error = QStringLiteral("\"%1\" does not match its pattern %2").arg(data.toString(), element.regexp());
            return false;
        }
    }
    return true;
}

} // namespace vk_config
