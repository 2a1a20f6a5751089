#include "configurator/config_comparison.h"

#include <algorithm>

namespace configurator {

namespace {

using E = VkInterfaceElement;

} // namespace

int ConfigComparison::count(Status status) const
{
    return int(std::count_if(rows.cbegin(), rows.cend(), [status](const Row &row) { return row.status == status; }));
}

const ConfigComparison::Row *ConfigComparison::row(int id) const
{
    for (const Row &candidate : rows) {
        if (candidate.id == id)
            return &candidate;
    }
    return nullptr;
}

ConfigComparison::Row *ConfigComparison::row(int id)
{
    return const_cast<Row *>(std::as_const(*this).row(id));
}

ConfigComparison ConfigComparison::compare(const ConfigDocument::Contents &document,
    const QList<VkInterfaceElement *> &elements, const std::function<QByteArray(const VkInterfaceElement &)> &deviceValue,
    const v_protocol::TSlaveApplication &device, bool isRoot, const QList<VkInterfaceElement::ETypes> &kinds)
{
    ConfigComparison comparison;
    if (document.device.modelId >= 0 && document.device.modelId != device.ModelId)
        comparison.warnings << tr("The file comes from another model (%1, this device is %2): its values may mean "
                                  "something else here.")
                                   .arg(document.device.modelId)
                                   .arg(device.ModelId);
    const QString firmware = ConfigDocument::versionText(device.FirmwareVersion);
    if (!document.device.firmwareVersion.isEmpty() && document.device.firmwareVersion != firmware)
        comparison.warnings << tr("The file comes from firmware %1, this device runs %2.")
                                   .arg(document.device.firmwareVersion, firmware);

    QHash<int, VkInterfaceElement *> byId;
    for (VkInterfaceElement *element : elements)
        byId.insert(element->id(), element);
    QStringList kindNames;
    for (E::ETypes kind : kinds)
        kindNames << E::typeName(kind);

    for (const ConfigDocument::Entry &entry : document.entries) {
        // Nothing to write: a caption, a command, a value that was not read.
        if (entry.value.isNull() || entry.value.isUndefined())
            continue;
        VkInterfaceElement *element = byId.value(entry.id);
        Row row;
        row.id = entry.id;
        if (!element) {
            // An element of another page in the file is not this page's business.
            if (!entry.kind.isEmpty() && !kindNames.contains(entry.kind))
                continue;
            row.name = entry.nameEn;
            row.status = Status::Refused;
            row.refusal = ElementValue::Refusal::Unknown;
            row.reason = ElementValue::unknown(entry.id).reason;
            comparison.rows.append(row);
            continue;
        }
        if (!kinds.contains(element->type()))
            continue;
        row.name = element->nameEn();
        const QByteArray onDevice = deviceValue(*element);
        row.deviceText = ElementValue::text(*element, onDevice);
        const auto refuse = [&](ElementValue::Refusal refusal, const QString &reason) {
            row.status = Status::Refused;
            row.refusal = refusal;
            row.reason = reason;
            comparison.rows.append(row);
        };
        const QString kind = E::typeName(element->type());
        const QString dataType = E::dataTypeName(element->dataType());
        if (!entry.kind.isEmpty() && entry.kind != kind) {
            refuse(ElementValue::Refusal::WrongKind, tr("wrong kind: the document has %1, the device %2").arg(entry.kind, kind));
            continue;
        }
        if (!entry.dataType.isEmpty() && entry.dataType != dataType) {
            refuse(ElementValue::Refusal::WrongKind,
                tr("wrong kind: the document has data type %1, the device %2").arg(entry.dataType, dataType));
            continue;
        }
        const ElementValue::Result read = ElementValue::fromJson(*element, entry.value);
        if (!read.ok()) {
            refuse(read.refusal, read.reason);
            continue;
        }
        const QByteArray fromFile = ElementValue::bytesOf(*element, read.data);
        row.fileText = ElementValue::text(*element, fromFile);
        row.data = read.data;
        const auto decoded = [&](const QByteArray &bytes) {
            return E::decode(element->dataType(), element->dataSize(), bytes);
        };
        if (!onDevice.isEmpty() && decoded(fromFile) == decoded(onDevice)) {
            row.status = Status::Equal;
            comparison.rows.append(row);
            continue;
        }
        const ElementValue::Result checked = ElementValue::check(*element, read.data, isRoot);
        if (!checked.ok()) {
            refuse(checked.refusal, checked.reason);
            continue;
        }
        row.status = Status::Differs;
        comparison.rows.append(row);
    }
    return comparison;
}

QString ConfigComparison::statusText(const Row &row)
{
    switch (row.status) {
    case Status::Equal: return tr("equal");
    case Status::Differs: return tr("differs");
    case Status::Refused: return row.reason;
    case Status::Written: return tr("written");
    case Status::Failed: return row.reason.isEmpty() ? tr("failed") : row.reason;
    }
    return QString();
}

QString ConfigComparison::statusName(Status status)
{
    switch (status) {
    case Status::Equal: return QStringLiteral("equal");
    case Status::Differs: return QStringLiteral("differs");
    case Status::Refused: return QStringLiteral("refused");
    case Status::Written: return QStringLiteral("written");
    case Status::Failed: return QStringLiteral("failed");
    }
    return QString();
}

} // namespace configurator
