#include "event_topics/topic_category.h"

#include <QHash>

namespace event_topics {

QString topicCategoryText(TopicCategory category)
{
    // Built once on first use (thread-safe static initialisation), read-only afterwards.
    static const QHash<qint32, QString> texts = {
        { System, QStringLiteral("System") },
        { Device, QStringLiteral("Device") },
        { Log, QStringLiteral("Log") },
        { Settings, QStringLiteral("Settings") },
    };
    return texts.value(category, QStringLiteral("Unknown"));
}

} // namespace event_topics
