#include "simulator/value_codec.h"

#include "simulator/json_reader.h"

#include <QDateTime>

#include <algorithm>
#include <limits>

namespace simulator {

using DataTypes = v_protocol::TSlaveProfile::DataTypes;

namespace {

bool encodeInteger(const QJsonValue &value, DataTypes type, int size, QByteArray &bytes, QString &error)
{
    qint64 number = 0;
    if (type == DataTypes::TBinary && value.isBool())
        number = value.toBool() ? 1 : 0;
    else if (!JsonReader::parseInteger(value, number)) {
        error = QStringLiteral("expected an integer");
        return false;
    }
    qint64 min = 0;
    qint64 max = 0;
    ValueCodec::integerRange(type, size, min, max);
    if (number < min || number > max) {
        error = QStringLiteral("%1 does not fit %2 bytes (%3 ... %4)").arg(number).arg(size).arg(min).arg(max);
        return false;
    }
    bytes = ValueCodec::littleEndian(number, size);
    return true;
}

bool encodeHex(const QJsonValue &value, int size, bool inverted, QByteArray &bytes, QString &error)
{
    QByteArray parsed;
    if (!value.isString() || !JsonReader::parseHex(value.toString(), parsed)) {
        error = QStringLiteral("expected pairs of hexadecimal digits");
        return false;
    }
    if (parsed.size() != size) {
        error = QStringLiteral("%1 bytes given, the element holds %2").arg(parsed.size()).arg(size);
        return false;
    }
    if (inverted)
        std::reverse(parsed.begin(), parsed.end());
    bytes = parsed;
    return true;
}

bool encodeString(const QJsonValue &value, int size, QByteArray &bytes, QString &error)
{
    if (!value.isString()) {
        error = QStringLiteral("expected a text");
        return false;
    }
    const QByteArray utf8 = value.toString().toUtf8();
    if (utf8.size() > size || utf8.contains('\0')) {
        error = QStringLiteral("\"%1\" needs %2 bytes, the element holds %3")
                    .arg(value.toString())
                    .arg(utf8.size())
                    .arg(size);
        return false;
    }
    bytes = utf8.leftJustified(size, '\0');
    return true;
}

bool encodeEnum(
    const QJsonValue &value, const v_protocol::TSlaveProfile::Element &element, QByteArray &bytes, QString &error)
{
    qint64 index = element.enumValues.indexOf(value.toString());
    if (!value.isString() && !JsonReader::parseInteger(value, index)) {
        error = QStringLiteral("expected an entry of enumValues or its index");
        return false;
    }
    if (index < 0 || index >= element.enumValues.size()) {
        error = value.isString() ? QStringLiteral("\"%1\" is not an entry of enumValues").arg(value.toString())
                                 : QStringLiteral("index %1 is outside enumValues").arg(index);
        return false;
    }
    return encodeInteger(QJsonValue(double(index)), DataTypes::TEnum, element.dataSize, bytes, error);
}

bool encodeUnixtime(const QJsonValue &value, int size, QByteArray &bytes, QString &error)
{
    if (value.isString() && value.toString().contains(QLatin1Char('T'))) {
        const QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODate);
        if (!time.isValid()) {
            error = QStringLiteral("\"%1\" is not an ISO 8601 date and time").arg(value.toString());
            return false;
        }
        return encodeInteger(QJsonValue(double(time.toSecsSinceEpoch())), DataTypes::TUnixtime, size, bytes, error);
    }
    return encodeInteger(value, DataTypes::TUnixtime, size, bytes, error);
}

} // namespace

bool ValueCodec::isInteger(DataTypes type)
{
    switch (type) {
    case DataTypes::TInteger:
    case DataTypes::TUinteger:
    case DataTypes::TBitfield:
    case DataTypes::TEnum:
    case DataTypes::TBinary:
    case DataTypes::TUnixtime: return true;
    default: return false;
    }
}

void ValueCodec::integerRange(DataTypes type, int size, qint64 &min, qint64 &max)
{
    const int bits = qBound(1, size, 8) * 8;
    const qint64 signedMax = bits >= 64 ? std::numeric_limits<qint64>::max() : (qint64(1) << (bits - 1)) - 1;
    const qint64 unsignedMax = bits >= 63 ? std::numeric_limits<qint64>::max() : (qint64(1) << bits) - 1;
    switch (type) {
    case DataTypes::TInteger:
        // Integers are written in two's complement; one-byte integers read back unsigned.
        min = -signedMax - 1;
        max = unsignedMax;
        break;
    case DataTypes::TBinary:
        min = -128;
        max = 127;
        break;
    default:
        min = 0;
        max = unsignedMax;
        break;
    }
}

QByteArray ValueCodec::littleEndian(qint64 value, int size)
{
    QByteArray bytes(size, '\0');
    const quint64 bits = quint64(value);
    for (int i = 0; i < size && i < 8; ++i)
        bytes[i] = char((bits >> (8 * i)) & 0xFF);
    if (value < 0) {
        for (int i = 8; i < size; ++i)
            bytes[i] = char(0xFF);
    }
    return bytes;
}

qint64 ValueCodec::readInteger(const QByteArray &bytes, bool isSigned)
{
    const int size = int(qMin<qsizetype>(bytes.size(), 8));
    quint64 bits = 0;
    for (int i = 0; i < size; ++i)
        bits |= quint64(quint8(bytes.at(i))) << (8 * i);
    if (isSigned && size > 0 && size < 8 && ((bits >> (8 * size - 1)) & 1) != 0)
        bits |= ~quint64(0) << (8 * size);
    return qint64(bits);
}

bool ValueCodec::encode(
    const QJsonValue &value, const v_protocol::TSlaveProfile::Element &element, QByteArray &bytes, QString &error)
{
    const int size = element.dataSize;
    if (element.dataType == DataTypes::TNoData) {
        bytes.clear();
        if (!value.isUndefined()) {
            error = QStringLiteral("a TNoData element holds no value");
            return false;
        }
        return true;
    }
    if (value.isUndefined()) {
        bytes = QByteArray(size, '\0');
        return true;
    }
    switch (element.dataType) {
    case DataTypes::TInteger:
    case DataTypes::TUinteger:
    case DataTypes::TBitfield:
    case DataTypes::TBinary: return encodeInteger(value, element.dataType, size, bytes, error);
    case DataTypes::THexArray: return encodeHex(value, size, false, bytes, error);
    case DataTypes::TInvertedHexArray: return encodeHex(value, size, true, bytes, error);
    case DataTypes::TString: return encodeString(value, size, bytes, error);
    case DataTypes::TEnum: return encodeEnum(value, element, bytes, error);
    case DataTypes::TUnixtime: return encodeUnixtime(value, size, bytes, error);
    case DataTypes::TNoData: break;
    }
    error = QStringLiteral("unknown data type");
    return false;
}

} // namespace simulator
