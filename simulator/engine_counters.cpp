#include "simulator/engine_counters.h"

#include <QStringList>

namespace simulator {

void EngineCounters::record(const QString &entry)
{
    journal.append(entry);
    if (journal.size() > kJournalLimit)
        journal.removeFirst();
}

int EngineCounters::requestsReceived() const
{
    int sum = 0;
    for (int count : requestsByType)
        sum += count;
    return sum;
}

QString EngineCounters::toText() const
{
    QStringList byType;
    for (int type = 0; type < int(requestsByType.size()); ++type) {
        if (requestsByType[type] == 0)
            continue;
        QString name = v_protocol::toText(v_protocol::TPayloadType(type)).section(QLatin1String("::"), -1);
        if (name.isEmpty())
            name = QString::number(type);
        byType << QStringLiteral("%1 %2").arg(name).arg(requestsByType[type]);
    }
    return QStringLiteral("received %1 packets (%2 bytes): %3; malformed %4, ignored %5, oversized %6; "
                          "sent %7 packets (%8 bytes); failures injected %9, link drops %10")
        .arg(packetsReceived)
        .arg(bytesReceived)
        .arg(byType.isEmpty() ? QStringLiteral("no requests") : byType.join(QLatin1String(", ")))
        .arg(malformedPackets)
        .arg(ignoredPackets)
        .arg(oversizedPackets)
        .arg(packetsSent)
        .arg(bytesSent)
        .arg(failuresInjected)
        .arg(linkDrops);
}

} // namespace simulator
