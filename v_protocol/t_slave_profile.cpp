#include "v_protocol/t_slave_profile.h"

#include "v_protocol/byte_reader.h"
#include "v_protocol/byte_writer.h"
#include "v_protocol/debug_text.h"
#include "v_protocol/protocol_enums.h"

namespace v_protocol {
namespace {

constexpr QChar kSeparator = u'*';

// Entries of an enumeration text that still ends in its U+0000: the parts between the "*"s, U+0000
// removed. An empty field therefore gives one empty entry.
QStringList splitEnumValues(QString text)
{
    QStringList values;
    while (!text.isEmpty()) {
        const qsizetype separator = text.indexOf(kSeparator);
        QString entry = separator < 0 ? text : text.left(separator);
        values.append(entry.remove(QChar(u'\0')));
        text = separator < 0 ? QString() : text.mid(separator + 1);
    }
    return values;
}

// One text field: up to and including the next zero byte, decoded as UTF-8 and still ending in its
// U+0000 (the enumeration splitting relies on it). A field without a terminating zero byte is
// refused instead of being read as empty, which would shift every field after it.
bool readRawText(ByteReader &reader, QString &text)
{
    QByteArray raw;
    if (!reader.readZeroTerminated(raw)) {
        logText(
            QStringLiteral("Invalid profile text: no terminating zero byte after offset[%1]").arg(reader.position()));
        return false;
    }
    text = QString::fromUtf8(raw);
    return true;
}

bool readElement(ByteReader &reader, TSlaveProfile::Element &element)
{
    QString names;
    QString enumText;
    if (!(reader.readU16(element.id) && reader.readEnum8(element.type) && reader.readEnum8(element.editable)
            && readRawText(reader, names) && reader.readU16(element.parentId) && reader.readEnum8(element.dataType)
            && reader.readU16(element.dataSize) && reader.readI32(element.multiplier) && reader.readI32(element.min)
            && reader.readI32(element.max) && readRawText(reader, enumText) && reader.readEnum8(element.enumRep)
            && readRawText(reader, element.regexp)))
        return false;

    names.remove(QChar(u'\0'));
    const qsizetype star = names.indexOf(kSeparator);
    element.nameEn = star < 0 ? names : names.left(star);
    element.nameRu = star < 0 ? names : names.mid(star + 1);
    element.enumValues = splitEnumValues(enumText);
    element.regexp.remove(QChar(u'\0'));
    return true;
}

} // namespace

bool TSlaveProfile::Element::operator==(const Element &other) const
{
    return id == other.id && type == other.type && editable == other.editable && nameEn == other.nameEn
        && nameRu == other.nameRu && parentId == other.parentId && dataType == other.dataType
        && dataSize == other.dataSize && multiplier == other.multiplier && min == other.min && max == other.max
        && enumValues == other.enumValues && enumRep == other.enumRep && regexp == other.regexp;
}

ReturnCode TSlaveProfile::fromByteArray(const QByteArray &bytes, TSlaveProfile &profile)
{
    profile = TSlaveProfile();
    ByteReader reader(bytes);
    while (!reader.atEnd()) {
        Element element;
        if (reader.remaining() < Element::kMinSize || !readElement(reader, element))
            return return_codes::logIfError(ReturnCode::ErrParsingInvalidSize);
        profile.elements.append(element);
    }
    return ReturnCode::Ok;
}

QByteArray TSlaveProfile::toByteArray() const
{
    QByteArray bytes;
    ByteWriter writer(bytes);
    for (const Element &element : elements) {
        writer.u16(element.id).enum8(element.type).enum8(element.editable);
        writer.zeroTerminatedText(element.nameEn + kSeparator + element.nameRu);
        writer.u16(element.parentId).enum8(element.dataType).u16(element.dataSize);
        writer.i32(element.multiplier).i32(element.min).i32(element.max);
        writer.zeroTerminatedText(element.enumValues.join(kSeparator));
        writer.enum8(element.enumRep).zeroTerminatedText(element.regexp);
    }
    return bytes;
}

QString TSlaveProfile::toText(Types value)
{
    return enumNameText(value, "::");
}

QString TSlaveProfile::toText(Editables value)
{
    return enumNameText(value, "::");
}

QString TSlaveProfile::toText(DataTypes value)
{
    return enumNameText(value, "::");
}

QString TSlaveProfile::toText(EnumReps value)
{
    return enumNameText(value, "::");
}

QDebug operator<<(QDebug debug, const TSlaveProfile::Element &element)
{
    return writeDebugText(debug,
        QLatin1String("TSlaveProfile:Element: Id[") + QString::number(element.id) + QLatin1String("]{type:")
            + TSlaveProfile::toText(element.type) + QLatin1String(", name:") + element.nameEn
            + QLatin1String(", dataType:") + TSlaveProfile::toText(element.dataType) + QLatin1String(", dataSize:")
            + QString::number(element.dataSize) + QLatin1String(", parent:") + QString::number(element.parentId)
            + QLatin1Char('}'));
}

} // namespace v_protocol
