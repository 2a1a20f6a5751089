#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QMetaEnum>
#include <QString>
#include <QStringList>

#include <memory>

namespace simulator {

// Reads the fields of one JSON object of a device definition and remembers the first error with
// its path ("profile[3].dataType: unknown value \"TFloat\""). After an error every read returns its
// default, so a reader can read a whole object and check ok() once.
class JsonReader
{
public:
    JsonReader(const QJsonObject &object, const QString &path);

    bool ok() const { return _error->isEmpty(); }
    QString error() const { return *_error; }
    // Records an error at `key` of this object (the first error wins).
    void fail(const QString &key, const QString &message) const;
    QString pathOf(const QString &key) const;

    const QJsonObject &object() const { return _object; }
    bool has(const QString &key) const { return _object.contains(key); }
    // Fails on keys outside `allowed` (a misspelt key would otherwise be ignored silently).
    void allowOnly(const QStringList &allowed) const;

    // The object at `key` (an empty one when absent), sharing this reader's error.
    JsonReader child(const QString &key) const;
    // The object at position `index` of `array`, reached through `key`.
    JsonReader element(const QString &key, const QJsonArray &array, int index) const;

    QString text(const QString &key, const QString &fallback = QString()) const;
    QString requiredText(const QString &key) const;
    // A number, or a text in decimal or with 0x (hexadecimal) or 0b (binary) in front.
    qint64 integer(const QString &key, qint64 min, qint64 max, qint64 fallback) const;
    qint64 requiredInteger(const QString &key, qint64 min, qint64 max) const;
    double number(const QString &key, double fallback) const;
    bool boolean(const QString &key, bool fallback) const;
    QJsonArray array(const QString &key) const;
    QStringList textList(const QString &key) const;
    // Hexadecimal digits; spaces and colons between them are allowed.
    QByteArray hex(const QString &key) const;

    // The enumerator named by the text at `key`.
    template<typename E> E enumValue(const QString &key, E fallback) const
    {
        if (!has(key))
            return fallback;
        const QMetaEnum meta = QMetaEnum::fromType<E>();
        bool found = false;
        const int value = meta.keyToValue(text(key).toLatin1().constData(), &found);
        if (!found) {
            fail(key, QStringLiteral("unknown value \"%1\"").arg(text(key)));
            return fallback;
        }
        return E(value);
    }

    // Integer parsing shared with the value encoder: decimal, 0x hexadecimal, 0b binary, a sign.
    static bool parseInteger(const QJsonValue &value, qint64 &result);
    // Hexadecimal digit pairs, separated or not as a hex line may be (see HexLines::decode).
    static bool parseHex(const QString &text, QByteArray &result);

private:
    JsonReader(const QJsonObject &object, const QString &path, std::shared_ptr<QString> error);

    QJsonObject _object;
    QString _path;
    std::shared_ptr<QString> _error;
};

} // namespace simulator
