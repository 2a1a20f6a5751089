#include "configurator/element_value.h"

#include <QDateTime>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace configurator {

namespace {

using E = VkInterfaceElement;

const QString kTimeFormat = QStringLiteral("d-M-yyyy h:m:s");
// Also taken when typed: the ISO order.
const QString kIsoTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

bool isInteger(E::DataTypes type)
{
    return type == E::TInteger || type == E::TUinteger;
}

bool isHex(E::DataTypes type)
{
    return type == E::THexArray || type == E::TInvertedHexArray;
}

// 10^n for a multiplier that is a power of ten (of either sign), else -1.
int decimalsOf(int multiplier)
{
    const qint64 magnitude = qAbs(qint64(multiplier));
    int decimals = 0;
    for (qint64 power = 1; power <= magnitude; power *= 10, ++decimals) {
        if (power == magnitude)
            return decimals;
    }
    return -1;
}

QString quoted(const QString &text)
{
    return QStringLiteral("\"%1\"").arg(text);
}

// A number typed in shown units, read exactly as a number of device steps: "18.5" with multiplier 10 is
// 185. No exponents, no fraction finer than one step.
ElementValue::Result readScaled(const QString &text, int multiplier)
{
    static const QRegularExpression decimal(QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?$"));
    const QRegularExpressionMatch match = decimal.match(text);
    const QString whole = match.captured(2);
    QString fraction = match.captured(3);
    if (!match.hasMatch() || (whole.isEmpty() && fraction.isEmpty()))
        return ElementValue::Result::refused(
            ElementValue::Refusal::NotAValue, ElementValue::tr("%1 is not a number").arg(quoted(text)));
    const bool negative = match.captured(1) == QLatin1String("-");
    const auto finer = [&]() {
        return ElementValue::Result::refused(ElementValue::Refusal::NotAValue,
            ElementValue::tr("%1 is finer than the element's step").arg(quoted(text)));
    };
    const auto tooLarge = [&]() {
        return ElementValue::Result::refused(
            ElementValue::Refusal::OutOfRange, ElementValue::tr("%1 is too large").arg(quoted(text)));
    };
    if (whole.size() > 15)
        return tooLarge();
    const int decimals = decimalsOf(multiplier);
    if (decimals < 0) {
        // A multiplier that is no power of ten: as close as a double tells.
        const double value = text.toDouble() * multiplier;
        const double rounded = std::round(value);
        if (std::fabs(value - rounded) > 1e-6 * std::max(1.0, std::fabs(value)))
            return finer();
        if (std::fabs(rounded) > 9.0e15)
            return tooLarge();
        return ElementValue::Result::accepted(QVariant::fromValue(qint64(rounded)));
    }
    while (fraction.size() > decimals && fraction.endsWith(u'0'))
        fraction.chop(1);
    if (fraction.size() > decimals)
        return finer();
    qint64 raw = whole.isEmpty() ? 0 : whole.toLongLong();
    for (int i = 0; i < decimals; ++i)
        raw = raw * 10 + (i < fraction.size() ? fraction.at(i).digitValue() : 0);
    if (negative)
        raw = -raw;
    if (multiplier < 0)
        raw = -raw;
    return ElementValue::Result::accepted(QVariant::fromValue(raw));
}

QString bitfieldText(quint32 value, int dataSize)
{
    // Reading takes at most four bytes.
    const int bits = qBound(1, dataSize, 4) * 8;
    const QString digits = QString::number(value, 2).rightJustified(bits, u'0');
    QStringList groups;
    for (int i = 0; i < digits.size(); i += 4)
        groups << digits.mid(i, 4);
    return groups.join(u' ');
}

ElementValue::Result readBitfield(const QString &typed)
{
    QString text = typed;
    text.remove(u' ').remove(u'_');
    bool ok = false;
    quint64 value = 0;
    static const QRegularExpression binaryDigits(QStringLiteral("^[01]+$"));
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = text.mid(2).toULongLong(&ok, 16);
    else if (text.startsWith(QLatin1String("0b"), Qt::CaseInsensitive))
        value = text.mid(2).toULongLong(&ok, 2);
    else if (binaryDigits.match(text).hasMatch())
        value = text.toULongLong(&ok, 2);
    if (!ok)
        return ElementValue::Result::refused(ElementValue::Refusal::NotAValue,
            ElementValue::tr("%1 is not a bit field (binary digits, or 0x and hexadecimal digits)")
                .arg(quoted(typed)));
    if (value > std::numeric_limits<quint32>::max())
        return ElementValue::Result::refused(ElementValue::Refusal::OutOfRange,
            ElementValue::tr("%1 has more than 32 bits").arg(quoted(typed)));
    return ElementValue::Result::accepted(QVariant::fromValue(qint64(value)));
}

QString editableWord(v_protocol::TSlaveProfile::Editables editable)
{
    using P = v_protocol::TSlaveProfile::Editables;
    switch (editable) {
    case P::RootEditable:
    case P::UserHiddenRootEditable: return ElementValue::tr("only root may edit it");
    default: return ElementValue::tr("it is read-only");
    }
}

} // namespace

bool ElementValue::hasValue(const VkInterfaceElement &element)
{
    return !isCommand(element) && element.dataType() != E::TNoData;
}

bool ElementValue::isEditable(const VkInterfaceElement &element, bool isRoot)
{
    // Read as the profile holds it: a device may send a value outside the enumeration.
    using P = v_protocol::TSlaveProfile::Editables;
    switch (element.profileElement().editable) {
    case P::Editable: return true;
    case P::RootEditable:
    case P::UserHiddenRootEditable: return isRoot;
    default: return false;
    }
}

bool ElementValue::isVisible(const VkInterfaceElement &element, bool isRoot)
{
    using P = v_protocol::TSlaveProfile::Editables;
    const P editable = element.profileElement().editable;
    if (editable == P::UserHiddenRootVisible || editable == P::UserHiddenRootEditable)
        return isRoot;
    return true;
}

bool ElementValue::isWritableKind(VkInterfaceElement::ETypes type)
{
    return type == E::SlaveSetting || type == E::PersonalizationInfo;
}

bool ElementValue::isCommand(const VkInterfaceElement &element)
{
    return element.type() == E::SlaveCommand || element.type() == E::AppCommands;
}

QString ElementValue::text(const VkInterfaceElement &element)
{
    return text(element, element.value());
}

QString ElementValue::text(const VkInterfaceElement &element, const QByteArray &bytes)
{
    if (!hasValue(element) || bytes.isEmpty())
        return QString();
    const QVariant data = E::decode(element.dataType(), element.dataSize(), bytes);
    switch (element.dataType()) {
    case E::TInteger:
    case E::TUinteger: return numberText(element, data.toLongLong());
    case E::TBinary: return QString::number(data.toInt());
    case E::TBitfield: return bitfieldText(data.toUInt(), element.dataSize());
    case E::TEnum: {
        const int index = data.toInt();
        const QStringList entries = element.enumValues();
        return index < entries.size() ? entryText(entries.at(index)) : QString::number(index);
    }
    case E::TUnixtime:
        return QDateTime::fromSecsSinceEpoch(qint64(data.toUInt()), Qt::LocalTime).toString(kTimeFormat);
    case E::TString: return data.toString();
    case E::THexArray:
    case E::TInvertedHexArray: return QString::fromLatin1(data.toByteArray());
    default: return QString::fromLatin1(bytes.toHex().toUpper());
    }
}

QString ElementValue::numberText(const VkInterfaceElement &element, qint64 value)
{
    const int multiplier = multiplierOf(element);
    if (multiplier == 1)
        return QString::number(value);
    const int decimals = decimalsOf(multiplier);
    if (decimals < 0)
        return QString::number(double(value) / multiplier, 'g', 15);
    const quint64 divisor = quint64(qAbs(qint64(multiplier)));
    const quint64 magnitude = value < 0 ? quint64(0) - quint64(value) : quint64(value);
    QString fraction = QString::number(magnitude % divisor).rightJustified(decimals, u'0');
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    const bool negative = (value < 0) != (multiplier < 0) && magnitude != 0;
    return QStringLiteral("%1%2%3")
        .arg(negative ? QStringLiteral("-") : QString())
        .arg(magnitude / divisor)
        .arg(fraction.isEmpty() ? QString() : QStringLiteral(".") + fraction);
}

ElementValue::Result ElementValue::parse(const VkInterfaceElement &element, const QString &text)
{
    if (!hasValue(element))
        return Result::refused(Refusal::WrongKind, tr("has no value"));
    const QString trimmed = text.trimmed();
    switch (element.dataType()) {
    case E::TInteger:
    case E::TUinteger: return readScaled(trimmed, multiplierOf(element));
    case E::TBinary:
        if (trimmed == QLatin1String("on") || trimmed == QLatin1String("true"))
            return Result::accepted(QVariant::fromValue(qint64(1)));
        if (trimmed == QLatin1String("off") || trimmed == QLatin1String("false"))
            return Result::accepted(QVariant::fromValue(qint64(0)));
        return readScaled(trimmed, 1);
    case E::TBitfield: return readBitfield(trimmed);
    case E::TEnum: {
        const QStringList entries = element.enumValues();
        for (int i = 0; i < entries.size(); ++i) {
            if (entries.at(i) == trimmed || entryText(entries.at(i)) == trimmed)
                return Result::accepted(i);
        }
        static const QRegularExpression index(QStringLiteral("^[+-]?[0-9]{1,9}$"));
        if (index.match(trimmed).hasMatch())
            return Result::accepted(trimmed.toInt());
        QStringList shown;
        for (const QString &entry : entries)
            shown << entryText(entry);
        return Result::refused(Refusal::NotAValue,
            tr("%1 is not one of its entries (%2)").arg(quoted(text), shown.join(QLatin1String(", "))));
    }
    case E::TUnixtime: {
        static const QRegularExpression seconds(QStringLiteral("^[0-9]{1,10}$"));
        qint64 value = -1;
        if (seconds.match(trimmed).hasMatch()) {
            value = trimmed.toLongLong();
        } else {
            for (const QString &format : { kTimeFormat, kIsoTimeFormat }) {
                const QDateTime time = QDateTime::fromString(trimmed, format);
                if (time.isValid()) {
                    value = time.toSecsSinceEpoch();
                    break;
                }
            }
        }
        if (value < 0)
            return Result::refused(
                Refusal::NotAValue, tr("%1 is not a date and time (%2)").arg(quoted(text), kTimeFormat));
        if (value > qint64(std::numeric_limits<quint32>::max()))
            return Result::refused(Refusal::OutOfRange, tr("%1 is after 2106").arg(quoted(text)));
        return Result::accepted(QVariant::fromValue(value));
    }
    case E::TString: return Result::accepted(text);
    case E::THexArray:
    case E::TInvertedHexArray: {
        QString digits = trimmed;
        digits.remove(u' ');
        static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{2})*$"));
        if (!hex.match(digits).hasMatch())
            return Result::refused(Refusal::NotAValue, tr("%1 is not hexadecimal bytes").arg(quoted(text)));
        return Result::accepted(digits.toUpper());
    }
    default: return Result::refused(Refusal::NotAValue, tr("has a data type that cannot be written"));
    }
}

