#include "configurator/config_document.h"

#include "configurator/element_value.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QMetaEnum>

namespace configurator {

namespace {

const QString kFormat = QStringLiteral("vk-config");
constexpr int kVersion = 1;

QString editableName(int editable)
{
    const char *key = QMetaEnum::fromType<VkInterfaceElement::EEditables>().valueToKey(editable);
    return key ? QString::fromLatin1(key) : QString::number(editable);
}

// "line 3, column 14" of a byte offset.
QString placeOf(const QByteArray &json, int offset)
{
    const QByteArray before = json.left(qBound(0, offset, int(json.size())));
    const int line = int(before.count('\n')) + 1;
    const int column = int(before.size() - before.lastIndexOf('\n'));
    return ConfigDocument::tr("line %1, column %2").arg(line).arg(column);
}

bool isWhole(const QJsonValue &value, double low, double high)
{
    const double number = value.toDouble();
    return value.isDouble() && number >= low && number <= high && number == double(qint64(number));
}

} // namespace

QString ConfigDocument::versionText(const v_protocol::TFirmwareVersion &version)
{
    return QStringLiteral("%1.%2").arg(version.Major).arg(version.Minor);
}

QJsonObject ConfigDocument::elementObject(const VkInterfaceElement &element)
{
    using E = VkInterfaceElement;
    QJsonObject object { { QStringLiteral("id"), element.id() },
        { QStringLiteral("kind"), E::typeName(element.type()) }, { QStringLiteral("nameEn"), element.nameEn() },
        { QStringLiteral("dataType"), E::dataTypeName(element.dataType()) },
        { QStringLiteral("dataSize"), element.dataSize() },
        { QStringLiteral("editable"), editableName(int(element.profileElement().editable)) } };
    if (element.parentId() != 0)
        object.insert(QStringLiteral("parentId"), element.parentId());
    const E::DataTypes type = element.dataType();
    if (type == E::TInteger || type == E::TUinteger || type == E::TBitfield || type == E::TBinary || type == E::TEnum) {
        object.insert(QStringLiteral("multiplier"), element.multiplier());
        object.insert(QStringLiteral("min"), element.min());
        object.insert(QStringLiteral("max"), element.max());
    }
    if (type == E::TEnum)
        object.insert(QStringLiteral("enumValues"), QJsonArray::fromStringList(element.enumValues()));
    object.insert(QStringLiteral("value"), ElementValue::toJson(element));
    if (ElementValue::hasValue(element))
        object.insert(QStringLiteral("text"), ElementValue::text(element));
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
        { QStringLiteral("firmwareVersion"), versionText(device.FirmwareVersion) },
        { QStringLiteral("appType"), v_protocol::toText(device.AppType).section(QLatin1String("::"), -1) } };
    return QJsonObject { { QStringLiteral("format"), kFormat }, { QStringLiteral("version"), kVersion },
        { QStringLiteral("device"), identity },
        { QStringLiteral("access"), isRoot ? QStringLiteral("root") : QStringLiteral("user") },
        { QStringLiteral("elements"), list } };
}

bool ConfigDocument::readFile(const QString &path, Contents &contents, QString &error)
{
    contents = Contents();
    const QFileInfo info(path);
    if (!info.isFile()) {
        error = tr("cannot read %1: it is not a file").arg(path);
        return false;
    }
    // Looked at before anything is read: a huge file is refused without being taken into memory.
    if (info.size() > kMaxBytes) {
        error = tr("%1 has %2 bytes: a configuration document has at most %3").arg(path).arg(info.size()).arg(kMaxBytes);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = tr("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.read(kMaxBytes + 1);
    if (!read(bytes, contents, error)) {
        error = QStringLiteral("%1: %2").arg(path, error);
        return false;
    }
    return true;
}

bool ConfigDocument::read(const QByteArray &json, Contents &contents, QString &error)
{
    contents = Contents();
    if (json.size() > kMaxBytes) {
        error = tr("%1 bytes: a configuration document has at most %2").arg(json.size()).arg(kMaxBytes);
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = tr("not a JSON document (%1 at %2)").arg(parseError.errorString(), placeOf(json, parseError.offset));
        return false;
    }
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value(QStringLiteral("format")).toString() != kFormat) {
        error = tr("not a vk-config document (no \"format\": \"vk-config\")");
        return false;
    }
    if (!isWhole(root.value(QStringLiteral("version")), kVersion, kVersion)) {
        error = tr("document version %1 is not %2")
                    .arg(root.value(QStringLiteral("version")).toVariant().toString().left(40))
                    .arg(kVersion);
        return false;
    }
    const QJsonValue device = root.value(QStringLiteral("device"));
    if (!device.isUndefined() && !device.isObject()) {
        error = tr("\"device\" is not an object");
        return false;
    }
    const QJsonObject identity = device.toObject();
    contents.device.name = identity.value(QStringLiteral("name")).toString();
    if (isWhole(identity.value(QStringLiteral("serial")), 0, 4294967295.0))
        contents.device.serial = quint64(identity.value(QStringLiteral("serial")).toDouble());
    if (isWhole(identity.value(QStringLiteral("modelId")), 0, 65535))
        contents.device.modelId = identity.value(QStringLiteral("modelId")).toInt();
    contents.device.firmwareVersion = identity.value(QStringLiteral("firmwareVersion")).toString().left(20);

    const QJsonValue elements = root.value(QStringLiteral("elements"));
    if (!elements.isArray()) {
        error = tr("the document has no \"elements\" list");
        return false;
    }
    const QJsonArray list = elements.toArray();
    if (list.size() > kMaxElements) {
        error = tr("the document lists %1 elements: a device has at most %2").arg(list.size()).arg(kMaxElements);
        return false;
    }
    QHash<int, int> positions;
    int position = 0;
    for (const QJsonValue &item : list) {
        const QJsonObject object = item.toObject();
        const QJsonValue id = object.value(QStringLiteral("id"));
        if (!item.isObject() || !isWhole(id, 0, 0xFFFF)) {
            error = tr("element %1 of the document has no id from 0 to 65535").arg(position + 1);
            return false;
        }
        for (const char *key : { "kind", "dataType", "nameEn" }) {
            const QJsonValue field = object.value(QLatin1String(key));
            if (!field.isUndefined() && !field.isString()) {
                error = tr("element %1 of the document (id %2): \"%3\" is not a text")
                            .arg(position + 1)
                            .arg(id.toInt())
                            .arg(QLatin1String(key));
                return false;
            }
        }
        if (positions.contains(id.toInt())) {
            error = tr("element id %1 is given twice (elements %2 and %3 of the document)")
                        .arg(id.toInt())
                        .arg(positions.value(id.toInt()) + 1)
                        .arg(position + 1);
            return false;
        }
        positions.insert(id.toInt(), position);
        Entry entry;
        entry.id = id.toInt();
        entry.kind = object.value(QStringLiteral("kind")).toString();
        entry.dataType = object.value(QStringLiteral("dataType")).toString();
        entry.nameEn = object.value(QStringLiteral("nameEn")).toString();
        entry.value = object.value(QStringLiteral("value"));
        entry.position = position++;
        contents.entries.append(entry);
    }
    return true;
}

} // namespace configurator
