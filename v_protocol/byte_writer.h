#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>

namespace v_protocol {

// Appends little-endian numbers and bytes to a byte string being encoded.
class ByteWriter
{
public:
    explicit ByteWriter(QByteArray &bytes) : _bytes(bytes) { }

    ByteWriter &u8(quint8 value)
    {
        _bytes.append(char(value));
        return *this;
    }
    ByteWriter &u16(quint16 value) { return le(value); }
    ByteWriter &u32(quint32 value) { return le(value); }
    ByteWriter &i32(qint32 value) { return le(value); }
    template<typename E> ByteWriter &enum8(E value) { return u8(quint8(value)); }
    ByteWriter &bytes(const QByteArray &value)
    {
        _bytes.append(value);
        return *this;
    }
    // UTF-8 text followed by its terminating zero byte.
    ByteWriter &zeroTerminatedText(const QString &value)
    {
        _bytes.append(value.toUtf8());
        _bytes.append('\0');
        return *this;
    }

private:
    template<typename T> ByteWriter &le(T value)
    {
        char raw[sizeof(T)];
        qToLittleEndian<T>(value, raw);
        _bytes.append(raw, qsizetype(sizeof(T)));
        return *this;
    }

    QByteArray &_bytes;
};

} // namespace v_protocol
