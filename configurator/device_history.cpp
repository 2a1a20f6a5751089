#include "configurator/device_history.h"

#include "configurator/work_folders.h"

#include <QFile>
#include <QJsonDocument>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace configurator {

namespace {

constexpr qint64 kMaxHistoryBytes = 64 * 1024 * 1024;

QString csvField(const QString &text)
{
    QString field = text;
    // A leading = + - @ would make a spreadsheet evaluate the cell.
    if (!field.isEmpty() && QStringLiteral("=+-@").contains(field.front()))
        field.prepend(u'\'');
    if (field.contains(u',') || field.contains(u'"') || field.contains(u'\n') || field.contains(u'\r'))
        field = u'"' + field.replace(u'"', QStringLiteral("\"\"")) + u'"';
    return field;
}

} // namespace

QJsonObject DeviceHistory::Record::toJson() const
{
    return QJsonObject { { QStringLiteral("time"), time.toUTC().toString(Qt::ISODateWithMs) },
        { QStringLiteral("user"), user }, { QStringLiteral("face"), face }, { QStringLiteral("modelId"), modelId },
        { QStringLiteral("serial"), double(serial) }, { QStringLiteral("firmware"), firmware },
        { QStringLiteral("elementId"), elementId }, { QStringLiteral("elementName"), elementName },
        { QStringLiteral("before"), before }, { QStringLiteral("after"), after },
        { QStringLiteral("outcome"), outcome } };
}

bool DeviceHistory::Record::fromJson(const QJsonObject &object, Record &record)
{
    record = Record();
    record.time = QDateTime::fromString(object.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
    if (!record.time.isValid() || !object.value(QStringLiteral("elementId")).isDouble())
        return false;
    record.time = record.time.toUTC();
    record.user = object.value(QStringLiteral("user")).toString();
    record.face = object.value(QStringLiteral("face")).toString();
    record.modelId = object.value(QStringLiteral("modelId")).toInt();
    record.serial = quint64(object.value(QStringLiteral("serial")).toDouble());
    record.firmware = object.value(QStringLiteral("firmware")).toString();
    record.elementId = object.value(QStringLiteral("elementId")).toInt();
    record.elementName = object.value(QStringLiteral("elementName")).toString();
    record.before = object.value(QStringLiteral("before")).toString();
    record.after = object.value(QStringLiteral("after")).toString();
    record.outcome = object.value(QStringLiteral("outcome")).toString();
    return true;
}

QString DeviceHistory::filePath(quint64 serial)
{
    return QStringLiteral("%1/history/%2.jsonl").arg(WorkFolders::base()).arg(serial);
}

bool DeviceHistory::append(const QList<Record> &records, QString &error)
{
    if (records.isEmpty())
        return true;
    const QString path = filePath(records.constFirst().serial);
    const QString folder = path.section(u'/', 0, -2);
    if (!WorkFolders::ensure(folder)) {
        error = tr("cannot create the history folder %1").arg(folder);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        error = tr("cannot open the history %1: %2").arg(path, file.errorString());
        return false;
    }
    // A record torn by a crash stays a line of its own: the next one starts on a new line.
    QByteArray last;
    if (file.size() > 0 && file.seek(file.size() - 1))
        last = file.read(1);
    QByteArray pending = (!last.isEmpty() && last != "\n") ? QByteArray("\n") : QByteArray();
    for (const Record &record : records) {
        // Record by record: the earlier ones are on disk before the next is written.
        pending += QJsonDocument(record.toJson()).toJson(QJsonDocument::Compact) + '\n';
        if (file.write(pending) != pending.size() || !file.flush()) {
            error = tr("cannot write the history %1: %2").arg(path, file.errorString());
            return false;
        }
        pending.clear();
    }
    return true;
}

QList<DeviceHistory::Record> DeviceHistory::read(quint64 serial)
{
    return readFile(filePath(serial));
}

QList<DeviceHistory::Record> DeviceHistory::readFile(const QString &path)
{
    QList<Record> records;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return records;
    // The newest records matter most: a history larger than the bound is read from its end.
    if (file.size() > kMaxHistoryBytes)
        file.seek(file.size() - kMaxHistoryBytes);
    const QByteArray bytes = file.readAll();
    for (const QByteArray &line : bytes.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
        Record record;
        if (parseError.error == QJsonParseError::NoError && document.isObject()
            && Record::fromJson(document.object(), record))
            records.append(record);
    }
    return records;
}

QByteArray DeviceHistory::toCsv(const QList<Record> &records)
{
    QStringList lines { QStringLiteral("time (UTC),user,front end,model,serial,firmware,element id,element,before,"
                                       "after,outcome") };
    for (const Record &record : records)
        lines << QStringList { record.time.toString(Qt::ISODate), csvField(record.user), csvField(record.face),
            QString::number(record.modelId), QString::number(record.serial), csvField(record.firmware),
            QString::number(record.elementId), csvField(record.elementName), csvField(record.before),
            csvField(record.after), csvField(record.outcome) }
                     .join(u',');
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

QString DeviceHistory::currentUser()
{
    for (const char *name : { "USER", "USERNAME", "LOGNAME" }) {
        const QString user = qEnvironmentVariable(name);
        if (!user.isEmpty())
            return user;
    }
#ifdef Q_OS_UNIX
    if (const passwd *entry = getpwuid(getuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
#endif
    return tr("unknown");
}

QString DeviceHistory::outcomeText(const QString &outcome)
{
    const QLatin1String readBack("read back ");
    if (outcome == QLatin1String("ok"))
        return tr("ok");
    if (outcome == QLatin1String("failed"))
        return tr("failed");
    if (outcome == QLatin1String("not read back"))
        return tr("not read back");
    if (outcome.startsWith(readBack))
        return tr("read back %1").arg(outcome.mid(readBack.size()));
    return outcome;
}

} // namespace configurator
