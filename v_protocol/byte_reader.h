#pragma once

#include <QByteArray>
#include <QtEndian>

namespace v_protocol {

// Bounds-checked little-endian cursor over received bytes. Every read either succeeds completely
// and advances, or fails and leaves the cursor where it was; nothing reads past the end.
class ByteReader
{
public:
    explicit ByteReader(const QByteArray &bytes, qsizetype position = 0) : _bytes(bytes), _position(position) { }

    qsizetype position() const { return _position; }
    qsizetype remaining() const { return _bytes.size() - _position; }
    bool atEnd() const { return remaining() <= 0; }
    QByteArray rest() const { return _bytes.mid(_position); }

    bool readU8(quint8 &value) { return readLe(value); }
    bool readU16(quint16 &value) { return readLe(value); }
    bool readU32(quint32 &value) { return readLe(value); }
    bool readI32(qint32 &value) { return readLe(value); }

    // Reads an enumeration stored as one byte; every byte value is carried unchanged.
    template<typename E> bool readEnum8(E &value)
    {
        quint8 raw = 0;
        if (!readU8(raw))
            return false;
        value = E(raw);
        return true;
    }

    bool readBytes(qsizetype count, QByteArray &value)
    {
        if (count < 0 || count > remaining())
            return false;
        value = _bytes.mid(_position, count);
        _position += count;
        return true;
    }

    bool skip(qsizetype count)
    {
        if (count < 0 || count > remaining())
            return false;
        _position += count;
        return true;
    }

    // Bytes up to and including the next zero byte. Fails (consuming nothing) when none follows.
    bool readZeroTerminated(QByteArray &value)
    {
        const qsizetype end = _bytes.indexOf('\0', _position);
        if (end < 0)
            return false;
        return readBytes(end + 1 - _position, value);
    }

private:
    template<typename T> bool readLe(T &value)
    {
        if (qsizetype(sizeof(T)) > remaining())
            return false;
        value = qFromLittleEndian<T>(_bytes.constData() + _position);
        _position += qsizetype(sizeof(T));
        return true;
    }

    const QByteArray &_bytes;
    qsizetype _position;
};

} // namespace v_protocol
