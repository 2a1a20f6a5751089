#include "simulator/json_reader.h"

#include "simulator/hex_lines.h"

#include <cmath>

namespace simulator {

namespace {

constexpr double kMaxExactInteger = 9007199254740992.0; // 2^53

} // namespace

JsonReader::JsonReader(const QJsonObject &object, const QString &path)
    : JsonReader(object, path, std::make_shared<QString>())
{ }

JsonReader::JsonReader(const QJsonObject &object, const QString &path, std::shared_ptr<QString> error)
    : _object(object), _path(path), _error(std::move(error))
{ }

QString JsonReader::pathOf(const QString &key) const
{
    if (key.isEmpty())
        return _path;
    return _path.isEmpty() ? key : _path + QLatin1Char('.') + key;
}

void JsonReader::fail(const QString &key, const QString &message) const
{
    if (!_error->isEmpty())
        return;
    const QString path = pathOf(key);
    *_error = path.isEmpty() ? message : path + QLatin1String(": ") + message;
}

void JsonReader::allowOnly(const QStringList &allowed) const
{
    for (auto it = _object.begin(); it != _object.end(); ++it) {
        if (!allowed.contains(it.key()))
            fail(it.key(), QStringLiteral("unknown key"));
    }
}

JsonReader JsonReader::child(const QString &key) const
{
    const QJsonValue value = _object.value(key);
    if (!value.isUndefined() && !value.isObject())
        fail(key, QStringLiteral("expected an object"));
    return JsonReader(value.toObject(), pathOf(key), _error);
}

JsonReader JsonReader::element(const QString &key, const QJsonArray &array, int index) const
{
    const QString path = pathOf(key) + QStringLiteral("[%1]").arg(index);
    const QJsonValue value = array.at(index);
    if (!value.isObject() && _error->isEmpty())
        *_error = path + QLatin1String(": expected an object");
    return JsonReader(value.toObject(), path, _error);
}

QString JsonReader::text(const QString &key, const QString &fallback) const
{
    const QJsonValue value = _object.value(key);
    if (value.isUndefined())
        return fallback;
    if (!value.isString()) {
        fail(key, QStringLiteral("expected a text"));
        return fallback;
    }
    return value.toString();
}

QString JsonReader::requiredText(const QString &key) const
{
    if (!has(key))
        fail(key, QStringLiteral("missing"));
    return text(key);
}

bool JsonReader::parseInteger(const QJsonValue &value, qint64 &result)
{
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (std::floor(number) != number || std::fabs(number) > kMaxExactInteger)
            return false;
        result = qint64(number);
        return true;
    }
    if (!value.isString())
        return false;
    QString text = value.toString().trimmed();
    bool negative = false;
    if (text.startsWith(QLatin1Char('-'))) {
        negative = true;
        text.remove(0, 1);
    }
    int base = 10;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        base = 16;
    else if (text.startsWith(QLatin1String("0b"), Qt::CaseInsensitive))
        base = 2;
    if (base != 10)
        text.remove(0, 2);
    text.remove(QLatin1Char('_'));
    bool ok = false;
    const qint64 magnitude = text.toLongLong(&ok, base);
    if (!ok || text.isEmpty())
        return false;
    result = negative ? -magnitude : magnitude;
    return true;
}

qint64 JsonReader::integer(const QString &key, qint64 min, qint64 max, qint64 fallback) const
{
    if (!has(key))
        return fallback;
    qint64 result = 0;
    if (!parseInteger(_object.value(key), result)) {
        fail(key, QStringLiteral("expected an integer"));
        return fallback;
    }
    if (result < min || result > max) {
        fail(key, QStringLiteral("%1 is outside %2 ... %3").arg(result).arg(min).arg(max));
        return fallback;
    }
    return result;
}

qint64 JsonReader::requiredInteger(const QString &key, qint64 min, qint64 max) const
{
    if (!has(key))
        fail(key, QStringLiteral("missing"));
    return integer(key, min, max, min);
}

double JsonReader::number(const QString &key, double fallback) const
{
    const QJsonValue value = _object.value(key);
    if (value.isUndefined())
        return fallback;
    if (!value.isDouble()) {
        fail(key, QStringLiteral("expected a number"));
        return fallback;
    }
    return value.toDouble();
}

bool JsonReader::boolean(const QString &key, bool fallback) const
{
    const QJsonValue value = _object.value(key);
    if (value.isUndefined())
        return fallback;
    if (!value.isBool()) {
        fail(key, QStringLiteral("expected true or false"));
        return fallback;
    }
    return value.toBool();
}

QJsonArray JsonReader::array(const QString &key) const
{
    const QJsonValue value = _object.value(key);
    if (!value.isUndefined() && !value.isArray())
        fail(key, QStringLiteral("expected an array"));
    return value.toArray();
}

QStringList JsonReader::textList(const QString &key) const
{
    QStringList list;
    const QJsonArray values = array(key);
    for (int i = 0; i < values.size(); ++i) {
        if (!values.at(i).isString()) {
            fail(key, QStringLiteral("entry %1 is not a text").arg(i));
            return {};
        }
        list << values.at(i).toString();
    }
    return list;
}

bool JsonReader::parseHex(const QString &text, QByteArray &result)
{
    // Non-Latin-1 characters become '?', which is refused as any other non-digit.
    return HexLines::decode(text.toLatin1(), result);
}

QByteArray JsonReader::hex(const QString &key) const
{
    QByteArray bytes;
    if (has(key) && !parseHex(text(key), bytes))
        fail(key, QStringLiteral("expected pairs of hexadecimal digits"));
    return bytes;
}

} // namespace simulator
