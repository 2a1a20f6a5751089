#include "vk_config/config_document.h"

#include "configurator/element_value.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QMetaEnum>

namespace vk_config {

namespace {

const QString kFormat = QStringLiteral("vk-config");
constexpr int kVersion = 1;

QString editableName(VkInterfaceElement::EEditables editable)
{
    const char *key = QMetaEnum::fromType<VkInterfaceElement::EEditables>().valueToKey(int(editable));
    return key ? QString::fromLatin1(key) : QString::number(int(editable));
}

} // namespace

QJsonObject ConfigDocument::elementObject(const VkInterfaceElement &element)
{
    QJsonObject object { { QStringLiteral("id"), element.id() },
        { QStringLiteral("kind"), VkInterfaceElement::typeName(element.type()) },
        { QStringLiteral("nameEn"), element.nameEn() },
        { QStringLiteral("dataType"), VkInterfaceElement::dataTypeName(element.dataType()) },
        { QStringLiteral("dataSize"), element.dataSize() },
        { QStringLiteral("editable"), editableName(element.editable()) } };
    if (element.parentId() != 0)
        object.insert(QStringLiteral("parentId"), element.parentId());
    using E = VkInterfaceElement;
    const E::DataTypes type = element.dataType();
    if (type == E::TInteger || type == E::TUinteger || type == E::TBitfield || type == E::TBinary || type == E::TEnum) {
        object.insert(QStringLiteral("multiplier"), element.multiplier());
        object.insert(QStringLiteral("min"), element.min());
        object.insert(QStringLiteral("max"), element.max());
    }
    if (element.dataType() == VkInterfaceElement::TEnum)
        object.insert(QStringLiteral("enumValues"), QJsonArray::fromStringList(element.enumValues()));
    object.insert(QStringLiteral("value"), configurator::ElementValue::toJson(element));
    if (configurator::ElementValue::hasValue(element))
        object.insert(QStringLiteral("text"), configurator::ElementValue::text(element));
    return object;
}

QJsonObject ConfigDocument::make(
    const v_protocol::TSlaveApplication &device, bool isRoot, const QList<const VkInterfaceElement *> &elements)
{
    QJsonArray list;
    for (const VkInterfaceElement *element : elements)
        list.append(elementObject(*element));
    const QJsonObject identity { { QStringLiteral("name"), device.Name },
        { QStringLiteral("serial"), double(device.Serial) }, { QStringLiteral("modelId"), device.ModelId },
        { QStringLiteral("hardwareVersion"), device.HardwareVersion },
        { QStringLiteral("firmwareVersion"),
            QStringLiteral("%1.%2").arg(device.FirmwareVersion.Major).arg(device.FirmwareVersion.Minor) },
        { QStringLiteral("appType"), v_protocol::toText(device.AppType).section(QLatin1String("::"), -1) } };
    return QJsonObject { { QStringLiteral("format"), kFormat }, { QStringLiteral("version"), kVersion },
        { QStringLiteral("device"), identity },
        { QStringLiteral("access"), isRoot ? QStringLiteral("root") : QStringLiteral("user") },
        { QStringLiteral("elements"), list } };
}

bool ConfigDocument::read(const QByteArray &json, QList<Entry> &entries, QString &error)
{
    entries.clear();
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = QStringLiteral("not a JSON document (%1 at byte %2)")
                    .arg(parseError.errorString())
                    .arg(parseError.offset);
        return false;
    }
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value(QStringLiteral("format")).toString() != kFormat) {
        error = QStringLiteral("not a vk-config document (no \"format\": \"vk-config\")");
        return false;
    }
    if (root.value(QStringLiteral("version")).toInt() != kVersion) {
        error = QStringLiteral("document version %1 is not %2")
                    .arg(root.value(QStringLiteral("version")).toVariant().toString())
                    .arg(kVersion);
        return false;
    }
    const QJsonValue elements = root.value(QStringLiteral("elements"));
    if (!elements.isArray()) {
        error = QStringLiteral("the document has no \"elements\" list");
        return false;
    }
    int position = 0;
    for (const QJsonValue &item : elements.toArray()) {
        const QJsonObject object = item.toObject();
        const QJsonValue id = object.value(QStringLiteral("id"));
        if (!item.isObject() || !id.isDouble() || id.toDouble() < 0 || id.toDouble() > 0xFFFF
            || id.toDouble() != double(id.toInt())) {
            error = QStringLiteral("element %1 of the document has no id from 0 to 65535").arg(position + 1);
            return false;
        }
        Entry entry;
        entry.id = id.toInt();
        entry.kind = object.value(QStringLiteral("kind")).toString();
        entry.dataType = object.value(QStringLiteral("dataType")).toString();
        entry.value = object.value(QStringLiteral("value"));
        entry.position = position++;
        entries.append(entry);
    }
    return true;
}

} // namespace vk_config