ElementValue::Result ElementValue::check(const VkInterfaceElement &element, const QVariant &data, bool isRoot)
{
    if (!isWritableKind(element.type()))
        return Result::refused(
            Refusal::WrongKind, tr("is a %1, not a setting or personalization value").arg(kindWord(element.type())));
    if (!hasValue(element))
        return Result::refused(Refusal::WrongKind, tr("has no value"));
    if (!isEditable(element, isRoot))
        return Result::refused(Refusal::NotEditable,
            tr("is not editable with %1 access: %2")
                .arg(isRoot ? QStringLiteral("root") : QStringLiteral("user"), editableWord(element.profileElement().editable)));
    const E::DataTypes type = element.dataType();
    switch (type) {
    case E::TUnixtime:
        return Result::refused(Refusal::NotEditable, tr("is a date and time, which the configurator does not write"));
    case E::TInteger:
    case E::TUinteger:
    case E::TBitfield:
    case E::TBinary: {
        bool ok = false;
        const qint64 value = data.toLongLong(&ok);
        const Range range = isInteger(type) ? deviceRange(element) : typeRange(type, element.dataSize());
        const auto shown = [&](qint64 number) {
            return isInteger(type) ? numberText(element, number) : QString::number(number);
        };
        if (!ok)
            return Result::refused(Refusal::NotAValue, tr("%1 is not a number").arg(quoted(data.toString())));
        if (value < range.low || value > range.high)
            return Result::refused(Refusal::OutOfRange,
                tr("%1 is out of range %2 ... %3").arg(shown(value), shown(range.low), shown(range.high)));
        break;
    }
    case E::TEnum: {
        const int index = data.toInt();
        const QStringList entries = element.enumValues();
        if (index < 0 || index >= entries.size())
            return Result::refused(Refusal::EnumIndexOutside,
                tr("entry index %1 is outside its %2 entries").arg(index).arg(entries.size()));
        if (!isSelectableEntry(entries.at(index)))
            return Result::refused(Refusal::EnumEntryLocked,
                tr("entry %1 %2 is locked on the device (it begins with \"#\")")
                    .arg(index)
                    .arg(quoted(entries.at(index))));
        break;
    }
    case E::TString: {
        const QString text = data.toString();
        const qsizetype bytes = text.toUtf8().size();
        if (bytes > element.dataSize() - 1)
            return Result::refused(Refusal::TooLong,
                tr("is too long: %1 bytes of UTF-8, room for %2").arg(bytes).arg(qMax(element.dataSize() - 1, 0)));
        const QString pattern = inputPattern(element);
        if (!pattern.isEmpty() && !QRegularExpression(pattern).match(text).hasMatch())
            return Result::refused(
                Refusal::NotAValue, tr("%1 does not match its pattern %2").arg(quoted(text), element.regexp()));
        break;
    }
    case E::THexArray:
    case E::TInvertedHexArray: {
        const qsizetype bytes = QByteArray::fromHex(data.toString().toLatin1()).size();
        if (bytes > element.dataSize())
            return Result::refused(
                Refusal::TooLong, tr("is too long: %1 bytes, room for %2").arg(bytes).arg(element.dataSize()));
        if (bytes < element.dataSize())
            return Result::refused(
                Refusal::NotAValue, tr("has %1 bytes, its size is %2").arg(bytes).arg(element.dataSize()));
        break;
    }
    default: return Result::refused(Refusal::NotAValue, tr("has a data type that cannot be written"));
    }
    return Result::accepted(data);
}

