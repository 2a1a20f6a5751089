#pragma once

#include <QByteArray>
#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

namespace v_protocol {

// One debug-level log line holding exactly `text` (no quotes, no extra spaces).
inline void logText(const QString &text)
{
    qDebug().noquote() << text;
}

// Writes a ready-made debug form into a stream without quotes or spaces of its own; the stream's
// settings are restored afterwards.
inline QDebug writeDebugText(QDebug debug, const QString &text)
{
    QDebugStateSaver saver(debug);
    debug.noquote().nospace() << text;
    return debug;
}

// `name` immediately followed by the compact JSON of `json` ("TPacket{...}").
inline QDebug writeJsonDebugText(QDebug debug, QLatin1String name, const QJsonObject &json)
{
    return writeDebugText(debug, name + QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact)));
}

// The debug form of a value as a text (no trailing space).
template<typename T> QString debugText(const T &value)
{
    QString text;
    QDebug(&text).nospace() << value;
    return text;
}

// Lowercase hexadecimal pairs separated by single spaces ("0a ff 10").
inline QString spacedHex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}

} // namespace v_protocol
