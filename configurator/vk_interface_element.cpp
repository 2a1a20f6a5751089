#include "configurator/vk_interface_element.h"

#include <QMetaEnum>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

// The first `width` bytes of `bytes` as a little-endian number; bytes the value does not have
// count as zero, so a short value never reads past its end.
quint64 readLittleEndian(const QByteArray &bytes, int width)
{
    quint8 buffer[8] = {};
    const int available = int(qMin<qsizetype>(bytes.size(), width));
    if (available > 0)
        std::memcpy(buffer, bytes.constData(), size_t(available));
    return qFromLittleEndian<quint64>(buffer);
}

// The low `size` bytes of `value`, little-endian; bytes beyond eight are zero.
QByteArray littleEndianBytes(quint64 value, int size)
{
    QByteArray bytes(qMax(size, 0), '\0');
    for (int i = 0; i < qMin(size, 8); ++i)
        bytes[i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

void logUnrecognizedIntegerSize()
{
    qDebug() << "VkinterfaceElement: error, unrecognized dataSize for TInteger";
}

// Integer elements take the value as decimal text. Unsigned elements read the text as an unsigned
// number first, so every value they display (up to 4294967295) can also be written back.
quint64 parseInteger(const QVariant &value, bool isUnsigned)
{
    const QString text = value.toString();
    bool ok = false;
    if (isUnsigned) {
        const quint32 unsignedValue = text.toUInt(&ok, 10);
        if (ok)
            return unsignedValue;
    }
    const qint32 signedValue = text.toInt(&ok, 10);
    return ok ? quint64(qint64(signedValue)) : 0;
}

template<class E> QString enumKey(E value)
{
    const char *key = QMetaEnum::fromType<E>().valueToKey(int(value));
    return key ? QString::fromLatin1(key) : QString();
}

} // namespace

VkInterfaceElement::VkInterfaceElement(const v_protocol::TSlaveProfile::Element &element, QObject *parent)
    : QObject(parent), _element(element)
{ }

QVariant VkInterfaceElement::data() const
{
    return decode(dataType(), dataSize(), _value);
}

void VkInterfaceElement::setData(const QVariant &value)
{
    const bool wasEmpty = _value.isEmpty();
    _value = encode(dataType(), dataSize(), value, _value);
    if (!wasEmpty)
        emit changedData(QVariant(_value));
}

QVariant VkInterfaceElement::decode(DataTypes dataType, int dataSize, const QByteArray &bytes)
{
    switch (dataType) {
    case TInteger:
        switch (dataSize) {
        case 1: return int(quint8(readLittleEndian(bytes, 1)));
        case 2: return int(qint16(quint16(readLittleEndian(bytes, 2))));
        case 4: return int(qint32(quint32(readLittleEndian(bytes, 4))));
        default: logUnrecognizedIntegerSize(); return int(0);
        }
    case TUinteger:
    case TBitfield:
        switch (dataSize) {
        case 1:
        case 2: return uint(readLittleEndian(bytes, dataSize));
        case 4:
        case 8: return uint(readLittleEndian(bytes, 4));
        default: logUnrecognizedIntegerSize(); return uint(0);
        }
    case THexArray: return bytes.toHex().toUpper();
    case TInvertedHexArray: {
        QByteArray reversed = bytes;
        std::reverse(reversed.begin(), reversed.end());
        return reversed.toHex().toUpper();
    }
    case TString: return QString::fromUtf8(bytes).remove(QChar(u'\0'));
    case TEnum: return int(quint8(readLittleEndian(bytes, 1)));
    case TBinary: return int(qint8(quint8(readLittleEndian(bytes, 1))));
    case TUnixtime: return uint(readLittleEndian(bytes, 4));
    default: qDebug() << "VkInterfaceElement: error, unknown data type"; return bytes;
    }
}

QByteArray VkInterfaceElement::encode(
    DataTypes dataType, int dataSize, const QVariant &value, const QByteArray &current)
{
    QByteArray bytes;
    switch (dataType) {
    case TInteger:
    case TUinteger:
    case TBitfield:
        bytes = littleEndianBytes(parseInteger(value, dataType != TInteger), dataSize);
        qDebug() << "data modified" << bytes.toHex();
        return bytes;
    case TString:
        bytes = value.toString().toUtf8();
        bytes.append('\0');
        qDebug() << "data modified" << bytes;
        return bytes;
    case THexArray: return QByteArray::fromHex(value.toString().toLatin1());
    case TInvertedHexArray:
        bytes = QByteArray::fromHex(value.toString().toLatin1());
        std::reverse(bytes.begin(), bytes.end());
        return bytes;
    case TEnum:
    case TBinary: return littleEndianBytes(quint64(qint64(value.toInt())), dataSize);
    default: return current;
    }
}

QString VkInterfaceElement::valueText(DataTypes dataType, int dataSize, const QByteArray &bytes)
{
    switch (dataType) {
    case TInteger:
    case TUinteger:
    case TBitfield:
    case TEnum:
    case TBinary:
    case TUnixtime:
    case THexArray:
    case TInvertedHexArray: return decode(dataType, dataSize, bytes).toString();
    case TString: {
        // Zero padding is not part of the text.
        QByteArray text = bytes;
        while (text.endsWith('\0'))
            text.chop(1);
        return QString::fromUtf8(text);
    }
    default: return QString::fromLatin1(bytes.toHex().toUpper());
    }
}

ReturnCode VkInterfaceElement::buildDataElement(v_protocol::TFileWithDataElements::Element &element) const
{
    const int size = int(_value.size());
    // The data element carries its size in one byte: a larger element cannot be saved whole.
    if (dataSize() > 0xFF) {
        qWarning().nospace() << "Element dataSize[" << dataSize() << "] does not fit a data element, id[" << id()
                             << "]";
        return ReturnCode::ErrArgumentBadValue;
    }
    if (size > dataSize()) {
        qWarning().nospace() << "Mismatch element dataSize[" << dataSize() << "] and data.size()[" << size << "]";
        return ReturnCode::ErrArgumentBadValue;
    }
    QByteArray bytes = _value;
    if (size < dataSize()) {
        if (dataType() != TString) {
            qWarning().nospace() << "Mismatch element dataSize[" << dataSize() << "] and data.size()[" << size
                                 << "] for type " << dataTypeName(dataType());
            return ReturnCode::ErrArgumentBadValue;
        }
        bytes.append(QByteArray(dataSize() - size, '\0'));
    }
    element.dataSize = quint8(dataSize());
    element.id = _element.id;
    element.data = bytes;
    return ReturnCode::Ok;
}

ReturnCode VkInterfaceElement::buildDataElementsFile(
    const QList<VkInterfaceElement *> &elements, ETypes kind, quint8 fileId, v_protocol::TFileWithDataElements &file)
{
    file = v_protocol::TFileWithDataElements();
    file.fileId = fileId;
    if (elements.isEmpty())
        return return_codes::logIfError(ReturnCode::ErrArgumentUnsupportedValue);
    for (const VkInterfaceElement *element : elements) {
        if (!element || element->type() != kind || element->dataType() == TNoData)
            continue;
        v_protocol::TFileWithDataElements::Element dataElement;
        const ReturnCode result = element->buildDataElement(dataElement);
        if (result != ReturnCode::Ok) {
            file.elements.clear();
            return return_codes::logIfError(result);
        }
        file.elements.append(dataElement);
    }
    return ReturnCode::Ok;
}

QString VkInterfaceElement::dataTypeName(DataTypes dataType)
{
    return enumKey(dataType);
}

QString VkInterfaceElement::typeName(Types type)
{
    return enumKey(type);
}

QDebug operator<<(QDebug debug, const VkInterfaceElement *element)
{
    const QDebugStateSaver saver(debug);
    if (!element)
        return debug << "VkInterfaceElement(null)";
    debug.nospace() << "VkInterfaceElement[id: " << element->id()
                    << ", type: " << VkInterfaceElement::typeName(element->type()) << ", nameEn: " << element->nameEn()
                    << ", dataType: " << VkInterfaceElement::dataTypeName(element->dataType())
                    << ", dataSize: " << element->dataSize() << ", parentId: " << element->parentId() << "]";
    return debug;
}