ElementValue::Result ElementValue::accept(const VkInterfaceElement &element, const QString &text, bool isRoot)
{
    const Result parsed = parse(element, text);
    return parsed.ok() ? check(element, parsed.data, isRoot) : parsed;
}

ElementValue::Result ElementValue::unknown(int id)
{
    return Result::refused(Refusal::Unknown, tr("element %1: not in the device's profile").arg(id));
}

QJsonValue ElementValue::toJson(const VkInterfaceElement &element)
{
    if (!hasValue(element) || element.value().isEmpty())
        return QJsonValue(QJsonValue::Null);
    const QVariant data = element.data();
    switch (element.dataType()) {
    case E::TInteger:
    case E::TUinteger:
    case E::TBitfield:
    case E::TBinary:
    case E::TUnixtime: return QJsonValue(double(data.toLongLong()));
    case E::TEnum: return QJsonValue(data.toInt());
    case E::TString: return QJsonValue(data.toString());
    case E::THexArray:
    case E::TInvertedHexArray: return QJsonValue(QString::fromLatin1(data.toByteArray()));
    default: return QJsonValue(QString::fromLatin1(element.value().toHex().toUpper()));
    }
}

ElementValue::Result ElementValue::fromJson(const VkInterfaceElement &element, const QJsonValue &value)
{
    const auto wrongKind = [&](const QString &expected) {
        return Result::refused(Refusal::NotAValue,
            tr("wrong kind of value for %1: %2 expected").arg(E::dataTypeName(element.dataType()), expected));
    };
    if (!hasValue(element))
        return Result::refused(Refusal::WrongKind, tr("has no value"));
    switch (element.dataType()) {
    case E::TInteger:
    case E::TUinteger:
    case E::TBitfield:
    case E::TBinary:
    case E::TUnixtime: {
        if (element.dataType() == E::TBinary && value.isBool())
            return Result::accepted(QVariant::fromValue(qint64(value.toBool() ? 1 : 0)));
        const double number = value.toDouble();
        if (!value.isDouble() || number != std::floor(number) || std::fabs(number) > 9.0e15)
            return wrongKind(tr("a whole number"));
        return Result::accepted(QVariant::fromValue(qint64(number)));
    }
    case E::TEnum:
        if (value.isString())
            return parse(element, value.toString());
        if (!value.isDouble() || value.toDouble() != std::floor(value.toDouble())
            || std::fabs(value.toDouble()) > 1.0e9)
            return wrongKind(tr("an entry index or entry text"));
        return Result::accepted(int(value.toDouble()));
    case E::TString:
        if (!value.isString())
            return wrongKind(tr("a text"));
        return Result::accepted(value.toString());
    case E::THexArray:
    case E::TInvertedHexArray:
        if (!value.isString())
            return wrongKind(tr("hexadecimal text"));
        return parse(element, value.toString());
    default: return Result::refused(Refusal::NotAValue, tr("has a data type that cannot be written"));
    }
}

