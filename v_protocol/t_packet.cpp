#include "v_protocol/t_packet.h"

#include "v_protocol/byte_reader.h"
#include "v_protocol/byte_writer.h"
#include "v_protocol/crc.h"
#include "v_protocol/debug_text.h"

namespace v_protocol {
namespace {

constexpr qsizetype kHeadSize = 12;
constexpr qsizetype kCrcSize = 2;

} // namespace

ReturnCode TPacket::fromByteArray(const QByteArray &bytes, TPacket &packet)
{
    packet = TPacket();
    const qsizetype length = bytes.size();
    if (length < kPacketFramingSize) {
        logText(QStringLiteral("Invalid packet size: %1").arg(length));
        return return_codes::logIfError(ReturnCode::ErrParsingInvalidSize);
    }

    const quint16 received = qFromLittleEndian<quint16>(bytes.constData() + length - kCrcSize);
    const quint16 calculated
        = calcCrc16(reinterpret_cast<const quint8 *>(bytes.constData()), quint32(length - kCrcSize));
    if (received != calculated) {
        logText(QStringLiteral("Invalid packet CRC: from packet[0x%1], calculated[0x%2]")
                    .arg(received, 4, 16, QChar(u'0'))
                    .arg(calculated, 4, 16, QChar(u'0')));
        return return_codes::logIfError(ReturnCode::ErrParsingInvalidCrc);
    }

    ByteReader reader(bytes);
    reader.readU16(packet.size);
    reader.readEnum8(packet.type);
    reader.readU32(packet.uid);
    reader.readU32(packet.slaveSerial);
    reader.readU8(packet.masterUid);

    if (packet.size != length) {
        logText(QStringLiteral("Invalid packet data size: from packet dataSize[%1], packet size[%2]")
                    .arg(packet.size)
                    .arg(length));
        return return_codes::logIfError(ReturnCode::ErrParsingInvalidSize);
    }

    packet.payloadData = bytes.mid(kHeadSize, length - kPacketFramingSize);
    packet.payloadType
        = packet.payloadData.isEmpty() ? TPayloadType::NoData : TPayloadType(quint8(packet.payloadData.at(0)));
    return ReturnCode::Ok;
}

QByteArray TPacket::toByteArray() const
{
    QByteArray bytes;
    bytes.reserve(kHeadSize + payloadData.size() + kCrcSize);
    ByteWriter(bytes).u16(size).enum8(type).u32(uid).u32(slaveSerial).u8(masterUid).bytes(payloadData);
    ByteWriter(bytes).u16(calcCrc16(bytes));
    return bytes;
}

TPacket TPacket::make(TPacketType type, const QByteArray &payload, quint32 uid, quint32 slaveSerial, quint8 masterUid)
{
    TPacket packet;
    packet.size = quint16(payload.size() + kPacketFramingSize);
    packet.type = type;
    packet.uid = uid;
    packet.slaveSerial = slaveSerial;
    packet.masterUid = masterUid;
    packet.payloadType = payload.isEmpty() ? TPayloadType::NoData : TPayloadType(quint8(payload.at(0)));
    packet.payloadData = payload;
    return packet;
}

TPacket TPacket::makeRequest(const QByteArray &payload, quint32 uid, quint32 slaveSerial, quint8 masterUid)
{
    return make(TPacketType::Request, payload, uid, slaveSerial, masterUid);
}

TPacket TPacket::makeResponse(const QByteArray &payload, quint32 uid, quint32 slaveSerial, quint8 masterUid)
{
    return make(TPacketType::Response, payload, uid, slaveSerial, masterUid);
}

ReturnCode TPacket::checkPayload(TPayloadType expected, qsizetype minLength, qsizetype maxLength) const
{
    if (payloadType != expected)
        return return_codes::logIfError(ReturnCode::ErrParsingWrongPayloadType);
    const qsizetype length = payloadData.size();
    if (length < minLength || (maxLength >= 0 && length > maxLength))
        return return_codes::logIfError(ReturnCode::ErrParsingInvalidSize);
    return ReturnCode::Ok;
}

QJsonObject TPacket::toJson() const
{
    const QJsonObject head {
        { QStringLiteral("size"), size },
        { QStringLiteral("type"), toText(type) },
        { QStringLiteral("uid"), QString::number(uid) },
        { QStringLiteral("slaveSerial"), QString::number(slaveSerial) },
        { QStringLiteral("masterUid"), masterUid },
    };
    return QJsonObject {
        { QStringLiteral("packetHead"), head },
        { QStringLiteral("payloadType"), toText(payloadType) },
        { QStringLiteral("payloadData"), QString::fromLatin1(payloadData.toHex()) },
        { QStringLiteral("crc"), crc },
    };
}

bool TPacket::operator==(const TPacket &other) const
{
    return size == other.size && type == other.type && uid == other.uid && slaveSerial == other.slaveSerial
        && masterUid == other.masterUid && payloadType == other.payloadType && payloadData == other.payloadData
        && crc == other.crc;
}

QDebug operator<<(QDebug debug, const TPacket &packet)
{
    return writeJsonDebugText(debug, QLatin1String("TPacket"), packet.toJson());
}

} // namespace v_protocol
