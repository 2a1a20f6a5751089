#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace configurator {

// What was written to a device, one record per changed element, from either front end: who, when,
// with what, the value before and after (as shown) and how it ended. Each device has its history in
// the data folder, history/<serial>.jsonl: JSON Lines, only ever appended and flushed record by record,
// so that a crash while writing loses at most the record being written, never an earlier one; a torn
// last line is skipped when read, and the next append starts on a line of its own.
class DeviceHistory
{
    Q_DECLARE_TR_FUNCTIONS(DeviceHistory)

public:
    struct Record
    {
        QDateTime time; // UTC
        QString user; // the account of the operating system
        QString face; // "window", "vk-config"
        int modelId = 0;
        quint64 serial = 0;
        QString firmware; // "2.4"
        int elementId = 0;
        QString elementName;
        QString before;
        QString after;
        QString outcome; // "ok", "read back differs", "failed"

        QJsonObject toJson() const;
        static bool fromJson(const QJsonObject &object, Record &record);
    };

    // history/<serial>.jsonl in the data folder.
    static QString filePath(quint64 serial);
    // Appends `records` to the history of their device; false with the reason when they were not all
    // written.
    static bool append(const QList<Record> &records, QString &error);
    // The records of a device, oldest first (lines that are not whole records are left out).
    static QList<Record> read(quint64 serial);
    static QList<Record> readFile(const QString &path);
    // The records as CSV (RFC 4180, UTF-8, a header line).
    static QByteArray toCsv(const QList<Record> &records);

    // The name of the user running the program.
    static QString currentUser();
    // A recorded outcome ("ok", "failed", "not read back", "read back <value>") as the interface shows it.
    static QString outcomeText(const QString &outcome);
};

} // namespace configurator