QByteArray ElementValue::bytesOf(const VkInterfaceElement &element, const QVariant &data)
{
    return E::encode(element.dataType(), element.dataSize(), data, element.value());
}

bool ElementValue::holds(const VkInterfaceElement &element, const QVariant &data)
{
    if (element.value().isEmpty())
        return false;
    return E::decode(element.dataType(), element.dataSize(), bytesOf(element, data)) == element.data();
}

QVariant ElementValue::fitted(const VkInterfaceElement &element, const QString &text, Clamp *clamp)
{
    if (clamp)
        *clamp = Clamp::None;
    const E::DataTypes type = element.dataType();
    if (isInteger(type) || type == E::TBitfield) {
        const Range range = deviceRange(element);
        bool ok = false;
        const double scaled = text.trimmed().toDouble(&ok) * multiplierOf(element);
        Clamp how = Clamp::None;
        qint64 value = range.low;
        if (!ok || std::isnan(scaled) || scaled < double(range.low)) {
            how = Clamp::ToMinimum;
        } else if (scaled > double(range.high)) {
            how = Clamp::ToMaximum;
            value = range.high;
        } else {
            value = qBound(range.low, qint64(std::llround(scaled)), range.high);
        }
        if (clamp)
            *clamp = how;
        return QString::number(value);
    }
    if (isHex(type)) {
        QString digits;
        const int length = qMax(element.dataSize(), 0) * 2;
        for (const QChar c : text) {
            if (digits.size() == length)
                break;
            if (c.isDigit() || (c.toUpper() >= u'A' && c.toUpper() <= u'F'))
                digits.append(c.toUpper());
        }
        return digits.rightJustified(length, u'0');
    }
    if (type == E::TString) {
        const qsizetype room = qMax(element.dataSize() - 1, 0);
        QString fitted;
        qsizetype bytes = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
            const QString character = text.mid(i, pair ? 2 : 1);
            if (pair)
                ++i;
            if (character == QChar(u'\0'))
                continue;
            const qsizetype size = character.toUtf8().size();
            if (bytes + size > room)
                break;
            bytes += size;
            fitted += character;
        }
        return fitted;
    }
    return text;
}

