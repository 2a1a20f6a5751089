#include "vk_config/value_format.h"

#include <QDateTime>
#include <QJsonValue>
#include <QRegularExpression>

#include <cmath>

namespace vk_config {

namespace {

using E = VkInterfaceElement;

const QString kDateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// 10^n for a multiplier that is a power of ten, else -1.
int decimalsOf(int multiplier)
{
    int decimals = 0;
    for (qint64 power = 1; power <= multiplier; power *= 10, ++decimals) {
        if (power == multiplier)
            return decimals;
    }
    return -1;
}

int effectiveMultiplier(const VkInterfaceElement &element)
{
    return element.multiplier() > 1 ? element.multiplier() : 1;
}

// Decimal text, optionally with a fraction, read as a number of multiplier steps.
bool parseScaled(const QString &text, int multiplier, qint64 &raw, QString &error)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+(\\.[0-9]+)?$"));
    if (!decimal.match(text).hasMatch()) {
        error = QStringLiteral("\"%1\" is not a number").arg(text);
        return false;
    }
    const double value = text.toDouble() * multiplier;
    const double rounded = std::round(value);
    if (std::fabs(value - rounded) > 1e-6 * std::max(1.0, std::fabs(value))) {
        error = QStringLiteral("\"%1\" is finer than the element's step %2")
                    .arg(text, ValueFormat::scaledText(1, multiplier));
        return false;
    }
    if (std::fabs(rounded) > 9.0e15) {
        error = QStringLiteral("\"%1\" is too large").arg(text);
        return false;
    }
    raw = qint64(rounded);
    return true;
}

bool parseBitfield(const QString &text, qint64 &raw)
{
    bool ok = false;
    quint64 value = 0;
    if (text.startsWith(QLatin1String("0b"), Qt::CaseInsensitive))
        value = text.mid(2).toULongLong(&ok, 2);
    else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = text.mid(2).toULongLong(&ok, 16);
    else
        value = text.toULongLong(&ok, 10);
    raw = qint64(value);
    return ok && value <= 0xFFFFFFFFull;
}

bool isHexText(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{2})*$"));
    return hex.match(text).hasMatch();
}

} // namespace

bool ValueFormat::hasValue(const VkInterfaceElement &element)
{
    return element.type() != E::SlaveCommand && element.type() != E::AppCommands && element.dataType() != E::TNoData;
}

bool ValueFormat::isNumber(VkInterfaceElement::DataTypes type)
{
    return type == E::TInteger || type == E::TUinteger || type == E::TBitfield || type == E::TBinary;
}

QString ValueFormat::scaledText(qint64 raw, int multiplier)
{
    if (multiplier <= 1)
        return QString::number(raw);
    const int decimals = decimalsOf(multiplier);
    if (decimals < 0)
        return QString::number(double(raw) / multiplier, 'g', 12);
    const quint64 magnitude = raw < 0 ? quint64(-raw) : quint64(raw);
    const QString fraction = QString::number(magnitude % quint64(multiplier)).rightJustified(decimals, u'0');
    return QStringLiteral("%1%2.%3")
        .arg(raw < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / quint64(multiplier))
        .arg(fraction);
}

QString ValueFormat::displayText(const VkInterfaceElement &element)
{
    if (!hasValue(element) || element.value().isEmpty())
        return QString();
    const QVariant data = element.data();
    switch (element.dataType()) {
    case E::TInteger:
    case E::TUinteger: return scaledText(data.toLongLong(), effectiveMultiplier(element));
    case E::TBinary: return QString::number(data.toInt());
    case E::TBitfield:
        return QStringLiteral("0b")
            + QString::number(data.toUInt(), 2).rightJustified(qMin(element.dataSize(), 4) * 8, u'0');
    case E::TEnum: {
        const int index = data.toInt();
        const QStringList entries = element.enumValues();
        return index < entries.size() ? entries.at(index) : QString::number(index);
    }
    case E::TUnixtime: return QDateTime::fromSecsSinceEpoch(qint64(data.toUInt())).toString(kDateTimeFormat);
    case E::TString: return data.toString();
    case E::THexArray:
    case E::TInvertedHexArray: return QString::fromLatin1(data.toByteArray());
    default: return QString::fromLatin1(element.value().toHex().toUpper());
    }
}

