#pragma once

#include "v_protocol/t_slave_profile.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>

namespace simulator {

// Turns a value written in a device definition into the value bytes of a profile element, the way
// the configurator reads them back by data type (multi-byte numbers little-endian):
//
// | data type | JSON value | bytes |
// |---|---|---|
// | TInteger | integer (1 byte: -128 ... 255) | dataSize bytes, two's complement |
// | TUinteger, TBitfield | integer >= 0, or "0b..." / "0x..." text | dataSize bytes |
// | THexArray | hexadecimal text of exactly dataSize bytes | the bytes in text order |
// | TInvertedHexArray | hexadecimal text as shown (most significant first) | the bytes reversed |
// | TString | text of at most dataSize UTF-8 bytes | UTF-8, zero padded to dataSize |
// | TEnum | index, or the text of an entry of enumValues | dataSize bytes |
// | TBinary | true / false, or an integer -128 ... 127 | dataSize bytes |
// | TUnixtime | seconds since 1970 (UTC), or an ISO 8601 date and time text | dataSize bytes |
// | TNoData | none | no bytes |
//
// An absent value gives dataSize zero bytes.
class ValueCodec
{
public:
    // false with a reason in `error` when the value does not fit the element.
    static bool encode(
        const QJsonValue &value, const v_protocol::TSlaveProfile::Element &element, QByteArray &bytes, QString &error);

    // The dataSize low bytes of `value`, little-endian.
    static QByteArray littleEndian(qint64 value, int size);
    // The bytes read back as a little-endian integer (at most 8 bytes), signed or not.
    static qint64 readInteger(const QByteArray &bytes, bool isSigned);
    // Smallest and largest integer `size` bytes of the data type hold.
    static void integerRange(v_protocol::TSlaveProfile::DataTypes type, int size, qint64 &min, qint64 &max);
    // Whether elements of this type hold an integer that drift and commands may change.
    static bool isInteger(v_protocol::TSlaveProfile::DataTypes type);
};

} // namespace simulator