ElementValue::Range ElementValue::typeRange(VkInterfaceElement::DataTypes dataType, int dataSize)
{
    switch (dataType) {
    case E::TInteger:
        switch (dataSize) {
        case 1: return { 0, 255 };
        case 2: return { std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max() };
        case 4: return { std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max() };
        default: return { 0, 0 };
        }
    case E::TUinteger:
    case E::TBitfield:
        switch (dataSize) {
        case 1: return { 0, 255 };
        case 2: return { 0, 65535 };
        case 4:
        case 8: return { 0, std::numeric_limits<quint32>::max() };
        default: return { 0, 0 };
        }
    case E::TBinary: return { std::numeric_limits<qint8>::min(), std::numeric_limits<qint8>::max() };
    default: return { 0, 0 };
    }
}

ElementValue::Range ElementValue::deviceRange(const VkInterfaceElement &element)
{
    const Range type = typeRange(element.dataType(), element.dataSize());
    if (element.min() == 0 && element.max() == 0)
        return type;
    Range range { qBound(type.low, qint64(element.min()), type.high),
        qBound(type.low, qint64(element.max()), type.high) };
    if (range.high < range.low)
        range.high = range.low;
    return range;
}

int ElementValue::multiplierOf(const VkInterfaceElement &element)
{
    return element.multiplier() == 0 ? 1 : element.multiplier();
}

