#include "v_protocol/crc.h"

#include "v_protocol/debug_text.h"

#include <QtEndian>

#include <array>

namespace v_protocol {
namespace {

constexpr std::array<quint16, 256> makeCrc16Table()
{
    std::array<quint16, 256> table {};
    for (int i = 0; i < 256; ++i) {
        quint16 crc = quint16(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
        table[size_t(i)] = crc;
    }
    return table;
}

constexpr std::array<quint32, 256> makeCrc32Table()
{
    std::array<quint32, 256> table {};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        table[i] = crc;
    }
    return table;
}

constexpr std::array<quint16, 256> kCrc16Table = makeCrc16Table();
constexpr std::array<quint32, 256> kCrc32Table = makeCrc32Table();

} // namespace

quint16 calcCrc16(const quint8 *data, quint32 length)
{
    quint16 crc = 0xFFFF;
    if (!data)
        return crc;
    for (quint32 i = 0; i < length; ++i)
        crc = quint16((crc << 8) ^ kCrc16Table[((crc >> 8) ^ data[i]) & 0xFF]);
    return crc;
}

quint16 calcCrc16(const QByteArray &data)
{
    return calcCrc16(reinterpret_cast<const quint8 *>(data.constData()), quint32(data.size()));
}

quint32 calcCrc32(const quint8 *data, quint32 length)
{
    quint32 crc = 0xFFFFFFFFu;
    if (data) {
        for (quint32 i = 0; i < length; ++i)
            crc = (crc >> 8) ^ kCrc32Table[(crc ^ data[i]) & 0xFF];
    }
    return crc ^ 0xFFFFFFFFu;
}

quint32 calcCrc32(const QByteArray &data)
{
    return calcCrc32(reinterpret_cast<const quint8 *>(data.constData()), quint32(data.size()));
}

ReturnCode splitFileCrc(
    const QByteArray &bytes, QLatin1String mismatchText, QByteArray &body, quint16 &receivedCrc, bool tolerateMismatch)
{
    body.clear();
    receivedCrc = 0;
    if (bytes.size() < 2)
        return return_codes::logIfError(ReturnCode::ErrParsingInvalidSize);
    body = bytes.left(bytes.size() - 2);
    receivedCrc = qFromLittleEndian<quint16>(bytes.constData() + body.size());
    const quint16 calculated = calcCrc16(body);
    if (receivedCrc != calculated && !tolerateMismatch) {
        logText(
            QStringLiteral("%1: from packet[%2], calculated[%3]").arg(mismatchText).arg(receivedCrc).arg(calculated));
        return return_codes::logIfError(ReturnCode::ErrParsingInvalidCrc);
    }
    return ReturnCode::Ok;
}

} // namespace v_protocol