bool ValueFormat::parseDisplayText(
    const VkInterfaceElement &element, const QString &text, QVariant &data, QString &error)
{
    if (!hasValue(element)) {
        error = QStringLiteral("has no value");
        return false;
    }
    const QString trimmed = text.trimmed();
    qint64 raw = 0;
    switch (element.dataType()) {
    case E::TInteger:
    case E::TUinteger:
        if (!parseScaled(trimmed, effectiveMultiplier(element), raw, error))
            return false;
        data = QVariant::fromValue(raw);
        return true;
    case E::TBitfield:
        if (!parseBitfield(trimmed, raw)) {
            error = QStringLiteral("\"%1\" is not a bit field (0b..., 0x... or decimal)").arg(text);
            return false;
        }
        data = QVariant::fromValue(raw);
        return true;
    case E::TBinary:
        if (trimmed == QLatin1String("true") || trimmed == QLatin1String("on"))
            raw = 1;
        else if (trimmed == QLatin1String("false") || trimmed == QLatin1String("off"))
            raw = 0;
        else if (!parseScaled(trimmed, 1, raw, error))
            return false;
        data = QVariant::fromValue(raw);
        return true;
    case E::TEnum: {
        const int index = int(element.enumValues().indexOf(text));
        if (index >= 0) {
            data = index;
            return true;
        }
        bool ok = false;
        const int number = trimmed.toInt(&ok, 10);
        if (!ok) {
            error = QStringLiteral("\"%1\" is not one of its entries (%2)")
                        .arg(text, element.enumValues().join(QLatin1String(", ")));
            return false;
        }
        data = number;
        return true;
    }
    case E::TUnixtime: {
        const QDateTime time = QDateTime::fromString(trimmed, kDateTimeFormat);
        bool ok = false;
        const qint64 seconds = time.isValid() ? time.toSecsSinceEpoch() : trimmed.toLongLong(&ok, 10);
        if (!time.isValid() && !ok) {
            error = QStringLiteral("\"%1\" is not a date and time (%2)").arg(text, kDateTimeFormat);
            return false;
        }
        data = QVariant::fromValue(seconds);
        return true;
    }
    case E::TString: data = text; return true;
    case E::THexArray:
    case E::TInvertedHexArray:
        if (!isHexText(trimmed)) {
            error = QStringLiteral("\"%1\" is not hexadecimal bytes").arg(text);
            return false;
        }
        data = trimmed.toUpper();
        return true;
    default: error = QStringLiteral("has a data type vk-config cannot write"); return false;
    }
}

QJsonValue ValueFormat::jsonValue(const VkInterfaceElement &element)
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

bool ValueFormat::parseJson(const VkInterfaceElement &element, const QJsonValue &value, QVariant &data, QString &error)
{
    const auto wrongKind = [&](const char *expected) {
        error = QStringLiteral("wrong kind of value for %1: %2 expected")
                    .arg(VkInterfaceElement::dataTypeName(element.dataType()), QLatin1String(expected));
        return false;
    };
    if (!hasValue(element)) {
        error = QStringLiteral("has no value");
        return false;
    }
    switch (element.dataType()) {
    case E::TInteger:
    case E::TUinteger:
    case E::TBitfield:
    case E::TBinary:
    case E::TUnixtime: {
        if (element.dataType() == E::TBinary && value.isBool()) {
            data = QVariant::fromValue(qint64(value.toBool() ? 1 : 0));
            return true;
        }
        const double number = value.toDouble();
        if (!value.isDouble() || number != std::floor(number) || std::fabs(number) > 9.0e15)
            return wrongKind("a whole number");
        data = QVariant::fromValue(qint64(number));
        return true;
    }
    case E::TEnum:
        if (value.isString())
            return parseDisplayText(element, value.toString(), data, error);
        if (!value.isDouble() || value.toDouble() != std::floor(value.toDouble()))
            return wrongKind("an entry index or entry text");
        data = int(value.toDouble());
        return true;
    case E::TString:
        if (!value.isString())
            return wrongKind("a text");
        data = value.toString();
        return true;
    case E::THexArray:
    case E::TInvertedHexArray:
        if (!value.isString() || !isHexText(value.toString()))
            return wrongKind("hexadecimal text");
        data = value.toString().toUpper();
        return true;
    default: error = QStringLiteral("has a data type vk-config cannot write"); return false;
    }
}

QString ValueFormat::printable(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = QChar(QChar::ReplacementCharacter);
    }
    return result;
}

QString ValueFormat::kindWord(VkInterfaceElement::ETypes type)
{
    switch (type) {
    case E::PersonalizationInfo: return QStringLiteral("personalization");
    case E::SlaveSetting: return QStringLiteral("setting");
    case E::SlaveState: return QStringLiteral("state");
    case E::SlaveCommand: return QStringLiteral("command");
    case E::AppSettings: return QStringLiteral("app setting");
    case E::AppCommands: return QStringLiteral("app command");
    }
    return QString::number(int(type));
}

} // namespace vk_config