QString ElementValue::inputPattern(const VkInterfaceElement &element)
{
    if (isInteger(element.dataType()))
        return QStringLiteral("^[-+]?\\d*\\.?\\d*$");
    if (isHex(element.dataType()))
        return QStringLiteral("^[0-9A-Fa-f]+$");
    if (element.dataType() != E::TString || element.regexp().isEmpty())
        return QString();
    if (!QRegularExpression(element.regexp()).isValid())
        return QString();
    return element.regexp();
}

int ElementValue::maximumLength(const VkInterfaceElement &element)
{
    if (isHex(element.dataType()))
        return 2 * element.dataSize();
    if (element.dataType() == E::TString)
        return qMax(element.dataSize() - 1, 0);
    return -1;
}

QString ElementValue::entryText(const QString &entry)
{
    return entry.startsWith(u'#') ? entry.mid(1) : entry;
}

bool ElementValue::isSelectableEntry(const QString &entry)
{
    return !entry.startsWith(u'#');
}

QString ElementValue::formats()
{
    return tr("  integers     divided by the multiplier: 18 for 180 with multiplier 10, 12.05; typed the same,\n"
              "               no finer than one step\n"
              "  enums        the entry's text (a leading # taken off), or its index when typed\n"
              "  binary       1 or 0 (on, off, true, false when typed)\n"
              "  bit fields   binary digits in groups of four: 0000 0001 0010 (0b... or 0x... when typed)\n"
              "  date-times   local time d-M-yyyy h:m:s (5-3-2024 9:7:0), also yyyy-MM-dd HH:mm:ss when\n"
              "               typed; never written\n"
              "  texts        as they are\n"
              "  hex arrays   upper-case hexadecimal of every byte: 0A1B\n");
}

QString ElementValue::kindWord(VkInterfaceElement::ETypes type)
{
    switch (type) {
    case E::PersonalizationInfo: return tr("personalization");
    case E::SlaveSetting: return tr("setting");
    case E::SlaveState: return tr("state");
    case E::SlaveCommand: return tr("command");
    case E::AppSettings: return tr("app setting");
    case E::AppCommands: return tr("app command");
    }
    return QString::number(int(type));
}

} // namespace configurator
