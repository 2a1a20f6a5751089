#include "v_protocol/t_file_table.h"

#include "v_protocol/byte_reader.h"
#include "v_protocol/byte_writer.h"
#include "v_protocol/crc.h"
#include "v_protocol/debug_text.h"
#include "v_protocol/protocol_enums.h"

#include <QJsonArray>

namespace v_protocol {
namespace {

constexpr quint8 kPermissionMask = 0x03;
constexpr int kReadShift = 0;
constexpr int kWriteShift = 2;
constexpr int kClearShift = 4;
constexpr quint8 kFlagCheckCrc = 0x01;
constexpr quint8 kFlagFastReading = 0x02;
constexpr qsizetype kReservedSize = 3;

TFileTable::Permission permissionAt(quint8 permissions, int shift)
{
    return TFileTable::Permission((permissions >> shift) & kPermissionMask);
}

} // namespace

bool TFileTable::Element::operator==(const Element &other) const
{
    return fileId == other.fileId && maxSize == other.maxSize && readPermission == other.readPermission
        && writePermission == other.writePermission && clearPermission == other.clearPermission
        && checkCrc == other.checkCrc && fastReading == other.fastReading && format == other.format;
}

ReturnCode TFileTable::fromByteArray(const QByteArray &bytes, TFileTable &table)
{
    table = TFileTable();
    QByteArray body;
    const ReturnCode rc = splitFileCrc(bytes, QLatin1String("Invalid file CRC"), body, table.crc);
    if (rc != ReturnCode::Ok)
        return rc;

    ByteReader reader(body);
    while (!reader.atEnd()) {
        if (reader.remaining() < Element::kSize) {
            logText(QLatin1String("Invalid RAW data file part: ") + QString::fromLatin1(reader.rest().toHex()));
            return return_codes::logIfError(ReturnCode::ErrParsingInvalidSize);
        }
        Element element;
        quint8 permissions = 0;
        quint8 flags = 0;
        reader.readU8(element.fileId);
        reader.readU32(element.maxSize);
        reader.readU8(permissions);
        reader.readU8(flags);
        reader.readEnum8(element.format);
        reader.skip(kReservedSize);
        element.readPermission = permissionAt(permissions, kReadShift);
        element.writePermission = permissionAt(permissions, kWriteShift);
        element.clearPermission = permissionAt(permissions, kClearShift);
        element.checkCrc = flags & kFlagCheckCrc;
        element.fastReading = flags & kFlagFastReading;
        table.elements.append(element);
    }
    return ReturnCode::Ok;
}

QByteArray TFileTable::toByteArray() const
{
    QByteArray bytes;
    bytes.reserve(elements.size() * Element::kSize + 2);
    ByteWriter writer(bytes);
    for (const Element &element : elements) {
        const quint8 permissions = quint8((quint8(element.readPermission) & kPermissionMask) << kReadShift
            | (quint8(element.writePermission) & kPermissionMask) << kWriteShift
            | (quint8(element.clearPermission) & kPermissionMask) << kClearShift);
        const quint8 flags
            = quint8((element.checkCrc ? kFlagCheckCrc : 0) | (element.fastReading ? kFlagFastReading : 0));
        writer.u8(element.fileId).u32(element.maxSize).u8(permissions).u8(flags).enum8(element.format);
        writer.bytes(QByteArray(kReservedSize, '\0'));
    }
    writer.u16(calcCrc16(bytes));
    return bytes;
}

QJsonObject TFileTable::toJson() const
{
    QJsonArray array;
    for (const Element &element : elements) {
        array.append(QJsonObject {
            { QStringLiteral("fileId"), element.fileId },
            { QStringLiteral("maxSize"), qint64(element.maxSize) },
            { QStringLiteral("readPermission"), toText(element.readPermission) },
            { QStringLiteral("writePermission"), toText(element.writePermission) },
            { QStringLiteral("clearPermission"), toText(element.clearPermission) },
            { QStringLiteral("checkCrc"), element.checkCrc },
            { QStringLiteral("format"), toText(element.format) },
        });
    }
    return QJsonObject { { QStringLiteral("elements"), array }, { QStringLiteral("crc"), crc } };
}

QString TFileTable::toText(Permission value)
{
    return enumNameText(value, "::");
}

QString TFileTable::toText(Format value)
{
    return enumNameText(value, "::");
}

} // namespace v_protocol
